#include "EntryTestSupport.h"

#include <gtest/gtest.h>

#include "entry/KeyFilter.h"

using namespace slip;
using slip::test::Code;

TEST(KeyFilter, AmountCellsTakeFiguresAndPointOnlyOtherCodesEverything)
{
    // Code 11: an amount in 11 cells; full-width figures and point count too.
    for (QChar c : QStringLiteral("0123456789.０１２３４５６７８９．")) EXPECT_TRUE(AcceptsTypedChar(Code(11), c)) << int(c.unicode());
    EXPECT_TRUE(AcceptsTypedChar(Code(11), QChar(8)));
    for (QChar c : QStringLiteral("aZ-+,￥$ %e\r\n\t元壹，－"))
        EXPECT_FALSE(AcceptsTypedChar(Code(11), c)) << int(c.unicode());
    for (double code : {0.0, 103.0, 104.0, 110.0, 122.0, 211.0, 311.0})
        for (QChar c : QStringLiteral("a-,￥ 壹\r１"))
            EXPECT_TRUE(AcceptsTypedChar(Code(code), c)) << code << " " << int(c.unicode());
    for (double code : {1.0, 11.0, 99.0, 105.0, 106.0, 107.0, 108.0})
        EXPECT_TRUE(IsNumericEntryCode(Code(code))) << code;
    // The amounts in cells without the currency cell take every key.
    for (double code : {0.0, 0.5, 100.0, 103.0, 104.0, 109.0, 110.0, 114.11, 115.0, 116.0, 117.0, 118.0, 119.0, 120.0,
                        121.11, 122.0, 200.0, 211.0, 300.0, 301.0, 311.0, 399.0, 400.0, -11.0, std::nan("")})
        EXPECT_FALSE(IsNumericEntryCode(Code(code))) << code;
}

TEST(KeyFilter, TextsKeepTheFiguresTheirCodeTakesAsTheyCame)
{
    const std::tuple<double, const char*, const char*> cases[] = {
        {11, "１２．５", "１２．５"}, {107, "１ａ２月", "１２"},  // full-width figures and point stay full-width
        {104, "-￥1,234.5 元", "-￥1,234.5 元"}, {0, "１２", "１２"}, {106, "2012年", "2012"},
        {11, "￥1,234.50\n", "1234.50"}, {311, "abc", "abc"}, {399, "￥1,2", "￥1,2"}};
    for (const auto& [code, typed, kept] : cases)
        EXPECT_EQ(FilterTypedText(Code(code), QString::fromUtf8(typed)), QString::fromUtf8(kept)) << code << " " << typed;
}
