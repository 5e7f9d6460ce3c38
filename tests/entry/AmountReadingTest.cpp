#include "EntryTestSupport.h"

#include <QDate>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <limits>
#include <optional>

#include "entry/AmountText.h"
#include "entry/Conversion.h"
#include "entry/Decimal.h"
#include "entry/MoneyWords.h"
#include "entry/UpperDigits.h"

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

TEST(FullWidthInput, CodesWithoutConversionKeepTheText)
{
    for (double code : {0.0, 115.0, 119.0, 122.0, 211.0, 400.0})
        EXPECT_EQ(Conv(code, "１２３"), "１２３") << code;
    // A text that is still no amount stays exactly as typed.
    EXPECT_EQ(Conv(104, "１２３ａ"), "１２３ａ");
    EXPECT_EQ(Conv(103, "１２３ａ"), "１２３ａ");
}

TEST(FullWidthInput, HalfWidthNumberTextChangesOnlyNumberCharacters)
{
    EXPECT_EQ(HalfWidthNumberText("０１２３４５６７８９．，－　"), "0123456789.,- ");
    EXPECT_EQ(HalfWidthNumberText("￥ＡＢ％元"), "￥ＡＢ％元");
    EXPECT_EQ(HalfWidthNumberText(""), "");
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

TEST(OneAmountReading, NegativeAmountsAgreeWhereTheyCanBeShown)
{
    EXPECT_EQ(Conv(104, "-1234.5"), "-￥1,234.50");
    EXPECT_EQ(Conv(103, "-1234.5"), "-壹仟贰佰叁拾肆元伍角整");
    // Cells have no place for a sign: the text stays as typed rather than
    // print a positive amount.
    EXPECT_EQ(Conv(114.11, "-1234.5"), "-1234.5");
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

TEST(NumberOperand, AmountsAndPercentages)
{
    EXPECT_EQ(ReadNumberOperand("25%")->Text(), "0.25");
    EXPECT_EQ(ReadNumberOperand("２５％")->Text(), "0.25");
    EXPECT_EQ(ReadNumberOperand("-￥1,234.50")->Text(), "-1234.5");
    EXPECT_EQ(ReadNumberOperand("0.001")->Text(), "0.001");  // every decimal counts in a sum
    EXPECT_FALSE(ReadNumberOperand("abc").has_value());
    EXPECT_FALSE(ReadNumberOperand("1e3").has_value());
    EXPECT_FALSE(ReadNumberOperand("").has_value());
    EXPECT_FALSE(ReadNumberOperand(QString(kMaxOperandFigures + 1, u'9')).has_value());
    EXPECT_TRUE(ReadNumberOperand(QString(kMaxOperandFigures, u'9')).has_value());
}

TEST(DecimalArithmetic, NoBinaryRounding)
{
    const Decimal a = *ReadNumberOperand("0.1"), b = *ReadNumberOperand("0.2");
    EXPECT_EQ((a + b).Text(), "0.3");
    EXPECT_EQ((a * b).Text(), "0.02");
    EXPECT_EQ((*ReadNumberOperand("1.1") * *ReadNumberOperand("1.1")).Text(), "1.21");
    EXPECT_EQ((*ReadNumberOperand("100") - *ReadNumberOperand("100.01")).Text(), "-0.01");
    EXPECT_EQ((*ReadNumberOperand("-3") * *ReadNumberOperand("-4")).Text(), "12");
    EXPECT_EQ((*ReadNumberOperand("5") - *ReadNumberOperand("5")).Text(), "0");
    EXPECT_EQ((Decimal() * *ReadNumberOperand("-4")).Text(), "0");
    EXPECT_EQ(Decimal::FromInt(std::numeric_limits<qint64>::min()).Text(), "-9223372036854775808");
    EXPECT_EQ(Decimal::FromInt(1234).Shifted(2).Text(), "12.34");
    EXPECT_EQ(Decimal::FromInt(5).Shifted(3).Text(), "0.005");
    // Long figures stay exact.
    const Decimal big = *ReadNumberOperand("99999999999999999999.99");
    EXPECT_EQ((big + *ReadNumberOperand("0.01")).Text(), "100000000000000000000");
    EXPECT_EQ((big * big).Text(), "9999999999999999999998000000000000000000.0001");
}
