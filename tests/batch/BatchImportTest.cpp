#include "BatchTestSupport.h"
#include "RecordingProgress.h"

#include "batch/BatchImport.h"
#include "batch/BatchNavigation.h"
#include "batch/CsvReader.h"
#include "batch/Workbook.h"

using namespace slip;
using namespace slip::test;

namespace {

QString SourceFile(const char* rel) { return QStringLiteral(SLIP_SOURCE_DIR "/") + QString::fromUtf8(rel); }

ImportMaps Maps(const QStringList& textMaps, const QStringList& checkMaps = {},
                const QStringList& pictureMaps = {})
{
    ImportMaps m;
    for (int i = 0; i < textMaps.size(); ++i)
        m.textBoxes << ImportBox{100 + i, i + 1, QString("文本%1").arg(i + 1), textMaps[i]};
    for (int i = 0; i < checkMaps.size(); ++i)
        m.checkBoxes << ImportBox{200 + i, 1001 + i, QString("勾选%1").arg(i + 1), checkMaps[i]};
    for (int i = 0; i < pictureMaps.size(); ++i)
        m.pictureBoxes << ImportBox{300 + i, 2001 + i, QString("图片%1").arg(i + 1), pictureMaps[i]};
    return m;
}

QString WriteCsv(const QTemporaryDir& dir, const char* name, const QByteArray& bytes)
{
    const QString path = dir.filePath(QString::fromUtf8(name));
    EXPECT_TRUE(WriteBytes(path, bytes));
    return path;
}

// Rows "r1".."r9" in column A and "x<row>" in column B.
QByteArray NineRows()
{
    QByteArray b;
    for (int r = 1; r <= 9; ++r) b += "r" + QByteArray::number(r) + ",x" + QByteArray::number(r) + "\r\n";
    return b;
}

} // namespace

TEST(ImportRanges, CountedFromTheDialogTexts)
{
    struct Case {
        const char* start;
        const char* end;
        const char* lines;
        ImportRange range;
        int records;
    };
    const Case cases[] = {
        {"1", "7", "3", {1, 7, 3}, 3},        {"1", "6", "3", {1, 6, 3}, 2},
        {"5", "5", "4", {5, 5, 4}, 1},        {"1", "30000", "1", {1, 30000, 1}, 30000},
        {"100", "2", "1", {2, 100, 1}, 99},  // an end row above the start row is swapped
        {"0", "3", "1", {0, 3, 1}, 4},        {"2", " 100行", "abc", {2, 100, 0}, 0},
        {"2.5", "3.5", "-2", {2, 4, -2}, 0},  {"1e30", "", "", {0, std::numeric_limits<int>::max(), 0}, 0},
    };
    for (const auto& c : cases) {
        const ImportRange r = ImportRangeFromTexts(c.start, c.end, c.lines);
        EXPECT_EQ(r.startRow, c.range.startRow) << c.start;
        EXPECT_EQ(r.endRow, c.range.endRow) << c.end;
        EXPECT_EQ(r.linesPerRecord, c.range.linesPerRecord) << c.lines;
        EXPECT_EQ(RecordCount(r), c.records) << c.start << "-" << c.end;
    }
    EXPECT_EQ(RecordFirstRow({1, 7, 3}, 3), 7);
    EXPECT_EQ(CheckImportRange({0, 29999, 1}), QString());
    EXPECT_EQ(CheckImportRange({1, 30001, 1}), "一次性导入数据不得超过3万条记录，请重新设置！");
    EXPECT_EQ(UnknownErrorText(11), "未知错误，错误号： 11　请检查输入值！");
    EXPECT_EQ(UnknownErrorText(-5), "未知错误，错误号：-5　请检查输入值！");
    // The kind of file by its ending, whatever its case.
    for (const auto& [path, kind] : QVector<QPair<QString, ImportFileKind>>{
             {"/d/Data.CSV", ImportFileKind::Csv}, {"/d/a.Xls", ImportFileKind::Workbook},
             {"/d/a.xlsx", ImportFileKind::Workbook}, {"/d/a.txt", ImportFileKind::Unsupported},
             {"/d/csv", ImportFileKind::Unsupported}})
        EXPECT_EQ(ImportFileKindOf(path), kind) << path.toStdString();
}

