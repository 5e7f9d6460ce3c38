#include "ExchangeTestSupport.h"
#include "ScriptedPrompter.h"

#include "exchange/ExchangeFile.h"
#include "model/SlipFormat.h"
#include "storage/BackgroundStore.h"
#include "storage/BoxRecord.h"
#include "storage/Database.h"
#include "storage/FormatStore.h"

#include "core/TextNumber.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QFileInfo>
#include <QImage>
#include <QStringDecoder>
#include <algorithm>

using namespace slip;
using namespace slip::test;

namespace {

constexpr int kScreen = 15360;
const QString kSep = QStringLiteral("】★【");

// Reads without pausing between attempts, and gives up soon on a file that
// stays empty or missing.
ImportOptions Quick(const QString& name = {})
{
    ImportOptions o;
    o.screenWidthTwips = kScreen;
    o.formatName = name;
    o.read.attempts = 3;
    o.read.pause = std::chrono::milliseconds(0);
    o.read.emptyPause = std::chrono::milliseconds(0);
    return o;
}

TextWriteRetry QuickWrite()
{
    TextWriteRetry r;
    r.attempts = 31;
    r.pause = std::chrono::milliseconds(0);
    return r;
}

QByteArray JpegBytes(QColor colour, int w = 40, int h = 20)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG");
    return bytes;
}

Box Text(double x, const QString& caption)
{
    Box b = NewBoxOfKind(BoxKind::Text, QPointF(x, 10));
    b.caption = caption;
    return b;
}

// A format with a box of every kind, texts an attacker or a careless operator
// might type, and links of every sort between its boxes. The boxes named
// "警告…" hold texts the exchange file can't carry back unchanged.
void SaveHostileFormat(const QString& name, bool withPicture = true)
{
    SlipFormat f;
    FormatHeader h;
    h.name = name;
    h.widthMm = 210.5;
    h.heightMm = 99.25;
    h.offsetXMm = 12.3;
    h.offsetYMm = 7;
    h.options.showRulers = true;
    h.options.lengthwise = true;
    h.options.printBackground = true;
    h.options.currencyChar = QChar(u'$');
    f.Load(h, {});
    Box t = Text(20.125, QStringLiteral("户名'\"; DROP TABLE Fmt; --"));
    t.captionSide = CaptionSide::Above;
    t.charSpacingMm = 1.5;
    t.lineSpacingMm = -2.25;
    t.align = TextAlign::Centre;
    t.color = QColor(10, 20, 30);
    t.font = {QStringLiteral("黑体"), 12.5, true, false, true, false};
    t.dataType = DataType::FromStored(114.11);
    const BoxId amount = f.AddBox(t);
    const BoxId words = f.AddBox(Text(60.3333333333333, QStringLiteral("' OR '1'='1")));
    Box fixed = Text(100, QString());
    fixed.fixedText = QStringLiteral("第一行\r\n第二行 ￥€𠀀");
    fixed.font.family = QStringLiteral("Noto\r\nSans");   // a line break where no escape exists
    const BoxId fixedId = f.AddBox(fixed);
    Box twoLines = Text(130, QStringLiteral("上\r\n下"));
    twoLines.dataType = DataType::FromStored(3);
    const BoxId twoLinesId = f.AddBox(twoLines);
    Box c1 = NewBoxOfKind(BoxKind::Check, {5, 50});
    c1.caption = QStringLiteral("现金");
    const BoxId check1 = f.AddBox(c1);
    Box c2 = NewBoxOfKind(BoxKind::Check, {15, 50});
    c2.caption = QStringLiteral("转账");
    const BoxId check2 = f.AddBox(c2);
    Box pic = NewBoxOfKind(BoxKind::Picture, {120, 40});
    pic.caption = QStringLiteral("条码");
    f.AddBox(pic);
    Box line = NewBoxOfKind(BoxKind::Line, {0, 0});
    line.line = QLineF(1, 2, 150, 2.5);
    line.lineStyle = 3;
    line.lineWidth = 2;
    line.color = Qt::red;
    f.AddBox(line);
    Box label = NewBoxOfKind(BoxKind::Label, {30, 80});
    label.caption = QStringLiteral("中文标签\"'");
    f.AddBox(label);
    Box warnSep = NewBoxOfKind(BoxKind::Label, {30, 90});
    warnSep.caption = QStringLiteral("警告分隔】★【符");
    f.AddBox(warnSep);
    Box warnMemo = Text(40, QString());
    warnMemo.fixedText = QStringLiteral("警告♂♂固定");
    f.AddBox(warnMemo);
    f.AddBox(Text(50, QStringLiteral("警告‖\r\n标题")));

    Box a = *f.Find(amount);
    a.sum1 = {words, SumOp::Multiply, true};
    a.sum2 = {twoLinesId, SumOp::Add, true};
    a.relation = {RelationKind::Related, fixedId};
    f.UpdateBox(a);
    Box w = *f.Find(words);
    w.sum1 = {amount, SumOp::Add, false};
    w.sum2 = {twoLinesId, SumOp::Multiply, false};
    f.UpdateBox(w);
    Box k1 = *f.Find(check1);
    k1.relation = {RelationKind::ChainNext, check2};
    f.UpdateBox(k1);
    Box k2 = *f.Find(check2);
    k2.relation = {RelationKind::ChainNext, check1};
    f.UpdateBox(k2);
    QHash<BoxId, BoxId> ids;
    ASSERT_TRUE(FormatStore::Save(f, name, false, kScreen, ids).ok);
    if (withPicture) {
        const QString source = DataFile(QStringLiteral("source.jpg"));
        ASSERT_TRUE(WriteBytes(source, JpegBytes(Qt::darkCyan)));
        ASSERT_TRUE(BackgroundStore::Replace(name, source).ok);
        QFile::remove(source);
    }
}

