#include "RecordingProgress.h"
#include "model/BoxGeometry.h"
#include "model/Selection.h"
#include "model/SlipFormat.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace slip;

namespace {

Box TextAt(double x, double y, const QString& caption = QStringLiteral("金额"))
{
    Box b = NewBoxOfKind(BoxKind::Text, QPointF(x, y));
    b.caption = caption;
    return b;
}

SlipFormat& Opened(SlipFormat& f, std::vector<Box> boxes = {})
{
    FormatHeader h;
    h.name = QStringLiteral("进账单");
    h.widthMm = 200;
    h.heightMm = 100;
    f.Load(h, std::move(boxes));
    return f;
}

} // namespace

TEST(SlipFormat, IndexesFollowKindAndOrderAndAKindHoldsAtMost999Boxes)
{
    SlipFormat f;
    Opened(f);
    const BoxId t1 = f.AddBox(TextAt(1, 1));
    const BoxId c1 = f.AddBox(NewBoxOfKind(BoxKind::Check, {5, 5}));
    const BoxId t2 = f.AddBox(TextAt(2, 2));
    const BoxId l1 = f.AddBox(NewBoxOfKind(BoxKind::Line, {0, 0}));
    for (const auto& [id, index] : {std::pair{t1, 1}, {t2, 2}, {c1, 1001}, {l1, 3001}, {BoxId(12345), 0}})
        EXPECT_EQ(f.IndexOf(id), index) << id;

    for (int i = f.Count(BoxKind::Text); i < kMaxBoxesPerKind; ++i) ASSERT_NE(f.AddBox(TextAt(1, 1)), 0);
    EXPECT_EQ(f.Count(BoxKind::Text), 999);
    EXPECT_EQ(f.AddBox(TextAt(1, 1)), 0);  // the thousandth is refused
    EXPECT_EQ(f.Count(BoxKind::Text), 999);
    EXPECT_NE(f.AddBox(NewBoxOfKind(BoxKind::Label, {1, 1})), 0);  // other kinds still take boxes
}

TEST(SlipFormat, NewBoxesGetTemporaryIdsAndACaptionlessTextBoxKeepsItsText)
{
    SlipFormat f;
    Box saved = TextAt(1, 1);
    saved.id = 12;
    Box saved2 = TextAt(1, 1);
    saved2.id = 15;
    Opened(f, {saved, saved2});
    EXPECT_EQ(f.GetNewTempID(), -1);
    EXPECT_EQ(f.AddBox(TextAt(0, 0)), -1);
    EXPECT_EQ(f.AddBox(TextAt(0, 0)), -2);
    EXPECT_EQ(f.GetNewTempID(), -3);
    // A box that brings an ID already in use gets a new one.
    Box dup = TextAt(0, 0);
    dup.id = 12;
    EXPECT_EQ(f.AddBox(dup), -3);
    Box fixed = TextAt(1, 1, QString());
    fixed.fixedText = QStringLiteral("人民币");
    fixed.id = 3;
    Box plain = TextAt(1, 10);
    plain.id = 4;
    Opened(f, {fixed, plain});
    EXPECT_EQ(f.Value(3), "人民币");
    EXPECT_FALSE(f.IsModified());
    f.SetValue(4, QStringLiteral("100"));
    f.SetValue(3, QStringLiteral("美元"));
    EXPECT_FALSE(f.IsModified());  // what is typed on the slip is no change of the format
    EXPECT_EQ(f.Find(3)->fixedText, "美元");
}

TEST(SlipFormat, ValuesAndMarksOfUnknownBoxesAreRefusedAndKindsStay)
{
    SlipFormat f;
    Opened(f);
    const BoxId id = f.AddBox(TextAt(1, 1));
    f.SetValue(999, QStringLiteral("x"));
    EXPECT_TRUE(f.Values().isEmpty());
    f.SetSelected(999, true);
    EXPECT_TRUE(f.Selection().isEmpty());
    QSignalSpy values(&f, &SlipFormat::valueChanged);
    f.SetValue(id, QStringLiteral("1"));
    f.SetValue(id, QStringLiteral("1"));
    EXPECT_EQ(values.count(), 1);  // no signal for an unchanged value
    f.SetValue(id, QString());
    EXPECT_FALSE(f.Values().contains(id));
    // The kind of a box never changes.
    Box b = *f.Find(id);
    b.kind = BoxKind::Line;
    EXPECT_TRUE(f.UpdateBox(b));
    EXPECT_EQ(f.Find(id)->kind, BoxKind::Text);
    EXPECT_EQ(f.Count(BoxKind::Line), 0);
}

