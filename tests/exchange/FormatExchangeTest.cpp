#include "ChildTestProgram.h"
#include "ExchangeTestSupport.h"
#include "ScriptedPrompter.h"
#include "StoredFormats.h"

#include "exchange/ExchangeCodec.h"
#include "exchange/FormatExchange.h"
#include "storage/BackgroundStore.h"
#include "storage/Database.h"
#include "storage/FormatStore.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>
#include <QTimer>

using namespace slip;
using namespace slip::test;

namespace {

const QString kSep = QStringLiteral("】★【");

ImportOptions Quick(const QString& name = {})
{
    ImportOptions o;
    o.formatName = name;
    o.read.attempts = 2;
    o.read.pause = o.read.emptyPause = std::chrono::milliseconds(0);
    return o;
}

// Every stored row of a format, ID aside, as its exchange fields.
QStringList Rows(const QString& name)
{
    const Recordset rs = OpenRecordset("SELECT * FROM Fmt WHERE Fmt = ? ORDER BY ID", {name});
    QStringList out;
    for (int r = 0; r < rs.RecordCount(); ++r) {
        QStringList f;
        for (const QString& field : BoxRecordFields().mid(1)) f << rs.text(r, field);
        out << f.join('|');
    }
    return out;
}

class FormatExchange : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(dir)); }
    QString File(const QString& name) const { return dir + "/" + name; }
    void Write(const QString& name, const QString& text) { ASSERT_TRUE(WriteBytes(File(name), EncodeText(text))); }

    TestHome home;
    const QString dir = home.file("out");
    ScriptedPrompter prompts;
};

// Rows as another version may have stored them: nulls, black as 65793, a
// memo on a captioned box, a check box's value in Cash, a flag kept as text.
void StoreRawFormat(const QString& name)
{
    const QString insert = "INSERT INTO Fmt(Fmt, Clas, LBL, X, Y, W, H, Color, fName, fSize, fBold, fItalic, Cash, "
                           "RCtl, Mem, SumID, SumID1) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    const qint64 a = InsertRow(insert, {name, 0, "户名", 10, 20, 30, 8, 65793, "宋体", 9, 1, "False", 114.11, 0,
                                        "旧\r\n备注", 0, 0});
    const qint64 b = InsertRow(insert, {name, 1, "勾", 1, 2, 3, 4, 0, QVariant(), QVariant(), 0, 0, 1, -double(a),
                                        QVariant(), a + 0.1, 0});
    ASSERT_GT(b, 0);
    ASSERT_GT(InsertRow(insert, {name, QVariant(), HeaderLabel(), 0, 0, 200, 100, 15360, QVariant(), QVariant(), 0, 0,
                                 QVariant(), QVariant(), "True|False|1|0|0|0|1|False|￥|", QVariant(), QVariant()}),
              0);
}

} // namespace

TEST_F(FormatExchange, ExportWritesTheRowsAsTheDatabaseHoldsThem)
{
    StoreRawFormat("工行");
    ASSERT_TRUE(WriteBytes(BackgroundStore::PicturePath("工行"), JpegBytes(Qt::red)));
    const ExportResult out = ExportFormatFile("工行", File("a"), prompts);
    ASSERT_TRUE(out.ok) << out.error.toStdString();
    EXPECT_EQ(out.path, File("a.tvq"));
    EXPECT_EQ(out.message, "格式：“工行”导出完成！");
    EXPECT_EQ(out.warning, "");
    EXPECT_EQ(FileHash(File("a.jpg")), FileHash(BackgroundStore::PicturePath("工行")));
    const QString text = DecodeText(FileBytes(out.path));
    const QStringList lines = text.split("\r\n");
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[1], "进账单_工行");
    const QString id = lines[2].section(kSep, 0, 0);
    EXPECT_EQ(lines[2].section(kSep, 1), QStringList({"0", "户名", "", "10", "20", "30", "8", "", "", "65793", "宋体",
                                                      "9", "True", "False", "", "", "114.11", "0", "旧♂♂备注", "0", "0"})
                                             .join(kSep));
    EXPECT_EQ(lines[3].section(kSep, 1), QStringList({"1", "勾", "", "1", "2", "3", "4", "", "", "0", "", "", "False",
                                                      "False", "", "", "1", "-" + id, "", id + ".1", "0"})
                                             .join(kSep));
    EXPECT_EQ(lines[4].section(kSep, 2, 2), HeaderLabel());

    // Only Yes replaces a file that is there.
    ASSERT_TRUE(WriteBytes(File("a.tvq"), "old"));
    prompts.answers = {PromptAnswer::No};
    EXPECT_TRUE(ExportFormatFile("工行", File("a.tvq"), prompts).cancelled);
    EXPECT_EQ(FileBytes(File("a.tvq")), "old");

    // A file written elsewhere than chosen is told after the message. The picture is in place, or an older one
    // gone, before the file is written: a kill meanwhile never leaves the new file beside an older picture.
    TextWriteRetry quick;
    quick.attempts = 3;
    quick.renameAfter = 1;
    quick.pause = std::chrono::milliseconds(0);
    StoreRawFormat("无图");
    for (const QString format : {"工行", "无图"}) {
        ASSERT_TRUE(QDir().mkpath(File(format + ".tvq/keep")));
        ASSERT_TRUE(WriteBytes(File(format + ".jpg"), JpegBytes(Qt::blue)));
        std::optional<QByteArray> beside;
        quick.afterFailedAttempt = [&](int) { beside = beside.value_or(FileBytes(File(format + ".jpg"))); };
        prompts.answers = {PromptAnswer::Yes};
        const ExportResult moved = ExportFormatFile(format, File(format), prompts, quick);
        ASSERT_TRUE(moved.ok) << moved.error.toStdString();
        EXPECT_EQ(moved.message, "格式：“" + format + "”导出完成！");
        EXPECT_EQ(moved.warning, "文件已写入：" + QDir::toNativeSeparators(moved.path));
        EXPECT_NE(moved.path, File(format + ".tvq"));
        EXPECT_EQ(beside, FileBytes(BackgroundStore::ExistingPicture(format))) << format.toStdString();
    }
}

