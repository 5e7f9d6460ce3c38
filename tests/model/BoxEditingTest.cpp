#include "model/BoxEditing.h"
#include "model/Selection.h"

#include "BoxBuilders.h"
#include "ScriptedPrompter.h"

#include <gtest/gtest.h>

using namespace slip;
using namespace slip::test;

namespace {

// A slip of 200 × 100 mm.
class Layout : public ::testing::Test {
protected:
    void Open(std::vector<Box> boxes)
    {
        FormatHeader h;
        h.name = QStringLiteral("测试格式");
        h.widthMm = 200;
        h.heightMm = 100;
        format.Load(h, std::move(boxes));
    }
    const Box& B(BoxId id) const { return *format.Find(id); }
    QRectF R(BoxId id) const { return format.Find(id)->rect; }

    SlipFormat format;
};

void ExpectRect(const QRectF& got, const QRectF& want)
{
    EXPECT_NEAR(got.left(), want.left(), 1e-9);
    EXPECT_NEAR(got.top(), want.top(), 1e-9);
    EXPECT_NEAR(got.width(), want.width(), 1e-9);
    EXPECT_NEAR(got.height(), want.height(), 1e-9);
}

} // namespace

// --- Band selection ------------------------------------------------------

TEST_F(Layout, BandMarksEveryBoxItTouchesAndOnlyThose)
{
    Open({MakeBox(1, BoxKind::Text, {10, 10, 30, 6}), MakeBox(2, BoxKind::Check, {60, 10, 5, 5}),
          MakeBox(3, BoxKind::Picture, {10, 50, 30, 12}), MakeLine(4, {100, 20}, {150, 20})});
    format.SetSelection({3});
    // A band from bottom-right to top-left over the first two boxes and the
    // line's start point; without Ctrl the earlier mark goes.
    SelectCtlsInRect(format, QRectF(QPointF(101, 25), QPointF(35, 12)), false);
    EXPECT_EQ(format.Selection(), (QSet<BoxId>{1, 2, 4}));
}

TEST_F(Layout, BandWithCtrlAddsToTheMarks)
{
    Open({MakeBox(1, BoxKind::Text, {10, 10, 30, 6}), MakeBox(2, BoxKind::Text, {10, 50, 30, 6})});
    format.SetSelection({1});
    SelectCtlsInRect(format, QRectF(5, 45, 10, 10), true);
    EXPECT_EQ(format.Selection(), (QSet<BoxId>{1, 2}));
    SelectCtlsInRect(format, QRectF(5, 45, 10, 10), false);
    EXPECT_EQ(format.Selection(), (QSet<BoxId>{2}));
}

TEST_F(Layout, LineCrossingTheBandWithBothEndsOutsideStaysUnmarked)
{
    Open({MakeLine(1, {0, 50}, {200, 50})});
    SelectCtlsInRect(format, QRectF(50, 40, 20, 20), false);
    EXPECT_TRUE(format.Selection().isEmpty());
}

TEST_F(Layout, ZeroSizeBandTouchesBoxesContainingThePointEdgesIncluded)
{
    Open({MakeBox(1, BoxKind::Text, {10, 10, 30, 6}), MakeBox(2, BoxKind::Text, {40, 10, 30, 6})});
    SelectCtlsInRect(format, QRectF(QPointF(40, 12), QPointF(40, 12)), false);
    EXPECT_EQ(format.Selection(), (QSet<BoxId>{1, 2}));
}

// --- Moving --------------------------------------------------------------

TEST_F(Layout, MarkedBoxesMoveTogetherAndStopTogetherAtTheSlipEdge)
{
    Open({MakeBox(1, BoxKind::Text, {5, 20, 30, 6}), MakeBox(2, BoxKind::Picture, {50, 40, 30, 12}),
          MakeLine(3, {60, 80}, {90, 80}), MakeBox(4, BoxKind::Text, {100, 20, 30, 6})});
    const QPointF made = MoveBoxes(format, {1, 2, 3}, QPointF(-10, 3));
    // The first box reaches the left edge after 5 mm: all stop there, so the
    // arrangement is kept.
    EXPECT_EQ(made, QPointF(-5, 3));
    ExpectRect(R(1), {0, 23, 30, 6});
    ExpectRect(R(2), {45, 43, 30, 12});
    EXPECT_EQ(B(3).line, QLineF(55, 83, 85, 83));
    ExpectRect(R(4), {100, 20, 30, 6});
    // Down: the line is 17 mm above the bottom.
    EXPECT_EQ(MoveBoxes(format, {1, 2, 3}, QPointF(0, 50)), QPointF(0, 17));
    EXPECT_EQ(B(3).line.y1(), 100);
}

