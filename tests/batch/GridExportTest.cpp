#include "GridExportTestSupport.h"
#include "FileSizeLimit.h"
#include "RecordingProgress.h"
#include "TestHome.h"

#include "batch/CsvReader.h"
#include "batch/GridExport.h"
#include "batch/GridExportWorkbookCheck.h"
#include "batch/Workbook.h"

using namespace slip;
using namespace slip::test;

namespace {

// The files in a folder, to show no temporary file is left behind.
QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

const QStringList kCaptions{"序号", "户名", "金额", "备注"};
const QVector<QStringList> kRows{
    {"1", "张三", "1,000.00", "说\"你好\""},
    {"2", "", "2.50", "第一行\r\n第二行"},
    {"3", "李四", "", "只有换行\n在这里"},
    {"4", "王五", "0", "回车\r在这里"},
};

} // namespace

using CsvExportHome = test::WithHome;
using XlsxExportHome = test::WithHome;

TEST_F(CsvExportHome, FollowsTheLineAndQuotingRulesByteForByte)
{
    const QStringList captions{"名称", "金额"};
    // A control character as a workbook's _x0001_ brings one into a slip.
    const QVector<QStringList> rows{{"a,b", "say \"hi\""}, {"", "中"}, {"x\ny", "p\r\nq"}, {"r\rs", "t"}, {"k\x01m", "\x1A"}};
    TextTableModel model(captions, rows);
    const QString path = home.file("rules.csv");
    ASSERT_TRUE(ExportGridToCsv(model, path).ok);
    const QByteArray bytes = FileBytes(path);
    // 名称 and 金额 in GBK, two bytes a character.
    EXPECT_TRUE(bytes.startsWith(QByteArray::fromHex("c3fbb3c6") + "\t," + QByteArray::fromHex("bdf0b6ee") + "\t\r\n"));
    QStringDecoder gbk("GBK");
    const QString text = gbk.decode(bytes);
    EXPECT_EQ(text, "名称\t,金额\t\r\n"
                    "\"a,b\t\",\"say \"\"hi\"\"\t\"\r\n"
                    "\t,中\t\r\n"
                    "\"x\ny\t\",\"p\r\nq\t\"\r\n"
                    "\"r\rs\t\",t\t\r\n"
                    "\"k\x01m\t\",\"\x1A\t\"\r\n");
    // What the export writes, the import reads back the same.
    const CsvFileTable back = ReadCsvRecords(path);
    ASSERT_TRUE(back.ok()) << back.error.toStdString();
    ASSERT_EQ(back.table.RecordCount(), rows.size() + 1);
    for (int r = 0; r <= rows.size(); ++r) EXPECT_EQ(back.table.Record(r + 1), Tabbed(r ? rows[r - 1] : captions)) << r;
}

TEST_F(CsvExportHome, TextsGbkLacksMakeTheFileGb18030)
{
    TextTableModel model({"名称"}, {{"中文"}, {"笑😀"}, {"𠮷野家"}});
    const QString path = home.file("wide.csv");
    ASSERT_TRUE(ExportGridToCsv(model, path).ok);
    const QVector<QStringList> back = ReadCsv(path, "gb18030");
    ASSERT_EQ(back.size(), 4);
    EXPECT_EQ(back[2], QStringList{"笑😀\t"});
    EXPECT_EQ(back[3], QStringList{"𠮷野家\t"});
    EXPECT_EQ(Entries(home.path()).filter("wide").size(), 1);
}

TEST_F(CsvExportHome, HiddenRowsAndColumnsLeaveNoGap)
{
    TextTableModel model({"A", "B", "C", "D", "E"},
                         {{"a1", "b1", "c1", "d1", "e1"}, {"a2", "b2", "c2", "d2", "e2"}, {"a3", "b3", "c3", "d3", "e3"}});
    GridExportLayout layout;
    layout.hiddenColumns = {1, 3};
    layout.hiddenRows = {1};
    const QString path = home.file("hidden.csv");
    const GridExportResult r = ExportGridToCsv(model, path, layout);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.rows, 3);
    EXPECT_EQ(r.columns, 3);
    EXPECT_EQ(ReadCsv(path), (QVector<QStringList>{Tabbed({"A", "C", "E"}), Tabbed({"a1", "c1", "e1"}),
                                                   Tabbed({"a3", "c3", "e3"})}));
}

