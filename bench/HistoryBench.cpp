#include "BenchMemory.h"
#include "batch/GridExport.h"
#include "storage/HistoryStore.h"
#include "storage/HistoryTableModel.h"
#include "storage/Schema.h"
#include "storage/DatabaseCipher.h"
#include "core/DataFolder.h"

#include <QElapsedTimer>
#include <sqlite3.h>

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

// Every slip's cell texts in list order (newest first), one list per row:
// what a plain scan of the shown cells would look at.
const QVector<QStringList>& CellTexts()
{
    static QVector<QStringList> rows;
    if (!rows.isEmpty()) return rows;
    rows.reserve(kSlips);
    for (int i = kSlips - 1; i >= 0; --i) {
        QStringList cells;
        for (const HistoryValue& v : MakeSlip(i))
            if (!v.value.isEmpty()) cells << v.value;
        rows << cells;
    }
    return rows;
}

// The first row (from the top) with a cell that holds the text, -1 for none.
int PlainScan(const QVector<QStringList>& rows, const QString& text)
{
    for (int r = 0; r < rows.size(); ++r)
        for (const QString& cell : rows[r])
            if (cell.contains(text)) return r;
    return -1;
}

const QString kOldestWord = QStringLiteral("最早一张");
const QString kMissingWord = QStringLiteral("无此关键词");

// The limit of the search: both words looked for in the cells in memory.
double SearchLimitMs()
{
    const QVector<QStringList>& rows = CellTexts();
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        benchmark::DoNotOptimize(PlainScan(rows, kOldestWord));
        benchmark::DoNotOptimize(PlainScan(rows, kMissingWord));
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

// The search of the history tab: a word only the oldest slip holds (the
// last row, found after every other slip was passed over) and a word no
// slip holds, from the top row of the list as loaded. ratio_to_limit is the
// search over its limit, the same two words looked for in the cell texts in
// memory (BM_SearchLimitPlainScanOf100kSlips).
void BM_SearchHistoryOf100kSlips(benchmark::State& state)
{
    EnsureHistory();
    HistoryTableModel m;
    m.LoadHistoryList(kFormat, Boxes());
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        QString oldest = kOldestWord;
        const HistoryFind found = m.FindRow(oldest, 0, false);
        if (found.row != kSlips - 1) state.SkipWithError("the oldest slip was not found");
        QString none = kMissingWord;
        if (m.FindRow(none, 0, false).row != -1) state.SkipWithError("a word no slip holds was found");
        total += t.nsecsElapsed() / 1e6;
    }
    const double limit = SearchLimitMs();
    state.counters["limit_ms"] = limit;
    state.counters["ratio_to_limit"] = total / double(state.iterations()) / limit;
}
BENCHMARK(BM_SearchHistoryOf100kSlips)->Unit(benchmark::kMillisecond);

void BM_SearchLimitPlainScanOf100kSlips(benchmark::State& state)
{
    const QVector<QStringList>& rows = CellTexts();
    for (auto _ : state) {
        if (PlainScan(rows, kOldestWord) != kSlips - 1) state.SkipWithError("the oldest slip was not found");
        if (PlainScan(rows, kMissingWord) != -1) state.SkipWithError("a word no slip holds was found");
    }
}
BENCHMARK(BM_SearchLimitPlainScanOf100kSlips)->Unit(benchmark::kMillisecond);

// The amounts of every slip converted as lists sort them, with the slip
// numbers, in list order: what the sort's limit sorts.
std::vector<std::pair<GridSortKey, qint64>> ConvertedAmounts()
{
    std::vector<std::pair<GridSortKey, qint64>> keys;
    keys.reserve(kSlips);
    for (int i = kSlips - 1; i >= 0; --i) keys.emplace_back(GridSortKey(MakeSlip(i)[3].value), i + 1);
    return keys;
}

// The limit of the sort: the converted keys in the list's order sorted.
void SortConverted(std::vector<std::pair<GridSortKey, qint64>> keys)
{
    std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
        const int cmp = CompareGridKeys(a.first, b.first);
        return cmp != 0 ? cmp < 0 : a.second > b.second;
    });
    benchmark::DoNotOptimize(keys.front().second);
}

double SortLimitMs()
{
    const auto keys = ConvertedAmounts();
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        auto copy = keys;
        QElapsedTimer t;
        t.start();
        SortConverted(std::move(copy));
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

// A click on the amount column's caption of the history of 100,000 slips,
// ascending, then the first screen shown; the column was sorted before, so
// its values are read already. ratio_to_limit is the click over its limit,
// the same amounts, converted already, sorted in memory
// (BM_SortLimitConvertedKeysOf100kSlips).
void BM_SortHistoryOf100kSlips(benchmark::State& state)
{
    EnsureHistory();
    HistoryTableModel m;
    m.LoadHistoryList(kFormat, Boxes());
    const int amountColumn = m.ColumnOfBox(4);
    m.sort(amountColumn, Qt::DescendingOrder);
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        m.sort(amountColumn, Qt::AscendingOrder);
        TouchRows(m, 0, 40);
        total += t.nsecsElapsed() / 1e6;
        if (m.rowCount() != kSlips) state.SkipWithError("slips went missing");
    }
    if (m.data(m.index(0, amountColumn)).toString() != QStringLiteral("0.00")) state.SkipWithError("not sorted");
    const double limit = SortLimitMs();
    state.counters["limit_ms"] = limit;
    state.counters["ratio_to_limit"] = total / double(state.iterations()) / limit;
}
BENCHMARK(BM_SortHistoryOf100kSlips)->Unit(benchmark::kMillisecond);

