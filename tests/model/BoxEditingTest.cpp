#include "model/BoxEditing.h"

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

} // namespace

// --- Moving --------------------------------------------------------------

TEST_F(Layout, EachBoxStopsAtTheSlipEdgeWhileTheOthersMoveOnAndLinesMoveByPart)
{
    Open({MakeBox(1, BoxKind::Text, {5, 20, 30, 6}), MakeBox(2, BoxKind::Picture, {50, 40, 30, 12}),
          MakeLine(3, {60, 80}, {90, 80}), MakeBox(4, BoxKind::Text, {100, 20, 30, 6}),
          MakeBox(5, BoxKind::Label, {-10, 50, 250, 6})});
    MoveBoxes(format, {1, 2, 3, 5}, QPointF(-10, 3));
    EXPECT_EQ(R(1), QRectF(0, 23, 30, 6));
    EXPECT_EQ(R(2), QRectF(40, 43, 30, 12));
    EXPECT_EQ(R(4), QRectF(100, 20, 30, 6));
    // Wider than the slip: its right edge ends on the slip's.
    EXPECT_EQ(R(5), QRectF(-50, 53, 250, 6));
    // A line is not kept on the slip.
    MoveBoxes(format, {1, 3}, QPointF(0, 80));
    EXPECT_EQ(B(3).line, QLineF(50, 163, 80, 163));
    EXPECT_EQ(R(1).bottom(), 100);
    Open({MakeLine(1, {10, 50}, {60, 50})});
    const struct {
        LinePart part;
        QLineF want;
    } cases[] = {{LinePart::Start, {5, 60, 60, 50}}, {LinePart::End, {10, 50, 55, 60}}, {LinePart::Body, {5, 60, 55, 60}}};
    for (const auto& c : cases) EXPECT_EQ(MovedOnSlip(B(1), {-5, 10}, SlipSizeOf(format), c.part).line, c.want);
}

TEST_F(Layout, DragPlacesFromTheStartSoTheArrangementComesBack)
{
    Open({MakeBox(1, BoxKind::Text, {5, 20, 30, 6}), MakeBox(2, BoxKind::Text, {50, 20, 30, 6})});
    format.SetSelection({2});
    const std::vector<Box> from = MarkedBoxesWith(format, 1);
    ASSERT_EQ(from.size(), 2u);
    PlaceShifted(format, from, QPointF(-30, 0));
    EXPECT_EQ(R(1).left(), 0);
    EXPECT_EQ(R(2).left(), 20);
    PlaceShifted(format, from, QPointF(0, 0));
    EXPECT_EQ(R(1).left(), 5);
    EXPECT_EQ(R(2).left(), 50);
}

// --- Resizing ------------------------------------------------------------

TEST_F(Layout, ResizeKeepsBoxesOnTheSlipStopsAtNothingAndNeverCutsABoxBeyondTheEdge)
{
    Open({MakeBox(1, BoxKind::Text, {150, 20, 30, 6}), MakeBox(2, BoxKind::Picture, {10, 80, 30, 12}),
          MakeBox(3, BoxKind::Check, {60, 10, 5, 5}), MakeLine(4, {60, 50}, {90, 50}),
          MakeBox(5, BoxKind::Label, {100, 50, 20, 6})});
    ResizeBoxes(format, {1, 2, 3, 4, 5}, QSizeF(40, 10));
    EXPECT_EQ(R(1), QRectF(150, 20, 50, 16));   // right edge on the slip's
    EXPECT_EQ(R(2), QRectF(10, 80, 70, 20));    // bottom edge on the slip's
    EXPECT_EQ(R(3), QRectF(60, 10, 5, 5));
    EXPECT_EQ(B(4).line, QLineF(60, 50, 90, 50));
    EXPECT_EQ(R(5), QRectF(100, 50, 60, 16));
    Open({MakeBox(1, BoxKind::Text, {10, 20, 30, 6}), MakeBox(2, BoxKind::Text, {180, 95, 40, 10})});
    ResizeBoxes(format, {1}, QSizeF(-100, -100));
    EXPECT_EQ(R(1), QRectF(10, 20, 0, 0));
    // Already past the right and bottom edges: growing keeps its size.
    ResizeBoxes(format, {2}, QSizeF(5, 5));
    EXPECT_EQ(R(2), QRectF(180, 95, 40, 10));
    ResizeBoxes(format, {2}, QSizeF(-5, 0));
    EXPECT_EQ(R(2), QRectF(180, 95, 35, 10));
}