TEST_F(CsvExportHome, AModelWithoutColumnsIsNotWritten)
{
    TextTableModel model({}, {});
    const QString path = home.file("none.csv");
    const GridExportResult r = ExportGridToCsv(model, path);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "表格中没有数据！");
    EXPECT_FALSE(QFile::exists(path));

    // Captions alone are exported.
    TextTableModel captionsOnly({"户名"}, {});
    ASSERT_TRUE(ExportGridToCsv(captionsOnly, path).ok);
    EXPECT_EQ(ReadCsv(path), (QVector<QStringList>{{"户名\t"}}));
}

TEST_F(XlsxExportHome, ReadsBackWithCaptionFormattingBordersAndWidths)
{
    TextTableModel model(kCaptions, kRows);
    GridExportLayout layout;
    layout.columnTwips.insert(1, 1230);
    const QString path = home.file("历史.xlsx");
    test::RecordingProgress progress;
    const GridExportResult r = ExportGridToExcel(model, path, "Sorvelin进账单打印历史数据", layout, progress);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(progress.titles, QStringList{"正在将数据导出到EXCEL文件 …"});
    EXPECT_EQ(progress.stepped, 5);

    const QJsonObject book = ReadXlsx(path);
    EXPECT_EQ(book["title"].toString(), "Sorvelin进账单打印历史数据");
    EXPECT_EQ(book["sheets"].toInt(), 1);
    const QJsonArray rows = book["rows"].toArray();
    ASSERT_EQ(rows.size(), 5);
    // Captions bold on orange; thin lines on every written cell, empty ones too.
    for (int r = 0; r <= kRows.size(); ++r) {
        for (int c = 0; c < 4; ++c) {
            const QJsonObject cell = XlsxCell(book, r, c);
            const QString& text = r == 0 ? kCaptions[c] : kRows[r - 1][c];
            if (text.isEmpty()) EXPECT_TRUE(cell["v"].isNull()) << r << "," << c;
            else EXPECT_EQ(cell["v"].toString(), text + "\t") << r << "," << c;
            EXPECT_EQ(cell["bold"].toBool(), r == 0);
            EXPECT_EQ(cell["fill"].toString(), r == 0 ? "FFFFC080" : "") << r << "," << c;
            EXPECT_EQ(cell["left"].toString() + cell["bottom"].toString(), "thinthin") << r << "," << c;
        }
    }
    // 1,230 twips give a column 10 characters wide; the others fit their texts.
    const QJsonObject widths = book["widths"].toObject();
    EXPECT_EQ(int(widths["B"].toDouble()), 10);
    // 说"你好" is 8 wide (Chinese characters count two), plus a margin of 2.
    EXPECT_EQ(int(widths["D"].toDouble()), 10);
    EXPECT_EQ(int(widths["A"].toDouble()), 6);
}

using XlsExportHome = test::WithHome;

TEST_F(XlsExportHome, ReadsBackCellByCellInTheProgramsReaderAndAnother)
{
    QVector<QStringList> rows = kRows;
    rows << QStringList{"5", "長い名前𠮷", "", ""};
    TextTableModel model(kCaptions, rows);
    GridExportLayout layout;
    layout.columnTwips.insert(1, 1230);
    const QString path = home.file("历史.xls");
    ASSERT_TRUE(WriteBytes(path, "old contents"));
    test::RecordingProgress progress;
    const GridExportResult r = ExportGridToFile(model, path, "Sorvelin进账单打印历史数据", layout, progress);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(progress.titles, QStringList{"正在将数据导出到EXCEL文件 …"});
    EXPECT_EQ(Entries(home.path()).filter("历史"), QStringList{"历史.xls"});

    // The program's own reader: every text with its Tab, empty cells empty.
    const SheetNames names = ListWorksheets(path);
    ASSERT_EQ(names.names, QStringList{"Sorvelin进账单打印历史数据"}) << names.error.toStdString();
    const SheetRead own = ReadWorksheet(path, names.names[0]);
    ASSERT_TRUE(own.ok()) << own.error.toStdString();
    // A second reader of its own kind: xlrd, with the looks.
    const QJsonObject book = ReadXls(path);
    EXPECT_EQ(book["title"].toString(), "Sorvelin进账单打印历史数据");
    EXPECT_EQ(book["sheets"].toInt(), 1);
    ASSERT_EQ(book["rows"].toArray().size(), rows.size() + 1);
    for (int r = 0; r <= rows.size(); ++r) {
        for (int c = 0; c < kCaptions.size(); ++c) {
            const QString& text = r == 0 ? kCaptions[c] : rows[r - 1][c];
            const QString want = text.isEmpty() ? QString() : text + "\t";
            EXPECT_EQ(own.cells.Cell(r + 1, c + 1), want) << r << "," << c;
            const QJsonObject cell = XlsxCell(book, r, c);
            EXPECT_EQ(cell["v"].toString(), want) << r << "," << c;
            EXPECT_EQ(cell["bold"].toBool(), r == 0) << r << "," << c;
            EXPECT_EQ(cell["fill"].toString(), r == 0 ? "FFC080" : "") << r << "," << c;
            EXPECT_EQ(cell["left"].toInt() * 10 + cell["bottom"].toInt(), 11) << r << "," << c << ": thin";
            EXPECT_EQ(cell["wrap"].toBool(), text.contains('\n') || text.contains('\r')) << r << "," << c;
        }
    }
    // 1,230 twips give 10 characters; the others fit their texts as in .xlsx.
    const QJsonArray widths = book["widths"].toArray();
    EXPECT_EQ(widths[0].toInt(), 6);
    EXPECT_EQ(widths[1].toInt(), 10);
    EXPECT_EQ(widths[3].toInt(), 10);
}