// Exported under its preset name, a format's picture would land on another format's, or become the picture of one
// that has none: the question names it.
TEST_F(FormatExchange, ExportNamesTheFormatWhosePictureItWouldReplace)
{
    StoreRawFormat("建行/进账单");
    StoreRawFormat("建行4进账单");
    ASSERT_TRUE(WriteBytes(BackgroundStore::PicturePath("建行/进账单"), JpegBytes(Qt::red)));
    const QString theirs = BackgroundStore::PicturePath("建行4进账单"), file = DataFile("建行4进账单.tvq");
    const QString picture = "图片“" + QDir::toNativeSeparators(theirs) + "”";
    const struct { QByteArray pictureThere, fileThere; QString question; } cases[] = {
        {JpegBytes(Qt::blue), "", picture + "是格式“建行4进账单”的底图，将被替换，是否继续？"},
        {"", "", picture + "将成为格式“建行4进账单”的底图，是否继续？"},
        {"", "old", "文件：“" + QDir::toNativeSeparators(file) + "”已经存在，是否覆盖？\r\n（同名" + picture +
                        "将成为格式“建行4进账单”的底图）"},
    };
    for (const auto& c : cases) {
        for (const auto& [at, bytes] : {std::pair{theirs, c.pictureThere}, std::pair{file, c.fileThere}})
            ASSERT_TRUE(bytes.isEmpty() ? !QFile::exists(at) || QFile::remove(at) : WriteBytes(at, bytes));
        prompts.shown.clear();
        prompts.answers = {PromptAnswer::No};
        EXPECT_TRUE(ExportFormatFile("建行/进账单", BackgroundStore::FormatFileBase("建行/进账单"), prompts).cancelled);
        EXPECT_EQ(prompts.shown, QStringList{c.question});
        EXPECT_EQ(FileBytes(theirs) + FileBytes(file), c.pictureThere + c.fileThere);
    }
}

// A file without the header record gives the format a new one's: it is listed, opens at a usable size, and travels.
TEST_F(FormatExchange, AFileWithoutAHeaderImportsWithANewFormatsHeader)
{
    StoreRawFormat("原");
    ASSERT_TRUE(ExportFormatFile("原", File("无头.tvq"), prompts).ok);
    QStringList lines = DecodeText(FileBytes(File("无头.tvq"))).split("\r\n");
    ASSERT_EQ(lines.takeLast().section(kSep, 2, 2), HeaderLabel());
    Write("无头.tvq", lines.join("\r\n"));
    ASSERT_TRUE(ImportFormatFile(File("无头.tvq"), prompts, NoProgress(), Quick()).ok);
    StoredFormat back;
    ASSERT_TRUE(FormatStore::Load("无头", 15360, FormatHeader(), back).ok);
    EXPECT_TRUE(back.hasHeader);
    EXPECT_EQ(back.header, (FormatHeader{"无头", kNewSlipWidthMm, kNewSlipHeightMm}));
    ASSERT_TRUE(ExportFormatFile("无头", File("再.tvq"), prompts).ok);
    EXPECT_TRUE(ImportFormatFile(File("再.tvq"), prompts, NoProgress(), Quick()).ok);
    // Imported again, it keeps the screen its font sizes are for: its texts show at the sizes of the first.
    const auto screen = [](const char* name) { return GetFieldWhere("Fmt", "Fmt=? AND LBL=?", {name, HeaderLabel()}, "Color"); };
    EXPECT_EQ(screen("再"), screen("无头"));
}

