#include "GridExportTestSupport.h"
#include "TestHome.h"

#include "batch/GridExport.h"
#include "batch/GridExportWorkbookCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QStringDecoder>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace slip;
using slip::test::FileBytes;
using slip::test::WriteBytes;
using slip::test::ReadCsv;
using slip::test::Tabbed;
using slip::test::TextTableModel;
using slip::test::ReadXlsx;
using slip::test::XlsxCell;

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

// Records what an export reports.
struct CountingProgress : ProgressReporter {
    void Start(const QString& t, int total) override { title = t, this->total = total, steps = 0; }
    void Step(int step, const QString&) override { steps += step; }
    void End() override { ended = true; }
    QString title;
    int total = -1;
    int steps = 0;
    bool ended = false;
};

} // namespace

// ---- CSV -------------------------------------------------------------------

TEST(CsvExport, ReadsBackWithTheSameRowsAndCells)
{
    test::TestHome home;
    TextTableModel model(kCaptions, kRows);
    const QString path = home.file("历史.csv");
    const GridExportResult r = ExportGridToCsv(model, path);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.rows, 5);
    EXPECT_EQ(r.columns, 4);

    const QVector<QStringList> back = ReadCsv(path);
    ASSERT_EQ(back.size(), 5);
    EXPECT_EQ(back[0], Tabbed(kCaptions));
    for (int i = 0; i < kRows.size(); ++i) EXPECT_EQ(back[i + 1], Tabbed(kRows[i])) << i;
}

TEST(CsvExport, FollowsTheLineAndQuotingRulesByteForByte)
{
    test::TestHome home;
    TextTableModel model({"名称", "金额"}, {{"a,b", "say \"hi\""}, {"", "中"}, {"x\ny", "p\r\nq"}});
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
                    "\"x\ny\t\",\"p\r\nq\t\"\r\n");
}

TEST(CsvExport, FieldsAreQuotedWhenTheyHoldACommaAQuoteOrALineBreak)
{
    EXPECT_EQ(CsvField("plain"), "plain\t");
    EXPECT_EQ(CsvField(""), "\t");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\t\"");
    EXPECT_EQ(CsvField("\"word\""), "\"\"\"word\"\"\t\"");
    EXPECT_EQ(CsvField("p\r\nq"), "\"p\r\nq\t\"");
    EXPECT_EQ(CsvField("only\nLF"), "\"only\nLF\t\"");
    EXPECT_EQ(CsvField("only\rCR"), "\"only\rCR\t\"");
}

TEST(CsvExport, TextsGbkLacksMakeTheFileGb18030)
{
    test::TestHome home;
    TextTableModel model({"名称"}, {{"中文"}, {"笑😀"}, {"𠮷野家"}});
    const QString path = home.file("wide.csv");
    ASSERT_TRUE(ExportGridToCsv(model, path).ok);
    const QVector<QStringList> back = ReadCsv(path, "gb18030");
    ASSERT_EQ(back.size(), 4);
    EXPECT_EQ(back[2], QStringList{"笑😀\t"});
    EXPECT_EQ(back[3], QStringList{"𠮷野家\t"});
    EXPECT_EQ(Entries(home.path()).filter("wide").size(), 1);
}

TEST(CsvExport, HiddenRowsAndColumnsLeaveNoGap)
{
    test::TestHome home;
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

TEST(CsvExport, MoreRowsThanA16BitCounterHoldsAreAllWritten)
{
    test::TestHome home;
    QVector<QStringList> rows;
    for (int i = 0; i < 40000; ++i) rows << QStringList{QString::number(i), "值"};
    TextTableModel model({"n", "v"}, rows);
    const QString path = home.file("big.csv");
    CountingProgress progress;
    const GridExportResult r = ExportGridToCsv(model, path, {}, progress);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.rows, 40001);
    const QVector<QStringList> back = ReadCsv(path);
    ASSERT_EQ(back.size(), 40001);
    EXPECT_EQ(back.last(), Tabbed({"39999", "值"}));
    EXPECT_EQ(progress.title, "正在导出数据至CSV格式文件……");
    EXPECT_EQ(progress.total, 40001);
    EXPECT_EQ(progress.steps, 40001);
    EXPECT_TRUE(progress.ended);
}

