#include "TestHome.h"

#include "model/SlipFormat.h"
#include "storage/BoxRecord.h"
#include "storage/Database.h"
#include "storage/FormatStore.h"

#include <gtest/gtest.h>

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
    FormatHeader h;
    h.name = name;
    h.widthMm = 210.5;
    h.heightMm = 99.25;
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

std::vector<Box> Without(std::vector<Box> boxes, bool ids)
{
    for (Box& b : boxes) {
        if (ids) b.id = 0;
        b.relation.target = b.sum1.target = b.sum2.target = 0;
    }
    return boxes;
}

} // namespace

TEST(FormatStore, EveryFieldOfEveryKindComesBackAsSaved)
{
    test::TestHome home;
    SlipFormat f;
    Full(f, QStringLiteral("进账单'\"x"));
    QHash<BoxId, BoxId> ids;
    const StoreResult r = FormatStore::Save(f, f.Name(), false, kScreen, ids);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    ASSERT_EQ(ids.size(), int(f.Boxes().size()));
    f.ApplySavedIds(ids);
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
    EXPECT_EQ(FormatStore::List().size(), 1u);
}

TEST(FormatStore, LinksToUnsavedBoxesSettleOnTheirRecordIds)
{
    test::TestHome home;
    SlipFormat f;
    FormatHeader h;
    h.name = QStringLiteral("链接");
    h.widthMm = 100;
    h.heightMm = 50;
    Box a = Text(1, QStringLiteral("A"));
    a.id = 0;
    f.Load(h, {});
    const BoxId aId = f.AddBox(a);
    const BoxId bId = f.AddBox(Text(2, QStringLiteral("B")));
    const BoxId cId = f.AddBox(Text(3, QStringLiteral("C")));
    QHash<BoxId, BoxId> ids;
    ASSERT_TRUE(FormatStore::Save(f, h.name, false, kScreen, ids).ok);
    f.ApplySavedIds(ids);
    // A saved box links to a new one: the stored link names its record ID,
    // with the sign of its kind and the tenth of a negated sum term.
    const BoxId dTemp = f.AddBox(Text(4, QStringLiteral("D")));
    Box A = *f.Find(ids[aId]);
    A.relation = {RelationKind::ChainNext, dTemp};
    A.sum1 = {dTemp, SumOp::Multiply, true};
    f.UpdateBox(A);
    Box B = *f.Find(ids[bId]);
    B.sum1 = {dTemp, SumOp::Multiply, false};
    f.UpdateBox(B);
    f.RemoveBoxes({ids[cId]});
    QHash<BoxId, BoxId> ids2;
    ASSERT_TRUE(FormatStore::Save(f, h.name, false, kScreen, ids2).ok);
    const BoxId d = ids2[dTemp];
    ASSERT_GT(d, 0);
    EXPECT_EQ(ids2[ids[aId]], ids[aId]);  // saved boxes keep their records
    auto field = [](BoxId id, const char* name) { return GetFieldById("Fmt", id, name).toDouble(); };
    EXPECT_EQ(field(ids[aId], "RCtl"), d);
    EXPECT_DOUBLE_EQ(field(ids[aId], "SumID"), -(d + 0.1));
    EXPECT_EQ(field(ids[bId], "SumID"), -d);
    // The removed box's record went; the header was written anew.
    EXPECT_TRUE(OpenRecordset("SELECT * FROM Fmt WHERE ID=?", {ids[cId]}).isEmpty());
    EXPECT_EQ(OpenRecordset("SELECT * FROM Fmt WHERE Fmt=? AND LBL=?", {h.name, HeaderLabel()}).RecordCount(), 1);
    EXPECT_EQ(OpenRecordset("SELECT * FROM Fmt WHERE Fmt=?", {h.name}).RecordCount(), 4);
}