TEST_F(Layout, BoxBeyondAnEdgeDoesNotHoldTheOthersBackFromMovingAway)
{
    Open({MakeBox(1, BoxKind::Text, {-8, 20, 30, 6}), MakeBox(2, BoxKind::Text, {50, 20, 30, 6})});
    EXPECT_EQ(MoveBoxes(format, {1, 2}, QPointF(4, 0)), QPointF(4, 0));
    EXPECT_EQ(R(1).left(), -4);
    // Further out is refused, but nothing jumps.
    EXPECT_EQ(MoveBoxes(format, {1, 2}, QPointF(-1, 0)), QPointF(0, 0));
    EXPECT_EQ(R(1).left(), -4);
}

TEST_F(Layout, DragPlacesFromTheStartSoTheArrangementComesBack)
{
    Open({MakeBox(1, BoxKind::Text, {5, 20, 30, 6}), MakeBox(2, BoxKind::Text, {50, 20, 30, 6})});
    format.SetSelection({2});
    const std::vector<Box> from = MarkedBoxesWith(format, 1);
    ASSERT_EQ(from.size(), 2u);
    PlaceShifted(format, from, AllowedShift(from, SlipSizeOf(format), QPointF(-30, 0)));
    EXPECT_EQ(R(1).left(), 0);
    EXPECT_EQ(R(2).left(), 45);
    PlaceShifted(format, from, AllowedShift(from, SlipSizeOf(format), QPointF(0, 0)));
    EXPECT_EQ(R(1).left(), 5);
    EXPECT_EQ(R(2).left(), 50);
}

// --- Resizing ------------------------------------------------------------

TEST_F(Layout, ResizeKeepsEachBoxOnTheSlipAndLeavesCheckBoxesAndLinesAlone)
{
    Open({MakeBox(1, BoxKind::Text, {150, 20, 30, 6}), MakeBox(2, BoxKind::Picture, {10, 80, 30, 12}),
          MakeBox(3, BoxKind::Check, {60, 10, 5, 5}), MakeLine(4, {60, 50}, {90, 50}),
          MakeBox(5, BoxKind::Label, {100, 50, 20, 6})});
    ResizeBoxes(format, {1, 2, 3, 4, 5}, QSizeF(40, 10));
    ExpectRect(R(1), {150, 20, 50, 16});   // right edge on the slip's
    ExpectRect(R(2), {10, 80, 70, 20});    // bottom edge on the slip's
    ExpectRect(R(3), {60, 10, 5, 5});
    EXPECT_EQ(B(4).line, QLineF(60, 50, 90, 50));
    ExpectRect(R(5), {100, 50, 60, 16});
}

TEST_F(Layout, ShrinkingStopsAtTheLeastSide)
{
    Open({MakeBox(1, BoxKind::Text, {10, 20, 30, 6}), MakeBox(2, BoxKind::Text, {10, 40, 0.5, 0.5})});
    ResizeBoxes(format, {1, 2}, QSizeF(-100, -100));
    ExpectRect(R(1), {10, 20, kMinBoxSideMm, kMinBoxSideMm});
    // A box smaller already is never made smaller still.
    ExpectRect(R(2), {10, 40, 0.5, 0.5});
}

// --- Key steps -----------------------------------------------------------

TEST_F(Layout, FontStepAddsHalfPoints)
{
    Open({MakeBox(1, BoxKind::Text, {10, 20, 30, 6})});
    StepFontSize(format, {1}, kFontStepPoints);
    EXPECT_DOUBLE_EQ(B(1).font.pointSize, 9.5);
}