TEST(CsvImport, SeveralLinesPerRecordWithAShortLastRecord)
{
    QTemporaryDir dir;
    const QString path = WriteCsv(dir, "Nine.CSV", NineRows());
    RecordingProgress progress;
    const ImportResult r = ImportCsvRows(path, {1, 7, 3}, Maps({"A+0", "A+1", "A+2,\"/\",B+2"}), "//", progress);
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    ASSERT_EQ(r.records.size(), 3);
    EXPECT_EQ(r.records[0], (QStringList{"r1", "r2", "r3/x3"}));
    EXPECT_EQ(r.records[1], (QStringList{"r4", "r5", "r6/x6"}));
    // The short last record reads on below the end row.
    EXPECT_EQ(r.records[2], (QStringList{"r7", "r8", "r9/x9"}));
    // Records beyond the file hold only the literals of their maps.
    const ImportResult beyond = ImportCsvRows(path, {1, 12, 3}, Maps({"A+0", "A+1", "A+2,\"/\",B+2"}), "//", progress);
    EXPECT_EQ(beyond.records.value(3), (QStringList{"", "", "/"}));
    EXPECT_EQ(progress.titles.value(0), "正在读取EXCEL数据……");
    EXPECT_EQ(progress.totals.value(0), 3);
    EXPECT_EQ(progress.stepped, 3 + 4);
    EXPECT_EQ(progress.units.value(0), "pages");
}

TEST(CsvImport, ColumnsCarryTheBoxesInClassOrder)
{
    QTemporaryDir dir;
    const QString path = WriteCsv(dir, "a.csv", "张三,100,1,690123\r\n");
    const ImportResult r = ImportCsvRows(path, {1, 1, 1}, Maps({"A", "B", " "}, {"C"}, {"D"}), "//", NoProgress());
    ASSERT_TRUE(r.ok());
    BatchDataSet set;
    set.Reset(r.columns, r.records);
    ASSERT_EQ(set.BoxColumnCount(), 5);
    // A box whose map is empty is not imported: its column says so.
    for (int m = 0; m < 5; ++m) EXPECT_EQ(set.Column(m).mapped, m != 2) << m;
    set.Reset(QVector<BatchColumn>{r.columns[0], r.columns[1], r.columns[3], r.columns[4]},
              {QStringList{"张三", "100", "1", "690123"}});
    EXPECT_EQ(set.Column(1).caption, "文本2");
    EXPECT_EQ(set.Column(2).boxIndex, 1001);
    EXPECT_EQ(set.Column(3).boxIndex, 2001);
    EXPECT_EQ(set.RecordValues(1), (QStringList{"张三", "100", "1", "690123"}));
    // No boxes: records with only their number.
    const ImportResult none = ImportCsvRows(path, {1, 2, 1}, ImportMaps{}, "//", NoProgress());
    EXPECT_EQ(none.records.size(), 2);
    EXPECT_TRUE(none.columns.isEmpty());
}

TEST(CsvImport, AnyMapStringButABlankOneFillsItsBoxEvenWithNothing)
{
    QTemporaryDir dir;
    const QString path = WriteCsv(dir, "a.csv", "张三,100\r\n");
    const struct { const char* map; bool mapped; const char* value; } cases[] = {{"A", true, "张三"}, {"ABC", true, ""},  {"A+1+1", true, ""}, {"+1", true, ""},
                          {",", true, ""},     {"", false, ""},    {"  ", false, ""}};
    for (const auto& c : cases) {
        const ImportResult r = ImportCsvRows(path, {1, 1, 1}, Maps({c.map}, {c.map}), "//", NoProgress());
        ASSERT_TRUE(r.ok()) << c.map;
        BatchDataSet set;
        set.Reset(r.columns, r.records);
        // A mapped box gets the value on the slip, "" included; a box left out keeps its own.
        const QVector<SlipValue> onSlip = FillSlipFromBatchRow(set, 1);
        ASSERT_EQ(onSlip.size(), c.mapped ? 2 : 0) << c.map;
        for (const SlipValue& v : onSlip) EXPECT_EQ(v.value, QString::fromUtf8(c.value)) << c.map;
    }
}