TEST(FormatStore, SaveAsCopiesEveryBoxAsANewRecordWithItsLinks)
{
    test::TestHome home;
    SlipFormat f;
    Full(f, QStringLiteral("原件"));
    QHash<BoxId, BoxId> ids;
    ASSERT_TRUE(FormatStore::Save(f, f.Name(), false, kScreen, ids).ok);
    f.ApplySavedIds(ids);
    QHash<BoxId, BoxId> copy;
    ASSERT_TRUE(FormatStore::Save(f, QStringLiteral("副本"), true, kScreen, copy).ok);
    for (auto it = copy.cbegin(); it != copy.cend(); ++it) EXPECT_NE(it.key(), it.value());
    StoredFormat a, b;
    ASSERT_TRUE(FormatStore::Load(QStringLiteral("原件"), kScreen, {}, a).ok);
    ASSERT_TRUE(FormatStore::Load(QStringLiteral("副本"), kScreen, {}, b).ok);
    EXPECT_EQ(Without(a.boxes, true), Without(b.boxes, true));
    // The copy's links point into the copy.
    for (const Box& box : b.boxes)
        for (BoxId t : {box.relation.target, box.sum1.target, box.sum2.target})
            if (t) EXPECT_TRUE(std::any_of(b.boxes.begin(), b.boxes.end(), [&](const Box& o) { return o.id == t; }));
}

