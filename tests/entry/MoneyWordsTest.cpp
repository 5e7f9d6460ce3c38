#include "entry/MoneyWords.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <random>

#include "entry/Conversion.h"
#include "entry/UpperDigits.h"
#include "EntryTestSupport.h"

using namespace slip;
using slip::test::Code;

namespace {

// An amount in figures as a signed number of fen, read independently of the
// program: "1005.3", ".56", "-1234.0", "1234". nullopt when it is no amount.
std::optional<qint64> FenOf(const QString& figures)
{
    static const QRegularExpression re(QStringLiteral(R"(^(-?)(\d*)(?:\.(\d{0,2}))?$)"));
    const QRegularExpressionMatch m = re.match(figures);
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty())) return std::nullopt;
    QString cents = m.captured(3);
    while (cents.size() < 2) cents.append(u'0');
    const qint64 fen = m.captured(2).toLongLong() * 100 + cents.toLongLong();
    return m.captured(1).isEmpty() ? fen : -fen;
}

// Figures of an amount in fen, written with zero, one or two decimals.
QString AmountText(qint64 fen, int decimals)
{
    QString s = QString::number(fen / 100);
    const qint64 cents = fen % 100;
    if (decimals == 2 || cents % 10 != 0) return s + QStringLiteral(".%1").arg(cents, 2, 10, QLatin1Char('0'));
    if (decimals == 1 || cents != 0) return s + u'.' + QString::number(cents / 10);
    return s;
}

// Random amounts below 10^13 yuan, rich in zeros so that every zero run and
// empty section occurs.
qint64 RandomFen(std::mt19937_64& rng)
{
    std::uniform_int_distribution<int> length(1, 15);
    std::uniform_int_distribution<int> digit(1, 9);
    std::bernoulli_distribution zero(0.55);
    const int n = length(rng);
    qint64 fen = digit(rng);
    for (int i = 1; i < n; ++i) fen = fen * 10 + (zero(rng) ? 0 : digit(rng));
    return fen;
}

} // namespace

