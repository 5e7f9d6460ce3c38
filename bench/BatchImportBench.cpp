#include "BenchMemory.h"
#include "batch/BatchDataSet.h"
#include "batch/BatchImport.h"
#include "batch/CsvReader.h"
#include "batch/Workbook.h"
#include "core/ProgressReporter.h"
#include "model/SlipFormat.h"
#include "ui/Progress.h"
#include "workspace/BatchImportCommand.h"
#include "workspace/BatchPanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>
#include <xlsxwriter.h>

using namespace slip;

namespace {

constexpr int kRows = 30000;
constexpr int kColumns = 12;

QTemporaryDir& BenchDir()
{
    static QTemporaryDir dir;
    return dir;
}

// One row of a realistic batch: names, accounts, amounts, dates, an address
// that holds a comma, a remark with a line break.
QStringList RowValues(int r)
{
    return {QString("户名%1").arg(r),
            QString("62220212%1").arg(r, 8, 10, QLatin1Char('0')),
            QString::number((r * 7919) % 1000000 / 100.0, 'f', 2),
            QString("2024-%1-%2").arg(r % 12 + 1, 2, 10, QLatin1Char('0')).arg(r % 28 + 1, 2, 10, QLatin1Char('0')),
            QString("北京市海淀区,中关村大街%1号").arg(r % 500),
            QString("中国工商银行北京分行"),
            QString("备注第一行\r\n第二行%1").arg(r),
            QString::number(r),
            QString("货款"),
            QString("0101%1").arg(r % 10000),
            QString("李%1").arg(r % 97),
            QString("ABC%1").arg(r)};
}

QString CsvPath()
{
    static QString path;
    if (!path.isEmpty()) return path;
    path = BenchDir().filePath("batch30000.csv");
    QString text;
    for (int r = 1; r <= kRows; ++r) {
        QStringList cells;
        for (QString v : RowValues(r)) {
            if (v.contains(QLatin1Char(',')) || v.contains(QLatin1Char('"')) || v.contains(QLatin1Char('\n'))) {
                v.replace(QLatin1String("\""), QLatin1String("\"\""));
                v = QLatin1Char('"') + v + QLatin1Char('"');
            }
            cells << v;
        }
        text += cells.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(text.toUtf8());
    return path;
}

QString XlsxPath()
{
    static QString path;
    if (!path.isEmpty()) return path;
    path = BenchDir().filePath("batch30000.xlsx");
    lxw_workbook* wb = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* ws = workbook_add_worksheet(wb, "明细");
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "yyyy-mm-dd");
    for (int r = 1; r <= kRows; ++r) {
        const QStringList v = RowValues(r);
        for (int c = 0; c < kColumns; ++c) {
            if (c == 2 || c == 7) {
                worksheet_write_number(ws, lxw_row_t(r - 1), lxw_col_t(c), v[c].toDouble(), nullptr);
            } else if (c == 3) {
                lxw_datetime d = {2024, r % 12 + 1, r % 28 + 1, 0, 0, 0};
                worksheet_write_datetime(ws, lxw_row_t(r - 1), lxw_col_t(c), &d, date);
            } else {
                worksheet_write_string(ws, lxw_row_t(r - 1), lxw_col_t(c), v[c].toUtf8().constData(), nullptr);
            }
        }
    }
    workbook_close(wb);
    return path;
}

// Twelve text boxes, box n taking column n.
ImportMaps TwelveBoxes()
{
    ImportMaps m;
    for (int i = 1; i <= kColumns; ++i)
        m.textBoxes << ImportBox{i, i, QString("方框%1").arg(i), QString(QChar(u'A' + i - 1))};
    return m;
}

ImportResult BareImport(bool workbook);

void RunImport(benchmark::State& state, bool workbook)
{
    const slip::bench::PeakMemory memory;
    for (auto _ : state) {
        const ImportResult r = BareImport(workbook);
        if (!r.ok() || r.records.size() != kRows) state.SkipWithError("import failed");
        benchmark::DoNotOptimize(r.records.last().last());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    memory.Report(state);
}

void BM_ImportCsv30000Rows(benchmark::State& state) { RunImport(state, false); }
BENCHMARK(BM_ImportCsv30000Rows)->Unit(benchmark::kMillisecond);

void BM_ImportXlsx30000Rows(benchmark::State& state) { RunImport(state, true); }
BENCHMARK(BM_ImportXlsx30000Rows)->Unit(benchmark::kMillisecond);

ImportResult BareImport(bool workbook)
{
    const ImportRange range{1, kRows, 1};
    return workbook ? ImportExcelRows(XlsxPath(), QString::fromUtf8("明细"), range, TwelveBoxes(), "//", NoProgress())
                    : ImportCsvRows(CsvPath(), range, TwelveBoxes(), "//", NoProgress());
}

// As the operator imports: the preview read off the window's thread, the
// import with the progress window, the batch panel filled and record 1 put on
// a slip of twelve text boxes.
class WindowImport {
public:
    explicit WindowImport(bool workbook)
        : source_{workbook ? XlsxPath() : CsvPath(), workbook ? QString::fromUtf8("明细") : QString(),
                  workbook ? ImportFileKind::Workbook : ImportFileKind::Csv},
          request_{TwelveBoxes(), {1, kRows, 1}}
    {
        FormatHeader header;
        header.name = QStringLiteral("进账单");
        header.widthMm = 200;
        header.heightMm = 100;
        format_.Load(header, {});
        for (ImportBox& box : request_.maps.textBoxes) {
            Box b = NewBoxOfKind(BoxKind::Text, QPointF(10 + 12 * box.boxIndex, 10 + 5 * box.boxIndex));
            b.caption = box.caption;
            box.recordId = format_.AddBox(b);
        }
        panel_.resize(1000, 600);
        panel_.show();
        QApplication::processEvents();
    }

    bool Run()
    {
        ImportPreview preview;
        RunWithProgress([&](ProgressReporter& progress) { preview = LoadImportPreview(source_, progress); });
        const bool ok = preview.ok() && panel_.Import(source_, request_) && panel_.Batch().RecordCount() == kRows;
        QApplication::processEvents();  // the grid painted
        return ok;
    }

private:
    SlipFormat format_;
    BatchPanel panel_{format_, [] { return QStringLiteral("//"); }};
    ImportSource source_;
    ImportRequest request_;
};

void RunImportThroughWindow(benchmark::State& state, bool workbook)
{
    WindowImport window(workbook);
    const slip::bench::PeakMemory memory;
    for (auto _ : state)
        if (!window.Run()) state.SkipWithError("import failed");
    state.SetItemsProcessed(state.iterations() * kRows);
    memory.Report(state);
}

void BM_ImportCsv30000RowsThroughWindow(benchmark::State& state) { RunImportThroughWindow(state, false); }
BENCHMARK(BM_ImportCsv30000RowsThroughWindow)->Unit(benchmark::kMillisecond);

void BM_ImportXlsx30000RowsThroughWindow(benchmark::State& state) { RunImportThroughWindow(state, true); }
BENCHMARK(BM_ImportXlsx30000RowsThroughWindow)->Unit(benchmark::kMillisecond);

// The pair side by side, taken in turns so that a busy machine weighs on
// both alike: the import through the window over the same import without
// it ("window_over_bare", the aim being 1.2 or less). Each side counts the
// median of its turns, so a turn slowed by the machine's other work counts
// for neither.
double MedianMs(std::vector<double> times)
{
    if (times.empty()) return 0;
    const auto middle = times.begin() + std::ptrdiff_t(times.size() / 2);
    std::nth_element(times.begin(), middle, times.end());
    if (times.size() % 2) return *middle;
    return (*middle + *std::max_element(times.begin(), middle)) / 2;
}

void RunWindowOverBare(benchmark::State& state, bool workbook)
{
    WindowImport window(workbook);
    std::vector<double> bareMs, windowMs;
    for (auto _ : state) {
        // The last window import's previous batch is freed off the window's
        // thread, where the operator doesn't wait for it; nor does the
        // import without the window.
        QThreadPool::globalInstance()->waitForDone();
        QElapsedTimer clock;
        clock.start();
        const ImportResult bare = BareImport(workbook);
        if (!bare.ok() || bare.records.size() != kRows) state.SkipWithError("import failed");
        bareMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        clock.restart();
        if (!window.Run()) state.SkipWithError("import failed");
        windowMs.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    const double bare = MedianMs(bareMs), through = MedianMs(windowMs);
    state.counters["bare_ms"] = bare;
    state.counters["window_ms"] = through;
    state.counters["window_over_bare"] = bare > 0 ? through / bare : 0;
}

void BM_ImportCsvWindowOverBare(benchmark::State& state) { RunWindowOverBare(state, false); }
BENCHMARK(BM_ImportCsvWindowOverBare)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_ImportXlsxWindowOverBare(benchmark::State& state) { RunWindowOverBare(state, true); }
// A pair takes over a second: more of them for the medians.
BENCHMARK(BM_ImportXlsxWindowOverBare)->Unit(benchmark::kMillisecond)->MinTime(8);

// The mapping preview of a workbook reads the first rows it shows and stops,
// however long the sheet behind them.
void BM_PreviewFirst19RowsOfAWorkbookOf30000Rows(benchmark::State& state)
{
    const QString path = XlsxPath();
    for (auto _ : state) {
        const CellRange preview = ReadSheetRange(path, QStringLiteral("明细"), 1, 19, 1, 59);
        if (!preview.ok() || preview.rows.size() != 19) state.SkipWithError("preview not read");
        benchmark::DoNotOptimize(preview);
    }
}
BENCHMARK(BM_PreviewFirst19RowsOfAWorkbookOf30000Rows)->Unit(benchmark::kMillisecond);

// CSV files whose first line is long: the preview against the whole read.
struct LongLineFile {
    const char* name;
    QByteArray unit;  // repeated
    qint64 bytes;
};
const LongLineFile kLongLines[] = {
    {"commas_15MB", ",", 15LL << 20},
    {"commas_64MB", ",", 64LL << 20},
    {"letters_16MB", "a", 16LL << 20},
    {"gbk_han_18MB", QByteArray("\xBB\xA7\xC3\xFB"), 18LL << 20},  // 户名 in GBK, no comma
};

QString LongLinePath(int which)
{
    static QString paths[std::size(kLongLines)];
    QString& path = paths[which];
    if (!path.isEmpty()) return path;
    const LongLineFile& f = kLongLines[which];
    path = BenchDir().filePath(QString::fromLatin1(f.name) + QStringLiteral(".csv"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly)) return path;
    QByteArray piece;
    while (piece.size() < (1 << 20)) piece += f.unit;
    for (qint64 left = f.bytes; left > 0; left -= piece.size()) out.write(piece.constData(), qMin<qint64>(left, piece.size()));
    out.write("\r\n2,x\r\n");
    return path;
}

void BM_CsvPreviewOfALongLine(benchmark::State& state)
{
    const QString path = LongLinePath(int(state.range(0)));
    state.SetLabel(kLongLines[state.range(0)].name);
    const slip::bench::PeakMemory memory;
    for (auto _ : state) {
        const CsvFile preview = ReadCsvPreview(path);
        if (!preview.ok() || preview.records.isEmpty()) state.SkipWithError("preview not read");
        benchmark::DoNotOptimize(preview);
    }
    memory.Report(state);
}
BENCHMARK(BM_CsvPreviewOfALongLine)->DenseRange(0, int(std::size(kLongLines)) - 1)->Unit(benchmark::kMillisecond);

// The mapping preview of the 30,000-row file: its first rows shown, the whole
// file looked over for the encoding it is read in.
void BM_CsvPreviewOf30000Rows(benchmark::State& state)
{
    const QString path = CsvPath();
    for (auto _ : state) {
        const CsvFile preview = ReadCsvPreview(path);
        if (!preview.ok() || preview.records.size() != 19) state.SkipWithError("preview not read");
        benchmark::DoNotOptimize(preview);
    }
}
BENCHMARK(BM_CsvPreviewOf30000Rows)->Unit(benchmark::kMillisecond);

void BM_CsvWholeReadOfALongLine(benchmark::State& state)
{
    const QString path = LongLinePath(int(state.range(0)));
    state.SetLabel(kLongLines[state.range(0)].name);
    const slip::bench::PeakMemory memory;
    for (auto _ : state) {
        const CsvFileTable whole = ReadCsvRecords(path);
        if (!whole.ok() || whole.table.RecordCount() != 2) state.SkipWithError("file not read");
        benchmark::DoNotOptimize(whole);
    }
    memory.Report(state);
}
BENCHMARK(BM_CsvWholeReadOfALongLine)->DenseRange(0, int(std::size(kLongLines)) - 1)->Unit(benchmark::kMillisecond);

} // namespace