TEST_F(XlsExportHome, WhatTheFormatCantHoldIsRefusedAndTheOldFileKept)
{
    const QString path = home.file("大.xls");
    ASSERT_TRUE(WriteBytes(path, "old contents"));
    const struct {
        QStringList captions;
        QVector<QStringList> rows;
    } grids[] = {
        {QStringList(257, "列"), {}},                              // one column too many
        {{"A"}, QVector<QStringList>(65536, QStringList{"1"})},    // with its caption row, one row too many
        {{"A"}, {{QString(32767, QChar(u'字'))}}},                 // a cell with its Tab too long
    };
    for (const auto& g : grids) {
        const GridExportResult r = ExportGridToFile(TextTableModel(g.captions, g.rows), path, "表");
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.error.contains(".xlsx或.csv")) << r.error.toStdString();
        EXPECT_EQ(FileBytes(path), "old contents");
    }
    // At the edge it still fits.
    ASSERT_TRUE(ExportGridToFile(TextTableModel(QStringList(256, "列"), {}), path, "表").ok);
    EXPECT_EQ(ReadXls(path)["rows"].toArray()[0].toArray().size(), 256);
}

TEST(XlsxExport, SheetNamesAreMadeAcceptable)
{
    EXPECT_EQ(SafeSheetName("Sorvelin进账单打印历史数据"), "Sorvelin进账单打印历史数据");
    EXPECT_EQ(SafeSheetName("a/b:c?d*[e]\\"), "a_b_c_d__e__");
    EXPECT_EQ(SafeSheetName(""), "Sheet1");
    EXPECT_EQ(SafeSheetName("'引号'"), "_引号_");
    EXPECT_EQ(SafeSheetName(QString(40, QChar(u'长'))).size(), 31);
}

TEST(GridExportFile, ThePathEndingChoosesTheFormatAndTheNameIsWrittenAsGiven)
{
    // The last three letters decide CSV, a dot or not; ".xlsx" the newer
    // workbook; anything else, no ending too, an Excel 97-2003 workbook.
    test::TestHome home;
    TextTableModel model({"A"}, {{"1"}});
    const struct {
        const char* name;
        QByteArray start;
    } files[] = {{"u.CSV", "A\t\r\n1\t\r\n"}, {"ucsv", "A\t\r\n1\t\r\n"}, {"u.xlsx", "PK"},
                 {"u.txt", QByteArray::fromHex("d0cf11e0a1b11ae1")}, {"u.xls", QByteArray::fromHex("d0cf11e0a1b11ae1")},
                 {"u", QByteArray::fromHex("d0cf11e0a1b11ae1")}};
    for (const auto& f : files) {
        const GridExportResult r = ExportGridToFile(model, home.file(f.name), "表");
        ASSERT_TRUE(r.ok) << f.name << ": " << r.error.toStdString();
        EXPECT_TRUE(FileBytes(home.file(f.name)).startsWith(f.start)) << f.name;
    }
}

class AtomicExportTest : public ::testing::TestWithParam<const char*> {
protected:
    GridExportResult Export(const QAbstractItemModel& model, const QString& path, const GridExportLayout& layout = {})
    {
        return ExportGridToFile(model, path, "表", layout);
    }
    test::TestHome home_;
};