// --- Key steps -----------------------------------------------------------

TEST_F(Layout, FontStepsOfHalfAPointStopAtOneGoingDown)
{
    Box small = MakeBox(1, BoxKind::Text, {10, 20, 30, 6});
    small.font.pointSize = 1.5;
    Box tiny = MakeBox(2, BoxKind::Label, {10, 40, 30, 6});
    tiny.font.pointSize = 0.5;
    Open({small, tiny, MakeLine(3, {0, 50}, {50, 50}, 2)});
    for (int i = 0; i < 5; ++i) StepFontSize(format, {1, 2, 3}, -kFontStepPoints);
    EXPECT_DOUBLE_EQ(B(1).font.pointSize, 1);
    EXPECT_DOUBLE_EQ(B(2).font.pointSize, 0.5);  // below already: not made smaller
    EXPECT_DOUBLE_EQ(B(3).lineWidth, 1);          // a line's width steps instead
    StepFontSize(format, {2, 3}, kFontStepPoints);
    EXPECT_DOUBLE_EQ(B(2).font.pointSize, 1);
    EXPECT_DOUBLE_EQ(B(3).lineWidth, 1.5);
}

// --- Lines -----------------------------------------------------------------

TEST(LineHitTest, StartEndAndBodyWithinTheTolerance)
{
    EXPECT_DOUBLE_EQ(LineTolerance(0.9, 0.5), 0.5);
    EXPECT_DOUBLE_EQ(LineTolerance(1.0, 0.5), 1.0);  // the full width, not half
    EXPECT_DOUBLE_EQ(LineTolerance(-3, 0.5), 0.5);
    const Box flat = MakeLine(1, {10, 20}, {60, 20}), upright = MakeLine(2, {30, 10}, {30, 90}),
              slanted = MakeLine(3, {0, 0}, {50, 50}), point = MakeLine(4, {10, 20}, {10, 20}),
              steep = MakeLine(5, {0, 0}, {10, 50}), leaning = MakeLine(6, {30, 10}, {30.2, 90});
    const struct {
        const Box& line;
        QPointF at;
        double t;
        LinePart want;
        double width = 0;
    } cases[] = {
        {flat, {9.6, 20.4}, 0.5, LinePart::Start},   {flat, {60.5, 19.5}, 0.5, LinePart::End},
        {flat, {35, 20.5}, 0.5, LinePart::Body},     {flat, {35, 20.6}, 0.5, LinePart::None},
        {flat, {60.6, 20}, 0.5, LinePart::None},     {flat, {35, 21.9}, 2.0, LinePart::Body},
        {flat, {35, 22.1}, 2.0, LinePart::None},     {upright, {30.4, 50}, 0.5, LinePart::Body},
        {upright, {30.6, 50}, 0.5, LinePart::None},  {slanted, {25.28, 24.72}, 0.5, LinePart::None},
        {slanted, {25.4, 24.6}, 0.5, LinePart::None}, {point, {10.3, 20}, 0.5, LinePart::Start},
        // The body is measured straight up or down: 0.42 square to the line
        // but 0.6 below it misses; a steep line is thin to the mouse.
        {slanted, {25.3, 24.7}, 0.5, LinePart::None}, {slanted, {25.3, 24.9}, 0.5, LinePart::Body},
        {steep, {5.3, 25}, 0.5, LinePart::None},      {steep, {5.04, 25}, 0.5, LinePart::Body},
        // A line running sideways no more than its width counts as upright.
        {leaning, {30.6, 50}, 0.5, LinePart::Body, 0.25}, {leaning, {30.6, 50}, 0.5, LinePart::None, 0.1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HitTestLine(c.line, c.at, c.t, c.width), c.want) << c.line.id << " " << c.at.x() << "," << c.at.y();
}

TEST_F(Layout, CrossingLinesAnswerTheLowerIndex)
{
    Open({MakeLine(7, {50, 0}, {50, 100}), MakeLine(3, {0, 50}, {100, 50})});
    const LineHit hit = LineAt(format, {50, 50}, 0.25, 0.5);
    EXPECT_EQ(hit.id, 7);  // the first line of the format is line 3001
    EXPECT_EQ(hit.part, LinePart::Body);
    EXPECT_EQ(LineAt(format, {20, 20}, 0.25, 0.5).id, 0);
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

TEST_F(Align, EachCommandTakesItsReferenceFromTheBoxesThatTakePart)
{
    // Labels and lines never take part; check boxes only in the align commands.
    const struct {
        AlignCommand cmd;
        std::function<double(const QRectF&)> of;
        double want;
        std::vector<BoxId> moved;
    } cases[] = {
        {AlignCommand::Left, &QRectF::left, 15, {1, 2, 3, 4}},   {AlignCommand::Right, &QRectF::right, 170, {1, 2, 3, 4}},
        {AlignCommand::Top, &QRectF::top, 10, {1, 2, 3, 4}},     {AlignCommand::Bottom, &QRectF::bottom, 72, {1, 2, 3, 4}},
        {AlignCommand::Width, &QRectF::width, 50, {1, 3, 4}},    {AlignCommand::Height, &QRectF::height, 12, {1, 3, 4}},
    };
    for (const auto& c : cases) {
        SetUp();  // each command on the boxes as they were
        ASSERT_TRUE(Run(c.cmd)) << int(c.cmd);
        EXPECT_EQ(shown, QStringList{QStringLiteral("请输入设定值(毫米)：")});
        for (BoxId id : c.moved) EXPECT_EQ(c.of(R(id)), c.want) << int(c.cmd) << " box " << id;
        EXPECT_EQ(R(2).size(), QSizeF(5, 5));
        EXPECT_EQ(R(5), QRectF(5, 5, 20, 6));
        EXPECT_EQ(B(6).line, QLineF(0, 90, 40, 90));
    }
}

TEST_F(Align, AnswerInMillimetresIsTakenAndTheShownReferenceKeepsTheExactOne)
{
    Box b = B(1);
    b.rect.moveLeft(12.346);
    format.UpdateBox(b);
    format.SetSelection({1, 3});
    ScriptedPrompter p;  // answers with the text it was offered: "12.35"
    ASSERT_TRUE(AlignSelectedBoxes(format, AlignCommand::Left, p));
    EXPECT_DOUBLE_EQ(R(3).left(), 12.346);
    ASSERT_TRUE(Run(AlignCommand::Left, QStringLiteral("33.5mm")));
    EXPECT_EQ(R(1).left(), 33.5);
    // Beyond the slip every box stops at its edge; a size stops at nothing.
    format.SetSelection({1, 2, 3, 4});
    ASSERT_TRUE(Run(AlignCommand::Right, QStringLiteral("500")));
    for (BoxId id : {1, 2, 3, 4}) EXPECT_EQ(R(id).right(), 200) << id;
    ASSERT_TRUE(Run(AlignCommand::Width, QStringLiteral("-4")));
    for (BoxId id : {1, 3, 4}) EXPECT_EQ(R(id).width(), 0) << id;
}

TEST_F(Align, CancelAnEmptyAnswerOrNoBoxTakingPartChangesNothing)
{
    const std::vector<Box> before = format.Boxes();
    {
        ScriptedPrompter p;
        p.inputs.push_back(std::nullopt);
        EXPECT_FALSE(AlignSelectedBoxes(format, AlignCommand::Top, p));
    }
    EXPECT_FALSE(Run(AlignCommand::Height, QStringLiteral("  ")));
    format.SetSelection({5, 6});
    EXPECT_FALSE(Run(AlignCommand::Left));
    EXPECT_EQ(shown, QStringList{QStringLiteral("请先选定多个输入框，再操作此功能！")});
    format.SetSelection({2});
    EXPECT_FALSE(Run(AlignCommand::Width));
    EXPECT_EQ(shown, QStringList{QStringLiteral("请先选定多个输入框，再操作此功能！")});
    EXPECT_EQ(format.Boxes(), before);
}

// --- Adding ---------------------------------------------------------------

TEST_F(Layout, NewBoxComesOntoTheSlipAndNoKindPasses999)
{
    std::vector<Box> boxes;
    for (int i = 1; i <= kMaxBoxesPerKind; ++i) boxes.push_back(MakeBox(i, BoxKind::Label, {1, 1, 2, 2}));
    Open(boxes);
    EXPECT_EQ(AddBoxAt(format, BoxKind::Label, {5, 5}), 0);
    EXPECT_EQ(format.Count(BoxKind::Label), kMaxBoxesPerKind);
    const BoxId text = AddBoxAt(format, BoxKind::Text, {195, 99});
    EXPECT_EQ(R(text).bottomRight(), QPointF(200, 100));
    const BoxId line = AddBoxAt(format, BoxKind::Line, {-5, 50});
    EXPECT_EQ(B(line).line.p1(), QPointF(0, 50));
    // A new line is seen at once: solid, black, of the default width.
    EXPECT_EQ(B(line).lineStyle, 1);
    EXPECT_EQ(B(line).lineWidth, 1);
    EXPECT_EQ(B(line).color, QColor(Qt::black));
    EXPECT_GT(B(line).line.length(), 0);
}

// --- Copying ----------------------------------------------------------------

TEST(CopyCaption, NumberAtTheEndIsCountedOn)
{
    // Only digits at the very end count, the whole run of them, written
    // back as a plain number.
    const struct { const char* caption; int k; const char* want; } cases[] = {
        {"金额2", 3, "金额5"}, {"户名", 1, "户名1"}, {"第09行", 2, "第09行2"}, {"号007", 1, "号8"},
        {"金额07", 1, "金额8"}, {"x000", 2, "x2"}, {"x99", 1, "x100"}, {"a12345678901", 1, "a12345678902"},
        {"a99999999999999999999", 1, "a100000000000000000000"},
        // A carry across the run's first figure, also after leading zeros.
        {"a999999999", 1, "a1000000000"}, {"a1999999999", 1, "a2000000000"},
        {"a0999999999", 2, "a1000000001"}, {"a0000000009", 1, "a10"},
        // An empty caption is a head without digits.
        {"", 1, "1"}, {"", 3, "3"},
    };
    for (const auto& c : cases) EXPECT_EQ(CaptionOfCopy(QString::fromUtf8(c.caption), c.k), QString::fromUtf8(c.want));
}

TEST_F(Layout, CopiesStandUpAndLeftWithCountedCaptionsFixedTextsAndLinksAndTakeTheMarks)
{
    Open({MakeBox(1, BoxKind::Text, {50, 40, 30, 6}, QStringLiteral("金额2")),
          MakeBox(2, BoxKind::Label, {100, 40, 20, 6}, QStringLiteral("说明"))});
    format.SetSelection({2});
    EXPECT_EQ(CopyBoxes(format, 1, 3, 3.0), 3);
    const auto texts = format.BoxesOfKind(BoxKind::Text);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(texts[k]->caption, QStringLiteral("金额%1").arg(2 + k));
        EXPECT_EQ(texts[k]->rect, QRectF(50 - 3.0 * k, 40 - 3.0 * k, 30, 6));
        EXPECT_TRUE(format.IsSelected(texts[k]->id));
        EXPECT_LT(texts[k]->id, 0);
    }
    const auto labels = format.BoxesOfKind(BoxKind::Label);
    EXPECT_EQ(labels[1]->caption, QStringLiteral("说明"));  // a label's text is copied as it is
    EXPECT_EQ(format.Selection().size(), 6);  // the copies, not their sources
    Box fixed = MakeBox(1, BoxKind::Text, {50, 40, 30, 6}, QString());
    fixed.fixedText = QStringLiteral("人民币");
    fixed.relation = {RelationKind::ChainNext, 2};
    Open({fixed, MakeBox(2, BoxKind::Text, {50, 60, 30, 6})});
    CopyBoxes(format, 1, 3, 10);
    // Copies of a box without caption are captioned 1, 2, 3 and hold no fixed text; the source keeps its own.
    const auto copies = format.BoxesOfKind(BoxKind::Text);
    ASSERT_EQ(copies.size(), 5u);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(copies[1 + k]->caption, QString::number(k));
        EXPECT_TRUE(copies[1 + k]->fixedText.isEmpty() && format.Value(copies[1 + k]->id).isEmpty()) << k;
    }
    EXPECT_EQ(format.Value(1), QStringLiteral("人民币"));
    const Box* copy = copies[2];
    EXPECT_EQ(copy->relation, (Relation{RelationKind::ChainNext, 2}));
    // Up and to the left, even past the slip's edge.
    EXPECT_EQ(copy->rect.topLeft(), QPointF(40, 30));
    format.SetSelection({});
    CopyBoxes(format, 2, 7, 10);
    EXPECT_EQ(format.BoxesOfKind(BoxKind::Text).back()->rect.topLeft(), QPointF(-20, -10));
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
    EXPECT_EQ(CopyBoxes(format, 5, 50, 3), 3);
    EXPECT_EQ(CopyBoxes(format, 5, 1, 3), 0);
    EXPECT_EQ(format.Count(BoxKind::Text), 999);
}

