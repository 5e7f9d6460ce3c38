#include "PrintTestSupport.h"

#include "print/TextLayout.h"

#include <QLocale>
#include <cmath>

using namespace slip;
using namespace slip::test;

namespace {

// An amount formatter for positive amounts: currency character, thousands
// commas, two decimals.
QString Money(const QString& text)
{
    return QStringLiteral("￥") + QLocale(QLocale::English).toString(text.toDouble(), 'f', 2);
}

const QChar kYuan(0xFFE5);

} // namespace

TEST(PackedAlignSpacing, TakesTheStoredValueApart)
{
    EXPECT_EQ(PackedAlign(-2300.5), 2);
    EXPECT_DOUBLE_EQ(PackedSpacing(-2300.5), -300.5);
    EXPECT_EQ(PackedAlign(1000), 1);
    EXPECT_DOUBLE_EQ(PackedSpacing(1000), 0);
    EXPECT_EQ(PackedAlign(0), 0);
    EXPECT_DOUBLE_EQ(PackedSpacing(0), 0);
    EXPECT_EQ(PackedAlign(2001.5), 2);
    EXPECT_DOUBLE_EQ(PackedSpacing(2001.5), 1.5);
    EXPECT_EQ(PackedAlign(-0.5), 0);
    EXPECT_DOUBLE_EQ(PackedSpacing(-0.5), -0.5);
    // Only twenty thousands are taken off.
    EXPECT_EQ(PackedAlign(25000), 25);
    EXPECT_DOUBLE_EQ(PackedSpacing(25000), 5000);
    EXPECT_EQ(PackedAlign(std::nan("")), 0);
    EXPECT_DOUBLE_EQ(PackedSpacing(std::nan("")), 0);
}

TEST(TextLayout, SpacedLinePutsEachCharacterAfterTheLastOneAndItsSpacing)
{
    FakeSurface out;
    out.widths[QStringLiteral("W")] = 150;
    PrintSpacedLine(out, QStringLiteral("AWB"), 50, 70, 10);
    ASSERT_EQ(out.texts.size(), 3u);
    EXPECT_EQ(out.PrintedText(), QStringLiteral("AWB"));
    EXPECT_DOUBLE_EQ(out.texts[0].x, 50);
    EXPECT_DOUBLE_EQ(out.texts[1].x, 160);
    EXPECT_DOUBLE_EQ(out.texts[2].x, 320);
    for (const auto& t : out.texts) EXPECT_DOUBLE_EQ(t.y, 70);

    // Negative spacing draws the characters closer.
    FakeSurface tight;
    PrintSpacedLine(tight, QStringLiteral("AB"), 0, 0, -30);
    EXPECT_DOUBLE_EQ(tight.texts[1].x, 70);

    // A character outside the basic plane is one character, not two halves.
    FakeSurface wide;
    PrintSpacedLine(wide, QStringLiteral("A\U00020000B"), 0, 0, 0);
    ASSERT_EQ(wide.texts.size(), 3u);
    EXPECT_EQ(wide.texts[1].text, QStringLiteral("\U00020000"));
}

TEST(TextLayout, WrapsAtCrLfOnlyAndKeepsEmptyParagraphs)
{
    FakeSurface out;
    EXPECT_EQ(WrapLines(out, QStringLiteral("AB\r\n\r\nC"), 1000, 0),
              QStringList({QStringLiteral("AB"), QString(), QStringLiteral("C")}));
    // A lone CR or LF is an ordinary character of its paragraph.
    EXPECT_EQ(WrapLines(out, QStringLiteral("A\rB\nC"), 1000, 0), QStringList({QStringLiteral("A\rB\nC")}));
    EXPECT_TRUE(WrapLines(out, QString(), 1000, 0).isEmpty());
    // A paragraph filling its last line exactly has no empty line after it.
    EXPECT_EQ(WrapLines(out, QStringLiteral("ABCD"), 200, 0),
              QStringList({QStringLiteral("AB"), QStringLiteral("CD")}));
    EXPECT_EQ(WrapLines(out, QStringLiteral("ABCDE"), 200, 0),
              QStringList({QStringLiteral("AB"), QStringLiteral("CD"), QStringLiteral("E")}));
}