TEST_F(FormatExchange, ImportStoresTheRowsWithNewIdsAndTheirReferences)
{
    StoreRawFormat("原");
    ASSERT_TRUE(ExportFormatFile("原", File("新.tvq"), prompts).ok);
    // Field 23 goes to RCtl1, a reference to a row not in the file goes.
    QStringList lines = DecodeText(FileBytes(File("新.tvq"))).split("\r\n");
    lines[2] += kSep + "42" + kSep + "ignored";
    lines[2].replace(kSep + "0" + kSep + "0" + kSep + "42", kSep + "0" + kSep + "99" + kSep + "42");
    Write("新.tvq", lines.join("\r\n"));
    const FormatImportResult in = ImportFormatFile(File("新.tvq"), prompts, NoProgress(), Quick());
    ASSERT_TRUE(in.ok) << in.error.toStdString();
    EXPECT_EQ(in.name, "新");
    EXPECT_EQ(prompts.shown.last(), "格式“新”导入成功,立即调用此格式？");
    const QStringList before = Rows("原");
    QStringList after = Rows("新");
    ASSERT_EQ(after.size(), 3);
    const qint64 first = OpenRecordset("SELECT MIN(ID) FROM Fmt WHERE Fmt = ?", {"新"}).rows[0][0].toLongLong();
    EXPECT_EQ(after[1].section('|', 17, 17), QString::number(-first));
    EXPECT_EQ(after[1].section('|', 19, 19), QString::number(first) + ".1");
    EXPECT_EQ(after[0].section('|', 20, 20), "0") << "SumID1 99 named no row of the file";
    EXPECT_EQ(OpenRecordset("SELECT RCtl1 FROM Fmt WHERE ID = ?", {first}).rows[0][0].toDouble(), 42);
    // Fields from Clas to fSize as stored, an empty number field arriving as 0
    // (the header's Clas among them).
    const auto numbersRead = [](const QString& row) {
        QStringList f = row.split('|').mid(0, 12);
        for (int i = 0; i < f.size(); ++i)
            if (f[i].isEmpty() && i + 1 != FieldLBL && i + 1 != FieldDir && i + 1 != FieldFName) f[i] = "0";
        return f;
    };
    EXPECT_EQ(before[2].section('|', 0, 0), "");
    for (int i : {0, 2}) EXPECT_EQ(after[i].split('|').mid(0, 12), numbersRead(before[i])) << i;

    // A taken name is asked again; an empty answer imports nothing.
    prompts.inputs = {QString("新"), QString("")};
    EXPECT_TRUE(ImportFormatFile(File("新.tvq"), prompts, NoProgress(), Quick()).cancelled);
    EXPECT_EQ(prompts.shown.mid(prompts.shown.size() - 2),
              QStringList({"格式：“新”已存在，请另取格式名！", "格式：“新”已存在，请另取格式名！"}));
    EXPECT_EQ(OpenRecordset("SELECT COUNT(*) FROM Fmt").rows[0][0].toInt(), 7);
}

TEST_F(FormatExchange, ABoxLineWithEmptyNumbersIsABoxOfTheImportedFormat)
{
    StoreRawFormat("原");
    ASSERT_TRUE(ExportFormatFile("原", File("空.tvq"), prompts).ok);
    QStringList lines = DecodeText(FileBytes(File("空.tvq"))).split("\r\n");
    QStringList fields = lines[2].split(kSep);
    ASSERT_EQ(fields[2], "户名");
    for (int f : {FieldClas, FieldX, FieldCash}) fields[f] = "";
    lines[2] = fields.join(kSep);
    Write("空.tvq", lines.join("\r\n"));
    ASSERT_TRUE(ImportFormatFile(File("空.tvq"), prompts, NoProgress(), Quick()).ok);
    StoredFormat back;
    ASSERT_TRUE(FormatStore::Load("空", 15360, FormatHeader(), back).ok);
    ASSERT_EQ(back.boxes.size(), 2u) << "no imported box disappears";
    const auto named = std::find_if(back.boxes.begin(), back.boxes.end(),
                                    [](const Box& b) { return b.caption == "户名"; });
    ASSERT_NE(named, back.boxes.end());
    EXPECT_EQ(named->kind, BoxKind::Text);
    EXPECT_EQ(named->rect.x(), 0);
}