TEST(SlipFormat, RemovingBoxesDropsTheirValuesMarksAndTheLinksToThem)
{
    SlipFormat f;
    Opened(f);
    const BoxId a = f.AddBox(TextAt(1, 1));
    const BoxId b = f.AddBox(TextAt(1, 10));
    Box linked = *f.Find(a);
    linked.relation = {RelationKind::Related, b};
    linked.sum1 = {b, SumOp::Add, false};
    linked.sum2 = {b, SumOp::Multiply, true};
    ASSERT_TRUE(f.UpdateBox(linked));
    f.SetValue(b, QStringLiteral("5"));
    f.SetSelection({a, b});
    f.RemoveBoxes({b});
    EXPECT_EQ(f.Find(b), nullptr);
    EXPECT_FALSE(f.Find(a)->relation.IsSet());
    EXPECT_FALSE(f.Find(a)->sum1.IsSet());
    EXPECT_FALSE(f.Find(a)->sum2.IsSet());
    EXPECT_EQ(f.Selection(), QSet<BoxId>{a});
    EXPECT_FALSE(f.Values().contains(b));
    EXPECT_EQ(f.IndexOf(a), 1);
}

TEST(Box, ACheckBoxIsTickedByAnyValueButBlank)
{
    // "0" is a text that is there: it ticks.
    const std::pair<const char*, bool> cases[] = {{"1", true}, {"√", true}, {"2", true}, {"", false},
                                                  {"  ", false}, {"0", true}, {" 0 ", true}};
    for (const auto& [value, ticked] : cases) EXPECT_EQ(IsTicked(QString::fromUtf8(value)), ticked) << value;
}

// Wherever a value comes from, a box holds its line breaks as CR LF; the
// marker is a line break only when the value comes from outside the slip.
TEST(BoxValue, EveryLineBreakIsCrLfAndEveryTickIsOneRule)
{
    const struct {
        BoxKind kind;
        QString text, marker, held;
    } cases[] = {
        {BoxKind::Text, "一\r\n二", "", "一\r\n二"},
        {BoxKind::Text, "一\n二", "", "一\r\n二"},           // the editor's bare LF
        {BoxKind::Text, "一\r二\n\n三", "", "一\r\n二\r\n\r\n三"},  // a lone CR, an empty line
        {BoxKind::Text, "多行第一行//多行第二行//李四", "//", "多行第一行\r\n多行第二行\r\n李四"},
        {BoxKind::Text, "一//二", "", "一//二"},               // no marker: plain text
        {BoxKind::Text, "一##二//三\n", "##", "一\r\n二//三\r\n"},
        {BoxKind::Text, "甲ab乙AB丙", "ab", "甲\r\n乙AB丙"},     // the marker matches exactly
        {BoxKind::Check, "0", "", "1"},                          // a text that is there ticks
        {BoxKind::Check, " 0 ", "", "1"},
        {BoxKind::Check, "√", "", "1"},
        {BoxKind::Check, "", "", ""},
        {BoxKind::Check, "   ", "", ""},
        {BoxKind::Picture, "C://图//章.png", "//", "C://图//章.png"},  // a path as it is
        {BoxKind::Line, "x", "", ""},
        {BoxKind::Label, "x", "", ""},
    };
    SlipFormat f;
    Box text = TextAt(1, 1);
    text.id = 1;
    Box check = NewBoxOfKind(BoxKind::Check, {1, 10});
    check.id = 2;
    Box picture = NewBoxOfKind(BoxKind::Picture, {1, 20});
    picture.id = 3;
    Box line = NewBoxOfKind(BoxKind::Line, {1, 40});
    line.id = 4;
    Box label = NewBoxOfKind(BoxKind::Label, {1, 50});
    label.id = 5;
    Opened(f, {text, check, picture, line, label});
    for (const auto& c : cases) {
        EXPECT_EQ(BoxValueOf(c.kind, c.text, c.marker), c.held) << c.text.toStdString();
        // The model holds every value so, by whichever path it comes.
        const BoxId id = f.BoxesOfKind(c.kind).front()->id;
        f.SetStoredValue(id, c.text, c.marker);
        EXPECT_EQ(f.Value(id), c.held) << c.text.toStdString();
        if (c.marker.isEmpty()) {
            f.SetValue(id, QStringLiteral("旧"));
            f.SetValue(id, c.text);
            EXPECT_EQ(f.Value(id), c.held) << c.text.toStdString();
        }
    }
    // A fixed text stored with bare LF starts the slip with CR LF.
    Box fixed = TextAt(1, 1, QString());
    fixed.id = 9;
    fixed.fixedText = QStringLiteral("一\n二");
    Opened(f, {fixed});
    EXPECT_EQ(f.Value(9), "一\r\n二");
}

