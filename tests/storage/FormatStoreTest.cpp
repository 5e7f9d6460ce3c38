#include "DamagedTable.h"
#include "FileBytes.h"
#include "RecordingProgress.h"
#include "TestHome.h"

#include "storage/BackgroundStore.h"
#include "storage/BoxRecord.h"
#include "storage/Database.h"
#include "storage/FormatStore.h"
#include "model/BoxEditing.h"

using namespace slip;

namespace {

constexpr int kScreen = 15360;

Box Text(double x, const QString& caption)
{
    Box b = NewBoxOfKind(BoxKind::Text, QPointF(x, 10));
    b.caption = caption;
    return b;
}

// A format with a box of every kind, every field set away from its default.
SlipFormat& Full(SlipFormat& f, const QString& name)
{
    FormatHeader h{name, 210.5, 99.25};
    h.offsetXMm = 12;
    h.offsetYMm = 7;
    h.options.showRulers = true;
    h.options.guidesToCentre = true;
    h.options.printBackground = true;
    h.options.currencyChar = QChar(u'$');
    f.Load(h, {});
    Box t = Text(20.125, QStringLiteral("金额'; DROP TABLE Fmt; --"));
    t.captionSide = CaptionSide::Above;
    t.charSpacingMm = 1.5;
    t.lineSpacingMm = 2.25;
    t.align = TextAlign::Centre;
    t.color = QColor(10, 20, 30);
    t.font = {QStringLiteral("黑体"), 12.5, true, true, true, true};
    t.dataType = DataType::FromStored(114.11);
    const BoxId text = f.AddBox(t);
    Box words = Text(60, QStringLiteral("大写"));
    words.color = Qt::black;
    const BoxId wordsId = f.AddBox(words);
    Box fixed = Text(100, QString());
    fixed.fixedText = QStringLiteral("固定\n文字");
    f.AddBox(fixed);
    Box c = NewBoxOfKind(BoxKind::Check, {5, 50});
    c.caption = QStringLiteral("现金");
    const BoxId check = f.AddBox(c);
    Box c2 = NewBoxOfKind(BoxKind::Check, {15, 50});
    c2.caption = QStringLiteral("转账");
    const BoxId check2 = f.AddBox(c2);
    f.AddBox(NewBoxOfKind(BoxKind::Picture, {120, 40}));
    Box l = NewBoxOfKind(BoxKind::Line, {0, 0});
    l.line = QLineF(1, 2, 150, 2.5);
    l.lineStyle = 3;
    l.lineWidth = 2;
    l.color = Qt::red;
    f.AddBox(l);
    f.AddBox(NewBoxOfKind(BoxKind::Label, {30, 80}));
    // Links between boxes none of which is saved yet.
    Box tt = *f.Find(text);
    tt.sum1 = {wordsId, SumOp::Multiply, true};
    tt.sum2 = {wordsId, SumOp::Add, false};
    tt.relation = {RelationKind::Related, wordsId};
    f.UpdateBox(tt);
    Box cc = *f.Find(check);
    cc.relation = {RelationKind::ChainNext, check2};
    f.UpdateBox(cc);
    Box cc2 = *f.Find(check2);
    cc2.relation = {RelationKind::ChainNext, check};
    f.UpdateBox(cc2);
    return f;
}

std::vector<Box> WithoutIds(std::vector<Box> boxes)
{
    for (Box& b : boxes) b.id = b.relation.target = b.sum1.target = b.sum2.target = 0;
    return boxes;
}

// Each test has its own database and a format to fill.
class FormatStoreTest : public ::testing::Test {
protected:
    // Fills f with Full, saves it and gives its boxes their record IDs.
    bool SaveFull(const QString& name)
    {
        Full(f, name);
        const bool ok = FormatStore::Save(f, name, false, kScreen, ids).ok;
        f.ApplySavedIds(ids);
        return ok;
    }
    test::TestHome home;
    SlipFormat f;
    QHash<BoxId, BoxId> ids;
};

} // namespace