TEST_F(Layout, FontSizeAndLineWidthSteppedDownStopAtOne)
{
    Box small = MakeBox(1, BoxKind::Text, {10, 20, 30, 6});
    small.font.pointSize = 1.5;
    Box tiny = MakeBox(2, BoxKind::Label, {10, 40, 30, 6});
    tiny.font.pointSize = 0.5;
    Open({small, tiny, MakeLine(3, {0, 50}, {50, 50}, 2)});
    for (int i = 0; i < 5; ++i) StepFontSize(format, {1, 2, 3}, -kFontStepPoints);
    EXPECT_DOUBLE_EQ(B(1).font.pointSize, 1);
    EXPECT_DOUBLE_EQ(B(2).font.pointSize, 0.5);  // below already: not made smaller
    EXPECT_DOUBLE_EQ(B(3).lineWidth, 1);
    StepFontSize(format, {2, 3}, kFontStepPoints);
    EXPECT_DOUBLE_EQ(B(2).font.pointSize, 1);
    EXPECT_DOUBLE_EQ(B(3).lineWidth, 1.5);
}

// --- Lines -----------------------------------------------------------------

TEST(LineHitTest, ToleranceIsTheLeastUntilHalfTheWidthReachesIt)
{
    EXPECT_DOUBLE_EQ(LineTolerance(0.2, 0.5), 0.5);
    EXPECT_DOUBLE_EQ(LineTolerance(0.9, 0.5), 0.5);
    EXPECT_DOUBLE_EQ(LineTolerance(1.0, 0.5), 1.0);   // the full width, not half
    EXPECT_DOUBLE_EQ(LineTolerance(-3, 0.5), 0.5);
}

TEST(LineHitTest, ThinHorizontalLineAtItsThreePlaces)
{
    const Box l = MakeLine(1, {10, 20}, {60, 20});
    const double t = LineTolerance(0.26, 0.5);
    EXPECT_EQ(HitTestLine(l, {10, 20}, t), LinePart::Start);
    EXPECT_EQ(HitTestLine(l, {9.6, 20.4}, t), LinePart::Start);
    EXPECT_EQ(HitTestLine(l, {60.5, 19.5}, t), LinePart::End);
    EXPECT_EQ(HitTestLine(l, {35, 20}, t), LinePart::Body);
    EXPECT_EQ(HitTestLine(l, {35, 20.5}, t), LinePart::Body);
    EXPECT_EQ(HitTestLine(l, {35, 19.5}, t), LinePart::Body);
    EXPECT_EQ(HitTestLine(l, {35, 20.6}, t), LinePart::None);
    EXPECT_EQ(HitTestLine(l, {60.6, 20}, t), LinePart::None);
}

TEST(LineHitTest, ThickLineIsHitAsFarAsItsWidth)
{
    const Box l = MakeLine(1, {10, 20}, {60, 20}, 8);
    const double t = LineTolerance(2.0, 0.5);
    EXPECT_EQ(HitTestLine(l, {35, 21.9}, t), LinePart::Body);
    EXPECT_EQ(HitTestLine(l, {35, 18.1}, t), LinePart::Body);
    EXPECT_EQ(HitTestLine(l, {35, 22.1}, t), LinePart::None);
    EXPECT_EQ(HitTestLine(l, {8.1, 21.9}, t), LinePart::Start);
    EXPECT_EQ(HitTestLine(l, {61.9, 18.1}, t), LinePart::End);
}

TEST(LineHitTest, VerticalAndSlantedLinesAreHitBesideTheirBody)
{
    const Box v = MakeLine(1, {30, 10}, {30, 90});
    EXPECT_EQ(HitTestLine(v, {30.4, 50}, 0.5), LinePart::Body);
    EXPECT_EQ(HitTestLine(v, {30.6, 50}, 0.5), LinePart::None);
    // A 45° line: a point 0.4 mm from it measured square to it is on it.
    const Box s = MakeLine(2, {0, 0}, {50, 50});
    EXPECT_EQ(HitTestLine(s, {25 + 0.28, 25 - 0.28}, 0.5), LinePart::Body);
    EXPECT_EQ(HitTestLine(s, {25 + 0.4, 25 - 0.4}, 0.5), LinePart::None);
}