TEST(CsvExport, AModelWithoutColumnsIsNotWritten)
{
    test::TestHome home;
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

// ---- workbook --------------------------------------------------------------

TEST(XlsxExport, ReadsBackWithCaptionFormattingBordersAndWidths)
{
    test::TestHome home;
    TextTableModel model(kCaptions, kRows);
    GridExportLayout layout;
    layout.columnTwips.insert(1, 1230);
    const QString path = home.file("历史.xlsx");
    CountingProgress progress;
    const GridExportResult r = ExportGridToExcel(model, path, "Sorvelin进账单打印历史数据", layout, progress);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(progress.title, "正在将数据导出到EXCEL文件 …");
    EXPECT_EQ(progress.steps, 5);

    const QJsonObject book = ReadXlsx(path);
    EXPECT_EQ(book["title"].toString(), "Sorvelin进账单打印历史数据");
    EXPECT_EQ(book["sheets"].toInt(), 1);
    const QJsonArray rows = book["rows"].toArray();
    ASSERT_EQ(rows.size(), 5);
    for (int c = 0; c < 4; ++c) {
        const QJsonObject caption = XlsxCell(book, 0, c);
        EXPECT_EQ(caption["v"].toString(), kCaptions[c] + "\t");
        EXPECT_TRUE(caption["bold"].toBool());
        EXPECT_EQ(caption["fill"].toString(), "FFFFC080");
    }
    for (int r = 0; r < kRows.size(); ++r) {
        for (int c = 0; c < 4; ++c) {
            const QJsonObject cell = XlsxCell(book, r + 1, c);
            const QString& text = kRows[r][c];
            if (text.isEmpty()) EXPECT_TRUE(cell["v"].isNull()) << r << "," << c;
            else EXPECT_EQ(cell["v"].toString(), text + "\t") << r << "," << c;
            EXPECT_FALSE(cell["bold"].toBool());
            EXPECT_TRUE(cell["fill"].isNull());
            // Thin lines on every written cell, empty ones too.
            EXPECT_EQ(cell["left"].toString(), "thin") << r << "," << c;
            EXPECT_EQ(cell["bottom"].toString(), "thin") << r << "," << c;
        }
    }
    // 1,230 twips give a column 10 characters wide; the others fit their texts.
    const QJsonObject widths = book["widths"].toObject();
    EXPECT_EQ(int(widths["B"].toDouble()), 10);
    // 说"你好" is 8 wide (Chinese characters count two), plus a margin of 2.
    EXPECT_EQ(int(widths["D"].toDouble()), 10);
    EXPECT_EQ(int(widths["A"].toDouble()), 6);
}

TEST(XlsxExport, HiddenRowsAndColumnsLeaveNoGap)
{
    test::TestHome home;
    TextTableModel model({"A", "B", "C", "D", "E"}, {{"a1", "b1", "c1", "d1", "e1"}, {"a2", "b2", "c2", "d2", "e2"}});
    GridExportLayout layout;
    layout.hiddenColumns = {0, 2};
    layout.hiddenRows = {0};
    const QString path = home.file("hidden.xlsx");
    ASSERT_TRUE(ExportGridToExcel(model, path, "表", layout).ok);
    const QJsonObject book = ReadXlsx(path);
    const QJsonArray rows = book["rows"].toArray();
    ASSERT_EQ(rows.size(), 2);
    ASSERT_EQ(rows[0].toArray().size(), 3);
    EXPECT_EQ(XlsxCell(book, 0, 0)["v"].toString(), "B\t");
    EXPECT_EQ(XlsxCell(book, 1, 2)["v"].toString(), "e2\t");
}

TEST(XlsxExport, ControlCharactersAndEscapeLookalikesReadBackAsWritten)
{
    test::TestHome home;
    TextTableModel model({"值"}, {{"a\x01" "b"}, {"_x0041_"}, {"x<y&z"}});
    const QString path = home.file("odd.xlsx");
    ASSERT_TRUE(ExportGridToExcel(model, path, "表").ok);
    const QJsonObject book = ReadXlsx(path);
    EXPECT_EQ(XlsxCell(book, 1, 0)["v"].toString(), "a\x01" "b\t");
    EXPECT_EQ(XlsxCell(book, 2, 0)["v"].toString(), "_x0041_\t");
    EXPECT_EQ(XlsxCell(book, 3, 0)["v"].toString(), "x<y&z\t");
}

TEST(XlsxExport, SheetNamesAreMadeAcceptable)
{
    EXPECT_EQ(SafeSheetName("Sorvelin进账单打印历史数据"), "Sorvelin进账单打印历史数据");
    EXPECT_EQ(SafeSheetName("a/b:c?d*[e]\\"), "a_b_c_d__e__");
    EXPECT_EQ(SafeSheetName(""), "Sheet1");
    EXPECT_EQ(SafeSheetName("'引号'"), "_引号_");
    EXPECT_EQ(SafeSheetName(QString(40, QChar(u'长'))).size(), 31);

    test::TestHome home;
    TextTableModel model({"A"}, {{"1"}});
    const QString path = home.file("name.xlsx");
    ASSERT_TRUE(ExportGridToExcel(model, path, "2024/01:历史?").ok);
    EXPECT_EQ(ReadXlsx(path)["title"].toString(), "2024_01_历史_");
}

TEST(XlsxExport, MoreRowsThanA16BitCounterHoldsAreAllWritten)
{
    test::TestHome home;
    QVector<QStringList> rows;
    for (int i = 0; i < 40000; ++i) rows << QStringList{QString::number(i)};
    TextTableModel model({"n"}, rows);
    const QString path = home.file("big.xlsx");
    ASSERT_TRUE(ExportGridToExcel(model, path, "表").ok);
    QString error;
    const QJsonDocument doc = test::RunPythonJson(
        "import json,sys,openpyxl\n"
        "ws=openpyxl.load_workbook(sys.argv[1],read_only=True).worksheets[0]\n"
        "rows=list(ws.values)\n"
        "print(json.dumps([len(rows), rows[-1][0]]))\n",
        {path}, &error);
    ASSERT_TRUE(doc.isArray()) << error.toStdString();
    EXPECT_EQ(doc.array()[0].toInt(), 40001);
    EXPECT_EQ(doc.array()[1].toString(), "39999\t");
}

// ---- choosing the format by the path ---------------------------------------

TEST(GridExportFile, ThePathEndingChoosesCsvOrWorkbook)
{
    EXPECT_TRUE(ExportsAsCsv("a.csv"));
    EXPECT_TRUE(ExportsAsCsv("A.CSV"));
    EXPECT_TRUE(ExportsAsCsv("namecsv"));
    EXPECT_FALSE(ExportsAsCsv("a.xlsx"));
    EXPECT_FALSE(ExportsAsCsv("a.txt"));
    EXPECT_FALSE(ExportsAsCsv(""));

    test::TestHome home;
    TextTableModel model({"A"}, {{"1"}});
    ASSERT_TRUE(ExportGridToFile(model, home.file("u.CSV"), "表").ok);
    EXPECT_EQ(FileBytes(home.file("u.CSV")), "A\t\r\n1\t\r\n");
    ASSERT_TRUE(ExportGridToFile(model, home.file("u.txt"), "表").ok);
    EXPECT_TRUE(FileBytes(home.file("u.txt")).startsWith("PK"));  // a zip: the workbook
}

// ---- the old file survives a failed export --------------------------------

class AtomicExportTest : public ::testing::TestWithParam<bool> {
protected:
    bool Csv() const { return GetParam(); }
    QString Name() const { return Csv() ? "out.csv" : "out.xlsx"; }
    GridExportResult Export(const QAbstractItemModel& model, const QString& path)
    {
        return Csv() ? ExportGridToCsv(model, path) : ExportGridToExcel(model, path, "表");
    }
    test::TestHome home_;
    TextTableModel small_{{"A"}, {{"新"}}};
};

TEST_P(AtomicExportTest, ASuccessfulExportReplacesTheOldFile)
{
    const QString folder = home_.file("exports");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + "/" + Name();
    ASSERT_TRUE(WriteBytes(path, "old contents"));
    ASSERT_TRUE(Export(small_, path).ok);
    EXPECT_NE(FileBytes(path), "old contents");
    EXPECT_EQ(Entries(folder), QStringList{Name()});
}

TEST_P(AtomicExportTest, ATargetThatIsAFolderFailsAndStaysAFolder)
{
    const QString folder = home_.file("exports");
    const QString path = folder + "/" + Name();
    ASSERT_TRUE(QDir().mkpath(path + "/inside"));
    const GridExportResult r = Export(small_, path);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "文件保存出错！");
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_TRUE(QFileInfo(path + "/inside").isDir());
    EXPECT_EQ(Entries(folder), QStringList{Name()});
}