TEST(TextLayout, WrapsByWidthCountingTheSpacingBetweenCharactersOnly)
{
    FakeSurface out;
    // Three characters with two spacings fit 320 exactly; three spacings would not.
    EXPECT_EQ(WrapLines(out, QStringLiteral("ABCDEF"), 320, 10),
              QStringList({QStringLiteral("ABC"), QStringLiteral("DEF")}));
    EXPECT_EQ(WrapLines(out, QStringLiteral("ABCDEF"), 319, 10),
              QStringList({QStringLiteral("AB"), QStringLiteral("CD"), QStringLiteral("EF")}));
    // Characters each wider than the box: one per line, none dropped.
    EXPECT_EQ(WrapLines(out, QStringLiteral("壹贰叁"), 50, 0),
              QStringList({QStringLiteral("壹"), QStringLiteral("贰"), QStringLiteral("叁")}));
    // Negative spacing lets more characters into a line.
    EXPECT_EQ(WrapLines(out, QStringLiteral("ABCD"), 250, -50), QStringList({QStringLiteral("ABCD")}));
}

TEST(TextLayout, WrappedTextStepsDownByLineHeightSpacingAndOneTwip)
{
    FakeSurface out;  // characters 100 wide, lines 200 high
    PrintWrappedText(out, QStringLiteral("AB\r\n\r\nC"), 1000, 100.5, 2000, 0, 20.5, 0);
    ASSERT_EQ(out.texts.size(), 3u);
    EXPECT_DOUBLE_EQ(out.texts[0].y, 100);  // 100.5 rounds to the even 100
    EXPECT_DOUBLE_EQ(out.texts[1].y, 100);
    // 200 + 100 + 20.5 + 1 = 321.5 rounds to 322; the next line 200 + 322 + 21.5 = 543.5 -> 544.
    EXPECT_EQ(out.texts[2].text, QStringLiteral("C"));
    EXPECT_DOUBLE_EQ(out.texts[2].y, 544);
    EXPECT_DOUBLE_EQ(out.texts[2].x, 1000);

    // Negative line spacing pulls the lines together.
    FakeSurface close;
    PrintWrappedText(close, QStringLiteral("AB"), 0, 0, 100, 0, -150, 0);
    ASSERT_EQ(close.texts.size(), 2u);
    EXPECT_DOUBLE_EQ(close.texts[1].y, 51);

    FakeSurface none;
    PrintWrappedText(none, QString(), 0, 0, 100, 0, 0, 0);
    EXPECT_TRUE(none.texts.empty());
}

TEST(TextLayout, WrappedTextAlignsEachLine)
{
    // Three characters of 100 with spacing 10 in a box 1000 wide at 1000.
    FakeSurface right;
    PrintWrappedText(right, QStringLiteral("ABC"), 1000, 0, 1000, 10, 0, 1);
    EXPECT_DOUBLE_EQ(right.texts[0].x, 1000 + 1000 - 300 - 31);
    EXPECT_DOUBLE_EQ(right.texts[1].x, 1669 + 110);

    FakeSurface centred;
    PrintWrappedText(centred, QStringLiteral("ABC"), 1000, 0, 1000, 10, 0, 2);
    EXPECT_DOUBLE_EQ(centred.texts[0].x, 1334);  // 1000 + 669 / 2 = 1334.5, to the even 1334

    // Any alignment but 1 and 2 is left.
    for (int alignment : {0, 3, -1, 25}) {
        FakeSurface left;
        PrintWrappedText(left, QStringLiteral("ABC"), 1000.5, 0, 1000, 10, 0, alignment);
        EXPECT_DOUBLE_EQ(left.texts[0].x, 1000) << alignment;
    }

    // Lines of a wrapped value are aligned one by one.
    FakeSurface lines;
    PrintWrappedText(lines, QStringLiteral("ABCD\r\nE"), 0, 0, 300, 0, 0, 1);
    ASSERT_EQ(lines.texts.size(), 5u);
    EXPECT_DOUBLE_EQ(lines.texts[0].x, 0 + 300 - 300 - 1);  // ABC
    EXPECT_DOUBLE_EQ(lines.texts[3].x, 300 - 100 - 1);      // D
    EXPECT_DOUBLE_EQ(lines.texts[4].x, 199);                // E
}

TEST(TextLayout, CharsInCellsAlignShortTexts)
{
    // "12" in six cells of 100, each character 60 wide: centred in its cell.
    auto cellsOf = [](const FakeSurface& out) {
        std::vector<double> cells;
        for (const auto& t : out.texts)
            if (t.text != QStringLiteral(" ")) cells.push_back((t.x - 20) / 100 + 1);
        return cells;
    };
    FakeSurface centred;
    centred.charWidth = 60;
    PrintCharsInCells(centred, QStringLiteral("12"), 0, 50, 600, 6, 2);
    EXPECT_EQ(cellsOf(centred), (std::vector<double>{3, 4}));
    EXPECT_EQ(centred.texts.size(), 4u);  // the two blanks are printed too
    EXPECT_DOUBLE_EQ(centred.texts[2].y, 50);

    FakeSurface right;
    right.charWidth = 60;
    PrintCharsInCells(right, QStringLiteral("12"), 0, 0, 600, 6, 1);
    EXPECT_EQ(cellsOf(right), (std::vector<double>{5, 6}));

    FakeSurface none;
    none.charWidth = 60;
    PrintCharsInCells(none, QStringLiteral("12"), 0, 0, 600, 6, 0);
    EXPECT_EQ(cellsOf(none), (std::vector<double>{1, 2}));

    // An odd number of free cells leaves the odd one on the right.
    FakeSurface odd;
    odd.charWidth = 60;
    PrintCharsInCells(odd, QStringLiteral("12"), 0, 0, 500, 5, 3);
    EXPECT_EQ(cellsOf(odd), (std::vector<double>{2, 3}));
}