StoredFormat LoadFormat(const QString& name)
{
    StoredFormat out;
    const StoreResult r = FormatStore::Load(name, kScreen, FormatHeader(), out);
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    return out;
}

// The boxes with IDs replaced by their place in the list, and links by the
// place of the box they name: two copies of a format compare equal.
std::vector<Box> ByPlace(std::vector<Box> boxes)
{
    QHash<BoxId, BoxId> place;
    for (size_t i = 0; i < boxes.size(); ++i) place.insert(boxes[i].id, BoxId(i + 1));
    for (Box& b : boxes) {
        b.id = place.value(b.id);
        b.relation.target = place.value(b.relation.target);
        b.sum1.target = place.value(b.sum1.target);
        b.sum2.target = place.value(b.sum2.target);
    }
    return boxes;
}

bool Warned(const Box& b)
{
    return b.caption.startsWith(QStringLiteral("警告")) || b.fixedText.startsWith(QStringLiteral("警告"));
}

// Everything an import could change: the records and the files of the data folder.
struct Library {
    QVector<QVector<QVariant>> rows;
    QStringList files;
    bool operator==(const Library&) const = default;
};

Library Snapshot()
{
    Library l;
    l.rows = OpenRecordset(QStringLiteral("SELECT * FROM Fmt ORDER BY ID")).rows;
    for (const QString& f : FolderListing(DataFolder()))
        if (!f.startsWith(QStringLiteral("DATA.mdb"))) l.files << f;
    return l;
}

QString OutDir(const TestHome& home)
{
    const QString dir = home.file(QStringLiteral("外部 文件夹"));
    QDir().mkpath(dir);
    return dir;
}

// A hand-written exchange text: a header and the given record lines.
QString HandFile(const QStringList& records, const QString& category = QStringLiteral("进账单_手写"))
{
    QStringList lines{ExchangeMagicLine(), category};
    lines << records;
    FormatHeader h;
    h.widthMm = 200;
    h.heightMm = 100;
    lines << ExchangeFields(HeaderRecord(h, kScreen)).join(kSep);
    return lines.join(QStringLiteral("\r\n"));
}

// One record line of a text box with the given ID and links.
QString BoxLine(const QString& id, const QString& rctl = "0", const QString& sum = "0", const QString& sum1 = "0")
{
    return QStringList{id, "0", "框" + id, "1", "10", "10", "30", "6", "0", "0", "0", "宋体", "9",
                       "False", "False", "False", "False", "0", rctl, "", sum, sum1}
        .join(kSep);
}

} // namespace

// --- Names and paths --------------------------------------------------------------

TEST(ExchangeNames, CategoryLineCarriesTheSlipWord)
{
    EXPECT_EQ(ExchangeCategoryLine("工行进账单"), "工行进账单");
    EXPECT_EQ(ExchangeCategoryLine("工行"), "进账单_工行");
    EXPECT_EQ(ExchangeCategoryLine(""), "进账单_");
}

TEST(ExchangeNames, ExportPathGetsTheExtensionOnlyWhenItLacksIt)
{
    EXPECT_EQ(ExchangeFilePath("/d/a.TVQ"), "/d/a.TVQ");
    EXPECT_EQ(ExchangeFilePath("/d/a.txt"), "/d/a.txt.tvq");
    EXPECT_EQ(ExchangeFilePath("/d/a"), "/d/a.tvq");
    EXPECT_EQ(ExchangePicturePath("/d/工行.tvq"), "/d/工行.jpg");
    EXPECT_EQ(ExchangePicturePath("/d/工行.v2.tvq"), "/d/工行.v2.jpg");
}

TEST(ExchangeNames, ImportNameIsTheFilesOwnNameWithDotsKept)
{
    EXPECT_EQ(ExchangeNameFromPath("/x/工行.tvq"), "工行");
    // A folder with a point cuts nothing off a file that has none.
    EXPECT_EQ(ExchangeNameFromPath("/x/a.b/c"), "c");
    EXPECT_EQ(ExchangeNameFromPath("/x/工行.v2.tvq"), "工行.v2");
    EXPECT_EQ(ExchangeNameFromPath("/x/进账单.jpg.tvq"), "进账单.jpg");
    EXPECT_EQ(ExchangeNameFromPath("/x/.tvq"), "");
}

// --- Writing the text -------------------------------------------------------------

TEST(ExchangeText, LinesFieldsAndValuesAreWrittenAsTheFormatHasThem)
{
    FormatHeader h;
    h.widthMm = 180;
    h.heightMm = 90.5;
    Box a = Text(12.5, QStringLiteral("A\r\nB"));
    a.id = 57;
    a.color = QColor(255, 255, 255);
    a.font.bold = true;
    a.dataType = DataType::FromStored(-3);
    a.relation = {RelationKind::Related, 9};
    Box m = Text(0, QString());
    m.id = 9;
    m.fixedText = QStringLiteral("一\r\n二");
    Box c = NewBoxOfKind(BoxKind::Check, {1, 1});
    c.id = 3;
    const ExchangeText out = BuildExchangeText("工行", h, {a, m, c}, kScreen);
    EXPECT_TRUE(out.unsafeBoxes.isEmpty());
    EXPECT_FALSE(out.text.endsWith("\r\n"));
    const QStringList lines = out.text.split("\r\n");
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], "<Tamberlow格式专用>");
    EXPECT_EQ(lines[1], "进账单_工行");
    for (int i = 2; i < 6; ++i) EXPECT_EQ(lines[i].split(kSep).size(), 22) << i;
    const QStringList f = lines[2].split(kSep);
    EXPECT_EQ(f[0], "57");
    EXPECT_EQ(f[1], "0");
    EXPECT_EQ(f[2], "A‖‖‖B");
    EXPECT_EQ(f[4], "12.5");
    EXPECT_EQ(f[10], "16777215");
    EXPECT_EQ(f[13], "True");
    EXPECT_EQ(f[14], "False");
    EXPECT_EQ(f[17], "-3");
    EXPECT_EQ(f[18], "-9");
    EXPECT_EQ(f[19], "") << "a caption box keeps no fixed text";
    EXPECT_EQ(lines[3].split(kSep)[19], "一♂♂二");
    EXPECT_EQ(lines[4].split(kSep)[19], "") << "no value is an empty field";
    // The header comes last, with the slip size, the screen width and the options.
    const QStringList head = lines[5].split(kSep);
    EXPECT_EQ(head[2], HeaderLabel());
    EXPECT_EQ(head[6], "180");
    EXPECT_EQ(head[7], "90.5");
    EXPECT_EQ(head[10], "15360");
    EXPECT_EQ(head[19], EncodeOptionList(h.options));
}

