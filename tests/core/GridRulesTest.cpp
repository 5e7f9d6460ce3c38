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