TEST_F(FormatExchange, OnlyThePictureThatCameWithTheFileIsTaken)
{
    StoreRawFormat("原");
    ASSERT_TRUE(ExportFormatFile("原", File("甲.tvq"), prompts).ok);
    QFile::copy(File("甲.tvq"), File("乙.tvq"));
    QFile::copy(File("甲.tvq"), File("丙.tvq"));
    ASSERT_TRUE(WriteBytes(File("甲.jpg"), JpegBytes(Qt::green)));
    ASSERT_TRUE(WriteBytes(File("乙.JPG"), JpegBytes(Qt::blue)));   // some other file's, by its case
    ASSERT_TRUE(ImportFormatFile(File("甲.tvq"), prompts, NoProgress(), Quick()).ok);
    EXPECT_EQ(FileHash(BackgroundStore::ExistingPicture("甲")), FileHash(File("甲.jpg")));
    ASSERT_TRUE(ImportFormatFile(File("乙.tvq"), prompts, NoProgress(), Quick()).ok);
    EXPECT_FALSE(BackgroundStore::HasPicture("乙"));
    ImportOptions none = Quick();
    none.picture = QString();
    ASSERT_TRUE(WriteBytes(File("丙.jpg"), JpegBytes(Qt::green)));
    ASSERT_TRUE(ImportFormatFile(File("丙.tvq"), prompts, NoProgress(), none).ok);
    EXPECT_FALSE(BackgroundStore::HasPicture("丙"));
}

TEST_F(FormatExchange, APictureThatCantBePutInPlaceStoresNothing)
{
    StoreRawFormat("原");
    ASSERT_TRUE(ExportFormatFile("原", File("挡.tvq"), prompts).ok);
    ASSERT_TRUE(WriteBytes(File("挡.jpg"), JpegBytes(Qt::green)));
    ASSERT_TRUE(QDir().mkpath(BackgroundStore::PicturePath("挡")));
    const FormatImportResult in = ImportFormatFile(File("挡.tvq"), prompts, NoProgress(), Quick());
    EXPECT_FALSE(in.ok);
    EXPECT_TRUE(in.error.startsWith("格式“挡”导入失败，底图无法保存，格式库未改变！")) << in.error.toStdString();
    EXPECT_FALSE(FormatStore::Exists("挡"));
    EXPECT_TRUE(OpenRecordset("SELECT * FROM 底图待换").isEmpty());
    // Rows the database refuses take the new picture out again.
    ASSERT_TRUE(QDir().rmdir(BackgroundStore::PicturePath("挡")));
    ASSERT_TRUE(ExecuteSql("CREATE TRIGGER boom BEFORE INSERT ON Fmt WHEN NEW.LBL='勾' BEGIN SELECT RAISE(ABORT, 'x'); END"));
    EXPECT_TRUE(ImportFormatFile(File("挡.tvq"), prompts, NoProgress(), Quick()).error.contains("格式库未改变"));
    EXPECT_FALSE(FormatStore::Exists("挡"));
    EXPECT_FALSE(BackgroundStore::HasPicture("挡"));
    EXPECT_TRUE(OpenRecordset("SELECT * FROM 底图待换").isEmpty());
}