TEST_F(FormatStoreTest, EveryFieldOfEveryKindComesBackAsSaved)
{
    ASSERT_TRUE(SaveFull(QStringLiteral("进账单'\"x")));
    ASSERT_EQ(ids.size(), int(f.Boxes().size()));
    for (const Box& b : f.Boxes()) EXPECT_GT(b.id, 0);

    StoredFormat back;
    ASSERT_TRUE(FormatStore::Load(f.Name(), kScreen, FormatHeader(), back).ok);
    EXPECT_TRUE(back.hasHeader);
    EXPECT_EQ(back.header, f.Header());
    // Loaded by kind, then record ID: the order boxes were added within a kind.
    ASSERT_EQ(back.boxes.size(), f.Boxes().size());
    for (const Box& b : back.boxes) {
        const Box* saved = f.Find(b.id);
        ASSERT_NE(saved, nullptr);
        EXPECT_EQ(b, *saved) << b.caption.toStdString();
    }
}

TEST_F(FormatStoreTest, SavingAgainKeepsRecordsDropsRemovedOnesAndWritesTheHeaderAnew)
{
    ASSERT_TRUE(SaveFull(QStringLiteral("链接")));
    const BoxId gone = f.Boxes().front().id, kept = f.Boxes().back().id;
    f.RemoveBoxes({gone});
    // A saved box links to a new one: the link settles on its record ID.
    Box b = *f.Find(kept);
    b.relation = {RelationKind::ChainNext, f.AddBox(Text(4, QStringLiteral("D")))};
    f.UpdateBox(b);
    ASSERT_TRUE(FormatStore::Save(f, f.Name(), false, kScreen, ids).ok);
    EXPECT_EQ(ids[kept], kept);
    EXPECT_EQ(GetFieldWhere("Fmt", "ID=?", {kept}, "RCtl").toLongLong(), ids[b.relation.target]);
    EXPECT_TRUE(OpenRecordset("SELECT * FROM Fmt WHERE ID=?", {gone}).isEmpty());
    EXPECT_EQ(OpenRecordset("SELECT * FROM Fmt WHERE Fmt=?", {f.Name()}).RecordCount(), int(f.Boxes().size()) + 1);
}

// Links over unsaved boxes name their temporary IDs; the save stores the record IDs they get.
TEST_F(FormatStoreTest, LinksOverUnsavedBoxesAreStoredOnTheirRecordIds)
{
    const struct { bool ring; BoxKind kind; } cases[] = {
        {true, BoxKind::Text}, {true, BoxKind::Check}, {false, BoxKind::Text}};
    for (const auto& c : cases) {
        const QString name = QStringLiteral("链%1%2").arg(c.ring).arg(int(c.kind));
        f.Load(FormatHeader{name, 200, 100}, {});
        std::vector<BoxId> temp;
        for (int i = 0; i < 3; ++i) temp.push_back(f.AddBox(NewBoxOfKind(c.kind, QPointF(10 + 20 * i, 10))));
        ASSERT_LT(temp.back(), 0);
        f.SetSelection({temp[0], temp[2]});
        if (c.ring) MakeRelationRing(f, temp[1]);
        else MakeRelatedPath(f, temp[1]);
        ASSERT_TRUE(FormatStore::Save(f, name, false, kScreen, ids).ok);
        StoredFormat back;
        ASSERT_TRUE(FormatStore::Load(name, kScreen, FormatHeader(), back).ok);
        QHash<BoxId, Relation> stored;  // by the temporary ID
        for (const Box& b : back.boxes) stored.insert(ids.key(b.id), b.relation);
        ASSERT_EQ(stored.size(), 3);
        // Clicked box 2, then the marked 1 and 3; a ring closes back on 2.
        const BoxId r1 = ids.value(temp[0]), r2 = ids.value(temp[1]), r3 = ids.value(temp[2]);
        const RelationKind kind = c.ring ? RelationKind::ChainNext : RelationKind::Related;
        EXPECT_EQ(stored[temp[1]], (Relation{kind, r1})) << name.toStdString();
        EXPECT_EQ(stored[temp[0]], (Relation{kind, r3})) << name.toStdString();
        EXPECT_EQ(stored[temp[2]], (c.ring ? Relation{kind, r2} : Relation{})) << name.toStdString();
    }
}