TEST_P(AtomicExportTest, AFullDiskMidWriteKeepsTheOldFileAndASuccessReplacesIt)
{
    const QString folder = home_.file("exports");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString name = GetParam();
    const QString path = folder + "/" + name;
    ASSERT_TRUE(WriteBytes(path, "old contents"));
    QVector<QStringList> rows;
    for (int i = 0; i < 20000; ++i) rows << QStringList{QString("第%1行的一段较长的文字，让文件超过上限").arg(i), QString::number(i * 7919)};
    GridExportResult r;
    {
        test::FileSizeLimit fullDisk(64 * 1024);
        r = Export(TextTableModel({"文字", "数"}, rows), path);
    }
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "文件保存出错！");
    EXPECT_EQ(FileBytes(path), "old contents");
    EXPECT_EQ(Entries(folder), QStringList{name});
    ASSERT_TRUE(Export(TextTableModel({"A"}, {{"新"}}), path).ok);
    EXPECT_NE(FileBytes(path), "old contents");
    EXPECT_EQ(Entries(folder), QStringList{name});
}

TEST_P(AtomicExportTest, WhatCantBeReplacedOrWrittenIsToldAndStays)
{
    // A folder at the path stands for a file the system won't let go; in a
    // folder that isn't there nothing stands to be replaced. A row the model
    // could not read is written neither over an old file nor as a new one.
    const QString folder = home_.file(GetParam());
    ASSERT_TRUE(QDir().mkpath(folder + "/keep"));
    const QString old = home_.file(QString("old-") + GetParam()), none = home_.file(QString("new-") + GetParam());
    ASSERT_TRUE(WriteBytes(old, "old contents"));
    GridExportLayout unread;
    unread.unreadRow = [](int row) { return row == 1 ? QString("数据库打开错误(第二行)！") : QString(); };
    const struct { QString path; GridExportLayout layout; const char* error; } cases[] = {
        {folder, {}, "该文件无法覆盖，请确认该文件没被其他软件打开！"},
        {home_.file("无此文件夹/") + GetParam(), {}, "文件保存出错！"},
        {old, unread, "数据库打开错误(第二行)！"},
        {none, unread, "数据库打开错误(第二行)！"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Export(TextTableModel({"A"}, {{"1"}, {""}, {"3"}}), c.path, c.layout).error, c.error)
            << c.path.toStdString();
    EXPECT_TRUE(QFileInfo(folder + "/keep").isDir());
    EXPECT_EQ(FileBytes(old), "old contents");
    EXPECT_FALSE(QFileInfo::exists(none));
}

INSTANTIATE_TEST_SUITE_P(CsvAndWorkbooks, AtomicExportTest, ::testing::Values("out.csv", "out.xlsx", "out.xls"),
                         [](const auto& info) {
                             return std::string(info.param).substr(4) == "csv"    ? "Csv"
                                    : std::string(info.param).substr(4) == "xlsx" ? "Workbook"
                                                                                 : "OldWorkbook";
                         });

TEST_F(XlsxExportHome, TheCompletenessCheckTellsAWholeWorkbookFromADamagedOne)
{
    QVector<QStringList> rows;
    for (int i = 0; i < 500; ++i) rows << QStringList{QString::number(i), QString("户名%1").arg(i)};
    TextTableModel model({"n", "户名"}, rows);
    const QString path = home.file("whole.xlsx");
    ASSERT_TRUE(ExportGridToExcel(model, path, "表").ok);
    QString why;
    EXPECT_TRUE(WorkbookFileIsComplete(path, 501, &why)) << why.toStdString();
    EXPECT_FALSE(WorkbookFileIsComplete(path, 500, &why));
    EXPECT_TRUE(why.contains("rows")) << why.toStdString();

    // A changed byte inside the compressed data fails the checksum.
    QByteArray bytes = FileBytes(path);
    const QString damaged = home.file("damaged.xlsx");
    bytes[bytes.size() / 3] = char(bytes[bytes.size() / 3] ^ 0x5A);
    ASSERT_TRUE(WriteBytes(damaged, bytes));
    EXPECT_FALSE(WorkbookFileIsComplete(damaged, 501, &why));
    // A file cut short has no directory.
    const QString cut = home.file("cut.xlsx");
    ASSERT_TRUE(WriteBytes(cut, FileBytes(path).left(bytes.size() / 2)));
    EXPECT_FALSE(WorkbookFileIsComplete(cut, 501, &why));
    EXPECT_FALSE(WorkbookFileIsComplete(home.file("missing.xlsx"), 501, &why));
}