// --- Deleting ----------------------------------------------

TEST_F(Layout, DeleteTakesMarkedAndClicked)
{
    Open({MakeBox(1, BoxKind::Text, {10, 10, 30, 6}), MakeBox(2, BoxKind::Text, {10, 20, 30, 6}),
          MakeBox(3, BoxKind::Text, {10, 30, 30, 6})});
    format.SetSelection({2});
    DeleteMarkedAnd(format, 3);
    EXPECT_EQ(format.Boxes().size(), 1u);
    EXPECT_TRUE(format.Find(1));
}

// --- Links --------------------------------------------------------------

TEST_F(Layout, RingRunsFromTheClickedBoxThroughTheMarkedOnesInIndexOrder)
{
    Box linked = MakeBox(14, BoxKind::Text, {40, 30, 30, 6});
    linked.relation = {RelationKind::Related, 13};
    Open({MakeBox(10, BoxKind::Check, {10, 10, 5, 5}), MakeBox(11, BoxKind::Check, {20, 10, 5, 5}),
          MakeBox(12, BoxKind::Check, {30, 10, 5, 5}), MakeBox(13, BoxKind::Text, {40, 10, 30, 6}), linked});
    format.SetSelection({10, 12, 13});
    MakeRelationRing(format, 11);
    EXPECT_EQ(B(11).relation, (Relation{RelationKind::ChainNext, 10}));
    EXPECT_EQ(B(10).relation, (Relation{RelationKind::ChainNext, 12}));
    EXPECT_EQ(B(12).relation, (Relation{RelationKind::ChainNext, 11}));
    EXPECT_FALSE(B(13).relation.IsSet());  // another kind stays out
    // Without another marked box of its kind nothing changes.
    format.SetSelection({10});
    MakeRelationRing(format, 14);
    EXPECT_EQ(B(14).relation, (Relation{RelationKind::Related, 13}));
}

