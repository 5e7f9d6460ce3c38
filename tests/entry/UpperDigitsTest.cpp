#include "entry/UpperDigits.h"

#include <QDate>
#include <gtest/gtest.h>

using namespace slip;

namespace {
// The cells as a box shows them: the numerals, or the text as typed.
QString DigitCells(const QString& t, int n, QChar c = kDefaultCurrencyChar) { return TryDigitCells(t, n, c).value_or(t); }
} // namespace

namespace {
const QDate kToday(2020, 7, 9);
}

TEST(ConvertUpperDigits, NumeralsToFigures)
{
    EXPECT_EQ(ConvertUpperDigits("贰拾伍", true), "25");
    EXPECT_EQ(ConvertUpperDigits("拾伍", true), "15");
    EXPECT_EQ(ConvertUpperDigits("贰拾", true), "20");
    EXPECT_EQ(ConvertUpperDigits("零壹拾", true), "10");
    EXPECT_EQ(ConvertUpperDigits("贰零壹贰年", true), "2012");
    EXPECT_EQ(ConvertUpperDigits("壹拾贰月", true), "12");
    EXPECT_EQ(ConvertUpperDigits("零零伍", true), "05");  // only one leading 0 goes
    EXPECT_EQ(ConvertUpperDigits("", true), "");
}

TEST(ConvertUpperDigits, TenBeforeOtherCharacters)
{
    // 拾 before a unit word still ends in the zero of the units.
    EXPECT_EQ(ConvertUpperDigits("拾", true), "10");
    EXPECT_EQ(ConvertUpperDigits("拾月", true), "10");
    EXPECT_EQ(ConvertUpperDigits("贰拾日", true), "20");
    EXPECT_EQ(ConvertUpperDigits("零贰拾日", true), "20");
    EXPECT_EQ(ParseDatePart("拾月", DatePart::Month, kToday), "10");
    EXPECT_EQ(ParseDatePart("叁拾日", DatePart::Day, kToday), "30");
}

TEST(ConvertUpperDigits, FiguresToNumerals)
{
    EXPECT_EQ(ConvertUpperDigits("0123456789", false), "零壹贰叁肆伍陆柒捌玖");
    EXPECT_EQ(ConvertUpperDigits("2012年5月-x", false), "贰零壹贰年伍月-x");
}

TEST(DatePartToUpper, MonthsDaysAndYearsInRange)
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
}

TEST(DatePartToUpper, ConvertingAgainKeepsTheWords)
{
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
}

TEST(ParseDatePart, WordsAndFigures)
{
    EXPECT_EQ(ParseDatePart("贰零壹贰", DatePart::Year, kToday), "2012");
    EXPECT_EQ(ParseDatePart("零伍", DatePart::Month, kToday), "5");
    EXPECT_EQ(ParseDatePart("壹拾贰月", DatePart::Month, kToday), "12");
    EXPECT_EQ(ParseDatePart("  31 ", DatePart::Day, kToday), "31");
    EXPECT_EQ(ParseDatePart("1000", DatePart::Year, kToday), "1000");
    EXPECT_EQ(ParseDatePart("5000", DatePart::Year, kToday), "5000");
}

TEST(ParseDatePart, OutOfRangeGivesToday)
{
    EXPECT_EQ(ParseDatePart("13", DatePart::Month, kToday), "7");
    EXPECT_EQ(ParseDatePart("2012-05", DatePart::Year, kToday), "2020");
    EXPECT_EQ(ParseDatePart("", DatePart::Day, kToday), "9");
    EXPECT_EQ(ParseDatePart("", DatePart::Month, kToday), "7");
    EXPECT_EQ(ParseDatePart("5001", DatePart::Year, kToday), "2020");
    EXPECT_EQ(ParseDatePart("0", DatePart::Day, kToday), "9");
    // Figures too long for a whole number are no date part either.
    EXPECT_EQ(ParseDatePart("99999999999", DatePart::Day, kToday), "9");
    EXPECT_EQ(ParseDatePart("999999999999999999999999", DatePart::Day, kToday), "9");
    // Without a given day the system date is used.
    EXPECT_EQ(ParseDatePart("", DatePart::Year), QString::number(QDate::currentDate().year()));
}

TEST(DigitCells, WorkedExamples)
{
    EXPECT_EQ(DigitCells("1234.5", 11), "零零零零零壹贰叁肆伍零");
    EXPECT_EQ(DigitCells("12345678.9", 5), "壹贰叁肆伍陆柒捌玖零");
    EXPECT_EQ(DigitCells("壹贰", 11), "壹贰");
    EXPECT_EQ(DigitCells("abc", 6), "abc");  // no amount: kept as typed
    EXPECT_EQ(DigitCells("", 6), "");
    EXPECT_EQ(DigitCells("￥1,234.50", 0), "壹贰叁肆伍零");
    EXPECT_EQ(DigitCells("12%", 4), "12%");
    EXPECT_EQ(DigitCells("$3", 3, u'$'), "叁零零");
}

TEST(DigitCells, CutAfterTheFenLikeTheFiguresAndTheWords)
{
    EXPECT_EQ(DigitCells("0.125", 0), "壹贰");
    EXPECT_EQ(DigitCells("0.375", 0), "叁柒");
    EXPECT_EQ(DigitCells("1.999", 0), "壹玖玖");
}

TEST(DigitCells, NegativeAndHugeAmountsStayAsTyped)
{
    EXPECT_EQ(DigitCells("-1234.5", 11), "-1234.5");
    EXPECT_EQ(DigitCells("-￥5", 4), "-￥5");
    EXPECT_FALSE(TryDigitCells("-1", 4).has_value());
    // A negative amount too small for a fen has no sign left to lose.
    EXPECT_EQ(DigitCells("-0.001", 3), "零零零");
    EXPECT_EQ(DigitCells("10000000000000", 15), "10000000000000");
    EXPECT_EQ(DigitCells("1e300", 15), "1e300");
}

TEST(DigitCells, AmountsBeyondThirtyTwoBits)
{
    EXPECT_EQ(DigitCells("21474836.48", 0), "贰壹肆柒肆捌叁陆肆捌");
    EXPECT_EQ(DigitCells("21474836.49", 0), "贰壹肆柒肆捌叁陆肆玖");
    EXPECT_EQ(DigitCells("9999999999999.99", 0), "玖玖玖玖玖玖玖玖玖玖玖玖玖玖玖");
}