TEST(MoneyToUpper, WorkedExamplesAndWordsAreKept)
{
    // Amounts are cut after the fen, never rounded; no amount, or one beyond
    // 万亿, stays as typed.
    const std::pair<const char*, const char*> cases[] = {
        {"1234", "壹仟贰佰叁拾肆元整"}, {"1005.30", "壹仟零伍元叁角整"}, {"1.05", "壹元零伍分"}, {"0.5", "伍角整"}, {"0.05", "伍分"},
        {"10", "壹拾元整"}, {"0", "零元整"}, {"abc", "abc"}, {"", ""}, {"10000.50", "壹万元伍角整"}, {"1000000", "壹佰万元整"},
        {"100000000", "壹亿元整"}, {"100010000", "壹亿零壹万元整"}, {"-1234", "-壹仟贰佰叁拾肆元整"}, {"-￥1,234.00", "-壹仟贰佰叁拾肆元整"},
        {"￥1,234.56", "壹仟贰佰叁拾肆元伍角陆分"}, {"100000", "壹拾万元整"}, {"1000.05", "壹仟元零伍分"}, {"100000005", "壹亿零伍元整"},
        {"11000000000", "壹佰壹拾亿元整"}, {"1.999", "壹元玖角玖分"}, {"10000000000", "壹佰亿元整"}, {"100000000000", "壹仟亿元整"},
        {"1000000000000", "壹万亿元整"}, {"1000000000005", "壹万亿零伍元整"}, {"10000050000", "壹佰亿零伍万元整"},
        {"1000000050000", "壹万亿零伍万元整"}, {"9999999999999.99", "玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
        {"10000000000000", "10000000000000"}, {"-12345678901234.5", "-12345678901234.5"},
        {"￥123,456,789,012,345", "￥123,456,789,012,345"}, {"１２３", "壹佰贰拾叁元整"}, {"-0.001", "-零元整"},
    };
    for (const auto& [typed, words] : cases) EXPECT_EQ(MoneyToUpper(QString::fromUtf8(typed)), QString::fromUtf8(words)) << typed;
    EXPECT_EQ(MoneyToUpper("1234", kYuanUnitOld), "壹仟贰佰叁拾肆圆整");
    EXPECT_EQ(MoneyToUpper("1234", kYuanUnitOld).count(kYuanUnit), 0);
    EXPECT_EQ(MoneyToUpper("壹仟贰佰叁拾肆元整"), "壹仟贰佰叁拾肆元整");
    EXPECT_EQ(MoneyToUpper("-壹仟元整"), "-壹仟元整");
    EXPECT_EQ(MoneyToUpper("零元整"), "零元整");
    for (const char* typed : {"1234", "0.05", "-7", "100010000", "10000000000"}) {
        const QString once = MoneyToUpper(QString::fromUtf8(typed));
        EXPECT_EQ(MoneyToUpper(once), once) << typed;
    }
}

TEST(ParseUpperMoney, ReadsWordsAndCellsBackAndFiguresOrOtherCodesAsTheyAre)
{
    const std::tuple<double, const char*, const char*> cases[] = {
        {103, "壹仟零伍元叁角整", "1005.3"}, {103, "壹仟零伍元叁角陆分", "1005.36"}, {103, "壹亿元整", "100000000.0"},
        {103, "壹万零伍元", "10005.0"}, {103, "伍角陆分", ".56"}, {103, "零元整", "0.0"}, {120, "壹仟零伍圆叁角整", "1005.3"},
        {103.5, "壹万元整", "10000.0"}, {103, "-壹仟贰佰叁拾肆元整", "-1234.0"},
        {121.11, "零零零零零零零壹贰叁肆", "1234"}, {114.06, "壹贰叁肆零零", "1234"}, {114.11, "零零零零零壹贰叁肆伍零", "1234.5"},
        {114.11, "零零零零零零零零零伍陆", "0.56"}, {114.11, "零零零零零零零零零零零", "0"},
        // A value still in figures is read as the figures; other codes give the text as it is.
        {103, "1234", "1234"}, {120, "-1234.5", "-1234.5"}, {114.11, "-1234.5", "-1234.5"}, {121.11, "1234", "1234"},
        {103, "10000000000000", "10000000000000"}, {104, "￥1,234.50", "￥1,234.50"}, {0, "壹元整", "壹元整"},
        {std::nan(""), "壹元整", "壹元整"},
    };
    for (const auto& [code, text, want] : cases)
        EXPECT_EQ(ParseUpperMoney(Code(code), QString::fromUtf8(text)), QString::fromUtf8(want)) << code << " " << text;
}

TEST(ParseUpperMoney, HandTypedWordsNeverFail)
{
    // Words in forms the program does not write give no meaningful amount,
    // but always one the sums can read, and never a negative one.
    std::mt19937_64 rng(7);
    const QString alphabet = QStringLiteral("零壹贰叁肆伍陆柒捌玖拾佰仟万亿元圆角分整");
    std::uniform_int_distribution<int> pick(0, int(alphabet.size()) - 1);
    std::uniform_int_distribution<int> length(0, 12);
    for (int round = 0; round < 5000; ++round) {
        QString words;
        const int n = length(rng);
        for (int i = 0; i < n; ++i) words.append(alphabet[pick(rng)]);
        for (double code : {103.0, 120.0, 114.11, 121.11}) {
            const QString r = ParseUpperMoney(Code(code), words);
            const auto v = ReadNumberOperand(r);
            EXPECT_TRUE(!v || !v->Text().startsWith(u'-')) << words.toStdString();
        }
    }
    EXPECT_EQ(ParseUpperMoney(Code(103), ""), "");
}

TEST(RoundTrip, RandomAmountsReadBackFromWordsAndCells)
{
    std::mt19937_64 rng(20240501);
    std::uniform_int_distribution<int> decimals(0, 2);
    std::bernoulli_distribution negative(0.2);
    std::bernoulli_distribution oldUnit(0.5);
    const QRegularExpression malformed(QStringLiteral("零零|零万|零亿|亿万|零元|^元|万亿亿"));
    for (int round = 0; round < 20000; ++round) {
        const qint64 fen = RandomFen(rng);
        const bool minus = negative(rng);
        const QString typed = (minus ? QStringLiteral("-") : QString()) + AmountText(fen, decimals(rng));
        const bool old = oldUnit(rng);
        const QString words = MoneyToUpper(typed, old ? kYuanUnitOld : kYuanUnit);
        ASSERT_FALSE(words.contains(malformed)) << typed.toStdString() << " " << words.toStdString();
        ASSERT_TRUE(words.endsWith(u'整') || words.endsWith(u'分')) << typed.toStdString();
        const std::optional<qint64> back = FenOf(ParseUpperMoney(Code(old ? 120 : 103), words));
        ASSERT_TRUE(back.has_value()) << typed.toStdString() << " " << words.toStdString();
        ASSERT_EQ(*back, minus ? -fen : fen) << typed.toStdString() << " " << words.toStdString();
    }
    rng.seed(99);  // digit cells
    for (int round = 0; round < 5000; ++round) {
        const qint64 fen = RandomFen(rng);
        const QString typed = AmountText(fen, 2);
        const QString cells = TryDigitCells(typed, 15).value_or(typed);
        ASSERT_EQ(cells.size(), 15);
        EXPECT_EQ(FenOf(ParseUpperMoney(Code(114.15), cells)), fen) << typed.toStdString();
        // Without 角 and 分 only the whole yuan come back.
        const QString yuan = ConvertByCode(Code(121.13), typed).text;
        EXPECT_EQ(FenOf(ParseUpperMoney(Code(121.13), yuan)), fen / 100 * 100) << typed.toStdString();
    }
}