TEST_P(AtomicExportTest, AFullDiskMidWriteKeepsTheOldFile)
{
    const QString folder = home_.file("exports");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + "/" + Name();
    ASSERT_TRUE(WriteBytes(path, "old contents"));
    QVector<QStringList> rows;
    for (int i = 0; i < 20000; ++i) rows << QStringList{QString("第%1行的一段较长的文字，让文件超过上限").arg(i), QString::number(i * 7919)};
    TextTableModel big({"文字", "数"}, rows);

    // Files may grow to 64 KiB only, as on a disk that fills up.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const GridExportResult r = Export(big, path);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "文件保存出错！");
    EXPECT_EQ(FileBytes(path), "old contents");
    EXPECT_EQ(Entries(folder), QStringList{Name()});
}

TEST_P(AtomicExportTest, AReadOnlyFolderKeepsTheOldFile)
{
    const QString folder = home_.file("exports");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + "/" + Name();
    ASSERT_TRUE(WriteBytes(path, "old contents"));

    // Permissions hold back an ordinary user; root passes them, so there the
    // folder is made immutable instead.
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    bool immutable = false;
    if (QFile probe(folder + "/probe"); probe.open(QIODevice::WriteOnly)) {
        probe.close();
        probe.remove();
        immutable = QProcess::execute("chattr", {"+i", folder}) == 0;
    }
    struct Restore {
        QString folder;
        bool immutable;
        ~Restore()
        {
            if (immutable) QProcess::execute("chattr", {"-i", folder});
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    } restore{folder, immutable};
    if (QFile probe(folder + "/probe"); probe.open(QIODevice::WriteOnly)) {
        probe.close();
        probe.remove();
        GTEST_SKIP() << "this machine lets the test write into any folder";
    }

    const GridExportResult r = Export(small_, path);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "文件保存出错！");
    EXPECT_EQ(FileBytes(path), "old contents");
    EXPECT_EQ(Entries(folder), QStringList{Name()});
}

INSTANTIATE_TEST_SUITE_P(CsvAndWorkbook, AtomicExportTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Csv" : "Workbook"; });

TEST(XlsxExport, ACellTooLongForAWorkbookFailsAndKeepsTheOldFile)
{
    test::TestHome home;
    const QString path = home.file("long.xlsx");
    ASSERT_TRUE(WriteBytes(path, "old contents"));
    TextTableModel model({"A"}, {{"短"}, {QString(40000, QChar('x'))}});
    const GridExportResult r = ExportGridToExcel(model, path, "表");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "文件保存出错！");
    EXPECT_EQ(FileBytes(path), "old contents");
}

TEST(XlsxExport, TheCompletenessCheckTellsAWholeWorkbookFromADamagedOne)
{
    test::TestHome home;
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
