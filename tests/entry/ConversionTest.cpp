#include "entry/Conversion.h"

#include <gtest/gtest.h>

using namespace slip;

namespace {
// The amount as a box shows it: formatted, or as typed when it is none.
QString FormatAmount(const QString& t, QChar c = kDefaultCurrencyChar) { return TryFormatAmount(t, c).value_or(t); }
} // namespace

namespace {

const QDate kToday(2020, 7, 9);

Converted ConvertAs(double code, const QString& text, QChar currency = kDefaultCurrencyChar)
{
    return ConvertByCode(DataType::FromStored(code), text, currency, kToday);
}
QString Conv(double code, const QString& text) { return ConvertAs(code, text).text; }

} // namespace

TEST(FormatAmount, FiguresOfOneAmountAreWrittenWithSignCurrencyAndTwoDecimals)
{
    // Amounts are cut after the fen; a minus before or after the currency mark
    // is the sign; nothing in fen has no sign; beyond 15 digits nothing is rounded.
    const std::pair<const char*, const char*> cases[] = {
        {"", ""}, {"0", "￥0.00"}, {".5", "￥0.50"}, {"RMB100", "￥100.00"}, {"1,234.567", "￥1,234.56"},
        {"1.999", "￥1.99"}, {"1234567.89", "￥1,234,567.89"}, {"1234.5", "￥1,234.50"}, {"12.", "￥12.00"},
        {"123", "￥123.00"}, {"1234", "￥1,234.00"}, {"123456", "￥123,456.00"}, {"007.1", "￥7.10"},
        {"1 2 3 4", "￥1,234.00"}, {" 1234.5\n", "￥1,234.50"}, {"+12", "￥12.00"}, {"￥12元", "￥12.00"},
        {"12元整", "￥12.00"}, {"人民币12", "￥12.00"}, {"rmb12", "￥12.00"}, {"¥12", "￥12.00"},
        {"-5", "-￥5.00"}, {" -5", "-￥5.00"}, {"￥-5", "-￥5.00"}, {"RMB -1,000", "-￥1,000.00"},
        {"-￥1,234.50", "-￥1,234.50"}, {"-￥0.00", "￥0.00"}, {"-0.001", "-￥0.00"}, {"-0.00001", "-￥0.00"}, {"-0.00", "￥0.00"}, {"￥1,234.50", "￥1,234.50"},
        {"12345678901234567.89", "￥12,345,678,901,234,567.89"}, {"1234567890123.999", "￥1,234,567,890,123.99"},
        {"0.9999999999999999", "￥0.99"}, {"99999999999999999999", "￥99,999,999,999,999,999,999.00"},
        {"0.00001", "￥0.00"},
    };
    for (const auto& [typed, want] : cases) EXPECT_EQ(FormatAmount(QString::fromUtf8(typed)), QString::fromUtf8(want)) << typed;
    EXPECT_EQ(FormatAmount("-$5", u'$'), "-$5.00");
    EXPECT_EQ(FormatAmount("$1,234.50", u'$'), "$1,234.50");
    for (const char* typed : {"1234.5", "0.05", "-1234.5", "98765432.1", "-0.5", "0"}) {
        const QString once = FormatAmount(QString::fromUtf8(typed));
        EXPECT_EQ(FormatAmount(once), once) << typed;
    }
}

TEST(FormatAmount, TextsThatAreNoAmountStayAsTyped)
{
    // Showing ￥0.00 or an amount made of scattered figures would put an
    // amount on the slip that was never typed.
    for (const char* typed : {"abc", "一百", "1.2.3", "12,34", "1,2345", ",123", "1e3", "50%", "5-", "-",
                              ".", "￥", "12 abc", "1,234,56", "(5)", "--5", "-￥-5", "12元5角"})
        EXPECT_EQ(FormatAmount(QString::fromUtf8(typed)), QString::fromUtf8(typed)) << typed;
    EXPECT_FALSE(TryFormatAmount("abc").has_value());
    EXPECT_EQ(TryFormatAmount(""), QString());
}