TEST(TextLayout, CharsInCellsKeepALongTextWhole)
{
    // "1234567" in five cells of 120 from 1000.
    auto starts = [](const FakeSurface& out) {
        std::vector<double> cells;
        for (const auto& t : out.texts) cells.push_back(t.x - (120 - 100) / 2.0);
        return cells;
    };
    FakeSurface right;
    PrintCharsInCells(right, QStringLiteral("1234567"), 1000, 0, 600, 5, 1);
    EXPECT_EQ(right.PrintedText(), QStringLiteral("1234567"));
    EXPECT_EQ(starts(right), (std::vector<double>{760, 880, 1000, 1120, 1240, 1360, 1480}));

    FakeSurface centred;
    PrintCharsInCells(centred, QStringLiteral("1234567"), 1000, 0, 600, 5, 2);
    EXPECT_DOUBLE_EQ(starts(centred).front(), 880);

    FakeSurface none;
    PrintCharsInCells(none, QStringLiteral("1234567"), 1000, 0, 600, 5, 0);
    EXPECT_DOUBLE_EQ(starts(none).front(), 1000);
    EXPECT_DOUBLE_EQ(starts(none).back(), 1720);

    FakeSurface noCells;
    PrintCharsInCells(noCells, QStringLiteral("12"), 0, 0, 600, 0, 1);
    EXPECT_TRUE(noCells.texts.empty());
}

TEST(TextLayout, AmountDigitsEndInTheLastCell)
{
    EXPECT_EQ(AmountCellText(QStringLiteral("1234.5"), 10, Money, kYuan), QStringLiteral("   ￥123450"));
    EXPECT_EQ(AmountCellText(QStringLiteral("1234.5"), 310, Money, kYuan), QStringLiteral("    123450"));
    EXPECT_EQ(AmountCellText(QString(), 10, Money, kYuan), QString());
    // Without a currency character the currency cell is not blanked.
    EXPECT_EQ(AmountCellText(QStringLiteral("1"), 305, Money, QChar()), QStringLiteral(" ￥100"));

    FakeSurface out;
    PrintAmountDigits(out, QStringLiteral("1234.5"), 0, 0, 1000, 10, Money, kYuan);
    ASSERT_EQ(out.texts.size(), 10u);
    EXPECT_EQ(out.PrintedText(), QStringLiteral("   ￥123450"));
    EXPECT_DOUBLE_EQ(out.texts[9].x, 900);  // the last digit in the last cell

    FakeSurface blankCurrency;
    PrintAmountDigits(blankCurrency, QStringLiteral("1234.5"), 0, 0, 1000, 310, Money, kYuan);
    EXPECT_EQ(blankCurrency.PrintedText(), QStringLiteral("    123450"));

    FakeSurface empty;
    PrintAmountDigits(empty, QString(), 0, 0, 1000, 10, Money, kYuan);
    EXPECT_TRUE(empty.texts.empty());
}

TEST(TextLayout, AnAmountWiderThanItsCellsKeepsEveryDigit)
{
    // 123456.78 in five cells: 45678 fill the cells and the higher digits
    // stand to the left of the first one, never dropped.
    FakeSurface out;
    PrintAmountDigits(out, QStringLiteral("123456.78"), 1000, 0, 500, 5, Money, kYuan);
    EXPECT_EQ(out.PrintedText(), QStringLiteral("￥12345678"));
    QString inCells, leftOfBox;
    for (const auto& t : out.texts) (t.x >= 1000 ? inCells : leftOfBox) += t.text;
    EXPECT_EQ(inCells, QStringLiteral("45678"));
    EXPECT_EQ(leftOfBox, QStringLiteral("￥123"));
    EXPECT_DOUBLE_EQ(out.texts.back().x, 1400);

    // The same with the currency cell left blank.
    FakeSurface blank;
    PrintAmountDigits(blank, QStringLiteral("123456.78"), 1000, 0, 500, 305, Money, kYuan);
    EXPECT_EQ(blank.PrintedText(), QStringLiteral(" 12345678"));
    EXPECT_DOUBLE_EQ(blank.texts.back().x, 1400);
}