// The picture file of the new format's name may be another format's (by the older name rule, of every name that maps
// to it): the import asks before it replaces or removes it, as the export does.
TEST_F(FormatExchange, ImportAsksBeforeItTakesAnotherFormatsPicture)
{
    StoreRawFormat("原");
    ASSERT_TRUE(ExportFormatFile("原", File("源.tvq"), prompts).ok);
    const struct { QStringList owners; QString name; PromptAnswer answer; QString fate; } cases[] = {
        {{"Z/W"}, "Z4W", PromptAnswer::No, "是格式“Z/W”的底图，将被删除"},
        {{"M/N"}, "M4N", PromptAnswer::No, "是格式“M/N”的底图，将被替换"},
        {{"A1B?", "A?B1"}, "A1B1", PromptAnswer::Yes, "是格式“A1B?”、“A?B1”的底图，将被替换"},
    };
    for (const auto& c : cases) {
        for (const QString& owner : c.owners) StoreRawFormat(owner);
        const QString theirs = DataFile(c.name + ".jpg");
        ASSERT_TRUE(WriteBytes(theirs, JpegBytes(Qt::blue)));
        ASSERT_TRUE(QFile::copy(File("源.tvq"), File(c.name + ".tvq")));
        if (c.fate.endsWith("替换")) ASSERT_TRUE(WriteBytes(File(c.name + ".jpg"), JpegBytes(Qt::green)));
        prompts.answers = {c.answer};
        ImportFormatFile(File(c.name + ".tvq"), prompts, NoProgress(), Quick());
        EXPECT_TRUE(prompts.shown.contains("图片“" + QDir::toNativeSeparators(theirs) + "”" + c.fate + "，是否继续？"));
        const bool taken = c.answer == PromptAnswer::Yes;
        EXPECT_EQ(FormatStore::Exists(c.name), taken) << c.name.toStdString();
        EXPECT_EQ(FileBytes(theirs), JpegBytes(taken ? Qt::green : Qt::blue)) << c.name.toStdString();
    }
}

TEST_F(FormatExchange, ALargeFileIsReadWhileTheWindowsKeepAnswering)
{
    StoreRawFormat("原");
    ASSERT_TRUE(ExportFormatFile("原", File("大.tvq"), prompts).ok);
    QStringList lines = DecodeText(FileBytes(File("大.tvq"))).split("\r\n");
    const QString memo = QString(10000, QChar(0x6587));
    for (int i = 0; i < 900; ++i) lines.insert(3, lines[2].replace("旧♂♂备注", memo));
    Write("大.tvq", lines.join("\r\n"));
    // The decoding and storing run beside the window's thread: a timer of
    // that thread keeps firing all along (how long its gaps are is measured in
    // the benchmarks, not here).
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(0);
    const FormatImportResult in = ImportFormatFile(File("大.tvq"), prompts, NoProgress(), Quick());
    tick.stop();
    ASSERT_TRUE(in.ok) << in.error.toStdString();
    EXPECT_GE(ticks, 3);
}

// Imports the file named by SLIP_KILLED_IMPORT into the data folder
// SLIP_KILLED_DATA, for the test below, which kills it somewhere along the way.
TEST(FormatExchangeChild, ImportsWhenAsked)
{
    const QString file = qEnvironmentVariable("SLIP_KILLED_IMPORT");
    if (file.isEmpty()) GTEST_SKIP() << "run by AKilledImportNeverLeavesAFormatWithoutItsPicture";
    qputenv("SLIPPRINT_HOME", qgetenv("SLIP_KILLED_DATA"));
    ScriptedPrompter prompts;
    prompts.answers = {PromptAnswer::No};
    ImportFormatFile(file, prompts, NoProgress(), Quick());
}

TEST_F(FormatExchange, AKilledImportNeverLeavesAFormatWithoutItsPicture)
{
    StoreRawFormat("原");
    ASSERT_TRUE(ExportFormatFile("原", File("源.tvq"), prompts).ok);
    const QByteArray picture = JpegBytes(Qt::green, 2400, 1600);
    qint64 whole = 0;   // how long a whole import takes, child start included
    int stored = 0;
    for (int i = 0; i <= 16; ++i) {
        const QString name = QStringLiteral("杀%1").arg(i);
        ASSERT_TRUE(QFile::copy(File("源.tvq"), File(name + ".tvq")));
        ASSERT_TRUE(WriteBytes(File(name + ".jpg"), picture));
        QProcess child;
        QProcessEnvironment env = ChildTestEnvironment();
        env.insert("SLIP_KILLED_IMPORT", File(name + ".tvq"));
        env.insert("SLIP_KILLED_DATA", DataFolder());
        child.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=FormatExchangeChild.*"});
        ASSERT_TRUE(child.waitForStarted());
        if (i == 0) {
            ASSERT_TRUE(child.waitForFinished(240000));  // a hang guard only
            ASSERT_EQ(child.exitCode(), 0);
            whole = clock.elapsed();
        } else {
            QThread::msleep(whole * (8 + i) / 24);
            child.kill();
            child.waitForFinished();
        }
        if (FormatStore::Exists(name)) {
            ++stored;
            EXPECT_EQ(Rows(name).size(), 3) << i;
            EXPECT_EQ(FileBytes(BackgroundStore::ExistingPicture(name)), picture) << i;
        }
    }
    EXPECT_GE(stored, 1) << "the import that was not killed stored its format";
}