TEST(AutoConvert, AmountCodesAndBordersAndConvertingAgain)
{
    struct Case { double code; const char* text; const char* want; int border; };
    const Case cases[] = {
        {11, "1234.5", "￥1,234.50", 1},  {311, "1234.5", "1,234.50", 1},
        {211, "1234.5", "1234.5", 1},     {104, "1234.5", "￥1,234.50", 0},
        {117, "-1234", "-1234.00", 0},    {118, "-1234", "-￥1234.00", 0},
        {105, "-1234", "-1,234.00", 0},   {1, "7", "7", 1},
        {99, "7", "￥7.00", 1},           {399, "1234567", "1,234,567.00", 1},
        {301, "-8", "-8", 1},          {300, "1234.5", "1234.5", 1},
        {250, "1234.5", "1234.5", 1},     {200, "1234.5", "1234.5", 0},
        {400, "1234.5", "1234.5", 0},     {0.5, "1234.5", "1234.5", 1},
        {0, "1234.5", "1234.5", 0},       {-11, "1234.5", "1234.5", 0},
        {123, "1234.5", "1234.5", 0},     {115, "√", "√", 0},
        {119, "2012-5-3", "2012-5-3", 0}, {122, "A0010", "A0010", 0},
    };
    for (const Case& c : cases) {
        const Converted out = ConvertAs(c.code, QString::fromUtf8(c.text));
        EXPECT_EQ(out.text, QString::fromUtf8(c.want)) << c.code;
        EXPECT_EQ(out.borderStyle, c.border) << c.code;
    }
    EXPECT_EQ(ConvertAs(11, "").text, "");  // an empty text changes nothing
    EXPECT_FALSE(ConvertAs(11, "").borderStyle.has_value());
    EXPECT_EQ(ConvertAs(104, "1234.5", u'$').text, "$1,234.50");
    EXPECT_EQ(ConvertAs(105, "-1234.5", u'$').text, "-1,234.50");
    for (double code : {104.0, 105.0, 117.0, 118.0, 11.0, 311.0}) {
        const QString once = Conv(code, "-1234.5");
        EXPECT_TRUE(once.startsWith(u'-')) << code;
        EXPECT_EQ(Conv(code, once), once) << code;
    }
    EXPECT_EQ(Conv(104, "-￥1,234.50"), "-￥1,234.50");
    EXPECT_EQ(Conv(118, "-￥1234.00"), "-￥1234.00");
}

TEST(ConvertByCode, EveryCodeConvertsItsText)
{
    // Full-width figures, point, comma and minus read as their plain forms;
    // a date without its year is in the current year; out of range parts are
    // today's.
    struct Case { double code; const char* text; const char* want; };
    const Case cases[] = {
        {109, "10-00-8 5", "100085"}, {109, "1234567", "123456"}, {109, "85", "000085"}, {109, "abc", ""},
        {116, "0.25", "25%"}, {116, "25%", "25%"}, {116, "0.07", "7%"}, {116, "0.125", "12.5%"}, {116, "abc", "abc"},
        {116, "0.1", "10%"}, {116, "-0.035", "-3.5%"}, {116, "1e3", "1e3"}, {110, "2012-5-3", "2012年05月03日"},
        {110, "abc", "abc"}, {111, "2012/5/3", "2012-05-03"}, {112, "2012年5月3日", "05月03日"}, {113, "2012.12.31", "12-31"},
        {111, "2012-05-03 14:30:15", "2012-05-03"}, {110, "5-3", "2020年05月03日"}, {111, "12月31日", "2020-12-31"},
        {110, "2012年05月03日", "2012年05月03日"}, {111, "2012-05-03", "2012-05-03"}, {100, "2012", "贰零壹贰"},
        {101, "10", "零壹拾"}, {102, "25", "贰拾伍"}, {106, "贰零壹贰", "2012"}, {107, "零伍", "5"}, {108, "40", "9"},
        {104, "１２３", "￥123.00"}, {104, "１，２３４．５", "￥1,234.50"}, {104, "－５", "-￥5.00"}, {104, "￥１２３", "￥123.00"},
        {104, "１２３４　５", "￥12,345.00"}, {11, "１２３４．５", "￥1,234.50"}, {311, "１２３４．５", "1,234.50"},
        {105, "－１２３４", "-1,234.00"}, {117, "－１２３４", "-1234.00"}, {118, "１，２３４", "￥1234.00"}, {109, "１０００８５", "100085"},
        {109, "邮编：２１0000", "210000"}, {110, "２０１２－５－３", "2012年05月03日"}, {111, "２０１２．５．３", "2012-05-03"},
        {112, "２０１２年５月３日", "05月03日"}, {100, "２０１２", "贰零壹贰"}, {101, "５", "伍"}, {102, "２０", "零贰拾"},
        {106, "２０１２", "2012"}, {107, "１２", "12"}, {108, "３", "3"}, {103, "１２３４", "壹仟贰佰叁拾肆元整"},
        {120, "１００５．３", "壹仟零伍圆叁角整"}, {114.11, "１２３４．５", "零零零零零壹贰叁肆伍零"},
        {121.11, "１２３４", "零零零零零零零壹贰叁肆"}, {116, "０．２５", "25%"}, {116, "２５％", "25%"},
    };
    for (const Case& c : cases) EXPECT_EQ(Conv(c.code, QString::fromUtf8(c.text)), QString::fromUtf8(c.want)) << c.code << " " << c.text;
    EXPECT_EQ(SixDigitText("邮编：２１0000"), "000000");  // SixDigitText itself takes plain figures only
    EXPECT_EQ(FormatAmount("１２３"), "￥123.00");
}

