#include "GridExportTestSupport.h"
#include "FileSizeLimit.h"
#include "RecordingProgress.h"
#include "TestHome.h"

#include "batch/GridExport.h"
#include "batch/GridExportWorkbookCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QStringDecoder>
#include <gtest/gtest.h>

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

} // namespace

// ---- CSV -------------------------------------------------------------------

TEST(CsvExport, FollowsTheLineAndQuotingRulesByteForByte)
{
    test::TestHome home;
    TextTableModel model({"名称", "金额"}, {{"a,b", "say \"hi\""}, {"", "中"}, {"x\ny", "p\r\nq"}, {"r\rs", "t"}});
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
                    "\"r\rs\t\",t\t\r\n");
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

TEST(XlsxExport, SheetNamesAreMadeAcceptable)
{
    EXPECT_EQ(SafeSheetName("Sorvelin进账单打印历史数据"), "Sorvelin进账单打印历史数据");
    EXPECT_EQ(SafeSheetName("a/b:c?d*[e]\\"), "a_b_c_d__e__");
    EXPECT_EQ(SafeSheetName(""), "Sheet1");
    EXPECT_EQ(SafeSheetName("'引号'"), "_引号_");
    EXPECT_EQ(SafeSheetName(QString(40, QChar(u'长'))).size(), 31);
}

// ---- choosing the format by the path ---------------------------------------

TEST(GridExportFile, AWorkbookIsNamedForWhatItIsAndThePathEndingChoosesTheFormat)
{
    const struct {
        QString chosen, path;
        bool told;
    } names[] = {{"/d/a.xls", "/d/a.xlsx", true}, {"/d/a.XLS", "/d/a.XLSx", true}, {"/d/a", "/d/a.xlsx", false},
                 {"/d/a.csv", "/d/a.csv", false}, {"/d/a.xlsx", "/d/a.xlsx", false}};
    for (const auto& n : names) {
        QString note;
        EXPECT_EQ(GridExportPath(n.chosen, &note), n.path);
        EXPECT_EQ(!note.isEmpty(), n.told) << n.chosen.toStdString();
    }
    QString note;
    GridExportPath("/d/历史.xls", &note);
    EXPECT_EQ(note, "工作簿以新的Excel格式（.xlsx）保存，文件名“历史.xls”已改为“历史.xlsx”。");

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

TEST_P(AtomicExportTest, AFullDiskMidWriteKeepsTheOldFile)
{
    const QString folder = home_.file("exports");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + "/" + Name();
    ASSERT_TRUE(WriteBytes(path, "old contents"));
    QVector<QStringList> rows;
    for (int i = 0; i < 20000; ++i) rows << QStringList{QString("第%1行的一段较长的文字，让文件超过上限").arg(i), QString::number(i * 7919)};
    TextTableModel big({"文字", "数"}, rows);

    GridExportResult r;
    {
        test::FileSizeLimit fullDisk(64 * 1024);
        r = Export(big, path);
    }

    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "文件保存出错！");
    EXPECT_EQ(FileBytes(path), "old contents");
    EXPECT_EQ(Entries(folder), QStringList{Name()});
}

INSTANTIATE_TEST_SUITE_P(CsvAndWorkbook, AtomicExportTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Csv" : "Workbook"; });

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
