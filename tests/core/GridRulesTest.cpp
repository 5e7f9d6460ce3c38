#include "core/GridRules.h"

#include <gtest/gtest.h>

using namespace slip;

TEST(GridRules, TextsSortNumbersAsNumbersBeforeTextsAndTextsRegardlessOfCase)
{
    const struct {
        QString a, b;
        int sign;
    } cases[] = {
        {"9.5", "10", -1},       {"￥1,000.50", "999", 1}, {"100", "100.00", 0}, {"100", "abc", -1},
        {"", "1", 1},            {"Alpha", "alpha", -1},   {"alpha", "Beta", -1}, {"张三", "户名", -1},
    };
    for (const auto& c : cases) {
        const int cmp = CompareGridKeys(GridSortKey(c.a), GridSortKey(c.b));
        EXPECT_EQ((cmp > 0) - (cmp < 0), c.sign) << c.a.toStdString() << " " << c.b.toStdString();
    }
    EXPECT_EQ(CaptionWithSortMark("金额", Qt::AscendingOrder), "金额△");
    EXPECT_EQ(CaptionWithSortMark("金额", Qt::DescendingOrder), "金额▽");
}

TEST(GridRules, ACellGivenAsUtf8GetsTheKeyOfItsText)
{
    const char* const cells[] = {
        "0",       "0.00",       "100",        "-100",      "+100",       "-0",          "007",       "1,000.50",
        "1,2,3",   ",5",         "5,",         "1,,000",    ",",          "-,5",         "+",         "-",
        "1.",      ".5",         "-.5",        "1.2.3",     "1..2",       "12345678901234567890123",
        "0.1",     "0.30000000000000004",      "9007199254740993",        "1.7976931348623157e308",
        "1e5",     "1E-5",       "1e400",      "0x10",      "inf",        "-inf",        "nan",       "Infinity",
        " 12",     "12 ",        "\t12",       "\u3000" "12", "12\u3000",   "\xc2\xa0" "12", "$12",        "$-1,234.5",
        "￥1,000.50", "￥",      "$",          "abc",       "Alpha",      "张三",        "户名在此",   "一二三",
        "1abc",    "1-2",        "2024-01-05", "１２",      "(12)",       "12%",         "",          "1\r\n2",
        "\x1f",    "+-1",        "--1",        "123456789012345678901234567890123456789012345678901234567890123456789",
    };
    for (const char* cell : cells) {
        const QString text = QString::fromUtf8(cell);
        const GridSortKey general(text);
        const GridSortKey fromUtf8 = GridSortKeyOfUtf8(text.toUtf8());
        EXPECT_EQ(fromUtf8.isNumber, general.isNumber) << cell;
        if (general.isNumber && fromUtf8.isNumber) EXPECT_EQ(fromUtf8.number, general.number) << cell;
        else EXPECT_EQ(fromUtf8.text, general.text) << cell;
    }
}

TEST(GridRules, TheDeleteQuestionNamesExactlyTheRowsThatGo)
{
    const struct {
        QVector<int> rows;
        QString question;
    } cases[] = {
        {{2, 3}, "您确定要删除第2至第3行？"},
        {{4}, "您确定要删除第4至第4行？"},
        {{5, 1}, "您确定要删除第1、第5行？"},
        {{1, 6, 5, 9, 5}, "您确定要删除第1、第5至第6、第9行？"},
    };
    for (const auto& c : cases) EXPECT_EQ(DeleteRowsQuestion(c.rows), c.question);
}
