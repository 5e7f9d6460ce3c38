#include "EntryTestSupport.h"

#include <gtest/gtest.h>

#include "entry/Relations.h"

using namespace slip;
using namespace slip::test;

TEST(RelationMarks, ChainRelatedPathAndSumsEachInTheirColour)
{
    SlipFormat f;
    // Box 1 is edited: it is related to 2 → 3, chained with 4 → 5 → 1, and
    // fed by 6 (sum), 7 (product) and 8 (through its second target).
    Box edited = TextBoxOf(1, 0, {}, {}, RelatedTo(2));
    OpenFormat(f, {edited, TextBoxOf(2, 0, {}, {}, RelatedTo(3)), TextBoxOf(3), TextBoxOf(4, 0, {}, {}, ChainTo(5)),
                   TextBoxOf(5, 0, {}, {}, ChainTo(1)), TextBoxOf(6, 0, AddTo(1)), TextBoxOf(7, 0, MultiplyInto(1)),
                   TextBoxOf(8, 0, AddTo(9), AddTo(1, true)), TextBoxOf(9)});
    // Box 1 itself links to 2, not into the chain: 4 is no member.
    using M = QHash<BoxId, RelationMark>;
    EXPECT_EQ(RelationMarks(f, 1), (M{{2, RelationMark::Related}, {3, RelationMark::Related}, {6, RelationMark::AddsInto},
                                      {7, RelationMark::MultipliesInto}, {8, RelationMark::AddsInto}}));

    // Entering box 4: its chain 5 → 1 → … is not closed back to 4, so 5 and
    // 1 are pink and the walk stops at box 1's related link.
    EXPECT_EQ(RelationMarks(f, 4), (M{{5, RelationMark::ChainMember}, {1, RelationMark::ChainMember}}));
}

TEST(RelationMarks, ClosedRingsColourTheEditedBoxTooBrokenLinksEndAndSelectionMarksWin)
{
    SlipFormat f;
    OpenFormat(f, {TextBoxOf(1, 0, {}, {}, ChainTo(2)), TextBoxOf(2, 0, {}, {}, ChainTo(3)),
                   TextBoxOf(3, 0, {}, {}, ChainTo(1)), TextBoxOf(4, 0, {}, {}, RelatedTo(5)),
                   TextBoxOf(5, 0, {}, {}, RelatedTo(6)), TextBoxOf(6, 0, {}, {}, RelatedTo(5)),
                   TextBoxOf(7, 0, {}, {}, ChainTo(77))});
    const RelationMark member = RelationMark::ChainMember;
    EXPECT_EQ(RelationMarks(f, 2), (QHash<BoxId, RelationMark>{{1, member}, {2, member}, {3, member}}));
    EXPECT_EQ(RelationMarks(f, 4).size(), 2);
    EXPECT_TRUE(RelationMarks(f, 7).isEmpty());
    OpenFormat(f, {TextBoxOf(1, 0, {}, {}, ChainTo(2)), TextBoxOf(2, 0, {}, {}, ChainTo(1)), TextBoxOf(3, 0, AddTo(1)),
                   TextBoxOf(4, 0, {}, AddTo(1)), TextBoxOf(5, 0, {}, {}, RelatedTo(6)),
                   TextBoxOf(6, 0, {}, {}, RelatedTo(7)), TextBoxOf(7)});
    f.SetSelected(3, true);
    QHash<BoxId, RelationMark> marks = RelationMarks(f, 1);
    EXPECT_FALSE(marks.contains(3));
    EXPECT_TRUE(marks.contains(2));
    EXPECT_TRUE(marks.contains(4));
    // Marked chain members and related boxes keep the selection colour too,
    // and the walk goes on past them.
    for (BoxId id : {2, 4, 6}) f.SetSelected(id, true);
    marks = RelationMarks(f, 1);
    EXPECT_FALSE(marks.contains(2));
    EXPECT_FALSE(marks.contains(4));
    EXPECT_EQ(marks.value(1), RelationMark::ChainMember);
    marks = RelationMarks(f, 5);
    EXPECT_FALSE(marks.contains(6));
    EXPECT_EQ(marks.value(7), RelationMark::Related);
    // A marked box being edited colours nothing.
    f.SetSelected(1, true);
    EXPECT_TRUE(RelationMarks(f, 1).isEmpty());
    EXPECT_TRUE(RelationMarks(f, 0).isEmpty());
}

TEST(CheckBoxRing, TickingOneUnticksTheOthersAndBrokenRingsEnd)
{
    SlipFormat f;
    OpenFormat(f, {CheckBoxOf(1, ChainTo(2)), CheckBoxOf(2, ChainTo(3)), CheckBoxOf(3, ChainTo(1)), CheckBoxOf(4)});
    f.SetValue(1, "1");
    f.SetValue(3, "1");
    f.SetValue(4, "1");
    f.SetValue(2, "1");
    const std::vector<BoxId> unticked = SetCheckBoxRCtl(f, 2);
    EXPECT_EQ(unticked, (std::vector<BoxId>{3, 1}));
    for (const auto& [id, value] : {std::pair{1, ""}, {2, "1"}, {3, ""}, {4, "1"}}) EXPECT_EQ(f.Value(id), value) << id;  // 4: not in the ring
    // 1 → 2 → text box 3 → 4: the walk stops at the text box.
    OpenFormat(f, {CheckBoxOf(1, ChainTo(2)), CheckBoxOf(2, ChainTo(3)), TextBoxOf(3, 0, {}, {}, ChainTo(4)),
                   CheckBoxOf(4, ChainTo(1)), CheckBoxOf(5, ChainTo(6)), CheckBoxOf(6, ChainTo(7)),
                   CheckBoxOf(7, ChainTo(6))});
    for (BoxId id : {2, 4, 6, 7}) f.SetValue(id, "1");
    f.SetValue(3, "text");
    EXPECT_EQ(SetCheckBoxRCtl(f, 1), (std::vector<BoxId>{2}));
    EXPECT_EQ(f.Value(3), "text");
    EXPECT_EQ(f.Value(4), "1");
    EXPECT_TRUE(SetCheckBoxRCtl(f, 99).empty());
    EXPECT_EQ(SetCheckBoxRCtl(f, 5).size(), 2u) << "5 → 6 → 7 → 6 … never comes back to 5";
}

TEST(TickMark, ClickTogglesOnlyTickBoxes)
{
    for (double code : {115.0, 115.5}) EXPECT_TRUE(IsTickCode(DataType::FromStored(code))) << code;
    for (double code : {116.0, 0.0}) EXPECT_FALSE(IsTickCode(DataType::FromStored(code))) << code;
    for (const auto& [from, to] : {std::pair{"", "√"}, {"√", ""}, {"x", ""}}) EXPECT_EQ(ToggleTick(from), to) << from;
}

TEST(TabOrder, TextBoxesInIndexOrderGoingRound)
{
    SlipFormat f;
    OpenFormat(f, {TextBoxOf(5), CheckBoxOf(6), TextBoxOf(2), TextBoxOf(9)});
    const std::tuple<BoxId, bool, BoxId> cases[] = {{5, false, 2}, {2, false, 9}, {9, false, 5}, {5, true, 9},
                                                    {0, false, 5}, {6, true, 9}};
    for (const auto& [from, back, to] : cases) EXPECT_EQ(NextTextBoxInTabOrder(f, from, back), to) << from;
    SlipFormat empty;
    EXPECT_EQ(NextTextBoxInTabOrder(empty, 0), 0);
}