TEST(ExchangeText, TextsThatCantComeBackNameTheirBoxes)
{
    FormatHeader h;
    h.widthMm = 100;
    h.heightMm = 50;
    std::vector<Box> boxes;
    auto add = [&](Box b) {
        b.id = BoxId(boxes.size() + 1);
        boxes.push_back(b);
    };
    add(Text(0, QStringLiteral("好的 \"引号\" ' OR '1'='1 换\r\n行")));
    add(Text(0, QStringLiteral("分隔】★【符")));
    add(Text(0, QStringLiteral("标记‖‖‖")));
    add(Text(0, QStringLiteral("半‖\r\n个")));
    Box memo = Text(0, QString());
    memo.fixedText = QStringLiteral("男♂♂");
    add(memo);
    Box lone = Text(0, QString());
    lone.fixedText = QStringLiteral("单♂个与‖‖‖");   // fine: one ♂, and ‖‖‖ means nothing in a fixed text
    add(lone);
    Box font = NewBoxOfKind(BoxKind::Label, {});
    font.caption = QStringLiteral("字体");
    font.font.family = QStringLiteral("坏】★【字体");
    add(font);
    const ExchangeText out = BuildExchangeText("x", h, boxes, kScreen);
    EXPECT_EQ(out.unsafeBoxes, (QStringList{"文本框2“分隔】★【符”", "文本框3“标记‖‖‖”", "文本框4“半‖\r\n个”",
                                            "文本框5", "标签1“字体”"}));
}

// --- Reading the text -------------------------------------------------------------

TEST(ExchangeReading, RecordsBrokenByLineBreaksAreJoinedAgain)
{
    // Two records broken by a CR LF in the font name, and a file ending in CR LF.
    const QString r1 = BoxLine("1");
    const QString r2 = BoxLine("2");
    QString broken1 = r1;
    broken1.replace("宋体", "宋\r\n体");
    QString broken2 = r2;
    broken2.replace("宋体", "宋\r\n\r\n体");
    const QStringList lines = ExchangeLines(QStringList{ExchangeMagicLine(), "进账单", broken1, broken2, ""}.join("\r\n"));
    const QStringList records = ExchangeRecordLines(lines);
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0], broken1);
    EXPECT_EQ(records[1], broken2 + "\r\n");
    BoxRecord rec;
    ASSERT_TRUE(ExchangeRecord(records[1].split(kSep), rec));
    EXPECT_EQ(rec[FieldFName].toString(), "宋\r\n\r\n体");
    // The first record line is never joined to the category line.
    const QStringList shortFirst = ExchangeRecordLines({ExchangeMagicLine(), "进账单", "1】★【2", r2});
    ASSERT_EQ(shortFirst.size(), 2);
    EXPECT_EQ(shortFirst[0], "1】★【2");
}

TEST(ExchangeReading, FieldsReadAsTheFileFormatSays)
{
    QStringList f = BoxLine("7").split(kSep);
    BoxRecord r;
    ASSERT_TRUE(ExchangeRecord(f.mid(0, 21), r));
    EXPECT_EQ(r[FieldSumID1].toDouble(), 0) << "a line of 21 fields has no second sum";
    ASSERT_TRUE(ExchangeRecord(f + QStringList{"5"}, r)) << "a 23rd field is read past";
    EXPECT_FALSE(ExchangeRecord(f + QStringList{"5", "6"}, r));
    EXPECT_FALSE(ExchangeRecord(f.mid(0, 20), r));
    for (const char* yes : {"TRUE", "True", "true", " true "}) {
        f[13] = yes;
        ASSERT_TRUE(ExchangeRecord(f, r));
        EXPECT_EQ(r[FieldBold].toInt(), 1) << yes;
    }
    for (const char* no : {"1", "yes", "", "False"}) {
        f[13] = no;
        ASSERT_TRUE(ExchangeRecord(f, r));
        EXPECT_EQ(r[FieldBold].toInt(), 0) << no;
    }
    f[4] = " 1 2.5 ";
    f[10] = "&HFF";
    f[12] = "";
    f[2] = "甲‖‖‖乙";
    f[19] = "丙♂♂丁";
    ASSERT_TRUE(ExchangeRecord(f, r));
    EXPECT_EQ(r[FieldX].toDouble(), 12.5);
    EXPECT_EQ(r[FieldColor].toDouble(), 255);
    EXPECT_TRUE(r[FieldFSize].isNull()) << "an empty number field is no value";
    EXPECT_EQ(r[FieldLBL].toString(), "甲\r\n乙");
    EXPECT_EQ(r[FieldMem].toString(), "丙\r\n丁");
    f[21] = "0\r\n5";
    EXPECT_FALSE(ExchangeRecord(f, r)) << "a line break inside a number is a cut-off line joined on";
}

