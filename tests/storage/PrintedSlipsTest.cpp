#include "storage/PrintedSlips.h"

#include <gtest/gtest.h>

using namespace slip;

TEST(PrintedSlips, TheHistoryKeepsTicksAsOneAndNoUntickedBox)
{
    SlipFormat f;
    std::vector<Box> boxes;
    for (BoxId id = 1; id <= 4; ++id) {
        Box b = NewBoxOfKind(BoxKind::Check, {5.0 * id, 5});
        b.id = id;
        boxes.push_back(b);
    }
    f.Load(FormatHeader{}, boxes);
    const HistorySlip slip = HistorySlipOf(f, {{1, "1"}, {2, "0"}, {3, " "}, {4, "√"}});
    ASSERT_EQ(slip.size(), 2);
    EXPECT_EQ(slip[0].boxId, 1);
    EXPECT_EQ(slip[0].value, "1");
    EXPECT_EQ(slip[1].boxId, 4);
    EXPECT_EQ(slip[1].value, "1");
}