TEST(FormatStore, AFailedSaveChangesNothing)
{
    test::TestHome home;
    SlipFormat f;
    Full(f, QStringLiteral("失败"));
    QHash<BoxId, BoxId> ids;
    ASSERT_TRUE(FormatStore::Save(f, f.Name(), false, kScreen, ids).ok);
    f.ApplySavedIds(ids);
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

TEST(FormatStore, FontsFollowTheScreenAndEmptyHeaderFieldsKeepTheirValues)
{
    test::TestHome home;
    SlipFormat f;
    FormatHeader h;
    h.name = QStringLiteral("字体");
    h.widthMm = 100;
    h.heightMm = 50;
    f.Load(h, {});
    Box t = Text(1, QStringLiteral("A"));
    t.font.pointSize = 10;
    f.AddBox(t);
    QHash<BoxId, BoxId> ids;
    ASSERT_TRUE(FormatStore::Save(f, h.name, false, 15360, ids).ok);
    StoredFormat back;
    // Opened on a wider screen: (19200 - 340) / 15020.
    ASSERT_TRUE(FormatStore::Load(h.name, 19200, {}, back).ok);
    EXPECT_DOUBLE_EQ(back.boxes[0].font.pointSize, 12.56);
    ASSERT_TRUE(FormatStore::Load(h.name, 15360, {}, back).ok);
    EXPECT_DOUBLE_EQ(back.boxes[0].font.pointSize, 10);

    ASSERT_TRUE(ExecuteSql("UPDATE Fmt SET W=NULL, X='' WHERE Fmt=? AND LBL=?", {h.name, HeaderLabel()}));
    FormatHeader base;
    base.widthMm = 77;
    base.offsetXMm = 11;
    ASSERT_TRUE(FormatStore::Load(h.name, 15360, base, back).ok);
    EXPECT_EQ(back.header.widthMm, 77);
    EXPECT_EQ(back.header.offsetXMm, 11);
    EXPECT_EQ(back.header.heightMm, 50);
}

TEST(FormatStore, ARecordOfNoKnownKindIsSkipped)
{
    test::TestHome home;
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
    EXPECT_EQ(DecodeSumTarget(12.1), (SumTarget{12, SumOp::Add, true}));
    EXPECT_EQ(DecodeSumTarget(-12.1), (SumTarget{12, SumOp::Multiply, true}));
    EXPECT_EQ(DecodeSumTarget(-12), (SumTarget{12, SumOp::Multiply, false}));
    EXPECT_FALSE(DecodeSumTarget(0).IsSet());
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

TEST(FormatStore, StateRecordAndDefaults)
{
    test::TestHome home;
    SlipOptions o;
    EXPECT_EQ(FormatStore::LoadCurrentFormatState(o), QString());
    o.showRulers = true;
    o.locked = true;
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState(QStringLiteral("进账单"), o).ok);
    SlipOptions back;
    EXPECT_EQ(FormatStore::LoadCurrentFormatState(back), "进账单");
    EXPECT_TRUE(back.showRulers && back.locked && !back.lengthwise);

    SlipFormat f;
    FormatHeader h;
    h.name = QStringLiteral("默认");
    f.Load(h, {});
    const BoxId a = f.AddBox(Text(1, QStringLiteral("A")));
    const BoxId line = f.AddBox(NewBoxOfKind(BoxKind::Line, {0, 0}));
    f.SetValue(a, QStringLiteral("第一行\n第二行"));
    f.SetValue(line, QStringLiteral("x"));  // a line holds no value
    ASSERT_TRUE(FormatStore::SaveDefaults(f, h.name, QStringLiteral("##")).ok);
    EXPECT_EQ(OpenRecordset("SELECT Con FROM 默认 WHERE Fmt=?", {h.name}).text(0, "Con"), "第一行##第二行");
    EXPECT_EQ(FormatStore::LoadDefaults(h.name, QStringLiteral("##")).value(a), "第一行\n第二行");
    f.SetValue(a, QString());
    ASSERT_TRUE(FormatStore::SaveDefaults(f, h.name, QStringLiteral("##")).ok);
    EXPECT_TRUE(FormatStore::LoadDefaults(h.name, QStringLiteral("##")).isEmpty());  // replaced as a whole
}

TEST(FormatStore, DeleteTakesTheFormatsRecordsAndNothingElse)
{
    test::TestHome home;
    SlipFormat f;
    for (const QString& name : {QStringLiteral("甲"), QStringLiteral("甲'")}) {
        Full(f, name);
        QHash<BoxId, BoxId> ids;
        ASSERT_TRUE(FormatStore::Save(f, name, false, kScreen, ids).ok);
        ASSERT_TRUE(ExecuteSql("INSERT INTO 历史(ID, Fmt, CID, Con) VALUES(1, ?, 1, 'x')", {name}));
        ASSERT_TRUE(ExecuteSql("INSERT INTO 映射(ID, Fmt, Map) VALUES(1, ?, 'A')", {name}));
    }
    ASSERT_TRUE(FormatStore::Delete(QStringLiteral("甲'")).ok);
    EXPECT_FALSE(FormatStore::Exists(QStringLiteral("甲'")));
    EXPECT_TRUE(FormatStore::Exists(QStringLiteral("甲")));
    EXPECT_EQ(OpenRecordset("SELECT * FROM 历史").RecordCount(), 1);
    EXPECT_EQ(OpenRecordset("SELECT * FROM 映射").RecordCount(), 1);
    const StoreResult none = FormatStore::Delete(QStringLiteral("没有"));
    EXPECT_FALSE(none.ok);
    EXPECT_TRUE(none.error.contains("没有删除任何格式"));
}

TEST(FormatStore, NamesAreTakenExactlyOrRefused)
{
    for (const char* bad : {"", "   ", " 旁观", "旁观 ", "旁观｜副本", "a\nb", "a\rb"})
        EXPECT_FALSE(FormatStore::NameProblem(QString::fromUtf8(bad)).isEmpty()) << bad;
    EXPECT_FALSE(FormatStore::NameProblem(QString(QChar(0)) + "x").isEmpty());
    for (const char* good : {"旁观", "Q/S\"x", "x' OR '1'='1", "中 间"})
        EXPECT_TRUE(FormatStore::NameProblem(QString::fromUtf8(good)).isEmpty()) << good;
    test::TestHome home;
    SlipFormat f;
    Full(f, QStringLiteral(" 旁观"));
    QHash<BoxId, BoxId> ids;
    EXPECT_FALSE(FormatStore::Save(f, f.Name(), false, kScreen, ids).ok);
    EXPECT_FALSE(FormatStore::Exists(QStringLiteral(" 旁观")));
}