TEST(LineHitTest, ZeroLengthLineAnswersItsStart)
{
    const Box l = MakeLine(1, {10, 20}, {10, 20});
    EXPECT_EQ(HitTestLine(l, {10.3, 20}, 0.5), LinePart::Start);
}

TEST_F(Layout, CrossingLinesAnswerTheLowerIndex)
{
    Open({MakeLine(7, {50, 0}, {50, 100}), MakeLine(3, {0, 50}, {100, 50})});
    const LineHit hit = LineAt(format, {50, 50}, 0.25, 0.5);
    EXPECT_EQ(hit.id, 7);  // the first line of the format is line 3001
    EXPECT_EQ(hit.part, LinePart::Body);
    EXPECT_EQ(LineAt(format, {20, 20}, 0.25, 0.5).id, 0);
}

TEST_F(Layout, DraggingALineMovesThatLineOnlyAndNeverResizesMarkedBoxes)
{
    Open({MakeBox(1, BoxKind::Text, {10, 20, 30, 6}), MakeBox(2, BoxKind::Label, {100, 20, 20, 6}),
          MakeLine(3, {10, 50}, {60, 50})});
    format.SetSelection({1, 2, 3});
    const Box from = B(3);
    DragLine(format, from, LinePart::End, QPointF(5, 10));
    EXPECT_EQ(B(3).line, QLineF(10, 50, 65, 60));
    DragLine(format, from, LinePart::Start, QPointF(-20, 0));
    EXPECT_EQ(B(3).line.p1(), QPointF(0, 50));  // kept on the slip
    DragLine(format, B(3), LinePart::Body, QPointF(3, 3));
    EXPECT_EQ(B(3).line, QLineF(3, 53, 68, 63));
    ExpectRect(R(1), {10, 20, 30, 6});
    ExpectRect(R(2), {100, 20, 20, 6});
}

// --- Align and size commands ------------------------------------------

class Align : public Layout {
protected:
    void SetUp() override
    {
        Open({MakeBox(1, BoxKind::Text, {20, 30, 40, 6}), MakeBox(2, BoxKind::Check, {70, 10, 5, 5}),
              MakeBox(3, BoxKind::Picture, {15, 60, 30, 12}), MakeBox(4, BoxKind::Text, {120, 45, 50, 8}),
              MakeBox(5, BoxKind::Label, {5, 5, 20, 6}), MakeLine(6, {0, 90}, {40, 90})});
        format.SetSelection({1, 2, 3, 4, 5, 6});
    }
    bool Run(AlignCommand c, std::optional<QString> answer = std::nullopt)
    {
        ScriptedPrompter p;
        if (answer) p.inputs.push_back(answer);
        const bool done = AlignSelectedBoxes(format, c, p);
        shown = p.shown;
        return done;
    }
    QStringList shown;
};

TEST_F(Align, LeftTakesTheSmallestLeftOfTextCheckAndPictureBoxes)
{
    EXPECT_TRUE(Run(AlignCommand::Left));
    EXPECT_EQ(shown, QStringList{QStringLiteral("请输入设定值(毫米)：")});
    for (BoxId id : {1, 2, 3, 4}) EXPECT_EQ(R(id).left(), 15) << id;
    ExpectRect(R(5), {5, 5, 20, 6});   // labels and lines are never aligned
    EXPECT_EQ(B(6).line, QLineF(0, 90, 40, 90));
}

TEST_F(Align, RightTopAndBottom)
{
    ASSERT_TRUE(Run(AlignCommand::Right));
    for (BoxId id : {1, 2, 3, 4}) EXPECT_EQ(R(id).right(), 170) << id;
    ASSERT_TRUE(Run(AlignCommand::Top));
    for (BoxId id : {1, 2, 3, 4}) EXPECT_EQ(R(id).top(), 10) << id;
    ASSERT_TRUE(Run(AlignCommand::Bottom));
    for (BoxId id : {1, 2, 3, 4}) EXPECT_EQ(R(id).bottom(), 22) << id;
    EXPECT_EQ(R(2).height(), 5);
}