TEST(ExchangeReading, UnrecognisedFilesAreRefusedWithTheirMessages)
{
    const QString good = HandFile({BoxLine("1")});
    EXPECT_TRUE(ReadExchangeText(good, "/p/a.tvq").ok);
    EXPECT_EQ(ReadExchangeText("<Tamberlow格式专用>\r\n进账单", "/p/a.tvq").error,
              "无法识别此文件，请确认文件：“/p/a.tvq”为进账单格式文件！");
    EXPECT_EQ(ReadExchangeText(QString(good).replace("<Tamberlow", "<Other"), "/p/a.tvq").error,
              "无法识别此文件，请确认文件：“/p/a.tvq”为进账单格式文件！");
    EXPECT_EQ(ReadExchangeText(HandFile({BoxLine("1")}, "存款单"), "/p/a.tvq").error, "此格式不属于进账单，无法导入！");
    EXPECT_EQ(ReadExchangeText(QStringList{ExchangeMagicLine(), "进账单", BoxLine("1")}.join("\r\n"), "x").error,
              "格式文件有错！")
        << "no header record";
    EXPECT_EQ(ReadExchangeText(QStringList{ExchangeMagicLine(), "进账单", "1】★【2"}.join("\r\n"), "x").error,
              "格式文件有错！");
    QString zeroWidth = good;
    zeroWidth.replace(kSep + "200" + kSep, kSep + "0" + kSep);
    EXPECT_EQ(ReadExchangeText(zeroWidth, "x").error, "格式文件有错！");
    // A file passed through an editor that keeps LF only still reads.
    EXPECT_TRUE(ReadExchangeText(QString(good).replace("\r\n", "\n"), "x").ok);
}

TEST(ExchangeReading, RecordsOfNoKnownKindAreCountedAndDuplicateIdsGetTemporaryOnes)
{
    QString junk = BoxLine("5");
    junk.replace(QRegularExpression("^5】★【0"), "5】★【9");
    const ExchangeContent c = ReadExchangeText(HandFile({BoxLine("4"), junk, BoxLine("4"), BoxLine("")}), "x");
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.skipped, 1);
    ASSERT_EQ(c.boxes.size(), 3u);
    EXPECT_EQ(c.boxes[0].id, 4);
    EXPECT_LT(c.boxes[1].id, 0);
    EXPECT_LT(c.boxes[2].id, 0);
    EXPECT_NE(c.boxes[1].id, c.boxes[2].id);
}

// --- Export and import through the library -------------------------------------------

TEST(ExchangeRoundTrip, EveryKindOfBoxComesBackAsExportedAndUnsafeTextsAreNamed)
{
    TestHome home;
    const QString name = QStringLiteral("工行' OR '1'='1进账单");
    SaveHostileFormat(name);
    SaveHostileFormat(QStringLiteral("旁观者"), false);
    const Library bystander = [] {
        Library l;
        l.rows = OpenRecordset("SELECT * FROM Fmt WHERE Fmt='旁观者' ORDER BY ID").rows;
        return l;
    }();
    ScriptedPrompter prompts;
    const QString chosen = OutDir(home) + QStringLiteral("/副本 'x'");
    const ExportResult out = ExportFormatFile(name, chosen, prompts, kScreen, QuickWrite());
    ASSERT_TRUE(out.ok) << out.error.toStdString();
    EXPECT_EQ(out.path, chosen + ".tvq");
    EXPECT_EQ(out.picturePath, chosen + ".jpg");
    EXPECT_TRUE(QFileInfo(out.path).isFile());
    EXPECT_EQ(FileHash(out.picturePath), FileHash(BackgroundStore::ExistingPicture(name)));
    EXPECT_TRUE(out.message.startsWith("格式：“" + name + "”导出完成！"));
    EXPECT_TRUE(out.message.contains(out.path));
    EXPECT_EQ(out.unsafeBoxes, (QStringList{"文本框5", "文本框6“警告‖\r\n标题”", "标签2“警告分隔】★【符”"}));
    EXPECT_TRUE(out.message.contains("文本框5、")) << out.message.toStdString();
    EXPECT_TRUE(prompts.shown.isEmpty()) << "nothing to overwrite, nothing asked";

    // The file is GBK (GB18030 for the one character GBK lacks), without a byte-order mark.
    const QByteArray bytes = FileBytes(out.path);
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    QStringDecoder gb18030("GB18030");
    const QString text = gb18030.decode(bytes);
    EXPECT_FALSE(gb18030.hasError());
    EXPECT_TRUE(text.startsWith("<Tamberlow格式专用>\r\n" + name + "\r\n"));
    EXPECT_FALSE(text.endsWith("\r\n"));

    ScriptedPrompter importPrompts;
    importPrompts.answers = {PromptAnswer::No};
    const FormatImportResult in = ImportFormatFile(out.path, importPrompts, NoProgress(), Quick());
    ASSERT_TRUE(in.ok) << in.error.toStdString();
    EXPECT_EQ(in.name, "副本 'x'");
    EXPECT_FALSE(in.openNow);
    EXPECT_EQ(importPrompts.shown, QStringList{"格式“副本 'x'”导入成功,立即调用此格式？"});

    const StoredFormat a = LoadFormat(name);
    const StoredFormat b = LoadFormat(in.name);
    FormatHeader expected = a.header;
    expected.name = in.name;
    EXPECT_EQ(b.header, expected);
    const std::vector<Box> before = ByPlace(a.boxes), after = ByPlace(b.boxes);
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        if (Warned(before[i])) EXPECT_NE(after[i], before[i]) << "a warned text really changed";
        else EXPECT_EQ(after[i], before[i]) << before[i].caption.toStdString();
    }
    EXPECT_EQ(FileHash(BackgroundStore::ExistingPicture(in.name)), FileHash(out.picturePath));
    // The other formats and the exported one are as they were.
    EXPECT_EQ(OpenRecordset("SELECT * FROM Fmt WHERE Fmt='旁观者' ORDER BY ID").rows, bystander.rows);
    EXPECT_EQ(FormatStore::List().size(), 3u);
}