TEST_F(Layout, LinksOverUnsavedBoxesTakeTheirTemporaryIdsAndARelatedPathIsOpen)
{
    // A box not saved yet is linked by its temporary ID, whichever box is clicked.
    const struct { bool ring; bool clickFresh; } cases[] = {{true, false}, {true, true}, {false, false}};
    for (const auto& c : cases) {
        Open({MakeBox(1, BoxKind::Text, {10, 10, 30, 6}), MakeBox(2, BoxKind::Text, {10, 20, 30, 6})});
        const BoxId fresh = AddBoxAt(format, BoxKind::Text, {10, 30});
        ASSERT_LT(fresh, 0);
        const BoxId clicked = c.clickFresh ? fresh : 1;
        format.SetSelection({1, 2, fresh});
        if (c.ring) MakeRelationRing(format, clicked);
        else MakeRelatedPath(format, clicked);
        const RelationKind kind = c.ring ? RelationKind::ChainNext : RelationKind::Related;
        // The clicked box first, then the marked ones in index order.
        const std::vector<BoxId> order = c.clickFresh ? std::vector<BoxId>{fresh, 1, 2} : std::vector<BoxId>{1, 2, fresh};
        EXPECT_EQ(B(order[0]).relation, (Relation{kind, order[1]}));
        EXPECT_EQ(B(order[1]).relation, (Relation{kind, order[2]}));
        if (c.ring) EXPECT_EQ(B(order[2]).relation, (Relation{kind, order[0]}));
        else EXPECT_FALSE(B(order[2]).relation.IsSet());
    }
    Box last = MakeBox(3, BoxKind::Text, {10, 30, 30, 6});
    last.relation = {RelationKind::Related, 9};
    Open({MakeBox(1, BoxKind::Text, {10, 10, 30, 6}), MakeBox(2, BoxKind::Text, {10, 20, 30, 6}), last,
          MakeBox(9, BoxKind::Text, {10, 40, 30, 6})});
    format.SetSelection({1, 3});
    MakeRelatedPath(format, 2);
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
    format.SetSelection({});
    format.SetValue(1, QStringLiteral("b"));
    ClearBoxValues(format);
    EXPECT_EQ(format.Value(1), QString());
    EXPECT_EQ(format.Value(3), QString());
    EXPECT_EQ(format.Value(4), QStringLiteral("固定"));
}
