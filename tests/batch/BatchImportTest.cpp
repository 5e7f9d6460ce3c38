#include "BatchTestSupport.h"

#include "batch/BatchImport.h"
#include "batch/CsvReader.h"
#include "batch/Workbook.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>

using namespace slip;
using slip::test::Gbk;
using slip::test::WriteBytes;

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

// Remembers what an import reported.
class RecordingProgress : public ProgressReporter {
public:
    void Start(const QString& title, int total) override
    {
        titles << title;
        totals << total;
    }
    void Step(int step, const QString& unit) override
    {
        steps += step;
        units << unit;
    }
    void End() override { ++ends; }
    int starts() const { return int(titles.size()); }
    QStringList titles;
    QList<int> totals;
    int steps = 0;
    QStringList units;
    int ends = 0;
};

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

TEST(ImportRanges, RecordCountRoundsUp)
{
    EXPECT_EQ(RecordCount({1, 7, 3}), 3);
    EXPECT_EQ(RecordCount({1, 6, 3}), 2);
    EXPECT_EQ(RecordCount({2, 100, 1}), 99);
    EXPECT_EQ(RecordCount({5, 5, 4}), 1);
    EXPECT_EQ(RecordCount({1, 30000, 1}), 30000);
    EXPECT_EQ(RecordFirstRow({1, 7, 3}, 3), 7);
}

TEST(ImportRanges, RefusedRangesSayWhy)
{
    EXPECT_EQ(CheckImportRange({1, 30000, 1}), QString());
    EXPECT_EQ(CheckImportRange({1, 30001, 1}), "一次性导入数据不得超过3万条记录，请重新设置！");
    EXPECT_FALSE(CheckImportRange({1, 10, 0}).isEmpty());
    EXPECT_FALSE(CheckImportRange({1, 10, -2}).isEmpty());
    EXPECT_FALSE(CheckImportRange({0, 10, 1}).isEmpty());
    EXPECT_FALSE(CheckImportRange({10, 1, 1}).isEmpty());
    EXPECT_FALSE(CheckImportRange({kMaxRowNumber, kMaxRowNumber + 1, 1}).isEmpty());
    EXPECT_EQ(RecordCount({1, 10, 0}), 0);
    EXPECT_EQ(RecordCount({10, 1, 1}), 0);
}

TEST(ImportRanges, FromTheDialogTexts)
{
    const ImportRange r = ImportRangeFromTexts("2", " 100行", "abc");
    EXPECT_EQ(r.startRow, 2);
    EXPECT_EQ(r.endRow, 100);
    EXPECT_EQ(r.linesPerRecord, 0);
    EXPECT_EQ(ImportRangeFromTexts("2.5", "3.5", "1e2").endRow, 4);
    EXPECT_EQ(ImportRangeFromTexts("1e30", "", "").startRow, std::numeric_limits<int>::max());
}

TEST(ImportFileKinds, ByExtensionWhateverItsCase)
{
    EXPECT_EQ(ImportFileKindOf("/d/Data.CSV"), ImportFileKind::Csv);
    EXPECT_EQ(ImportFileKindOf("/d/a.Xls"), ImportFileKind::Workbook);
    EXPECT_EQ(ImportFileKindOf("/d/a.xlsx"), ImportFileKind::Workbook);
    EXPECT_EQ(ImportFileKindOf("/d/a.txt"), ImportFileKind::Unsupported);
    EXPECT_EQ(ImportFileKindOf("/d/csv"), ImportFileKind::Unsupported);
}

TEST(CsvImport, SeveralLinesPerRecordWithAShortLastRecord)
{
    QTemporaryDir dir;
    const QString path = WriteCsv(dir, "Nine.CSV", NineRows());
    BatchDataSet set;
    RecordingProgress progress;
    const ImportResult r = ImportCsvRows(set, path, {1, 7, 3}, Maps({"A+0", "A+1", "A+2,\"/\",B+2"}), "//", progress);
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(r.records, 3);
    ASSERT_EQ(set.RecordCount(), 3);
    EXPECT_EQ(set.RecordValues(1), (QStringList{"r1", "r2", "r3/x3"}));
    EXPECT_EQ(set.RecordValues(2), (QStringList{"r4", "r5", "r6/x6"}));
    // The short last record reads on below the end row.
    EXPECT_EQ(set.RecordValues(3), (QStringList{"r7", "r8", "r9/x9"}));
    EXPECT_EQ(progress.titles.value(0), "正在读取EXCEL数据……");
    EXPECT_EQ(progress.totals.value(0), 3);
    EXPECT_EQ(progress.steps, 3);
    EXPECT_EQ(progress.units.value(0), "pages");
    EXPECT_EQ(progress.ends, 1);
}