TEST(FormatDateText, UsualWrittenFormsOfADateAreRead)
{
    // Two- and four-digit years, every separator, eight figures run together,
    // month and day alone in today's year, a time of day after the date.
    struct Case { const char* text; const char* want; };
    const Case cases[] = {
        {"2012-5-3", "2012-05-03"},   {"2012/5/3", "2012-05-03"},     {"2012.5.3", "2012-05-03"},
        {"2012年5月3日", "2012-05-03"}, {"2012 年 5 月 3 日", "2012-05-03"}, {"12-5-3", "2012-05-03"},
        {"12/05/03", "2012-05-03"},   {"12.5.3", "2012-05-03"},       {"12年5月3日", "2012-05-03"},
        {"29-1-1", "2029-01-01"},     {"30-1-1", "1930-01-01"},       {"99/12/31", "1999-12-31"},
        {"00-2-29", "2000-02-29"},    {"20120503", "2012-05-03"},     {" 20121231 ", "2012-12-31"},
        {"20120503 08:15", "2012-05-03"}, {"12-5-3 23:59:59", "2012-05-03"}, {"2012/5/3T8:05", "2012-05-03"},
        {"5-3", "2020-05-03"},        {"5/3", "2020-05-03"},          {"12月31日", "2020-12-31"},
        // No date: nothing is made up.
        {"abc", ""},          {"2012-2-30", ""},  {"2012-13-1", ""},  {"2012-5-3 25:00", ""}, {"5.3", ""},
        {"12345", ""},        {"2012-5", ""},     {"20121301", ""},   {"201205031", ""},      {"123-5-3", ""},
        {"1-5-3", ""},        {"2012--5-3", ""},
        // The month by its name, before or after the day, the year last or first.
        {"May 3, 2012", "2012-05-03"}, {"3-May-2012", "2012-05-03"},   {"3 May 12", "2012-05-03"},
        {"may 3 2012", "2012-05-03"},  {"Sept. 30, 2012", "2012-09-30"}, {"30/sep/2012", "2012-09-30"},
        {"December 31, 99", "1999-12-31"}, {"2012-May-3", "2012-05-03"}, {"May 3", "2020-05-03"},
        {"3-May", "2020-05-03"},       {"May 3, 2012 08:15", "2012-05-03"}, {"3-May-2012 8:05:09", "2012-05-03"},
        {"Mayo 3, 2012", ""},          {"Feb 30, 2012", ""},           {"May 3, 2012 25:00", ""}, {"May", ""},
        {"May 3, 2012x", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatDateText(QString::fromUtf8(c.text), "YYYY-MM-DD", kToday), QString::fromUtf8(c.want)) << c.text;
    EXPECT_EQ(FormatDateText("2012-2-29", "YYYY-MM-DD", kToday), "2012-02-29");
    EXPECT_EQ(FormatDateText("2012-5-3", "DD/MM/YYYY 年", kToday), "03/05/2012 年");
}

TEST(ConvertByCode, DateBoxesConvertTheUsualFormsAndKeepTextThatIsNoDate)
{
    struct Case { double code; const char* text; const char* want; };
    const Case cases[] = {
        {110, "12-5-3", "2012年05月03日"}, {111, "2012/5/3", "2012-05-03"}, {112, "20120503", "05月03日"},
        {113, "12.5.3", "05-03"},         {110, "abc", "abc"},             {111, "2012-2-30", "2012-2-30"},
        {112, "12345", "12345"},          {113, "二〇一二年", "二〇一二年"},
        {110, "May 3, 2012", "2012年05月03日"}, {111, "3-May-2012", "2012-05-03"}, {113, "Jun 1", "06-01"},
    };
    for (const Case& c : cases) EXPECT_EQ(Conv(c.code, QString::fromUtf8(c.text)), QString::fromUtf8(c.want)) << c.code << " " << c.text;
}

TEST(AutoConvert, MoneyWordsAndCellsOrTheTextAsTypedWhenTheyFail)
{
    // Beyond the money words, negative in cells, beyond the cells: kept.
    const std::pair<double, const char*> kept[] = {{103, "10000000000000"}, {120, "123456789012345678"},
                                                   {114.11, "-1234.5"}, {121.11, "-1234"}, {121.11, "10000000000000"},
                                                   {114.15, "1e300"}, {1e300, "12"}};
    for (const auto& [code, typed] : kept) EXPECT_EQ(Conv(code, typed), typed) << code;
    const std::tuple<double, const char*, const char*> cases[] = {
        {103, "1234", "壹仟贰佰叁拾肆元整"}, {120, "1234", "壹仟贰佰叁拾肆圆整"}, {114.11, "1234.5", "零零零零零壹贰叁肆伍零"},
        {114.08, "12", "零零零零壹贰零零"}, {121.11, "1234", "零零零零零零零壹贰叁肆"}, {121.08, "1234.56", "零零零零壹贰叁肆"},
        {121.11, "零零零零零零零壹贰叁肆", "零零零零零零零壹贰叁肆"},
        // More numerals than cells: every one is kept.
        {114.05, "12345678.9", "壹贰叁肆伍陆柒捌玖零"}, {114.05, "1234.56", "壹贰叁肆伍陆"}, {121.03, "12345", "壹贰叁肆伍"},
    };
    for (const auto& [code, typed, want] : cases) EXPECT_EQ(Conv(code, typed), QString::fromUtf8(want)) << code << typed;
    // Codes that are no number at all convert nothing and show no border.
    const Converted nan = ConvertAs(std::nan(""), "12");
    EXPECT_EQ(nan.text, "12");
    EXPECT_EQ(nan.borderStyle, 0);
}

TEST(AmountCells, FiguresEndInTheLastCellAndAreNeverCut)
{
    struct Case { double code; const char* text; const char* cells; };
    const Case cases[] = {
        {10, "1234.5", "   ￥123450"},   {310, "1234.5", "    123450"},  {10, "-1234.5", "  -￥123450"},
        {310, "-1234.5", "  - 123450"}, {305, "-123456.78", "-12345678"}, {11, "1.2.3", "      1.2.3"},
        {10, "12345678.90", "1234567890"}, {10, "-1234567.8", "-123456780"},  // the ￥ gives up its cell
        {5, "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AmountCellText(QString::fromUtf8(c.text), DataType::FromStored(c.code)), QString::fromUtf8(c.cells))
            << c.code << " " << c.text;
}

TEST(BoxCanShow, AmountsBeyondTheCellsOrTheWordsAreKeptAsTyped)
{
    struct Case { double code; const char* value; bool shown; };
    const Case cases[] = {
        {11, "￥123,456,789.00", true},  {11, "￥1,234,567,890.00", false},  // the ￥ gives up its cell first
        {11, "123456789012345678.99", false}, {311, "123,456,789,012.90", false},   {311, "1,234,567.90", true},
        {11, "abc", true},               {203, "123", true},                {203, "1234", true},  // digits run on beside their cells
        {114.05, "壹贰叁肆伍", true},     {114.05, "壹贰叁肆伍陆", true},     {114.05, "-12", false},
        {121.11, "1234", false},         {114.05, "abc", true},             {103, "10000000000000", false},
        {103, "壹元整", true},            {120, "abc", true},                {104, "123456789012345678.99", true},
        {11, "", true},                  {121.03, "壹贰叁肆伍", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BoxCanShow(DataType::FromStored(c.code), QString::fromUtf8(c.value)), c.shown)
            << c.code << " " << c.value;
    // Converting such an amount keeps it as typed.
    for (double code : {11.0, 311.0, 114.11, 121.11, 103.0})
        EXPECT_EQ(Conv(code, "123456789012345678.99"), "123456789012345678.99") << code;
    EXPECT_EQ(Conv(114.05, "123.45"), "壹贰叁肆伍");
}

TEST(KeepAllowedChars, RemovesEverythingElseAndNumberTextIsPlain)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"a1b2c3", "0123456789", "123"}, {"零1壹2", "壹", "壹"}, {"", "abc", ""}, {"abc", "", ""},
        {"aAbB", "ab", "ab"},  // exact comparison
        {"x1y2z3w", "123", "123"}, {"123", "0123456789", "123"},
    };
    for (const auto& [text, allowed, want] : cases)
        EXPECT_EQ(KeepAllowedChars(QString::fromUtf8(text), QString::fromUtf8(allowed)), QString::fromUtf8(want)) << text;
    const std::pair<double, const char*> numbers[] = {{0.07 * 100, "7"}, {1234.5, "1234.5"}, {0.5, "0.5"}, {-2, "-2"},
                                                      {-0.0, "0"}, {123456789012345.0, "123456789012345"}};
    for (const auto& [n, want] : numbers) EXPECT_EQ(NumberText(n), want) << n;
}