TEST(ExchangeRoundTrip, FilesInGbkAndUtf8ImportAlike)
{
    TestHome home;
    SaveHostileFormat(QStringLiteral("源"));
    ScriptedPrompter prompts;
    const ExportResult out = ExportFormatFile("源", OutDir(home) + "/源", prompts, kScreen, QuickWrite());
    ASSERT_TRUE(out.ok);
    const QString text = DecodeText(FileBytes(out.path));
    const QString dir = OutDir(home);
    ASSERT_TRUE(WriteBytes(dir + "/无标记.tvq", text.toUtf8()));
    ASSERT_TRUE(WriteBytes(dir + "/有标记.tvq", "\xEF\xBB\xBF" + text.toUtf8()));
    ASSERT_TRUE(WriteBytes(dir + "/国标.tvq", Encoded("GB18030", text)));
    const std::vector<Box> original = ByPlace(LoadFormat("源").boxes);
    for (const char* file : {"无标记", "有标记", "国标"}) {
        ScriptedPrompter p;
        const FormatImportResult in = ImportFormatFile(dir + "/" + file + ".tvq", p, NoProgress(), Quick());
        ASSERT_TRUE(in.ok) << file << in.error.toStdString();
        EXPECT_EQ(ByPlace(LoadFormat(file).boxes).size(), original.size());
        const std::vector<Box> got = ByPlace(LoadFormat(file).boxes);
        for (size_t i = 0; i < original.size(); ++i)
            if (!Warned(original[i])) EXPECT_EQ(got[i], original[i]) << file;
        EXPECT_FALSE(BackgroundStore::HasPicture(file)) << "no picture lies beside these copies";
    }
}

TEST(ExchangeImport, ReferencesFollowTheirBoxesToTheNewIdsKeepingSignAndTenth)
{
    TestHome home;
    // Something in the library already, so new IDs differ from the file's.
    SaveHostileFormat(QStringLiteral("已有"), false);
    QStringList records;
    for (int id = 51; id <= 56; ++id) records << BoxLine(QString::number(id));
    records << BoxLine("57");                                // line 7 of the file
    records << BoxLine("58", "-57", "99", "57.1");           // related to 57; a sum to a box not in the file
    records << BoxLine("59", "57", "-57.1", "-57");          // chain; multiplied sums, one negated
    records << BoxLine("57", "0", "0", "0");                 // a second line with ID 57
    records << BoxLine("60", "-60", "60.1", "0");            // links to itself
    const QString path = OutDir(home) + "/映射.tvq";
    ASSERT_TRUE(WriteBytes(path, EncodeText(HandFile(records))));
    ScriptedPrompter prompts;
    const FormatImportResult in = ImportFormatFile(path, prompts, NoProgress(), Quick());
    ASSERT_TRUE(in.ok) << in.error.toStdString();
    const Recordset rs = OpenRecordset("SELECT ID, LBL, RCtl, SumID, SumID1 FROM Fmt WHERE Fmt=? AND LBL<>? ORDER BY ID",
                                       {in.name, HeaderLabel()});
    ASSERT_EQ(rs.RecordCount(), 11);
    QHash<QString, int> row;
    for (int r = 0; r < rs.RecordCount(); ++r)
        if (!row.contains(rs.text(r, "LBL"))) row.insert(rs.text(r, "LBL"), r);
    auto id = [&](const char* lbl) { return rs.value(row.value(QString::fromUtf8(lbl)), "ID").toDouble(); };
    auto field = [&](const char* lbl, const char* f) { return rs.value(row.value(QString::fromUtf8(lbl)), f).toDouble(); };
    const double new57 = id("框57");
    EXPECT_NE(new57, 57);
    EXPECT_EQ(field("框58", "RCtl"), -new57);
    EXPECT_EQ(field("框58", "SumID"), 0) << "a box that is not in the file is no box of this format";
    EXPECT_DOUBLE_EQ(field("框58", "SumID1"), new57 + 0.1);
    EXPECT_EQ(field("框59", "RCtl"), new57);
    EXPECT_DOUBLE_EQ(field("框59", "SumID"), -(new57 + 0.1));
    EXPECT_EQ(field("框59", "SumID1"), -new57);
    EXPECT_EQ(field("框60", "RCtl"), -id("框60"));
    EXPECT_DOUBLE_EQ(field("框60", "SumID"), id("框60") + 0.1);
    // The first line of an ID is the one its references name.
    EXPECT_LT(new57, rs.value(rs.RecordCount() - 2, "ID").toDouble());
}

TEST(ExchangeImport, ATakenNameIsAskedAgainAndAnEmptyAnswerImportsNothing)
{
    TestHome home;
    SaveHostileFormat(QStringLiteral("工行"), false);
    const QString path = OutDir(home) + "/工行.tvq";
    ASSERT_TRUE(WriteBytes(path, EncodeText(HandFile({BoxLine("1")}))));
    const Library before = Snapshot();
    {
        ScriptedPrompter prompts;
        prompts.inputs = {QStringLiteral(" 工行 "), QString()};
        const FormatImportResult in = ImportFormatFile(path, prompts, NoProgress(), Quick());
        EXPECT_FALSE(in.ok);
        EXPECT_TRUE(in.cancelled);
        EXPECT_EQ(prompts.shown, (QStringList{"格式：“工行”已存在，请另取格式名！", "格式：“工行”已存在，请另取格式名！"}));
        EXPECT_EQ(Snapshot(), before);
    }
    {
        ScriptedPrompter prompts;
        prompts.inputs = {std::nullopt};
        EXPECT_TRUE(ImportFormatFile(path, prompts, NoProgress(), Quick()).cancelled);
        EXPECT_EQ(Snapshot(), before);
    }
    ScriptedPrompter prompts;
    prompts.inputs = {QStringLiteral("  工行二 ")};
    const FormatImportResult in = ImportFormatFile(path, prompts, NoProgress(), Quick());
    ASSERT_TRUE(in.ok);
    EXPECT_EQ(in.name, "工行二");
    EXPECT_TRUE(in.openNow);
    EXPECT_TRUE(FormatStore::Exists("工行二"));
}

