#include "entry/UpperDigits.h"

#include <gtest/gtest.h>

using namespace slip;

namespace {
// The cells as a box shows them: the numerals, or the text as typed.
QString DigitCells(const QString& t, int n, QChar c = kDefaultCurrencyChar) { return TryDigitCells(t, n, c).value_or(t); }
} // namespace

namespace {
const QDate kToday(2020, 7, 9);
}

TEST(ConvertUpperDigits, NumeralsToFiguresAndBack)
{
    // 拾 before a unit word still ends in the zero of the units; only one leading 0 goes.
    const std::pair<const char*, const char*> cases[] = {
        {"贰拾伍", "25"}, {"拾伍", "15"}, {"贰拾", "20"}, {"零壹拾", "10"}, {"贰零壹贰年", "2012"}, {"壹拾贰月", "12"},
        {"零零伍", "05"}, {"", ""}, {"拾", "10"}, {"拾月", "10"}, {"贰拾日", "20"}, {"零贰拾日", "20"},
    };
    for (const auto& [words, figures] : cases) EXPECT_EQ(ConvertUpperDigits(QString::fromUtf8(words), true), figures) << words;
    EXPECT_EQ(ConvertUpperDigits("0123456789", false), "零壹贰叁肆伍陆柒捌玖");
    EXPECT_EQ(ConvertUpperDigits("2012年5月-x", false), "贰零壹贰年伍月-x");
}

TEST(DatePart, ToWordsInRangeAndBackOtherwiseToday)
{
    struct Case { const char* text; DatePart part; const char* words; };
    const Case cases[] = {
        {"5", DatePart::Month, "伍"}, {"1", DatePart::Month, "零壹"}, {"2", DatePart::Month, "零贰"},
        {"3", DatePart::Month, "叁"}, {"9", DatePart::Month, "玖"}, {"10", DatePart::Month, "零壹拾"},
        {"11", DatePart::Month, "壹拾壹"}, {"12", DatePart::Month, "壹拾贰"}, {"13", DatePart::Month, "13"},
        {"0", DatePart::Month, "0"}, {"伍", DatePart::Month, "伍"}, {"", DatePart::Month, ""},
        {"1", DatePart::Day, "零壹"}, {"3", DatePart::Day, "零叁"}, {"9", DatePart::Day, "零玖"},
        {"03", DatePart::Day, "零叁"}, {"10", DatePart::Day, "零壹拾"}, {"19", DatePart::Day, "壹拾玖"},
        {"20", DatePart::Day, "零贰拾"}, {"25", DatePart::Day, "贰拾伍"}, {"30", DatePart::Day, "零叁拾"},
        {"31", DatePart::Day, "叁拾壹"}, {"32", DatePart::Day, "32"}, {"2012", DatePart::Year, "贰零壹贰"},
        {"2000", DatePart::Year, "贰零零零"}, {"1999", DatePart::Year, "1999"}, {"3001", DatePart::Year, "3001"},
    };
    for (const Case& c : cases) EXPECT_EQ(DatePartToUpper(QString::fromUtf8(c.text), c.part), QString::fromUtf8(c.words)) << c.text;
    for (int d = 1; d <= 31; ++d) {
        const QString once = DatePartToUpper(QString::number(d), DatePart::Day);
        EXPECT_EQ(DatePartToUpper(once, DatePart::Day), once) << d;
        // Every day reads back to its own figures.
        EXPECT_EQ(ParseDatePart(once, DatePart::Day, kToday), QString::number(d)) << d;
    }
    for (int m = 1; m <= 12; ++m) {
        const QString once = DatePartToUpper(QString::number(m), DatePart::Month);
        EXPECT_EQ(ParseDatePart(once, DatePart::Month, kToday), QString::number(m)) << m;
    }
    // Today is 2020-07-09; figures too long for a whole number are no date part either.
    const std::tuple<const char*, DatePart, const char*> parsed[] = {
        {"贰零壹贰", DatePart::Year, "2012"}, {"零伍", DatePart::Month, "5"}, {"壹拾贰月", DatePart::Month, "12"},
        {"  31 ", DatePart::Day, "31"}, {"1000", DatePart::Year, "1000"}, {"5000", DatePart::Year, "5000"},
        {"拾月", DatePart::Month, "10"}, {"叁拾日", DatePart::Day, "30"}, {"13", DatePart::Month, "7"},
        {"2012-05", DatePart::Year, "2020"}, {"", DatePart::Day, "9"}, {"", DatePart::Month, "7"},
        {"5001", DatePart::Year, "2020"}, {"0", DatePart::Day, "9"}, {"99999999999", DatePart::Day, "9"},
        {"999999999999999999999999", DatePart::Day, "9"},
    };
    for (const auto& [text, part, want] : parsed) EXPECT_EQ(ParseDatePart(QString::fromUtf8(text), part, kToday), want) << text;
    // Without a given day the system date is used.
    EXPECT_EQ(ParseDatePart("", DatePart::Year), QString::number(QDate::currentDate().year()));
}

TEST(DigitCells, FiguresOfTheFenInCellsOrTheTextAsTyped)
{
    // Cut after the fen; negative amounts have no sign to show and stay as
    // typed, unless too small for a fen; amounts beyond 32 bits stay exact.
    const std::tuple<const char*, int, const char*> cases[] = {
        {"1234.5", 11, "零零零零零壹贰叁肆伍零"}, {"12345678.9", 5, "壹贰叁肆伍陆柒捌玖零"}, {"壹贰", 11, "壹贰"},
        {"abc", 6, "abc"}, {"", 6, ""}, {"￥1,234.50", 0, "壹贰叁肆伍零"}, {"12%", 4, "12%"}, {"１２３", 6, "零壹贰叁零零"},
        {"0.125", 0, "壹贰"}, {"0.375", 0, "叁柒"}, {"1.999", 0, "壹玖玖"}, {"-1234.5", 11, "-1234.5"}, {"-￥5", 4, "-￥5"},
        {"-0.001", 3, "零零零"}, {"10000000000000", 15, "10000000000000"}, {"1e300", 15, "1e300"},
        {"21474836.48", 0, "贰壹肆柒肆捌叁陆肆捌"}, {"21474836.49", 0, "贰壹肆柒肆捌叁陆肆玖"},
        {"9999999999999.99", 0, "玖玖玖玖玖玖玖玖玖玖玖玖玖玖玖"},
    };
    for (const auto& [typed, cells, want] : cases)
        EXPECT_EQ(DigitCells(QString::fromUtf8(typed), cells), QString::fromUtf8(want)) << typed;
    EXPECT_EQ(DigitCells("$3", 3, u'$'), "叁零零");
    EXPECT_FALSE(TryDigitCells("-1", 4).has_value());
}