TEST(CsvImport, ColumnsCarryTheBoxesInClassOrder)
{
    QTemporaryDir dir;
    const QString path = WriteCsv(dir, "a.csv", "张三,100,1,690123\r\n");
    BatchDataSet set;
    const ImportResult r =
        ImportCsvRows(set, path, {1, 1, 1}, Maps({"A", "B"}, {"C"}, {"D"}), "//", NoProgress());
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(set.BoxColumnCount(), 4);
    EXPECT_EQ(set.Column(0).recordId, 100);
    EXPECT_EQ(set.Column(1).caption, "文本2");
    EXPECT_EQ(set.Column(2).boxIndex, 1001);
    EXPECT_EQ(set.Column(3).boxIndex, 2001);
    EXPECT_EQ(set.RecordValues(1), (QStringList{"张三", "100", "1", "690123"}));
}

TEST(CsvImport, RangeBeyondTheFileGivesOnlyLiterals)
{
    QTemporaryDir dir;
    const QString path = WriteCsv(dir, "short.csv", "a,b\r\nc,d\r\n");
    BatchDataSet set;
    ASSERT_TRUE(ImportCsvRows(set, path, {1, 4, 1}, Maps({"A", "\"户名：\",B", ""}), "//", NoProgress()).ok());
    ASSERT_EQ(set.RecordCount(), 4);
    EXPECT_EQ(set.RecordValues(2), (QStringList{"c", "户名：d", ""}));
    EXPECT_EQ(set.RecordValues(4), (QStringList{"", "户名：", ""}));
}

TEST(CsvImport, TheFileExamplesOfTheMappingHelp)
{
    QTemporaryDir dir;
    const QByteArray text = Gbk(QString::fromUtf8(
        "户名,账号,地址,备注,城市,电话\r\n"
        "张三,\"6222,0212\",\"北京市\r\n海淀区\",\"说\"\"好\"\"\t\",北京,010\r\n"
        "\"\",,,,\t,\r\n"));
    const QString path = WriteCsv(dir, "help.csv", text);
    BatchDataSet set;
    const ImportResult r = ImportCsvRows(
        set, path, {2, 3, 1},
        Maps({"A", "D,F", QString::fromUtf8("A,\"地址：\",E"), QString::fromUtf8("D,“//”,F"), "B", "C", "",
              ",A,", QString::fromUtf8("A，E")}),
        "//", NoProgress());
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(set.RecordValues(1),
              (QStringList{"张三", "说\"好\"010", "张三地址：北京", "说\"好\"//010", "6222,0212",
                           "北京市//海淀区", "", "张三", "张三北京"}));
    EXPECT_EQ(set.RecordValues(2), (QStringList{"", "", "地址：", "//", "", "", "", "", ""}));
}

TEST(CsvImport, ExportedCellsComeBackWithoutTheirTab)
{
    QTemporaryDir dir;
    const QString path = WriteCsv(dir, "exported.csv", "\"户名\t\",\"金额\t\"\r\n\"张三\t\",\"1,234.00\t\"\r\n");
    BatchDataSet set;
    ASSERT_TRUE(ImportCsvRows(set, path, {2, 2, 1}, Maps({"A", "B", "A,\"-\",B"}), "//", NoProgress()).ok());
    EXPECT_EQ(set.RecordValues(1), (QStringList{"张三", "1,234.00", "张三-1,234.00"}));
}