TEST_F(Align, WidthAndHeightLeaveCheckBoxesAsTheyAre)
{
    ASSERT_TRUE(Run(AlignCommand::Width));
    EXPECT_EQ(R(1).width(), 50);
    EXPECT_EQ(R(3).width(), 50);
    EXPECT_EQ(R(4).width(), 50);
    EXPECT_EQ(R(2).width(), 5);
    ASSERT_TRUE(Run(AlignCommand::Height));
    for (BoxId id : {1, 3, 4}) EXPECT_EQ(R(id).height(), 12) << id;
    EXPECT_EQ(R(2).height(), 5);
    EXPECT_EQ(R(1).topLeft(), QPointF(20, 30));  // sizes never move a box
}

TEST_F(Align, ReferenceIsShownInMillimetresAndAnotherNumberIsTaken)
{
    format.SetSelection({1});
    EXPECT_EQ(AlignReference(format, AlignCommand::Left), 20.0);
    ScriptedPrompter p;
    p.inputs.push_back(QStringLiteral("33.5mm"));
    ASSERT_TRUE(AlignSelectedBoxes(format, AlignCommand::Left, p));
    EXPECT_EQ(R(1).left(), 33.5);
}

TEST_F(Align, ConfirmingTheRoundedReferenceKeepsTheExactOne)
{
    Box b = B(1);
    b.rect.moveLeft(12.346);
    format.UpdateBox(b);
    format.SetSelection({1, 3});
    ScriptedPrompter p;  // answers with the text it was offered: "12.35"
    ASSERT_TRUE(AlignSelectedBoxes(format, AlignCommand::Left, p));
    EXPECT_DOUBLE_EQ(R(1).left(), 12.346);
    EXPECT_DOUBLE_EQ(R(3).left(), 12.346);
}

TEST_F(Align, BeyondTheSlipEveryBoxStopsAtItsEdge)
{
    ASSERT_TRUE(Run(AlignCommand::Right, QStringLiteral("500")));
    for (BoxId id : {1, 2, 3, 4}) EXPECT_EQ(R(id).right(), 200) << id;
    ASSERT_TRUE(Run(AlignCommand::Width, QStringLiteral("-4")));
    for (BoxId id : {1, 3, 4}) EXPECT_EQ(R(id).width(), kMinBoxSideMm) << id;
}

TEST_F(Align, CancelOrAnEmptyAnswerChangesNothing)
{
    const std::vector<Box> before = format.Boxes();
    {
        ScriptedPrompter p;
        p.inputs.push_back(std::nullopt);
        EXPECT_FALSE(AlignSelectedBoxes(format, AlignCommand::Top, p));
    }
    EXPECT_FALSE(Run(AlignCommand::Height, QStringLiteral("  ")));
    EXPECT_EQ(format.Boxes(), before);
}

TEST_F(Align, WithoutTakingPartBoxesTheOperatorIsTold)
{
    format.SetSelection({5, 6});
    EXPECT_FALSE(Run(AlignCommand::Left));
    EXPECT_EQ(shown, QStringList{QStringLiteral("请先选定多个输入框，再操作此功能！")});
    // Only check boxes: the align commands work, the size commands don't.
    format.SetSelection({2});
    EXPECT_TRUE(Run(AlignCommand::Top, QStringLiteral("40")));
    EXPECT_EQ(R(2).top(), 40);
    EXPECT_FALSE(Run(AlignCommand::Width));
    EXPECT_EQ(shown, QStringList{QStringLiteral("请先选定多个输入框，再操作此功能！")});
}

// --- Adding ---------------------------------------------------------------

TEST_F(Layout, NewLineIsSolidBlackAndOfTheDefaultWidth)
{
    Open({});
    const BoxId id = AddBoxAt(format, BoxKind::Line, {20, 30});
    ASSERT_NE(id, 0);
    const Box& l = B(id);
    EXPECT_EQ(l.lineStyle, 1);
    EXPECT_EQ(l.lineWidth, 1);
    EXPECT_EQ(l.color, QColor(Qt::black));
    EXPECT_EQ(l.line.p1(), QPointF(20, 30));
    EXPECT_GT(l.line.length(), 0);
}