TEST_F(FormatStoreTest, SaveAsCopiesEveryBoxAsANewRecordWithItsLinks)
{
    ASSERT_TRUE(SaveFull(QStringLiteral("原件")));
    QHash<BoxId, BoxId> copy;
    ASSERT_TRUE(FormatStore::Save(f, QStringLiteral("副本"), true, kScreen, copy).ok);
    for (auto it = copy.cbegin(); it != copy.cend(); ++it) EXPECT_NE(it.key(), it.value());
    StoredFormat a, b;
    ASSERT_TRUE(FormatStore::Load(QStringLiteral("原件"), kScreen, {}, a).ok);
    ASSERT_TRUE(FormatStore::Load(QStringLiteral("副本"), kScreen, {}, b).ok);
    EXPECT_EQ(WithoutIds(a.boxes), WithoutIds(b.boxes));
    // The copy's links point into the copy.
    for (const Box& box : b.boxes)
        for (BoxId t : {box.relation.target, box.sum1.target, box.sum2.target})
            if (t) EXPECT_TRUE(std::any_of(b.boxes.begin(), b.boxes.end(), [&](const Box& o) { return o.id == t; }));
}

TEST_F(FormatStoreTest, ASaveStepsOncePerBoxAndOnceForTheRest)
{
    Full(f, QStringLiteral("步"));
    test::RecordingProgress progress;
    ASSERT_TRUE(FormatStore::Save(f, f.Name(), false, kScreen, ids, {}, progress).ok);
    // The box table's rows, its caption row among them, and one more.
    const int rows = int(f.Boxes().size()) + 1;
    EXPECT_EQ(progress.totals, QList<int>{rows + 1});
    EXPECT_EQ(progress.titles, QStringList{"正在保存格式……"});
    EXPECT_EQ(progress.stepped, rows);
    EXPECT_FALSE(progress.open);
}

TEST_F(FormatStoreTest, AFailedSaveChangesNothing)
{
    ASSERT_TRUE(SaveFull(QStringLiteral("失败")));
    const Recordset before = OpenRecordset("SELECT * FROM Fmt ORDER BY ID");
    ASSERT_TRUE(ExecuteSql("CREATE TRIGGER boom BEFORE INSERT ON Fmt WHEN NEW.LBL='炸' BEGIN SELECT RAISE(ABORT, 'x'); END"));
    Box b = f.Boxes().front();
    b.rect.moveLeft(3);
    f.UpdateBox(b);
    f.AddBox(Text(9, QStringLiteral("新")));
    f.AddBox(Text(9, QStringLiteral("炸")));
    const StoreResult r = FormatStore::Save(f, f.Name(), false, kScreen, ids);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "格式保存失败，数据库未作任何修改！");
    const Recordset after = OpenRecordset("SELECT * FROM Fmt ORDER BY ID");
    EXPECT_EQ(after.rows, before.rows);
}