TEST(CsvImport, Utf8WithByteOrderMark)
{
    QTemporaryDir dir;
    const QString path = WriteCsv(dir, "bom.csv", "\xEF\xBB\xBF" + QString::fromUtf8("户名\r\n张三").toUtf8());
    BatchDataSet set;
    ASSERT_TRUE(ImportCsvRows(set, path, {1, 2, 1}, Maps({"A"}), "//", NoProgress()).ok());
    EXPECT_EQ(set.Value(1, 0), "户名");
    EXPECT_EQ(set.Value(2, 0), "张三");
}

TEST(CsvImport, FailuresKeepThePreviousBatch)
{
    QTemporaryDir dir;
    const QString good = WriteCsv(dir, "good.csv", NineRows());
    BatchDataSet set;
    ASSERT_TRUE(ImportCsvRows(set, good, {1, 2, 1}, Maps({"A"}), "//", NoProgress()).ok());
    const QStringList before{set.Value(1, 0), set.Value(2, 0)};

    const QString binary = WriteCsv(dir, "picture.csv", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0", 18));
    const QString open = WriteCsv(dir, "open.csv", "a\r\nb,\"c\r\nd\r\n");
    const QString text = WriteCsv(dir, "data.txt", "a\r\n");
    struct Case {
        QString path;
        ImportRange range;
        QString map;
        QString error;
    };
    const QVector<Case> cases = {
        {binary, {1, 2, 1}, "A", CsvImportError()},
        {dir.filePath("missing.csv"), {1, 2, 1}, "A", CsvImportError()},
        {open, {1, 2, 1}, "A", CsvImportError() + QString::fromUtf8("第2行开始的记录中引号没有配对。")},
        {text, {1, 2, 1}, "A", CsvImportError()},
        {good, {1, 2, 0}, "A", CheckImportRange({1, 2, 0})},
        {good, {3, 2, 1}, "A", CheckImportRange({3, 2, 1})},
        {good, {1, 30001, 1}, "A", "一次性导入数据不得超过3万条记录，请重新设置！"},
        {good, {1, 2, 1}, "A,AAA", BadMapEntryError("文本1", "AAA")},
    };
    for (const Case& c : cases) {
        RecordingProgress progress;
        const ImportResult r = ImportCsvRows(set, c.path, c.range, Maps({c.map}), "//", progress);
        EXPECT_EQ(r.error, c.error) << c.path.toStdString();
        EXPECT_EQ(r.records, 0);
        EXPECT_EQ(progress.starts(), 0);
        ASSERT_EQ(set.RecordCount(), 2);
        EXPECT_EQ((QStringList{set.Value(1, 0), set.Value(2, 0)}), before);
    }
}

TEST(CsvImport, NoBoxesGiveRecordsWithOnlyTheirNumber)
{
    QTemporaryDir dir;
    const QString path = WriteCsv(dir, "a.csv", "1\r\n2\r\n");
    BatchDataSet set;
    ASSERT_TRUE(ImportCsvRows(set, path, {1, 2, 1}, ImportMaps{}, "//", NoProgress()).ok());
    EXPECT_EQ(set.RecordCount(), 2);
    EXPECT_EQ(set.columnCount(), 1);
    EXPECT_EQ(set.data(set.index(1, 0)).toString(), "2");
}

TEST(WorkbookImport, XlsxWithDatesNumbersAndTextInShortLastRecord)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Batch.XLSX");
    lxw_workbook* wb = workbook_new(QFile::encodeName(path).constData());
    workbook_add_worksheet(wb, "封面");
    lxw_worksheet* ws = workbook_add_worksheet(wb, "明细");
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format_index(date, 14);
    lxw_format* text = workbook_add_format(wb);
    format_set_num_format(text, "@");
    worksheet_write_string(ws, 0, 0, "户名", NULL);
    const char* names[] = {"张三", "李四", "王五"};
    for (int k = 0; k < 3; ++k) {
        const int row = 1 + k * 2;  // two rows per record
        worksheet_write_string(ws, row, 0, names[k], NULL);
        lxw_datetime d = {2024, 1, 10 + k, 0, 0, 0};
        worksheet_write_datetime(ws, row, 1, &d, date);
        worksheet_write_string(ws, row + 1, 0, ("622202123456789" + std::to_string(k)).c_str(), text);
        worksheet_write_number(ws, row + 1, 1, k == 0 ? 0.1 : 1234567890123.0, NULL);
    }
    worksheet_write_string(ws, 7, 0, "末\n行", NULL);
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);

    BatchDataSet set;
    RecordingProgress progress;
    // Rows 2..6 with 2 lines per record: 3 records, the last reads row 7 too.
    const ImportResult r = ImportExcelRows(set, path, QString::fromUtf8("明细"), {2, 6, 2},
                                           Maps({"A", "B", "A+1", "B+1", "A+2"}), "//", progress);
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    ASSERT_EQ(set.RecordCount(), 3);
    EXPECT_EQ(set.RecordValues(1), (QStringList{"张三", "2024-01-10", "6222021234567890", "0.1", "李四"}));
    EXPECT_EQ(set.RecordValues(2), (QStringList{"李四", "2024-01-11", "6222021234567891", "1234567890123", "王五"}));
    EXPECT_EQ(set.RecordValues(3), (QStringList{"王五", "2024-01-12", "6222021234567892", "1234567890123", "末//行"}));
    EXPECT_EQ(progress.totals, (QList<int>{100, 3}));
    EXPECT_EQ(progress.steps, 3);
}

