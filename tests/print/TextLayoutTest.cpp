#include "PrintTestSupport.h"

#include "print/TextLayout.h"

using namespace slip;
using namespace slip::test;

namespace {

const QChar kYuan(0xFFE5);

// Cell numbers (from 1) of the non-blank characters, for cells of 100 and
// characters of 60.
std::vector<double> Cells(const FakeSurface& out, double x0)
{
    std::vector<double> cells;
    for (const auto& t : out.texts)
        if (t.text != QStringLiteral(" ")) cells.push_back((t.x - x0 - 20) / 100 + 1);
    return cells;
}

} // namespace

TEST(TextLayout, WrapsAtCrLfByWidthCountingSpacingAndAlignsTheLines)
{
    FakeSurface out;  // characters 100 wide
    const auto wrap = [&](const QString& t, double w, double s) { return WrapLines(out, t, w, s); };
    EXPECT_EQ(wrap(QStringLiteral("AB\r\n\r\nC"), 1000, 0), QStringList({"AB", "", "C"}));
    EXPECT_EQ(wrap(QStringLiteral("A\rB\nC"), 1000, 0), QStringList({"A\rB\nC"}));  // lone CR, LF stay
    EXPECT_EQ(wrap(QStringLiteral("ABCD"), 200, 0), QStringList({"AB", "CD"}));  // no extra empty line
    EXPECT_EQ(wrap(QStringLiteral("ABCDEF"), 320, 10), QStringList({"ABC", "DEF"}));  // 300 + 2 x 10
    EXPECT_EQ(wrap(QStringLiteral("ABCDEF"), 319, 10), QStringList({"AB", "CD", "EF"}));
    EXPECT_EQ(wrap(QStringLiteral("壹贰叁"), 50, 0), QStringList({"壹", "贰", "叁"}));  // none dropped
    EXPECT_TRUE(wrap(QString(), 100, 0).isEmpty());
    PrintWrappedText(out, QStringLiteral("AB\r\n\r\nC"), 1000, 100.5, 2000, 10, 20.5, 0);
    ASSERT_EQ(out.Printed(), QStringLiteral("ABC"));
    EXPECT_DOUBLE_EQ(out.texts[0].y, 100);   // halves round to even
    EXPECT_DOUBLE_EQ(out.texts[1].x, 1110);  // 1000 + 100 + spacing 10
    EXPECT_DOUBLE_EQ(out.texts[2].y, 544);   // 200 + 100 + 21.5 = 321.5 -> 322, then 543.5 -> 544

    // Three characters of 100, spacing 10, box 1000 wide at 1000.
    const auto firstX = [](int alignment) {
        FakeSurface s;
        PrintWrappedText(s, QStringLiteral("ABC"), 1000, 0, 1000, 10, 0, alignment);
        return s.texts[0].x;
    };
    EXPECT_DOUBLE_EQ(firstX(1), 1669);  // X + W - width - 31
    EXPECT_DOUBLE_EQ(firstX(2), 1334);  // 1000 + 669 / 2 = 1334.5, to the even 1334
    for (int other : {0, 3, -1}) EXPECT_DOUBLE_EQ(firstX(other), 1000);
}

TEST(TextLayout, CharsInCellsAlignOrRunOnKeepingTheTextWholeAndAmountsEndInTheLastCell)
{
    const auto print = [](const QString& text, double w, int n, int alignment) {
        FakeSurface out;
        out.charWidth = 60;
        PrintCharsInCells(out, text, 1000, 0, w, n, alignment);
        return out;
    };
    // Seven characters in five cells: 3 to 7 in the cells, 1 and 2 to the left.
    const std::tuple<const char*, double, int, int, std::vector<double>> cases[] = {
        {"12", 600, 6, 2, {3, 4}}, {"12", 600, 6, 1, {5, 6}}, {"12", 600, 6, 0, {1, 2}}, {"12", 500, 5, 3, {2, 3}},
        {"1234567", 500, 5, 1, {-1, 0, 1, 2, 3, 4, 5}}};
    for (const auto& [text, w, n, alignment, cells] : cases)
        EXPECT_EQ(Cells(print(QString::fromLatin1(text), w, n, alignment), 1000), cells) << text << " " << alignment;
    EXPECT_EQ(Cells(print(QStringLiteral("1234567"), 500, 5, 2), 1000).front(), 0);
    EXPECT_EQ(Cells(print(QStringLiteral("1234567"), 500, 5, 0), 1000).back(), 7);
    EXPECT_TRUE(print(QStringLiteral("12"), 600, 0, 1).texts.empty());
    // Ten cells of 100 from 0: every character in a cell of its own, the last in the last cell.
    const std::tuple<int, const char16_t*, const char16_t*> amounts[] = {
        {10, u"-1234.5", u"  -￥123450"}, {310, u"-1234.5", u"  - 123450"}, {310, u"1234.5", u"    123450"},
        {10, u"12345678.90", u"1234567890"}, {310, u"12345678.90", u"1234567890"}, {10, u"-1234567.8", u"-123456780"}};
    for (const auto& [k, text, printed] : amounts) {
        FakeSurface out;
        PrintAmountDigits(out, QString::fromUtf16(text), 0, 0, 1000, k, kYuan);
        EXPECT_EQ(out.Printed(), QString::fromUtf16(printed)) << k << " " << QString::fromUtf16(text).toStdString();
        ASSERT_EQ(out.texts.size(), 10u) << k;
        EXPECT_DOUBLE_EQ(out.texts.front().x, 0) << k << " " << QString::fromUtf16(text).toStdString();
        EXPECT_DOUBLE_EQ(out.texts.back().x, 900) << k;
    }
    FakeSurface empty;
    PrintAmountDigits(empty, QString(), 0, 0, 1000, 10, kYuan);
    EXPECT_TRUE(empty.texts.empty());
}