TEST(SlipFormat, PlacesAreKeptToThousandthsOfAMillimetreAndSavedIdsReachBoxesLinksValuesAndMarks)
{
    SlipFormat f;
    Opened(f);
    Box b = TextAt(11.943127962, 90.1);
    b.rect.setWidth(10.0625);   // a half goes to the even neighbour
    b.rect.setHeight(5.0635);
    const BoxId id = f.AddBox(b);
    EXPECT_EQ(f.Find(id)->rect, QRectF(11.943, 90.1, 10.062, 5.064));
    Box moved = *f.Find(id);
    moved.rect.translate(0.9, 0.9);  // 90.1 + 0.9 is 91.00000000000001 in binary
    f.UpdateBox(moved);
    EXPECT_EQ(f.Find(id)->rect.top(), 91);
    Box line = NewBoxOfKind(BoxKind::Line, {1.00049, 2});
    EXPECT_EQ(f.Find(f.AddBox(line))->line.p1(), QPointF(1, 2));
    const BoxId a = f.AddBox(TextAt(1, 1));
    const BoxId c = f.AddBox(TextAt(1, 10));
    Box box = *f.Find(a);
    box.sum2 = {c, SumOp::Multiply, true};
    f.UpdateBox(box);
    f.SetValue(c, QStringLiteral("7"));
    f.SetSelected(c, true);
    f.ApplySavedIds({{a, 40}, {c, 57}});
    ASSERT_NE(f.Find(40), nullptr);
    EXPECT_EQ(f.Find(40)->sum2, (SumTarget{57, SumOp::Multiply, true}));
    EXPECT_EQ(f.Value(57), "7");
    EXPECT_TRUE(f.IsSelected(57));
    EXPECT_EQ(f.Find(a), nullptr);
}

TEST(Selection, BandsTouchBoxesByOverlapAndLinesByAnEnd)
{
    SlipFormat f;
    Opened(f);
    Box t = TextAt(10, 10);          // 10..40 x 10..16
    t.rect = QRectF(10, 10, 30, 6);
    const BoxId text = f.AddBox(t);
    Box l = NewBoxOfKind(BoxKind::Line, {0, 50});
    l.line = QLineF(0, 50, 100, 50);
    const BoxId line = f.AddBox(l);
    const BoxId check = f.AddBox(NewBoxOfKind(BoxKind::Check, {60, 10}));

    // An edge on the band's edge counts; a band drawn backwards is the same band.
    EXPECT_TRUE(CtlInRect(*f.Find(text), QRectF(QPointF(40, 16), QPointF(45, 20))));
    EXPECT_TRUE(CtlInRect(*f.Find(text), QRectF(QPointF(45, 20), QPointF(40, 16))));
    EXPECT_FALSE(CtlInRect(*f.Find(text), QRectF(QPointF(40.01, 16), QPointF(45, 20))));
    // A zero-size band touches what contains its point.
    EXPECT_TRUE(CtlInRect(*f.Find(text), QRectF(QPointF(20, 12), QPointF(20, 12))));
    // A line through the band with both ends outside is not touched.
    EXPECT_FALSE(CtlInRect(*f.Find(line), QRectF(40, 40, 20, 20)));
    EXPECT_TRUE(CtlInRect(*f.Find(line), QRectF(90, 45, 20, 10)));

    SelectCtlsInRect(f, QRectF(0, 0, 50, 20), false);
    EXPECT_EQ(f.Selection(), QSet<BoxId>{text});
    SelectCtlsInRect(f, QRectF(55, 5, 20, 20), true);  // Ctrl alone adds
    EXPECT_EQ(f.Selection(), (QSet<BoxId>{text, check}));
    SelectCtlsInRect(f, QRectF(95, 45, 10, 10), false);  // otherwise replaces
    EXPECT_EQ(f.Selection(), QSet<BoxId>{line});
    EXPECT_EQ(CountSelectedCtls(f), 0);  // lines and labels are not counted
    f.SetSelection({text, check, line});
    EXPECT_EQ(CountSelectedCtls(f), 2);
}