TEST_F(Layout, BoxAddedAtTheEdgeComesOntoTheSlip)
{
    Open({});
    const BoxId id = AddBoxAt(format, BoxKind::Text, {195, 99});
    EXPECT_EQ(R(id).bottomRight(), QPointF(200, 100));
    const BoxId line = AddBoxAt(format, BoxKind::Line, {-5, 50});
    EXPECT_EQ(B(line).line.p1(), QPointF(0, 50));
}

TEST_F(Layout, NoBoxIsAddedToAFullKind)
{
    std::vector<Box> boxes;
    for (int i = 1; i <= kMaxBoxesPerKind; ++i) boxes.push_back(MakeBox(i, BoxKind::Label, {1, 1, 2, 2}));
    Open(boxes);
    EXPECT_EQ(AddBoxAt(format, BoxKind::Label, {5, 5}), 0);
    EXPECT_EQ(format.Count(BoxKind::Label), kMaxBoxesPerKind);
    EXPECT_NE(AddBoxAt(format, BoxKind::Text, {5, 5}), 0);
}

// --- Copying ----------------------------------------------------------------

TEST(CopyCaption, NumberAtTheEndIsCountedOn)
{
    EXPECT_EQ(CaptionOfCopy(QStringLiteral("金额2"), 3), QStringLiteral("金额5"));
    EXPECT_EQ(CaptionOfCopy(QStringLiteral("户名"), 1), QStringLiteral("户名1"));
    // Only digits at the very end count.
    EXPECT_EQ(CaptionOfCopy(QStringLiteral("第09行"), 2), QStringLiteral("第09行2"));
    EXPECT_EQ(CaptionOfCopy(QStringLiteral("号007"), 1), QStringLiteral("号008"));
    EXPECT_EQ(CaptionOfCopy(QStringLiteral("x99"), 1), QStringLiteral("x100"));
    // A very long run of digits: only the last nine are counted on.
    EXPECT_EQ(CaptionOfCopy(QStringLiteral("a12345678901"), 1), QStringLiteral("a12345678902"));
}

TEST_F(Layout, CopiesStandUpAndLeftWithCountedCaptionsAndTakeTheMarks)
{
    Open({MakeBox(1, BoxKind::Text, {50, 40, 30, 6}, QStringLiteral("金额2")),
          MakeBox(2, BoxKind::Label, {100, 40, 20, 6}, QStringLiteral("说明"))});
    format.SetSelection({2});
    EXPECT_EQ(CopyBoxes(format, 1, 3), 3);
    EXPECT_EQ(format.Count(BoxKind::Text), 4);
    EXPECT_EQ(format.Count(BoxKind::Label), 4);
    const auto texts = format.BoxesOfKind(BoxKind::Text);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(texts[k]->caption, QStringLiteral("金额%1").arg(2 + k));
        EXPECT_EQ(texts[k]->rect, QRectF(50 - 3.0 * k, 40 - 3.0 * k, 30, 6));
        EXPECT_TRUE(format.IsSelected(texts[k]->id));
        EXPECT_LT(texts[k]->id, 0);
    }
    const auto labels = format.BoxesOfKind(BoxKind::Label);
    EXPECT_EQ(labels[1]->caption, QStringLiteral("说明"));  // a label's text is copied as it is
    EXPECT_FALSE(format.IsSelected(1));
    EXPECT_FALSE(format.IsSelected(2));
    EXPECT_EQ(format.Selection().size(), 6);
}

TEST_F(Layout, CopiesNearTheTopLeftGoDownAndRight)
{
    Open({MakeBox(1, BoxKind::Text, {2, 40, 30, 6})});
    CopyBoxes(format, 1, 2);
    const auto texts = format.BoxesOfKind(BoxKind::Text);
    EXPECT_EQ(texts[1]->rect.topLeft(), QPointF(5, 37));
    EXPECT_EQ(texts[2]->rect.topLeft(), QPointF(8, 34));
}

