#include "BenchMemory.h"
#include "batch/GridExport.h"
#include "storage/HistoryStore.h"
#include "storage/HistoryTableModel.h"
#include "storage/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace slip;

namespace {

const QString kFormat = QStringLiteral("对公进账单");
constexpr int kSlips = 100000;
constexpr qint64 kAccountBox = 1;

// Twelve boxes: ten text boxes, a check box and a barcode picture box.
QVector<HistoryBox> Boxes()
{
    return {{1, 0, "账号"},       {2, 0, "户名"},     {3, 0, "开户行"},   {4, 0, "金额"},
            {5, 0, "大写金额"},   {6, 0, "日期"},     {7, 0, "用途"},     {8, 0, "备注"},
            {9, 0, "收款人账号"}, {10, 0, "收款人户名"}, {11, 1, "现金"}, {12, 2, "条码"}};
}

// Account numbers spread over twelve digits, as real ones are.
QString Account(int i)
{
    return QStringLiteral("6222%1").arg(qint64((quint64(i) * 2654435761ULL) % 1000000000000ULL), 12, 10, QChar('0'));
}

HistorySlip MakeSlip(int i)
{
    HistorySlip s;
    s.reserve(12);
    s.push_back({1, Account(i)});
    s.push_back({2, QStringLiteral("户名%1有限公司").arg(i % 2000)});
    s.push_back({3, QStringLiteral("中国银行第%1支行").arg(i % 300)});
    s.push_back({4, QString::number((i * 37 % 1000000) / 100.0, 'f', 2)});
    s.push_back({5, QStringLiteral("人民币壹仟贰佰叁拾肆元伍角陆分")});
    s.push_back({6, QStringLiteral("2024-%1-%2").arg(i % 12 + 1, 2, 10, QChar('0')).arg(i % 28 + 1, 2, 10, QChar('0'))});
    s.push_back({7, i % 3 ? QStringLiteral("货款") : QStringLiteral("服务费")});
    // Only the oldest slip holds this remark.
    s.push_back({8, i == 0 ? QStringLiteral("最早一张的备注") : i % 5 ? QString() : QStringLiteral("第一行\r\n第二行")});
    s.push_back({9, Account(i + 17)});
    s.push_back({10, QStringLiteral("收款单位%1").arg(i % 500)});
    s.push_back({11, i % 2 ? QStringLiteral("1") : QString()});
    s.push_back({12, QStringLiteral("69%1").arg(i, 11, 10, QChar('0'))});
    return s;
}

// The 100,000 slips are stored through the history store once per run.
void EnsureHistory()
{
    static bool made = false;
    if (made) return;
    EnsureSchema();
    if (HistorySlipNumbersOf(kFormat).numbers.size() < kSlips) {
        DeleteAllHistory(kFormat);
        for (int start = 0; start < kSlips; start += 10000) {
            QVector<HistorySlip> chunk;
            chunk.reserve(10000);
            for (int i = start; i < start + 10000; ++i) chunk << MakeSlip(i);
            SaveHistorySlips(kFormat, chunk);
        }
    }
    made = true;
}

double RssMiB()
{
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> f = statm.readAll().split(' ');
    return f.size() > 1 ? f[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

// What a view needs to show one screen of rows: every cell of them.
void TouchRows(const HistoryTableModel& m, int first, int count)
{
    for (int r = first; r < first + count && r < m.rowCount(); ++r)
        for (int c = 0; c < m.columnCount(); ++c) benchmark::DoNotOptimize(m.data(m.index(r, c)));
}

void BM_LoadHistoryOf100kSlips(benchmark::State& state)
{
    EnsureHistory();
    const slip::bench::PeakMemory memory;
    const double before = RssMiB();
    double grown = 0;
    for (auto _ : state) {
        HistoryTableModel m;
        m.LoadHistoryList(kFormat, Boxes());
        TouchRows(m, 0, 40);                   // the first screen
        TouchRows(m, m.rowCount() - 40, 40);   // scrolled to the end
        grown = std::max(grown, RssMiB() - before);
        if (m.rowCount() != kSlips) state.SkipWithError("not every slip was listed");
    }
    state.counters["slips"] = kSlips;
    memory.Report(state);
    state.counters["rss_growth_MiB"] = grown;
}
BENCHMARK(BM_LoadHistoryOf100kSlips)->Unit(benchmark::kMillisecond)->Iterations(5);

enum class ExportKind { Csv, Xlsx, Xls };

void ExportBench(benchmark::State& state, ExportKind kind)
{
    EnsureHistory();
    const slip::bench::PeakMemory memory;
    QTemporaryDir out;
    const QString path = out.filePath(kind == ExportKind::Csv    ? "history.csv"
                                      : kind == ExportKind::Xlsx ? "history.xlsx"
                                                                 : "history.xls");
    HistoryTableModel m;
    m.LoadHistoryList(kFormat, Boxes());
    GridExportLayout layout;
    layout.hiddenColumns.insert(HistoryTableModel::kSlipNumberColumn);
    // An Excel 97-2003 sheet holds 65,536 rows: the first 60,000 slips go.
    if (kind == ExportKind::Xls)
        for (int r = 60000; r < m.rowCount(); ++r) layout.hiddenRows.insert(r);
    const double before = RssMiB();
    double grown = 0;
    for (auto _ : state) {
        const GridExportResult r = ExportGridToFile(m, path, "Sorvelin进账单打印历史数据", layout);
        if (!r.ok) state.SkipWithError("export failed");
        grown = std::max(grown, RssMiB() - before);
    }
    state.counters["file_MiB"] = QFileInfo(path).size() / (1024.0 * 1024.0);
    memory.Report(state);
    state.counters["rss_growth_MiB"] = grown;
}

void BM_ExportHistoryOf100kSlipsCsv(benchmark::State& state) { ExportBench(state, ExportKind::Csv); }
BENCHMARK(BM_ExportHistoryOf100kSlipsCsv)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportHistoryOf100kSlipsXlsx(benchmark::State& state) { ExportBench(state, ExportKind::Xlsx); }
BENCHMARK(BM_ExportHistoryOf100kSlipsXlsx)->Unit(benchmark::kMillisecond)->Iterations(3);

// The writer runs in a process of its own; its memory is not in the counters.
void BM_ExportHistoryOf60kSlipsXls(benchmark::State& state) { ExportBench(state, ExportKind::Xls); }
BENCHMARK(BM_ExportHistoryOf60kSlipsXls)->Unit(benchmark::kMillisecond)->Iterations(1);

// One completion query while typing an account number: the typed beginning
// fits a handful of the 100,000 stored accounts.
void BM_CompleteFromHistoryOf100kSlips(benchmark::State& state)
{
    EnsureHistory();
    const QString typed = Account(4242).left(8);
    qint64 matches = 0;
    for (auto _ : state) {
        const HistoryCompletion c = CompleteFromHistory(kFormat, kAccountBox, typed);
        if (!c.ok) state.SkipWithError("completion failed");
        benchmark::DoNotOptimize(c.proposal);
    }
    matches = HistoryValuesStartingWith(kFormat, kAccountBox, typed).values.size();
    state.counters["values_matching"] = double(matches);
}
BENCHMARK(BM_CompleteFromHistoryOf100kSlips)->Unit(benchmark::kMillisecond);

// A harder case: one letter typed in the payer's name box, whose 2,000
// different names are each stored on 50 slips; a tenth of the box's values
// begin with it.
void BM_CompleteShortTextFromHistoryOf100kSlips(benchmark::State& state)
{
    EnsureHistory();
    for (auto _ : state) {
        const HistoryCompletion c = CompleteFromHistory(kFormat, 2, QStringLiteral("户名1"));
        if (!c.ok) state.SkipWithError("completion failed");
        benchmark::DoNotOptimize(c.proposal);
    }
}
BENCHMARK(BM_CompleteShortTextFromHistoryOf100kSlips)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// The search of the history tab: a word only the oldest slip holds (the
// last row, found after every other slip was passed over) and a word no
// slip holds, from the top row of the list as loaded.
void BM_SearchHistoryOf100kSlips(benchmark::State& state)
{
    EnsureHistory();
    HistoryTableModel m;
    m.LoadHistoryList(kFormat, Boxes());
    for (auto _ : state) {
        QString oldest = QStringLiteral("最早一张");
        const HistoryFind found = m.FindRow(oldest, 0, false);
        if (found.row != kSlips - 1) state.SkipWithError("the oldest slip was not found");
        QString none = QStringLiteral("无此关键词");
        if (m.FindRow(none, 0, false).row != -1) state.SkipWithError("a word no slip holds was found");
    }
}
BENCHMARK(BM_SearchHistoryOf100kSlips)->Unit(benchmark::kMillisecond);

// A click on the amount column's caption of the history of 100,000 slips,
// ascending, then the first screen shown.
void BM_SortHistoryOf100kSlips(benchmark::State& state)
{
    EnsureHistory();
    HistoryTableModel m;
    m.LoadHistoryList(kFormat, Boxes());
    const int amountColumn = m.ColumnOfBox(4);
    for (auto _ : state) {
        m.sort(amountColumn, Qt::AscendingOrder);
        TouchRows(m, 0, 40);
        if (m.rowCount() != kSlips) state.SkipWithError("slips went missing");
    }
    if (m.data(m.index(0, amountColumn)).toString() != QStringLiteral("0.00")) state.SkipWithError("not sorted");
}
BENCHMARK(BM_SortHistoryOf100kSlips)->Unit(benchmark::kMillisecond);

} // namespace
