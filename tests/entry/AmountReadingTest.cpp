#include "EntryTestSupport.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include "entry/Conversion.h"
#include "entry/MoneyWords.h"

using namespace slip;
using slip::test::Code;

namespace {

const QDate kToday(2020, 7, 9);

QString Conv(double code, const QString& text) { return ConvertByCode(Code(code), text, kDefaultCurrencyChar, kToday).text; }

// An amount in plain figures ("-1234.5", ".56") as fen, read independently
// of the program; nullopt when it is no such amount.
std::optional<qint64> FenOf(QString figures)
{
    figures.remove(kDefaultCurrencyChar);
    figures.remove(u',');
    static const QRegularExpression re(QStringLiteral(R"(^(-?)(\d*)(?:\.(\d*))?$)"));
    const QRegularExpressionMatch m = re.match(figures);
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty())) return std::nullopt;
    QString cents = m.captured(3).left(2);
    while (cents.size() < 2) cents.append(u'0');
    const qint64 fen = m.captured(2).toLongLong() * 100 + cents.toLongLong();
    return m.captured(1).isEmpty() ? fen : -fen;
}

} // namespace

TEST(FullWidthInput, OnlyNumberCharactersAreMadeHalfWidthAndOnlyForCodesThatConvert)
{
    for (double code : {0.0, 115.0, 119.0, 122.0, 211.0, 400.0})
        EXPECT_EQ(Conv(code, "１２３"), "１２３") << code;
    // A text that is still no amount stays exactly as typed.
    for (double code : {103.0, 104.0}) EXPECT_EQ(Conv(code, "１２３ａ"), "１２３ａ") << code;
    EXPECT_EQ(HalfWidthNumberText("０１２３４５６７８９．，－　"), "0123456789.,- ");
    EXPECT_EQ(HalfWidthNumberText("￥ＡＢ％元"), "￥ＡＢ％元");
}

// Every amount code reads a text the same way: the words, the figures and the
// cells of one text always show one amount, or all keep the text as typed.
TEST(OneAmountReading, WordsFiguresAndCellsAgree)
{
    struct Case {
        const char* typed;
        std::optional<qint64> fen;  // nullopt: no amount, kept as typed everywhere
    };
    const Case cases[] = {
        {"1e3", std::nullopt},       {"50%", std::nullopt},      {"abc", std::nullopt},
        {"1.2.3", std::nullopt},     {"12,34", std::nullopt},    {"5-", std::nullopt},
        {"1234.567", 123456},        {"0.375", 37},              {"RMB100", 10000},
        {"100元", 10000},            {"1,234.5", 123450},        {"１，２３４．５", 123450},
        {"0", 0},                    {".5", 50},                 {"9999999999999.99", 999999999999999},
        {"￥1,234.50", 123450},      {" 12 ", 1200},             {"1.999", 199},
        {"0012.3", 1230},            {"人民币8", 800},
    };
    for (const Case& c : cases) {
        const QString typed = QString::fromUtf8(c.typed);
        const QString figures = Conv(104, typed);
        const QString words = Conv(103, typed);
        const QString cells = Conv(114.15, typed);
        const QString figureCells = Conv(15, typed);
        if (!c.fen) {
            EXPECT_EQ(figures, typed) << c.typed;
            EXPECT_EQ(words, typed) << c.typed;
            EXPECT_EQ(cells, typed) << c.typed;
            EXPECT_EQ(figureCells, typed) << c.typed;
            continue;
        }
        EXPECT_EQ(FenOf(figures), c.fen) << c.typed << " figures " << figures.toStdString();
        EXPECT_EQ(FenOf(figureCells), c.fen) << c.typed << " cells " << figureCells.toStdString();
        EXPECT_EQ(FenOf(ParseUpperMoney(Code(103), words)), c.fen) << c.typed << " words " << words.toStdString();
        EXPECT_EQ(FenOf(ParseUpperMoney(Code(114.15), cells)), c.fen) << c.typed << " cells " << cells.toStdString();
    }
}

TEST(OneAmountReading, ReadAmountFiguresGrammar)
{
    const auto a = ReadAmountFigures("-￥1,234,567.891");
    ASSERT_TRUE(a.has_value());
    EXPECT_TRUE(a->negative);
    EXPECT_EQ(a->whole, "1234567");
    EXPECT_EQ(a->decimals, "891");
    EXPECT_EQ(a->Cents(), "89");
    EXPECT_EQ(a->FenFigures(), "123456789");
    EXPECT_TRUE(ReadAmountFigures("$5", u'$').has_value());
    EXPECT_TRUE(ReadAmountFigures("€5", QChar(0x20AC)).has_value());
    EXPECT_FALSE(ReadAmountFigures("€5").has_value());
    EXPECT_FALSE(ReadAmountFigures("1,2345").has_value());
    EXPECT_FALSE(ReadAmountFigures("1234,567").has_value());
    EXPECT_TRUE(ReadAmountFigures("123,456,789").has_value());
    EXPECT_FALSE(ReadAmountFigures("").has_value());
}

TEST(NumberOperand, AmountsAndPercentagesWithExactArithmetic)
{
    // Every decimal counts in a sum.
    for (const auto& [typed, value] : {std::pair{"25%", "0.25"}, {"２５％", "0.25"}, {"-￥1,234.50", "-1234.5"}, {"0.001", "0.001"}})
        EXPECT_EQ(ReadNumberOperand(QString::fromUtf8(typed))->Text(), value) << typed;
    for (const QString& typed : {QStringLiteral("abc"), QStringLiteral("1e3"), QString(), QString(kMaxOperandFigures + 1, u'9')})
        EXPECT_FALSE(ReadNumberOperand(typed).has_value()) << typed.toStdString();
    EXPECT_TRUE(ReadNumberOperand(QString(kMaxOperandFigures, u'9')).has_value());
    // No binary rounding, and long figures stay exact.
    const auto D = [](const char* t) { return *ReadNumberOperand(QString::fromLatin1(t)); };
    const std::tuple<Decimal, char, Decimal, const char*> cases[] = {
        {D("0.1"), '+', D("0.2"), "0.3"}, {D("0.1"), '*', D("0.2"), "0.02"}, {D("1.1"), '*', D("1.1"), "1.21"},
        {D("100"), '-', D("100.01"), "-0.01"}, {D("-3"), '*', D("-4"), "12"}, {D("5"), '-', D("5"), "0"},
        {Decimal(), '*', D("-4"), "0"}, {D("99999999999999999999.99"), '+', D("0.01"), "100000000000000000000"},
        {D("99999999999999999999.99"), '*', D("99999999999999999999.99"), "9999999999999999999998000000000000000000.0001"},
    };
    for (const auto& [a, op, b, want] : cases)
        EXPECT_EQ((op == '+' ? a + b : op == '-' ? a - b : a * b).Text(), want) << a.Text().toStdString() << op;
    EXPECT_EQ(Decimal::FromInt(std::numeric_limits<qint64>::min()).Text(), "-9223372036854775808");
    EXPECT_EQ(Decimal::FromInt(1234).Shifted(2).Text(), "12.34");
    EXPECT_EQ(Decimal::FromInt(5).Shifted(3).Text(), "0.005");
}