TEST_F(FormatStoreTest, FontsFollowTheScreenAndEmptyHeaderFieldsKeepTheirValues)
{
    f.Load(FormatHeader{QStringLiteral("字体"), 100, 50}, {});
    Box t = Text(1, QStringLiteral("A"));
    t.font.pointSize = 10;
    f.AddBox(t);
    ASSERT_TRUE(FormatStore::Save(f, f.Name(), false, 15360, ids).ok);
    ASSERT_TRUE(FormatStore::Save(f, QStringLiteral("无表头"), true, 15360, ids).ok);
    ASSERT_TRUE(ExecuteSql("DELETE FROM Fmt WHERE Fmt=? AND LBL=?", {QStringLiteral("无表头"), HeaderLabel()}));
    StoredFormat back;
    const double wider = (19200 - 340) / 15020.0;
    const struct {
        const char* name;
        int screen;
        double before;  // the factor of the format read before
        double size;
        double factor;
    } cases[] = {
        {"字体", 19200, 1.0, 12.56, wider},  // opened on a wider screen
        {"字体", 15360, 1.25, 10.0, 1.0},
        {"无表头", 15360, 1.25, 12.5, 1.25},  // no header: the factor before stays
        {"无表头", 19200, 1.0, 10.0, 1.0},
    };
    for (const auto& c : cases) {
        FormatHeader before;
        before.screenFontFactor = c.before;
        ASSERT_TRUE(FormatStore::Load(QString::fromUtf8(c.name), c.screen, before, back).ok);
        ASSERT_EQ(back.boxes.size(), 1u);
        EXPECT_DOUBLE_EQ(back.boxes[0].font.pointSize, c.size) << c.name << c.screen;
        EXPECT_DOUBLE_EQ(back.header.screenFontFactor, c.factor) << c.name << c.screen;
    }
    ASSERT_TRUE(ExecuteSql("UPDATE Fmt SET W=NULL, X='' WHERE Fmt=? AND LBL=?", {f.Name(), HeaderLabel()}));
    ASSERT_TRUE(FormatStore::Load(f.Name(), 15360, FormatHeader{{}, 77, 0, 11}, back).ok);
    EXPECT_EQ(QVector<double>({back.header.widthMm, back.header.offsetXMm, back.header.heightMm}),
              QVector<double>({77, 11, 50}));
}

TEST_F(FormatStoreTest, ARecordOfNoKnownKindIsSkipped)
{
    for (const char* clas : {"7", "-1", "1.5"})
        ASSERT_GT(InsertRow("INSERT INTO Fmt(Fmt, Clas, LBL) VALUES('坏', ?, 'x')", {QString::fromLatin1(clas)}), 0);
    ASSERT_GT(InsertRow("INSERT INTO Fmt(Fmt, Clas, LBL, W, H) VALUES('坏', 0, '好', 10, 5)", {}), 0);
    StoredFormat back;
    ASSERT_TRUE(FormatStore::Load(QStringLiteral("坏"), kScreen, {}, back).ok);
    ASSERT_EQ(back.boxes.size(), 1u);
    EXPECT_EQ(back.boxes[0].caption, "好");
    EXPECT_FALSE(back.hasHeader);
}

TEST(BoxRecord, OptionListsAndStateSwitchesReadAsStored)
{
    SlipOptions o;
    ApplyOptionList("TRUE|false|1|0|0|1|1|False|$|", o);
    EXPECT_TRUE(o.setPaper);
    EXPECT_FALSE(o.printBackground);
    EXPECT_TRUE(o.showRulers && o.guidesToCentre && o.showBackground);
    EXPECT_EQ(o.currencyChar, QChar(u'$'));
    EXPECT_EQ(EncodeOptionList(o), "True|False|1|0|0|1|1|False|$|");
    ApplyOptionList("True|True|0|0|0|0|0|True|", o);  // empty item 8: the yuan sign
    EXPECT_EQ(o.currencyChar, kYuanSign);
    SlipOptions short_;
    ApplyOptionList("True|True|1", short_);  // fewer than eight items change nothing
    EXPECT_FALSE(short_.setPaper);
    SlipOptions s;
    s.lengthwise = true;
    ApplyStateSwitches("1", s);  // one item sets only the first switch
    EXPECT_TRUE(s.showRulers);
    EXPECT_TRUE(s.lengthwise);
    EXPECT_EQ(EncodeStateSwitches(s), "1§☆§1§☆§0");
}