TEST(ExchangeImport, HostileFileNamesBecomeFormatNamesAndNothingElse)
{
    TestHome home;
    SaveHostileFormat(QStringLiteral("旁观者"), false);
    const QString dir = OutDir(home);
    for (const QString& name : {QStringLiteral("' OR '1'='1"), QStringLiteral("a\"; DELETE FROM Fmt; --"),
                                QStringLiteral("工行.v2")}) {
        const QString path = dir + "/" + name + ".tvq";
        ASSERT_TRUE(WriteBytes(path, EncodeText(HandFile({BoxLine("1"), BoxLine("2", "1")}))));
        ScriptedPrompter prompts;
        const FormatImportResult in = ImportFormatFile(path, prompts, NoProgress(), Quick());
        ASSERT_TRUE(in.ok) << in.error.toStdString();
        EXPECT_EQ(in.name, name);
        EXPECT_EQ(LoadFormat(name).boxes.size(), 2u);
    }
    EXPECT_EQ(FormatStore::List().size(), 4u);
    EXPECT_FALSE(LoadFormat("旁观者").boxes.empty());
    // A name that can't be a format's is asked for again.
    const QString bad = dir + "/竖线｜.tvq";
    ASSERT_TRUE(WriteBytes(bad, EncodeText(HandFile({BoxLine("1")}))));
    ScriptedPrompter prompts;
    prompts.inputs = {QStringLiteral("好名字")};
    const FormatImportResult in = ImportFormatFile(bad, prompts, NoProgress(), Quick());
    ASSERT_TRUE(in.ok);
    EXPECT_EQ(in.name, "好名字");
    EXPECT_EQ(prompts.shown.first(), "格式名称中不能有“｜”！请另取格式名！");
}

TEST(ExchangeImport, TruncatedFilesNeverImportPartOfAFormat)
{
    TestHome home;
    SaveHostileFormat(QStringLiteral("整"), false);
    ScriptedPrompter prompts;
    const ExportResult out = ExportFormatFile("整", OutDir(home) + "/整", prompts, kScreen, QuickWrite());
    ASSERT_TRUE(out.ok);
    const QString text = DecodeText(FileBytes(out.path));
    // What a whole file imports as (the warned texts changed on the way).
    ScriptedPrompter full;
    full.answers = {PromptAnswer::No};
    ASSERT_TRUE(ImportFormatFile(out.path, full, NoProgress(), Quick(QStringLiteral("整副本"))).ok);
    const std::vector<Box> whole = ByPlace(LoadFormat("整副本").boxes);
    const QString path = OutDir(home) + "/截断.tvq";
    const int firstRecord = int(text.indexOf("\r\n", text.indexOf("\r\n") + 2)) + 2;
    int refused = 0, complete = 0;
    for (int cut = firstRecord - 2; cut < text.size(); cut += (cut > text.size() - 260 ? 1 : 5)) {
        ASSERT_TRUE(WriteBytes(path, EncodeText(text.left(cut))));
        const Library before = Snapshot();
        ScriptedPrompter p;
        p.answers = {PromptAnswer::No};
        const FormatImportResult in = ImportFormatFile(path, p, NoProgress(), Quick());
        if (!in.ok) {
            ++refused;
            EXPECT_EQ(Snapshot(), before) << "cut at " << cut;
            EXPECT_FALSE(in.error.isEmpty());
            continue;
        }
        // Only a cut among the empty last fields leaves every value there.
        ++complete;
        EXPECT_EQ(ByPlace(LoadFormat(in.name).boxes), whole) << "cut at " << cut;
        FormatStore::Delete(in.name);
    }
    EXPECT_GT(refused, 100);
    EXPECT_LE(complete, 6);
}

TEST(ExchangeImport, ACutOffLastRecordIsNotTakenForPartOfTheOneBeforeIt)
{
    TestHome home;
    // Files of older versions may carry the header record first.
    FormatHeader h;
    h.widthMm = 200;
    h.heightMm = 100;
    const QString head = ExchangeFields(HeaderRecord(h, kScreen)).join(kSep);
    const QString full = QStringList{ExchangeMagicLine(), "进账单", head, BoxLine("1"), BoxLine("2"), BoxLine("3")}.join("\r\n");
    const QString path = OutDir(home) + "/头在前.tvq";
    const Library before = Snapshot();
    for (int fields : {1, 2, 3, 20}) {
        // The last record cut after `fields` fields (the last of them cut short).
        const qsizetype lastStart = full.lastIndexOf("\r\n") + 2;
        qsizetype at = lastStart;
        for (int i = 0; i < fields - 1; ++i) at = full.indexOf(kSep, at) + kSep.size();
        ASSERT_TRUE(WriteBytes(path, EncodeText(full.left(at + 1))));
        ScriptedPrompter prompts;
        prompts.inputs = {std::nullopt};   // should a cut file import, a second one would ask for a name
        const FormatImportResult in = ImportFormatFile(path, prompts, NoProgress(), Quick());
        EXPECT_FALSE(in.ok) << fields;
        EXPECT_EQ(in.error, "格式文件有错！") << fields;
        EXPECT_EQ(Snapshot(), before) << fields;
    }
    ASSERT_TRUE(WriteBytes(path, EncodeText(full)));
    ScriptedPrompter prompts;
    ASSERT_TRUE(ImportFormatFile(path, prompts, NoProgress(), Quick()).ok);
    EXPECT_EQ(LoadFormat("头在前").boxes.size(), 3u);
}