TEST(WorkbookImport, XlsSampleThroughTheMapping)
{
    BatchDataSet set;
    const ImportResult r =
        ImportExcelRows(set, SourceFile("tests/data/batch-sample.xls"), QString::fromUtf8("批量数据"), {2, 6, 1},
                        Maps({"A", "B", "C", "D", "E", "F"}), "¶", NoProgress());
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    ASSERT_EQ(set.RecordCount(), 5);
    EXPECT_EQ(set.RecordValues(1), (QStringList{"张三", "6222021234567890", "2.5", "2024-03-15", "第一行¶第二行",
                                                "2024-03-15 08:30:00"}));
    EXPECT_EQ(set.RecordValues(2), (QStringList{"李四", "6222021234567891", "0.1", "2023-12-31", "尾部制表", ""}));
    EXPECT_EQ(set.Value(3, 2), "123456789012345");
    EXPECT_EQ(set.RecordValues(4), (QStringList{"", "", "", "", "", ""}));
    EXPECT_EQ(set.Value(5, 0), "赵六");
}

TEST(WorkbookImport, FailuresKeepThePreviousBatch)
{
    QTemporaryDir dir;
    const QString xls = SourceFile("tests/data/batch-sample.xls");
    BatchDataSet set;
    ASSERT_TRUE(ImportExcelRows(set, xls, QString::fromUtf8("批量数据"), {2, 3, 1}, Maps({"A"}), "//", NoProgress()).ok());

    const QString corrupt = dir.filePath("corrupt.xlsx");
    ASSERT_TRUE(WriteBytes(corrupt, QByteArray("PK\x03\x04", 4) + QByteArray(300, '\x7f')));
    const QString csvNamedXls = dir.filePath("data.xls");
    ASSERT_TRUE(WriteBytes(csvNamedXls, "a,b\r\n"));
    struct Case {
        QString path;
        QString sheet;
        QString map;
        QString error;
    };
    const QVector<Case> cases = {
        {xls, "Sheet1", "A", SheetNameError()},
        {corrupt, "Sheet1", "A", WorkbookDamagedError()},
        {csvNamedXls, "Sheet1", "A", WorkbookTypeError()},
        {dir.filePath("missing.xls"), "Sheet1", "A", WorkbookOpenError()},
        {dir.filePath("a.csv"), "Sheet1", "A", WorkbookTypeError()},
        {xls, QString::fromUtf8("批量数据"), "A1", BadMapEntryError("文本1", "A1")},
    };
    for (const Case& c : cases) {
        const ImportResult r = ImportExcelRows(set, c.path, c.sheet, {2, 3, 1}, Maps({c.map}), "//", NoProgress());
        EXPECT_EQ(r.error, c.error) << c.path.toStdString();
        ASSERT_EQ(set.RecordCount(), 2);
        EXPECT_EQ(set.Value(1, 0), "张三");
    }
}