TEST(BoxRecord, LinksDecodeByTheirSignAndTenth)
{
    EXPECT_DOUBLE_EQ(EncodeSumTarget({40000, SumOp::Add, true}), 40000.1);
    EXPECT_EQ(DecodeRelation(-3), (Relation{RelationKind::Related, 3}));
    EXPECT_EQ(DecodeRelation(57), (Relation{RelationKind::ChainNext, 57}));
    // A temporary ID is never stored: it would read back as the other kind.
    EXPECT_EQ(EncodeRelation({RelationKind::ChainNext, -3}), 0);
    EXPECT_EQ(EncodeSumTarget({-3, SumOp::Add, false}), 0);
    EXPECT_EQ(ColorFromStored(65793), QColor(Qt::black));
    EXPECT_EQ(ColorFromStored(0x0000FF), QColor(Qt::red));
    EXPECT_EQ(ColorToStored(Qt::blue), 0xFF0000);
}

TEST_F(FormatStoreTest, StateRecordAndDefaults)
{
    SlipOptions o;
    EXPECT_EQ(FormatStore::LoadCurrentFormatState(o), QString());
    o.showRulers = true;
    o.locked = true;
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState(QStringLiteral("进账单"), o).ok);
    SlipOptions back;
    EXPECT_EQ(FormatStore::LoadCurrentFormatState(back), "进账单");
    EXPECT_TRUE(back.showRulers && back.locked && !back.lengthwise);

    SlipFormat f;
    const FormatHeader h{QStringLiteral("默认")};
    f.Load(h, {});
    Box stored = Text(1, QStringLiteral("A"));
    stored.id = 7;
    const BoxId a = f.AddBox(stored);
    const BoxId line = f.AddBox(NewBoxOfKind(BoxKind::Line, {0, 0}));
    // A box never saved has no record its value could be the default of.
    const BoxId unsaved = f.AddBox(Text(2, QStringLiteral("B")));
    ASSERT_LT(unsaved, 0);
    f.SetValue(unsaved, QStringLiteral("未存"));
    f.SetValue(a, QStringLiteral("第一行\n第二行"));
    f.SetValue(line, QStringLiteral("x"));  // a line holds no value
    ASSERT_TRUE(FormatStore::SaveDefaults(f, h.name).ok);
    // Stored with real line breaks, in the one form a value holds them.
    EXPECT_EQ(OpenRecordset("SELECT Con FROM 默认 WHERE Fmt=?", {h.name}).text(0, "Con"), "第一行\r\n第二行");
    EXPECT_EQ(FormatStore::LoadDefaults(h.name).keys(), QList<BoxId>{a});
    EXPECT_EQ(FormatStore::LoadDefaults(h.name).value(a), "第一行\r\n第二行");
    f.SetValue(a, QString());
    ASSERT_TRUE(FormatStore::SaveDefaults(f, h.name).ok);
    EXPECT_TRUE(FormatStore::LoadDefaults(h.name).isEmpty());  // replaced as a whole

    // A failed read or write of the defaults tells its statement; a failed write keeps the stored ones.
    f.SetValue(a, QStringLiteral("原值"));
    ASSERT_TRUE(FormatStore::SaveDefaults(f, h.name).ok);
    f.SetValue(a, QString());
    for (const bool write : {false, true}) {
        test::TablePage page;
        test::DamageTable("默认", &page);
        QString error;
        if (write) error = FormatStore::SaveDefaults(f, h.name).error;
        else EXPECT_TRUE(FormatStore::LoadDefaults(h.name, &error).isEmpty());
        EXPECT_EQ(error, write ? "数据库打开错误(DELETE FROM 默认 WHERE Fmt='默认')！"
                               : "数据库打开错误(SELECT ID, Con FROM 默认 WHERE Fmt='默认' ORDER BY rowid)！");
        test::RestorePage(page);
        QString after;
        EXPECT_EQ(FormatStore::LoadDefaults(h.name, &after).value(a), "原值") << write;
        EXPECT_EQ(after, "") << write;
    }
}