TEST(ExchangeImport, GarbageAndEmptyFilesLeaveTheLibraryAsItWas)
{
    TestHome home;
    SaveHostileFormat(QStringLiteral("原有"));
    const QString dir = OutDir(home);
    QByteArray noise;
    for (int i = 0; i < 5000; ++i) noise += char((i * 7919 + 13) % 256);
    const QString unrecognised = "无法识别此文件";
    const std::vector<std::pair<QString, QByteArray>> files = {
        {"噪声", noise},
        {"图片", JpegBytes(Qt::red)},
        {"魔术行后噪声", EncodeText(ExchangeMagicLine() + "\r\n进账单\r\n") + noise},
        {"只有两行", EncodeText(ExchangeMagicLine() + "\r\n进账单_x")},
        {"空", QByteArray()},
    };
    const Library before = Snapshot();
    for (const auto& [name, bytes] : files) {
        const QString path = dir + "/" + name + ".tvq";
        ASSERT_TRUE(WriteBytes(path, bytes));
        ScriptedPrompter prompts;
        const FormatImportResult in = ImportFormatFile(path, prompts, NoProgress(), Quick());
        EXPECT_FALSE(in.ok) << name.toStdString();
        EXPECT_FALSE(in.error.isEmpty()) << name.toStdString();
        EXPECT_TRUE(prompts.shown.isEmpty()) << "nothing asked of a broken file";
        EXPECT_EQ(Snapshot(), before) << name.toStdString();
    }
    ScriptedPrompter prompts;
    EXPECT_EQ(ImportFormatFile(dir + "/空.tvq", prompts, NoProgress(), Quick()).error,
              "无法打开下载文档：\r\n" + QDir::toNativeSeparators(dir + "/空.tvq"));
    EXPECT_TRUE(ImportFormatFile(dir + "/只有两行.tvq", prompts, NoProgress(), Quick()).error.startsWith(unrecognised));
    EXPECT_EQ(ImportFormatFile(dir + "/魔术行后噪声.tvq", prompts, NoProgress(), Quick()).error, "格式文件有错！");
}