TEST(BoxGeometry, BoxesBeyondTheSlipComeBackOntoIt)
{
    const QSizeF slip(100, 50);
    const double mmPerTwip = 0.01;
    Box b = TextAt(0, 0);
    b.rect = QRectF(90, 48, 30, 6);
    EXPECT_TRUE(PullBoxInside(b, slip, mmPerTwip));
    EXPECT_EQ(b.rect, QRectF(70, 44, 30, 6));
    Box l = NewBoxOfKind(BoxKind::Line, {0, 0});
    l.line = QLineF(-5, 10, 130, 60);
    EXPECT_TRUE(PullBoxInside(l, slip, mmPerTwip));
    EXPECT_EQ(l.line, QLineF(0, 10, 100, 50));
    // A box wider than the slip stays at its left edge.
    b.rect = QRectF(20, 0, 150, 6);
    PullBoxInside(b, slip, mmPerTwip);
    EXPECT_EQ(b.rect.left(), 0);
    // No slip size: nothing to pull into.
    EXPECT_FALSE(PullBoxInside(b, QSizeF(0, 50), mmPerTwip));
}

TEST(BoxGeometry, ABoxBeyondTheTopLeftCornerLands300ScreenTwipsBelowTheTop)
{
    // mm per screen twip: a slip at real size, and a 200 mm slip fitted to
    // a frame of 800 pixels (12000 twips).
    for (const double mmPerTwip : {25.4 / 1440, 200.0 / 12000}) {
        SlipFormat f;
        FormatHeader h;
        h.widthMm = 200;
        h.heightMm = 100;
        f.Load(h, {});
        Box b = TextAt(0, 0);
        b.rect = QRectF(-3, -4, 30, 6);
        const BoxId id = f.AddBox(b);
        const BoxId inside = f.AddBox(TextAt(10, 10));
        test::RecordingProgress progress;
        EXPECT_EQ(PullBoxesInside(f, mmPerTwip, progress), 1);
        // One step per kind of box.
        EXPECT_EQ(progress.titles, QStringList{"正在检查所有内容框..."});
        EXPECT_EQ(progress.totals, QList<int>{5});
        EXPECT_EQ(progress.units, QStringList(5, "pages"));
        EXPECT_EQ(progress.stepped, 5);
        EXPECT_EQ(progress.ends, 1);
        EXPECT_EQ(f.Find(id)->rect.left(), 0);
        EXPECT_NEAR(f.Find(id)->rect.top(), 300 * mmPerTwip, 0.0005);  // kept to three decimals
        EXPECT_EQ(f.Find(inside)->rect.topLeft(), QPointF(10, 10));
        EXPECT_EQ(PullBoxesInside(f, mmPerTwip), 0);
    }
}

TEST(SlipFormat, ModifiedFollowsFormatChangesOnly)
{
    SlipFormat f;
    Opened(f);
    QSignalSpy modified(&f, &SlipFormat::modifiedChanged);
    EXPECT_FALSE(f.IsModified());
    const BoxId a = f.AddBox(TextAt(1, 1));
    EXPECT_TRUE(f.IsModified());
    f.SetModified(false);
    f.SetSelected(a, true);
    f.SetValue(a, QStringLiteral("x"));
    EXPECT_FALSE(f.IsModified());
    SlipOptions o = f.Options();
    o.showRulers = true;
    f.SetOptions(o);
    EXPECT_TRUE(f.IsModified());
    f.SetModified(false);
    f.SetSlipSize(200, 100);  // unchanged: no change
    EXPECT_FALSE(f.IsModified());
    EXPECT_EQ(modified.count(), 4);
}