TEST_F(FormatStoreTest, AStateRecordOrAFormatThatCantBeReadIsToldWithItsStatement)
{
    ASSERT_TRUE(SaveFull("甲"));
    test::DamageTable("Fmt");
    SlipOptions options;
    QString error;
    EXPECT_EQ(FormatStore::LoadCurrentFormatState(options, &error), QString());
    EXPECT_EQ(error, "数据库打开错误(SELECT LBL, fName FROM Fmt WHERE Fmt='' ORDER BY ID LIMIT 1)！");
    StoredFormat stored;
    EXPECT_EQ(FormatStore::Load("甲", 15360, FormatHeader(), stored).error,
              "数据库打开错误(SELECT W, H, X, Y, Color, Mem FROM Fmt WHERE Fmt='甲' AND LBL='【§单据整体格式参数§】'"
              " ORDER BY ID LIMIT 1)！");
}

TEST_F(FormatStoreTest, DeleteTakesTheFormatsRecordsAndNothingElse)
{
    // Its picture stays, and so does a file under the older picture-name rule (an export's copy).
    const QStringList pictures{BackgroundStore::PicturePath("甲/'"), BackgroundStore::FormatFileBase("甲/'") + ".jpg"};
    for (const QString& picture : pictures) ASSERT_TRUE(test::WriteBytes(picture, "jpg"));
    for (const QString& name : {QStringLiteral("甲"), QStringLiteral("甲/'")}) {
        Full(f, name);
            ASSERT_TRUE(FormatStore::Save(f, name, false, kScreen, ids).ok);
        ASSERT_TRUE(ExecuteSql("INSERT INTO 历史(ID, Fmt, CID, Con) VALUES(1, ?, 1, 'x')", {name}));
        ASSERT_TRUE(ExecuteSql("INSERT INTO 映射(ID, Fmt, Map) VALUES(1, ?, 'A')", {name}));
        ASSERT_TRUE(ExecuteSql("INSERT INTO 默认(Fmt, ID, Con) VALUES(?, 1, 'v')", {name}));
    }
    ASSERT_TRUE(FormatStore::Delete(QStringLiteral("甲/'")).ok);
    EXPECT_FALSE(FormatStore::Exists(QStringLiteral("甲/'")));
    EXPECT_TRUE(FormatStore::Exists(QStringLiteral("甲")));
    EXPECT_EQ(OpenRecordset("SELECT * FROM 历史").RecordCount(), 1);
    EXPECT_EQ(OpenRecordset("SELECT * FROM 映射").RecordCount(), 1);
    EXPECT_EQ(OpenRecordset("SELECT * FROM 默认").RecordCount(), 2) << "the defaults stay";
    for (const QString& picture : pictures) EXPECT_TRUE(QFileInfo::exists(picture)) << picture.toStdString();
    const StoreResult none = FormatStore::Delete(QStringLiteral("没有"));
    EXPECT_FALSE(none.ok);
    EXPECT_TRUE(none.error.contains("没有删除任何格式"));
}