TEST(CsvImport, FailuresReadNothing)
{
    QTemporaryDir dir;
    const QString good = WriteCsv(dir, "good.csv", NineRows());
    const QString open = WriteCsv(dir, "open.csv", "a\r\nb,\"c\r\nd\r\n");
    const QString text = WriteCsv(dir, "data.txt", "a\r\n");
    struct Case {
        QString path;
        ImportRange range;
        QString error;
    };
    const QVector<Case> cases = {
        {open, {1, 2, 1}, ReadCsvRecords(open).error},
        {text, {1, 2, 1}, CsvImportError()},
        {good, {1, 2, 0}, "CSV文件导入错误！"},
        {good, {1, 2, -2}, CsvImportError()},
        {good, {1, 30001, 1}, "一次性导入数据不得超过3万条记录，请重新设置！"},
    };
    for (const auto& c : cases) {
        RecordingProgress progress;
        const ImportResult r = ImportCsvRows(c.path, c.range, Maps({"A"}), "//", progress);
        EXPECT_EQ(r.error, c.error) << c.path.toStdString();
        EXPECT_TRUE(r.records.isEmpty());
        EXPECT_TRUE(progress.titles.isEmpty());
    }
}

TEST(WorkbookImport, XlsxWithDatesNumbersAndTextInShortLastRecord)
{
    QTemporaryDir dir;
    auto text = [](const char* t) { return QByteArray("<c t=\"inlineStr\"><is><t>") + t + "</t></is></c>"; };
    QByteArray rows = "<row>" + text("户名") + "</row>";
    const char* names[] = {"张三", "李四", "王五"};
    for (int k = 0; k < 3; ++k)  // two rows per record: name and date, account and amount
        rows += "<row>" + text(names[k]) + "<c s=\"1\"><v>" + QByteArray::number(45301 + k) + "</v></c></row><row>" +
                text(("622202123456789" + std::to_string(k)).c_str()) + "<c><v>" +
                (k == 0 ? "0.1" : "1234567890123") + "</v></c></row>";
    rows += "<row>" + text("末\n行") + "</row>";
    const QString path = WritePackage(dir, "Batch.XLSX", rows, "", "<xf numFmtId=\"0\"/><xf numFmtId=\"14\"/>");
    RecordingProgress progress;
    // Rows 2..6 with 2 lines per record: 3 records, the last reads row 7 too.
    const ImportResult r = ImportExcelRows(path, "S", {2, 6, 2},
                                           Maps({"A", "B", "A+1", "B+1", "A+2", "A+-4294967295,\"-\""}), "//",
                                           progress);
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    ASSERT_EQ(r.records.size(), 3);
    EXPECT_EQ(r.records[0], (QStringList{"张三", "2024-01-10", "6222021234567890", "0.1", "李四", "-"}));
    EXPECT_EQ(r.records[1], (QStringList{"李四", "2024-01-11", "6222021234567891", "1234567890123", "王五", "-"}));
    EXPECT_EQ(r.records[2], (QStringList{"王五", "2024-01-12", "6222021234567892", "1234567890123", "末//行", "-"}));
    EXPECT_EQ(progress.totals, (QList<int>{100, 3}));
    EXPECT_EQ(progress.stepped, 3);
}