TEST_F(Layout, CopyOfAFixedTextBoxStaysWithoutCaptionAndOutOfItsRing)
{
    Box fixed = MakeBox(1, BoxKind::Text, {50, 40, 30, 6}, QString());
    fixed.fixedText = QStringLiteral("人民币");
    fixed.relation = {RelationKind::ChainNext, 2};
    Open({fixed, MakeBox(2, BoxKind::Text, {50, 60, 30, 6})});
    CopyBoxes(format, 1, 1);
    const Box* copy = format.BoxesOfKind(BoxKind::Text).back();
    EXPECT_TRUE(copy->caption.isEmpty());
    EXPECT_EQ(format.Value(copy->id), QStringLiteral("人民币"));
    EXPECT_FALSE(copy->relation.IsSet());
}

TEST_F(Layout, CopyCountIsCappedSoNoKindPasses999)
{
    std::vector<Box> boxes;
    for (int i = 1; i <= 996; ++i) boxes.push_back(MakeBox(i, BoxKind::Text, {10, 10, 30, 6}));
    boxes.push_back(MakeBox(2000, BoxKind::Check, {10, 50, 5, 5}));
    Open(boxes);
    EXPECT_EQ(CopyCountThatFits(format, {5}, 10), 3);
    EXPECT_EQ(CopyCountThatFits(format, {5, 6}, 10), 1);
    EXPECT_EQ(CopyCountThatFits(format, {5, 6, 7, 8}, 10), 0);
    EXPECT_EQ(CopyCountThatFits(format, {2000}, 10), 10);
    EXPECT_EQ(CopyCountThatFits(format, {5}, -2), 0);
    format.SetSelection({2000});
    EXPECT_EQ(CopyBoxes(format, 5, 50), 3);
    EXPECT_EQ(format.Count(BoxKind::Text), 999);
    EXPECT_EQ(format.Count(BoxKind::Check), 4);
    EXPECT_EQ(CopyBoxes(format, 5, 1), 0);
    EXPECT_EQ(format.Count(BoxKind::Text), 999);
}

// --- Deleting and ordering ----------------------------------------------

TEST_F(Layout, DeleteRemovesTheMarkedBoxesAndTheClickedOne)
{
    Open({MakeBox(1, BoxKind::Text, {10, 10, 30, 6}), MakeBox(2, BoxKind::Check, {10, 20, 5, 5}),
          MakeBox(3, BoxKind::Text, {10, 30, 30, 6})});
    format.SetSelection({2});
    DeleteMarkedAnd(format, 3);
    EXPECT_EQ(format.Boxes().size(), 1u);
    EXPECT_TRUE(format.Find(1));
}

TEST_F(Layout, BringToFrontKeepsValueMarkAndLinksToTheBox)
{
    Box a = MakeBox(1, BoxKind::Text, {10, 10, 30, 6});
    Box b = MakeBox(2, BoxKind::Text, {10, 20, 30, 6});
    Box c = MakeBox(3, BoxKind::Text, {10, 30, 30, 6});
    c.sum1.target = 1;
    b.relation = {RelationKind::ChainNext, 1};
    Open({a, b, c});
    format.SetValue(1, QStringLiteral("100"));
    format.SetSelection({1});
    ASSERT_TRUE(BringToFront(format, 1));
    EXPECT_EQ(format.IndexOf(1), 3);
    EXPECT_EQ(format.Value(1), QStringLiteral("100"));
    EXPECT_TRUE(format.IsSelected(1));
    EXPECT_EQ(B(3).sum1.target, 1);
    EXPECT_EQ(B(2).relation.target, 1);
}

// --- Links --------------------------------------------------------------

TEST_F(Layout, RingRunsFromTheClickedBoxThroughTheMarkedOnesInIndexOrder)
{
    Open({MakeBox(10, BoxKind::Check, {10, 10, 5, 5}), MakeBox(11, BoxKind::Check, {20, 10, 5, 5}),
          MakeBox(12, BoxKind::Check, {30, 10, 5, 5}), MakeBox(13, BoxKind::Text, {40, 10, 30, 6})});
    format.SetSelection({10, 12, 13});
    EXPECT_TRUE(MakeRelationRing(format, 11).isEmpty());
    EXPECT_EQ(B(11).relation, (Relation{RelationKind::ChainNext, 10}));
    EXPECT_EQ(B(10).relation, (Relation{RelationKind::ChainNext, 12}));
    EXPECT_EQ(B(12).relation, (Relation{RelationKind::ChainNext, 11}));
    EXPECT_FALSE(B(13).relation.IsSet());  // another kind stays out
}