// Formats older versions left without a usable size open at a new format's and get its header; no save stores one.
TEST_F(FormatStoreTest, NoFormatIsOfNoSize)
{
    StoredFormat back;
    f.Load(FormatHeader{QStringLiteral("零")}, {});
    EXPECT_FALSE(FormatStore::Save(f, f.Name(), false, kScreen, ids).ok);
    EXPECT_FALSE(FormatStore::Exists(QStringLiteral("零")));
    ASSERT_GT(InsertRow("INSERT INTO Fmt(Fmt, LBL, W, H) VALUES('零', ?, 0, 0)", {HeaderLabel()}), 0);
    ASSERT_GT(InsertRow("INSERT INTO Fmt(Fmt, Clas, LBL) VALUES('无头', 0, '户名')", {}), 0);
    for (const bool mended : {false, true}) {
        if (mended) {
            // One transaction: a statement refused is told and mends nothing (无头 gets no header).
            ASSERT_TRUE(ExecuteSql("CREATE TRIGGER no BEFORE UPDATE ON Fmt BEGIN SELECT RAISE(ABORT, 'x'); END"));
            EXPECT_TRUE(FormatStore::MendHeaders(kScreen).error.startsWith("数据库打开错误(UPDATE Fmt SET W=180, H=90"));
            ASSERT_TRUE(ExecuteSql("DROP TRIGGER no"));
            if (!FormatStore::Load("无头", kScreen, FormatHeader(), back).ok || back.hasHeader) FAIL();
            ASSERT_TRUE(FormatStore::MendHeaders(kScreen).ok);
        }
        for (const auto& [name, header] : {std::pair{"零", true}, std::pair{"无头", false}}) {
            ASSERT_TRUE(FormatStore::Load(name, kScreen, FormatHeader(), back).ok);
            EXPECT_EQ(back.header, (FormatHeader{name, kNewSlipWidthMm, kNewSlipHeightMm})) << name << mended;
            EXPECT_EQ(back.hasHeader, header || mended) << name << mended;
        }
    }
    // Stored as a new format's save stores it: its size, and the screen its fonts are sized for.
    const auto stored = [](const char* name, const char* field) {
        return GetFieldWhere("Fmt", "Fmt=? AND LBL=?", {name, HeaderLabel()}, field).toDouble();
    };
    EXPECT_EQ(QList<double>({stored("零", "W"), stored("零", "H"), stored("无头", "Color")}),
              QList<double>({kNewSlipWidthMm, kNewSlipHeightMm, kScreen}));
}

TEST_F(FormatStoreTest, NamesAreTakenExactlyOrRefused)
{
    for (const char* bad : {"", "   ", " 旁观", "旁观 ", "旁观｜副本", "a\nb", "a\rb"})
        EXPECT_FALSE(FormatStore::NameProblem(QString::fromUtf8(bad)).isEmpty()) << bad;
    for (QChar c : {QChar(0), QChar(0xFFFE), QChar(0xFFFF), QChar(0xD800), QChar(0xDC00)})
        EXPECT_FALSE(FormatStore::NameProblem(QString(c) + "x").isEmpty()) << int(c.unicode());
    for (const char* good : {"旁观", "Q/S\"x", "x' OR '1'='1", "中 间", "\U0001F4B0"})
        EXPECT_TRUE(FormatStore::NameProblem(QString::fromUtf8(good)).isEmpty()) << good;
    for (const QString& kept : {QString(QChar(0xFEFF)), QChar(0xFEFF) + QString("进账单")})
        EXPECT_TRUE(FormatStore::NameProblem(kept).isEmpty());
    // A new name must leave its picture a file name of at most 255 bytes:
    // three bytes a character, ".jpg", and a mark of 9 for a mapped name.
    const struct { QString name; bool fits; } lengths[] = {
        {QString(83, QChar(0x957F)), true}, {QString(84, QChar(0x957F)), false},
        {"/" + QString(80, QChar(0x957F)), true}, {"/" + QString(81, QChar(0x957F)), false},
    };
    for (const auto& l : lengths) {
        EXPECT_EQ(FormatStore::NewNameProblem(l.name).isEmpty(), l.fits) << l.name.size();
        EXPECT_TRUE(FormatStore::NameProblem(l.name).isEmpty());  // a stored one keeps working
    }
    EXPECT_FALSE(FormatStore::NewNameProblem(" 旁观").isEmpty());
    Full(f, QStringLiteral(" 旁观"));
    EXPECT_FALSE(FormatStore::Save(f, f.Name(), false, kScreen, ids).ok);
    EXPECT_FALSE(FormatStore::Exists(QStringLiteral(" 旁观")));
}
