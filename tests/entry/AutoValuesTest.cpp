#include "EntryTestSupport.h"

#include <gtest/gtest.h>

#include "entry/AutoValues.h"

using namespace slip;
using namespace slip::test;

namespace {

const QDateTime kNow(QDate(2012, 5, 3), QTime(14, 5, 6));

} // namespace

TEST(AutoFillDates, EveryDateCodeTakesTodayInItsFormOthersAreConvertedAsOnLeaving)
{
    struct Case { double code; const char* want; };
    const Case cases[] = {
        {100, "贰零壹贰"}, {101, "伍"}, {102, "零叁"}, {106, "2012"}, {107, "5"}, {108, "3"},
        {110, "2012年05月03日"}, {111, "2012-05-03"}, {112, "05月03日"}, {113, "05-03"},
    };
    std::vector<Box> boxes;
    BoxId id = 1;
    for (const Case& c : cases) boxes.push_back(TextBoxOf(id++, c.code));
    SlipFormat f;
    OpenFormat(f, boxes);
    f.SetValue(7, "2001-1-1");  // a default value gives way to today
    EXPECT_EQ(AutoFillDates(f, kNow), 10);
    id = 1;
    for (const Case& c : cases) EXPECT_EQ(f.Value(id++), QString::fromUtf8(c.want)) << c.code;
    OpenFormat(f, {TextBoxOf(1, 104), TextBoxOf(2, 103), TextBoxOf(3, 0), TextBoxOf(4, 122), TextBoxOf(5, 104)});
    f.SetValue(1, "1234.5");
    f.SetValue(2, "壹元整");
    f.SetValue(3, "2012-1-1");
    f.SetValue(4, "A0010");
    EXPECT_EQ(AutoFillDates(f, kNow), 1);
    for (const auto& [id, value] : {std::pair{1, "￥1,234.50"}, {2, "壹元整"}, {3, "2012-1-1"}, {4, "A0010"}, {5, ""}})
        EXPECT_EQ(f.Value(id), QString::fromUtf8(value)) << id;
    // Running it again changes nothing.
    EXPECT_EQ(AutoFillDates(f, kNow), 0);
    OpenFormat(f, {TextBoxOf(1, 119)});
    AutoFillDates(f, kNow, QStringLiteral("yyyy年m月d日"));
    EXPECT_EQ(f.Value(1), "2012年5月3日");
    // Without a stored pattern: the date and time as plain text.
    AutoFillDates(f, kNow);
    EXPECT_EQ(f.Value(1), "2012-5-3 14:05:06");
    EXPECT_EQ(CustomPatternKey(119), "自定义类型119");
}

TEST(FormatCustomDate, DateAndTimeLetters)
{
    // mm after the hour is minutes.
    const std::pair<const char*, const char*> cases[] = {
        {"YYYY-MM-DD", "2012-05-03"}, {"yy/m/d", "12/5/3"}, {"hh:mm:ss", "14:05:06"}, {"h:nn AM/PM", "2:05 PM"},
        {"dddd mmmm", "星期四 五月"}, {"ddd q w ww y", "周四 2 5 18 124"}, {"\"dd\"dd\\m", "dd03m"},
        {"交易日期：yyyy年mm月dd日", "交易日期：2012年05月03日"}};
    for (const auto& [pattern, want] : cases) EXPECT_EQ(FormatCustomDate(kNow, QString::fromUtf8(pattern)), QString::fromUtf8(want)) << pattern;
    EXPECT_EQ(FormatCustomDate(QDateTime(QDate(2012, 1, 1), QTime(0, 0)), "ww h AMPM"), "1 12 上午");
    EXPECT_EQ(FormatCustomDate(QDateTime(QDate(2012, 12, 31), QTime(9, 0)), "ww"), "53");
    for (const auto& [month, quarter] : {std::pair{3, "1"}, {4, "2"}, {9, "3"}, {12, "4"}})
        EXPECT_EQ(FormatCustomDate(QDateTime(QDate(2012, month, 31 - (month == 4 || month == 9)), QTime(9, 0)), "q"), quarter);
}

TEST(AutoNumbers, TheLastRunOfFiguresCountsOnFromEachBoxsOwnNewestValue)
{
    struct Case { const char* from; const char* to; };
    const Case cases[] = {
        {"A0010", "A0011"}, {"0009", "0010"}, {"120", "121"}, {"A99", "A100"}, {"99", "100"},
        {"NO.2012-009号", "NO.2012-010号"}, {"7", "8"}, {"", ""}, {"单号：999号", "单号：1000号"},
        {"X-0999-Y", "X-1000-Y"}, {"2012-12-31-99", "2012-12-31-100"}, {"A9B9", "A9B10"}, {"00", "01"},
        {"A1.5", "A1.6"},  // the last run counts, not a decimal number
        // Runs beyond what a double holds count exactly.
        {"S12345678901234567899", "S12345678901234567900"}, {"99999999999999999999", "100000000000000000000"},
        {"ABC", "ABC"},          // no figure: nothing to count, and nothing is lost
        {"第０９号", "第１０号"},  // full-width figures count and keep their form
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextSerial(QString::fromUtf8(c.from)), QString::fromUtf8(c.to)) << c.from;
    SlipFormat f;
    OpenFormat(f, {TextBoxOf(1, 122), TextBoxOf(2, 122), TextBoxOf(3, 122), TextBoxOf(4, 0)});
    f.SetValue(3, "typed");
    f.SetValue(4, "7");
    std::vector<BoxId> asked;
    const int changed = ApplyAutoNumbers(f, [&asked](BoxId id) -> std::optional<QString> {
        asked.push_back(id);
        if (id == 1) return QStringLiteral("A0010");
        if (id == 2) return QStringLiteral("NO.99");
        return std::nullopt;  // box 3 was never printed
    });
    EXPECT_EQ(changed, 2);
    EXPECT_EQ(asked, (std::vector<BoxId>{1, 2, 3}));
    for (const auto& [id, value] : {std::pair{1, "A0011"}, {2, "NO.100"}, {3, "typed"}, {4, "7"}}) EXPECT_EQ(f.Value(id), value) << id;
    EXPECT_EQ(ApplyAutoNumbers(f, {}), 0);
}

