#include "storage/CommonHelpers.h"

#include <gtest/gtest.h>

using namespace slip;

TEST(ParseAmount, MoneyTexts)
{
    EXPECT_DOUBLE_EQ(ParseAmount("￥1,000.50"), 1000.5);
    EXPECT_DOUBLE_EQ(ParseAmount("12.5%"), 0.125);
    EXPECT_DOUBLE_EQ(ParseAmount("abc"), 0);
    EXPECT_DOUBLE_EQ(ParseAmount("1,000元"), 1000);
    EXPECT_DOUBLE_EQ(ParseAmount("$-2,500"), -2500);
    EXPECT_DOUBLE_EQ(ParseAmount("€12", QChar(0x20AC)), 12);
    EXPECT_DOUBLE_EQ(ParseAmount("1%2%"), 0.12);
}