TEST(WorkbookImport, XlsSampleThroughTheMapping)
{
    const ImportResult r =
        ImportExcelRows(SourceFile("tests/data/batch-sample.xls"), QString::fromUtf8("批量数据"), {2, 6, 1},
                        Maps({"A", "B", "C", "D", "E", "F"}), "¶", NoProgress());
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    ASSERT_EQ(r.records.size(), 5);
    EXPECT_EQ(r.records[0], (QStringList{"张三", "6222021234567890", "2.5", "2024-03-15", "第一行¶第二行",
                                         "2024-03-15 08:30:00"}));
    EXPECT_EQ(r.records[1], (QStringList{"李四", "6222021234567891", "0.1", "2023-12-31", "尾部制表", ""}));
    EXPECT_EQ(r.records[2].value(2), "123456789012345");
    EXPECT_EQ(r.records[3], (QStringList{"", "", "", "", "", ""}));
    EXPECT_EQ(r.records[4].value(0), "赵六");
}

TEST(WorkbookImport, FailuresReadNothing)
{
    QTemporaryDir dir;
    const QString xls = SourceFile("tests/data/batch-sample.xls");
    const QString corrupt = dir.filePath("corrupt.xlsx");
    ASSERT_TRUE(WriteBytes(corrupt, QByteArray("PK\x03\x04", 4) + QByteArray(300, '\x7f')));
    const QString csvNamedXls = dir.filePath("data.xls");
    ASSERT_TRUE(WriteBytes(csvNamedXls, "a,b\r\n"));
    struct Case {
        QString path;
        QString sheet;
        int linesPerRecord;
        QString error;
    };
    const QVector<Case> cases = {
        {xls, "Sheet1", 1, SheetNameError()},
        {corrupt, "Sheet1", 1, WorkbookDamagedError()},
        {csvNamedXls, "Sheet1", 1, WorkbookTypeError()},
        {dir.filePath("missing.xls"), "Sheet1", 1, WorkbookOpenError()},
        {dir.filePath("a.csv"), "Sheet1", 1, WorkbookTypeError()},
        {xls, QString::fromUtf8("批量数据"), 0, "未知错误，错误号： 11　请检查输入值！"},
    };
    for (const auto& c : cases) {
        const ImportResult r = ImportExcelRows(c.path, c.sheet, {2, 3, c.linesPerRecord}, Maps({"A"}), "//", NoProgress());
        EXPECT_EQ(r.error, c.error) << c.path.toStdString();
        EXPECT_TRUE(r.records.isEmpty());
    }
}

// Whoever measures the records while they are made is told of each of them
// once, in order, a run of at most 1,024 at a time, before the import ends.
TEST(BatchImport, RecordsAreToldAsTheyAreMadeInOrder)
{
    QTemporaryDir dir;
    QByteArray rows;
    for (int r = 1; r <= 2500; ++r) rows += "r" + QByteArray::number(r) + "\r\n";
    const QString csv = WriteCsv(dir, "long.csv", rows);
    const QString xls = SourceFile("tests/data/batch-sample.xls");
    const struct {
        std::function<ImportResult(const RecordsMade&)> import;
        QList<int> runs;
    } cases[] = {
        {[&](const RecordsMade& made) { return ImportCsvRows(csv, {1, 2500, 1}, Maps({"A"}), "//", NoProgress(), made); },
         {1024, 1024, 452}},
        {[&](const RecordsMade& made) {
             return ImportExcelRows(xls, QString::fromUtf8("批量数据"), {2, 6, 1}, Maps({"A", "B"}), "//", NoProgress(),
                                    made);
         },
         {5}},
    };
    for (const auto& c : cases) {
        QVector<QStringList> told;
        QList<int> runs;
        const ImportResult r = c.import([&](int from, const QStringList* records, int count) {
            EXPECT_EQ(from, told.size());
            runs << count;
            told.append(QVector<QStringList>(records, records + count));
        });
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
        EXPECT_EQ(runs, c.runs);
        EXPECT_EQ(told, r.records);
    }
}
