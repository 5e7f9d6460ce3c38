#include "TestHome.h"

#include "core/CommonHelpers.h"
#include "core/TextNumber.h"
#include "storage/Database.h"

#include <cmath>
#include <limits>
#include <gtest/gtest.h>

using namespace slip;

TEST(FormatDuration, DropsLeadingZeroPartsButKeepsMinutesAndSeconds)
{
    EXPECT_EQ(FormatDuration(5), "0:5");
    EXPECT_EQ(FormatDuration(65), "1:5");
    EXPECT_EQ(FormatDuration(3725), "1:2:5");
    EXPECT_EQ(FormatDuration(86400 + 3600 + 60 + 1), "1:1:1:1");
    EXPECT_EQ(FormatDuration(86400 + 5), "1:0:0:5");
    EXPECT_EQ(FormatDuration(3600), "1:0:0");
    EXPECT_EQ(FormatDuration(0), "0:0");
    EXPECT_EQ(FormatDuration(-30), "0:0");
}

TEST(CheckMarkText, TrueForAnyValueButFalseZeroEmptyAndNull)
{
    EXPECT_EQ(CheckMarkText(QVariant()), "");
    EXPECT_EQ(CheckMarkText(QVariant(QMetaType(QMetaType::Int))), "");
    EXPECT_EQ(CheckMarkText(QVariant(false)), "");
    EXPECT_EQ(CheckMarkText(QVariant(0)), "");
    EXPECT_EQ(CheckMarkText(QVariant(0.0)), "");
    EXPECT_EQ(CheckMarkText(QVariant(QString())), "");
    EXPECT_EQ(CheckMarkText(QVariant(QStringLiteral("0"))), "");
    EXPECT_EQ(CheckMarkText(QVariant(QStringLiteral("False"))), "");
    EXPECT_EQ(CheckMarkText(QVariant(true)), "√");
    EXPECT_EQ(CheckMarkText(QVariant(-1)), "√");
    EXPECT_EQ(CheckMarkText(QVariant(qint64(1))), "√");
    EXPECT_EQ(CheckMarkText(QVariant(QStringLiteral("是"))), "√");
    EXPECT_EQ(CheckMarkText(true), "√");
    EXPECT_EQ(CheckMarkText(false), "");
    EXPECT_TRUE(IsNotEmpty(" "));
    EXPECT_FALSE(IsNotEmpty(""));
}

TEST(SplitOff, PeelsFieldsFromEitherEnd)
{
    QString t = "a|b|c";
    EXPECT_EQ(SplitOff(t, "|", true), "a");
    EXPECT_EQ(t, "b|c");
    t = "a|b|c";
    EXPECT_EQ(SplitOff(t, "|", false), "c");
    EXPECT_EQ(t, "a|b");
    t = "a|b|c";
    EXPECT_EQ(SplitOff(t, ";", true), "");
    EXPECT_EQ(t, "a|b|c");
    EXPECT_EQ(SplitOff(t, "", false), "");
    EXPECT_EQ(t, "a|b|c");

    // Several characters, case counts, empty fields.
    t = "x§☆§y§☆§z";
    EXPECT_EQ(SplitOff(t, "§☆§", true), "x");
    EXPECT_EQ(SplitOff(t, "§☆§", true), "y");
    EXPECT_EQ(t, "z");
    t = "aXbxc";
    EXPECT_EQ(SplitOff(t, "x", true), "aXb");
    EXPECT_EQ(t, "c");
    t = "|tail";
    EXPECT_EQ(SplitOff(t, "|", true), "");
    EXPECT_EQ(t, "tail");
    t = "head|";
    EXPECT_EQ(SplitOff(t, "|", false), "");
    EXPECT_EQ(t, "head");
}


TEST(LeadingNumber, IsTheNumberATextStartsWithOrNothing)
{
    const struct { const char* text; std::optional<double> number; } cases[] = {
        {"180mm", 180}, {" 90 毫米", 90}, {"-5", -5}, {"0", 0}, {"2.5e1x", 25}, {"&H10", 16},
        {"mm", std::nullopt}, {"", std::nullopt}, {"毫米12", std::nullopt}, {"&Hz", std::nullopt}, {"-", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LeadingNumber(QString::fromUtf8(c.text)), c.number) << c.text;
        EXPECT_EQ(Val(QString::fromUtf8(c.text)), c.number.value_or(0)) << c.text;
    }
}