TEST_F(Layout, RingWithoutOtherMarkedBoxesChangesNothing)
{
    Box a = MakeBox(1, BoxKind::Text, {10, 10, 30, 6});
    a.relation = {RelationKind::Related, 2};
    Open({a, MakeBox(2, BoxKind::Text, {10, 20, 30, 6})});
    EXPECT_TRUE(MakeRelationRing(format, 1).isEmpty());
    EXPECT_EQ(B(1).relation, (Relation{RelationKind::Related, 2}));
}

TEST_F(Layout, LinksOverUnsavedBoxesAreRefusedAndStoreNoTemporaryId)
{
    Open({MakeBox(1, BoxKind::Text, {10, 10, 30, 6}), MakeBox(2, BoxKind::Text, {10, 20, 30, 6})});
    const BoxId fresh = AddBoxAt(format, BoxKind::Text, {10, 30});
    ASSERT_LT(fresh, 0);
    format.SetSelection({2, fresh});
    EXPECT_EQ(MakeRelationRing(format, 1), SaveFirstMessage());
    EXPECT_EQ(MakeRelatedPath(format, 1), SaveFirstMessage());
    EXPECT_EQ(MakeRelationRing(format, fresh), SaveFirstMessage());
    for (const Box& b : format.Boxes()) EXPECT_FALSE(b.relation.IsSet()) << b.id;
    EXPECT_TRUE(SaveFirstMessage().startsWith(QStringLiteral("请先保存格式")));
}

TEST_F(Layout, RelatedPathIsOpenAndTheLastBoxKeepsItsLink)
{
    Box last = MakeBox(3, BoxKind::Text, {10, 30, 30, 6});
    last.relation = {RelationKind::Related, 9};
    Open({MakeBox(1, BoxKind::Text, {10, 10, 30, 6}), MakeBox(2, BoxKind::Text, {10, 20, 30, 6}), last,
          MakeBox(9, BoxKind::Text, {10, 40, 30, 6})});
    format.SetSelection({1, 3});
    EXPECT_TRUE(MakeRelatedPath(format, 2).isEmpty());
    EXPECT_EQ(B(2).relation, (Relation{RelationKind::Related, 1}));
    EXPECT_EQ(B(1).relation, (Relation{RelationKind::Related, 3}));
    EXPECT_EQ(B(3).relation, (Relation{RelationKind::Related, 9}));
}

// --- Values ---------------------------------------------------------------

TEST_F(Layout, ClearEmptiesTheMarkedBoxesOrAllButFixedTexts)
{
    Box fixed = MakeBox(4, BoxKind::Text, {10, 40, 30, 6}, QString());
    fixed.fixedText = QStringLiteral("固定");
    Open({MakeBox(1, BoxKind::Text, {10, 10, 30, 6}), MakeBox(2, BoxKind::Check, {10, 20, 5, 5}),
          MakeBox(3, BoxKind::Picture, {10, 30, 30, 12}), fixed});
    format.SetValue(1, QStringLiteral("a"));
    format.SetValue(2, QStringLiteral("1"));
    format.SetValue(3, QStringLiteral("123456"));
    format.SetSelection({1, 2});
    ClearBoxValues(format);
    EXPECT_EQ(format.Value(1), QString());
    EXPECT_EQ(format.Value(2), QString());
    EXPECT_EQ(format.Value(3), QStringLiteral("123456"));
    format.ClearSelection();
    format.SetValue(1, QStringLiteral("b"));
    ClearBoxValues(format);
    EXPECT_EQ(format.Value(1), QString());
    EXPECT_EQ(format.Value(3), QString());
    EXPECT_EQ(format.Value(4), QStringLiteral("固定"));
}