TEST(ExchangeImport, AFailedSaveOrPictureLeavesTheLibraryAsItWas)
{
    TestHome home;
    SaveHostileFormat(QStringLiteral("原有"));
    const QString dir = OutDir(home);
    const QString path = dir + "/新格式.tvq";
    QStringList records;
    for (int i = 1; i <= 5; ++i) records << BoxLine(QString::number(i));
    ASSERT_TRUE(WriteBytes(path, EncodeText(HandFile(records))));
    ASSERT_TRUE(WriteBytes(dir + "/新格式.jpg", JpegBytes(Qt::blue)));
    const Library before = Snapshot();

    // The database refuses the fourth record: none of them stays.
    ASSERT_TRUE(ExecuteSql("CREATE TRIGGER boom BEFORE INSERT ON Fmt WHEN NEW.LBL='框4' BEGIN SELECT RAISE(ABORT, 'x'); END"));
    ScriptedPrompter prompts;
    FormatImportResult in = ImportFormatFile(path, prompts, NoProgress(), Quick());
    EXPECT_FALSE(in.ok);
    EXPECT_EQ(in.error, "格式保存失败，数据库未作任何修改！");
    EXPECT_EQ(Snapshot(), before);
    ASSERT_TRUE(ExecuteSql("DROP TRIGGER boom"));

    // The picture can't be put in place (a folder holds its name): the records go again.
    ASSERT_TRUE(QDir().mkpath(BackgroundStore::PicturePath("新格式")));
    const Library blocked = Snapshot();
    in = ImportFormatFile(path, prompts, NoProgress(), Quick());
    EXPECT_FALSE(in.ok);
    EXPECT_TRUE(in.error.contains("底图无法保存")) << in.error.toStdString();
    EXPECT_EQ(Snapshot(), blocked);
    EXPECT_FALSE(FormatStore::Exists("新格式"));
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST(ExchangeImport, ThePictureBesideTheFileIsTakenAndNoOtherOne)
{
    TestHome home;
    const QString dir = OutDir(home);
    const QString text = HandFile({BoxLine("1")});
    ASSERT_TRUE(WriteBytes(dir + "/带图.tvq", EncodeText(text)));
    ASSERT_TRUE(WriteBytes(dir + "/带图.jpg", JpegBytes(Qt::green)));
    ScriptedPrompter prompts;
    ASSERT_TRUE(ImportFormatFile(dir + "/带图.tvq", prompts, NoProgress(), Quick()).ok);
    EXPECT_EQ(FileHash(BackgroundStore::ExistingPicture("带图")), FileHash(dir + "/带图.jpg"));

    // A picture left under a name before (no format has it) does not show behind the new format.
    ASSERT_TRUE(WriteBytes(BackgroundStore::PicturePath("无图"), JpegBytes(Qt::yellow)));
    ASSERT_TRUE(WriteBytes(dir + "/无图.tvq", EncodeText(text)));
    ASSERT_TRUE(ImportFormatFile(dir + "/无图.tvq", prompts, NoProgress(), Quick()).ok);
    EXPECT_FALSE(BackgroundStore::HasPicture("无图"));

    // A picture file that is no picture is left out, and the operator is told.
    ASSERT_TRUE(WriteBytes(dir + "/坏图.tvq", EncodeText(text)));
    ASSERT_TRUE(WriteBytes(dir + "/坏图.jpg", "not a picture"));
    ScriptedPrompter told;
    const FormatImportResult in = ImportFormatFile(dir + "/坏图.tvq", told, NoProgress(), Quick());
    ASSERT_TRUE(in.ok);
    EXPECT_FALSE(BackgroundStore::HasPicture("坏图"));
    EXPECT_TRUE(in.note.contains("无法读取"));
    EXPECT_TRUE(told.shown.last().startsWith(in.note));
}

TEST(ExchangeImport, FontsKeepTheScreenTheyWereMadeFor)
{
    TestHome home;
    const QString dir = OutDir(home);
    QString text = HandFile({BoxLine("1")});
    ASSERT_TRUE(WriteBytes(dir + "/宽屏.tvq", EncodeText(QString(text).replace(kSep + "15360" + kSep, kSep + "19200" + kSep))));
    ASSERT_TRUE(WriteBytes(dir + "/无宽.tvq", EncodeText(QString(text).replace(kSep + "15360" + kSep, kSep + "0" + kSep))));
    ScriptedPrompter prompts;
    ImportOptions o = Quick();
    o.screenWidthTwips = 20000;
    ASSERT_TRUE(ImportFormatFile(dir + "/宽屏.tvq", prompts, NoProgress(), o).ok);
    ASSERT_TRUE(ImportFormatFile(dir + "/无宽.tvq", prompts, NoProgress(), o).ok);
    auto stored = [](const char* name, const char* field, bool header) {
        return GetFieldWhere("Fmt", header ? "Fmt=? AND LBL=?" : "Fmt=? AND LBL<>?", {QString::fromUtf8(name), HeaderLabel()},
                             QString::fromUtf8(field))
            .toDouble();
    };
    EXPECT_EQ(stored("宽屏", "Color", true), 19200);
    EXPECT_EQ(stored("宽屏", "fSize", false), 9);
    // A width of 0 meant "scale from the old standard screen": done once, here.
    EXPECT_EQ(stored("无宽", "Color", true), 20000);
    EXPECT_DOUBLE_EQ(stored("无宽", "fSize", false), double(RoundHalfEven(9 * ScreenFontFactor(0, 20000) * 100)) / 100);
}

TEST(ExchangeExport, AnExistingFileIsReplacedOnlyAfterYes)
{
    TestHome home;
    SaveHostileFormat(QStringLiteral("导出"));
    const QString dir = OutDir(home);
    ASSERT_TRUE(WriteBytes(dir + "/旧.tvq", "old text"));
    ASSERT_TRUE(WriteBytes(dir + "/旧.jpg", "old picture"));
    ScriptedPrompter no;
    no.answers = {PromptAnswer::No};
    const ExportResult kept = ExportFormatFile("导出", dir + "/旧.tvq", no, kScreen, QuickWrite());
    EXPECT_FALSE(kept.ok);
    EXPECT_TRUE(kept.cancelled);
    EXPECT_TRUE(kept.message.isEmpty());
    ASSERT_EQ(no.shown.size(), 1);
    EXPECT_TRUE(no.shown[0].startsWith("文件：“" + dir + "/旧.tvq”已经存在，是否覆盖？")) << no.shown[0].toStdString();
    EXPECT_EQ(FileBytes(dir + "/旧.tvq"), "old text");
    EXPECT_EQ(FileBytes(dir + "/旧.jpg"), "old picture");

    ScriptedPrompter yes;
    const ExportResult done = ExportFormatFile("导出", dir + "/旧.tvq", yes, kScreen, QuickWrite());
    ASSERT_TRUE(done.ok);
    EXPECT_TRUE(DecodeText(FileBytes(dir + "/旧.tvq")).startsWith(ExchangeMagicLine()));
    EXPECT_EQ(FileHash(dir + "/旧.jpg"), FileHash(BackgroundStore::ExistingPicture("导出")));

    // A format without a picture removes an old picture beside the file, so an
    // import can't take it for this format's.
    SaveHostileFormat(QStringLiteral("无图导出"), false);
    ASSERT_TRUE(WriteBytes(dir + "/无图.jpg", "stale"));
    ScriptedPrompter asked;
    const ExportResult bare = ExportFormatFile("无图导出", dir + "/无图", asked, kScreen, QuickWrite());
    ASSERT_TRUE(bare.ok);
    EXPECT_EQ(asked.shown.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(dir + "/无图.jpg"));
    EXPECT_TRUE(bare.picturePath.isEmpty());
}

TEST(ExchangeExport, DoneIsToldOnlyForAFileThatIsThere)
{
    TestHome home;
    SaveHostileFormat(QStringLiteral("导出"));
    ScriptedPrompter prompts;
    // A folder that is not there: every attempt fails, and the operator hears so.
    const QString missing = home.file("没有的文件夹/a.tvq");
    const ExportResult failed = ExportFormatFile("导出", missing, prompts, kScreen, QuickWrite());
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.cancelled);
    EXPECT_TRUE(failed.message.isEmpty());
    EXPECT_TRUE(failed.error.startsWith("格式“导出”导出失败")) << failed.error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(missing));

    // A folder in the file's place: the text goes to the name with "1", and the
    // message names that file.
    const QString dir = OutDir(home);
    ASSERT_TRUE(QDir().mkpath(dir + "/占用.tvq"));
    const ExportResult moved = ExportFormatFile("导出", dir + "/占用.tvq", prompts, kScreen, QuickWrite());
    ASSERT_TRUE(moved.ok) << moved.error.toStdString();
    EXPECT_EQ(moved.path, dir + "/占用.tvq1");
    EXPECT_TRUE(QFileInfo(moved.path).isFile());
    EXPECT_TRUE(moved.message.contains("文件：" + dir + "/占用.tvq1"));
    EXPECT_EQ(moved.picturePath, dir + "/占用.jpg");

    // A format that is not there is no export.
    const ExportResult none = ExportFormatFile("不存在", dir + "/n.tvq", prompts, kScreen, QuickWrite());
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(none.error, "格式“不存在”不存在，无法导出！");
    EXPECT_FALSE(QFileInfo::exists(dir + "/n.tvq"));
}