// The first click on the amount column of a list just loaded: the column's
// values are read from the database and converted, then sorted.
void BM_FirstSortHistoryOf100kSlips(benchmark::State& state)
{
    EnsureHistory();
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto m = std::make_unique<HistoryTableModel>();
        m->LoadHistoryList(kFormat, Boxes());
        state.ResumeTiming();
        QElapsedTimer t;
        t.start();
        m->sort(m->ColumnOfBox(4), Qt::AscendingOrder);
        TouchRows(*m, 0, 40);
        total += t.nsecsElapsed() / 1e6;
        state.PauseTiming();
        m.reset();
        state.ResumeTiming();
    }
    const double limit = SortLimitMs();
    state.counters["limit_ms"] = limit;
    state.counters["ratio_to_limit"] = total / double(state.iterations()) / limit;
}
BENCHMARK(BM_FirstSortHistoryOf100kSlips)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SortLimitConvertedKeysOf100kSlips(benchmark::State& state)
{
    const auto keys = ConvertedAmounts();
    for (auto _ : state) {
        state.PauseTiming();
        auto copy = keys;
        state.ResumeTiming();
        SortConverted(std::move(copy));
    }
}
BENCHMARK(BM_SortLimitConvertedKeysOf100kSlips)->Unit(benchmark::kMillisecond);

// What the database's encryption costs the load: the statements of a load
// (every slip's number and search text, the first and the last page of
// cells) run with SQLite's own interface on the encrypted database and on
// an unencrypted copy of it.
double LoadStatementsMs(const QString& path, bool keyed)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return -1;
    }
    QElapsedTimer t;
    t.start();
    if (keyed)
        for (const QString& sql : DatabaseKeyStatements())
            sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    const QByteArray format = kFormat.toUtf8();
    auto run = [&](const char* sql, std::initializer_list<qint64> numbers, bool keepText) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) return false;
        sqlite3_bind_text(stmt, 1, format.constData(), int(format.size()), SQLITE_STATIC);
        int i = 2;
        for (qint64 n : numbers) sqlite3_bind_int64(stmt, i++, n);
        QByteArray texts;
        qint64 rows = 0;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            ++rows;
            if (keepText)
                texts.append(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)), sqlite3_column_bytes(stmt, 1));
            else
                benchmark::DoNotOptimize(sqlite3_column_text16(stmt, 2));
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(texts.size());
        return rc == SQLITE_DONE && rows > 0;
    };
    const bool ok = run("SELECT ID, Txt FROM 历史检索 WHERE Fmt=? ORDER BY ID DESC", {}, true)
                    && run("SELECT ID, CID, Con FROM 历史 WHERE Fmt=? AND ID BETWEEN ? AND ?", {kSlips - 255, kSlips}, false)
                    && run("SELECT ID, CID, Con FROM 历史 WHERE Fmt=? AND ID BETWEEN ? AND ?", {1, 160}, false);
    const double ms = t.nsecsElapsed() / 1e6;
    sqlite3_close(db);
    return ok ? ms : -1;
}

// The load's statements on the encrypted database; ratio_to_unencrypted is
// their time over that of the same statements on an unencrypted copy.
void BM_LoadStatementsEncryptedVsUnencrypted(benchmark::State& state)
{
    EnsureHistory();
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain.db");
    QString quoted = plain;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(DatabasePath()).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        QStringList statements = DatabaseKeyStatements();
        statements << QStringLiteral("ATTACH DATABASE '%1' AS plain KEY ''").arg(quoted)
                   << QStringLiteral("SELECT sqlcipher_export('plain')") << QStringLiteral("DETACH DATABASE plain");
        for (const QString& sql : statements) {
            char* message = nullptr;
            if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
                fprintf(stderr, "%s: %s\n", qPrintable(sql), message);
                state.SkipWithError("no unencrypted copy");
            }
            sqlite3_free(message);
        }
        sqlite3_close(db);
    }
    double encrypted = 0, unencrypted = 0;
    for (auto _ : state) {
        const double e = LoadStatementsMs(DatabasePath(), true);
        const double u = LoadStatementsMs(plain, false);
        if (e < 0 || u < 0) state.SkipWithError("a load failed");
        encrypted += e;
        unencrypted += u;
    }
    state.counters["encrypted_ms"] = encrypted / double(state.iterations());
    state.counters["unencrypted_ms"] = unencrypted / double(state.iterations());
    state.counters["ratio_to_unencrypted"] = encrypted / unencrypted;
}
BENCHMARK(BM_LoadStatementsEncryptedVsUnencrypted)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
