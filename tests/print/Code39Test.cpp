#include "PrintTestSupport.h"

#include "print/Code39.h"
#include "storage/Prompt.h"

#include <QSet>
#include <algorithm>

using namespace slip;
using namespace slip::test;

namespace {

// Reads the bars drawn on a fake surface back into characters, the way a
// scanner does: five bars per character, elements classed narrow or wide by
// the middle of the character's narrowest and widest element.
QString ReadBack(const FakeSurface& s)
{
    std::vector<FakeSurface::Box> bars = s.boxes;
    std::sort(bars.begin(), bars.end(), [](const auto& a, const auto& b) { return a.x1 < b.x1; });
    QString out;
    for (size_t c = 0; c + 5 <= bars.size(); c += 5) {
        double widths[9];
        for (int j = 0; j < 5; ++j) widths[2 * j] = bars[c + j].x2 - bars[c + j].x1;
        for (int j = 0; j < 4; ++j) widths[2 * j + 1] = bars[c + j + 1].x1 - bars[c + j].x2;
        const auto [lo, hi] = std::minmax_element(std::begin(widths), std::end(widths));
        const double threshold = (*lo + *hi) / 2;
        char pattern[10] = {};
        for (int j = 0; j < 5; ++j) pattern[j] = widths[2 * j] > threshold ? '1' : '0';
        for (int j = 0; j < 4; ++j) pattern[5 + j] = widths[2 * j + 1] > threshold ? '1' : '0';
        int index = -1;
        for (int i = 0; i < 40; ++i)
            if (qstrcmp(Code39PatternTable()[i], pattern) == 0) index = i;
        out += index < 0 ? QLatin1Char('?')
                         : QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-%$*")[index];
    }
    return out;
}

} // namespace

TEST(Code39, PatternTableHasThreeWideElementsPerCharacter)
{
    const auto& table = Code39PatternTable();
    QSet<QByteArray> seen;
    for (const char* row : table) {
        const QByteArray r(row);
        ASSERT_EQ(r.size(), 9);
        EXPECT_EQ(r.count('1'), 3) << row;
        EXPECT_EQ(r.count('0') + r.count('1'), 9) << row;
        seen.insert(r);
    }
    EXPECT_EQ(seen.size(), 40);
    EXPECT_STREQ(table[0], "001100100");
    EXPECT_STREQ(table[10], "100010010");
    EXPECT_STREQ(table[37], "000000111");
    EXPECT_STREQ(table[39], "001101000");
}

TEST(Code39, CharactersMapToTheirRows)
{
    EXPECT_EQ(Code39Index(QLatin1Char('0')), 0);
    EXPECT_EQ(Code39Index(QLatin1Char('9')), 9);
    EXPECT_EQ(Code39Index(QLatin1Char('A')), 10);
    EXPECT_EQ(Code39Index(QLatin1Char('z')), 35);
    EXPECT_EQ(Code39Index(QLatin1Char('-')), 36);
    EXPECT_EQ(Code39Index(QLatin1Char('%')), 37);
    EXPECT_EQ(Code39Index(QLatin1Char('$')), 38);
    EXPECT_EQ(Code39Index(QLatin1Char('*')), 39);
    for (const QChar c : QStringLiteral("+/. 壹ıſ")) EXPECT_EQ(Code39Index(c), -1) << int(c.unicode());
}

TEST(Code39, TextIsUpperCasedAndWrappedInAsterisks)
{
    EXPECT_EQ(Code39Symbol(QStringLiteral("abc")), QStringLiteral("*ABC*"));
    EXPECT_EQ(Code39Symbol(QStringLiteral("*AB*")), QStringLiteral("*AB*"));
    EXPECT_EQ(Code39Symbol(QStringLiteral("*AB")), QStringLiteral("*AB*"));
    EXPECT_EQ(Code39Symbol(QStringLiteral("*")), QStringLiteral("*"));
    // Only Latin letters are upper-cased; a dotless i stays what it is.
    EXPECT_EQ(Code39Symbol(QStringLiteral("ı")), QStringLiteral("*ı*"));
}

TEST(Code39, MeasuresTwentySevenModulesPerCharacter)
{
    EXPECT_EQ(MeasureCode39(QStringLiteral("0"), 10), 810.0);
    EXPECT_EQ(MeasureCode39(QStringLiteral("12345"), 15), 2835.0);
    EXPECT_EQ(MeasureCode39(QString(), 10), 0.0);
    // Module 1: bars 1 and 3, spaces 3 and 6, 3 after the character.
    EXPECT_EQ(MeasureCode39(QStringLiteral("*"), 1), 27.0);
    // Three wide spaces and no wide bar take 29 modules.
    EXPECT_EQ(MeasureCode39(QStringLiteral("%"), 10), 830.0);
    EXPECT_EQ(MeasureCode39(QStringLiteral("$"), 1), 83.0);
    // Whole twips are counted as the symbol is laid out, halves to even:
    // 2, 10, 12, 16, 20, 24, 28, 32, 34, 38.
    EXPECT_EQ(MeasureCode39(QStringLiteral("*"), 1.5), 38.0);
}

TEST(Code39, MeasureRefusesWhatCannotBePrinted)
{
    EXPECT_FALSE(MeasureCode39(QStringLiteral("A+B"), 10).has_value());
    // 3 characters of 27 modules of 500 twips pass 32767 twips.
    EXPECT_FALSE(MeasureCode39(QStringLiteral("0"), 500).has_value());
    EXPECT_TRUE(MeasureCode39(QStringLiteral("0"), 400).has_value());
}

TEST(Code39, FitTakesTheLargestWholeModuleThatFits)
{
    EXPECT_EQ(FitCode39Module(QStringLiteral("0"), 811), 10.0);
    // The doubling stops at 10 for exactly 810 and is not tried again.
    EXPECT_EQ(FitCode39Module(QStringLiteral("0"), 810), 9.0);
    EXPECT_EQ(FitCode39Module(QString(), 810), 0.0);
    // Any box up to the width of a landscape A4 sheet.
    for (double width = 100; width <= 16838; width += 137) {
        const auto m = FitCode39Module(QStringLiteral("SLIP-42"), width);
        ASSERT_TRUE(m.has_value()) << width;
        EXPECT_LE(*MeasureCode39(QStringLiteral("SLIP-42"), *m), width) << width;
        EXPECT_GT(*MeasureCode39(QStringLiteral("SLIP-42"), *m + 2), width) << width;
    }
    // Too narrow for even a module of 1.
    EXPECT_EQ(FitCode39Module(QStringLiteral("0"), 50), 0.0);
}

TEST(Code39, FitThatWouldOverflowGivesNoModule)
{
    // The symbol passes 32767 twips before it reaches the width.
    EXPECT_FALSE(FitCode39Module(QStringLiteral("0"), 30000).has_value());
    EXPECT_FALSE(FitCode39Module(QStringLiteral("A+B"), 3000).has_value());
}

TEST(Code39, DrawsReadableProportionsInsideTheMeasuredWidths)
{
    FakeSurface s;
    DrawCode39(s, QStringLiteral("0"), 0, 0, 10, 10, 0, true);
    ASSERT_EQ(s.boxes.size(), 15u);
    EXPECT_EQ(ReadBack(s), QStringLiteral("*0*"));
    // Each character begins where it is counted to begin and stays inside
    // its 270 twips; elements are 15 and 45 twips (3:1).
    const double starts[3] = {0, 270, 540};
    for (int c = 0; c < 3; ++c) {
        EXPECT_DOUBLE_EQ(s.boxes[size_t(c) * 5].x1, starts[c]);
        EXPECT_LE(s.boxes[size_t(c) * 5 + 4].x2, starts[c] + 270);
    }
    for (const auto& b : s.boxes) {
        const double w = b.x2 - b.x1;
        EXPECT_TRUE(w == 15 || w == 45) << w;
        EXPECT_DOUBLE_EQ(b.y1, 0);
        EXPECT_DOUBLE_EQ(b.y2, 567);  // 10 mm
    }
    EXPECT_LE(s.boxes.back().x2, *MeasureCode39(QStringLiteral("0"), 10));
}

TEST(Code39, GapsBetweenCharactersStayWithinWhatReadersAccept)
{
    // A reader takes a gap of up to half a character's width; "%" and "$"
    // have the longest.
    for (const QString& text : {QStringLiteral("%$%"), QStringLiteral("AB-12"), QStringLiteral("Z9")}) {
        FakeSurface s;
        DrawCode39(s, text, 5, 5, 10, 7, 0, true);
        EXPECT_EQ(ReadBack(s), Code39Symbol(text));
        for (size_t c = 1; c * 5 < s.boxes.size(); ++c) {
            const double charWidth = s.boxes[c * 5 - 1].x2 - s.boxes[c * 5 - 5].x1;
            const double gap = s.boxes[c * 5].x1 - s.boxes[c * 5 - 1].x2;
            EXPECT_GE(gap, 7 * 1.5) << text.toStdString();
            EXPECT_LE(gap, charWidth / 2) << text.toStdString();
        }
    }
}

TEST(Code39, CharactersStandUnderTheirPatterns)
{
    FakeSurface s;
    s.lineHeight = 180;
    DrawCode39(s, QStringLiteral("a1"), 10, 20, 15, 10, 9, true);
    ASSERT_EQ(s.texts.size(), 4u);
    EXPECT_EQ(s.PrintedText(), QStringLiteral("*A1*"));
    const double left = 567;               // 10 mm
    const double top = 1134;               // 20 mm
    const double bars = 850 - 180;         // 15 mm less the characters' height
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(s.texts[i].x, left + 270.0 * double(i));
        EXPECT_DOUBLE_EQ(s.texts[i].y, top + bars);
        EXPECT_DOUBLE_EQ(s.texts[i].fontSize, 9);
        EXPECT_DOUBLE_EQ(s.boxes[i * 5].x1, left + 270.0 * double(i));
    }
    EXPECT_DOUBLE_EQ(s.boxes[0].y2 - s.boxes[0].y1, bars);

    // No characters: with font size 0, or when they are not to be shown, the
    // bars take the whole height.
    for (const auto& [size, show] : {std::pair{0.0, true}, std::pair{9.0, false}}) {
        FakeSurface plain;
        DrawCode39(plain, QStringLiteral("a1"), 10, 20, 15, 10, size, show);
        EXPECT_TRUE(plain.texts.empty());
        EXPECT_DOUBLE_EQ(plain.boxes[0].y2 - plain.boxes[0].y1, 850);
    }
}

TEST(Code39, LeavesTheSurfaceAsItFoundIt)
{
    FakeSurface s;
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(11);
    f.setItalic(true);
    s.SetFont(f);
    s.SetForeColor(Qt::red);
    s.SetDrawWidth(3);
    s.SetDrawStyle(kLineDot);
    DrawCode39(s, QStringLiteral("SLIP"), 0, 0, 10, 5, 7, true);
    EXPECT_EQ(s.Font(), f);
    EXPECT_EQ(s.ForeColor(), QColor(Qt::red));
    EXPECT_EQ(s.DrawWidth(), 3);
    EXPECT_EQ(s.DrawStyle(), kLineDot);
    // The bars are drawn in the surface's colour; the text in 宋体.
    EXPECT_EQ(s.boxes.front().color, QColor(Qt::red));
}

TEST(Code39, AnInvalidCharacterIsReportedOnceAndNothingIsDrawn)
{
    ScriptedPrompter prompter;
    FakeSurface s;
    DrawCode39(s, QStringLiteral("AB+C/D"), 0, 0, 10, 10, 9, true);
    EXPECT_EQ(prompter.shown, QStringList({Code39InvalidCharMessage()}));
    EXPECT_EQ(Code39InvalidCharMessage(),
              QStringLiteral("要打印的条形码字符串中包含无效字符！当前版本只支持字符0-9,A-Z,-,%,$和*"));
    EXPECT_TRUE(s.boxes.empty());
    EXPECT_TRUE(s.texts.empty());
    EXPECT_EQ(s.circles, 0);
}

TEST(Code39, NoModuleNoBarcode)
{
    ScriptedPrompter prompter;
    for (double module : {0.0, -3.0, 400.0 * 3}) {
        FakeSurface s;
        DrawCode39(s, QStringLiteral("0"), 0, 0, 10, module, 9, true);
        EXPECT_TRUE(s.boxes.empty()) << module;
        EXPECT_TRUE(s.texts.empty()) << module;
    }
    FakeSurface empty;
    DrawCode39(empty, QString(), 0, 0, 10, 10, 9, true);
    EXPECT_TRUE(empty.boxes.empty());
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST(Code39, FittedDrawingSkipsWhatCannotBeFitted)
{
    ScriptedPrompter prompter;
    FakeSurface fits;
    EXPECT_TRUE(DrawFittedCode39(fits, QStringLiteral("0"), 0, 0, 10, 811, 0, true));
    ASSERT_EQ(fits.boxes.size(), 15u);
    EXPECT_LE(fits.boxes.back().x2, 811);
    EXPECT_EQ(ReadBack(fits), QStringLiteral("*0*"));

    // A box the symbol can't be fitted to before overflowing: nothing at all,
    // whatever was drawn before.
    FakeSurface overflow;
    EXPECT_FALSE(DrawFittedCode39(overflow, QStringLiteral("0"), 0, 0, 10, 30000, 9, true));
    EXPECT_TRUE(overflow.boxes.empty());
    EXPECT_TRUE(overflow.texts.empty());

    // Too narrow for a module of 1: nothing either.
    FakeSurface narrow;
    EXPECT_FALSE(DrawFittedCode39(narrow, QStringLiteral("0"), 0, 0, 10, 50, 9, true));
    EXPECT_TRUE(narrow.boxes.empty());
    EXPECT_TRUE(prompter.shown.isEmpty());

    // An invalid character: told once, nothing drawn.
    FakeSurface invalid;
    EXPECT_FALSE(DrawFittedCode39(invalid, QStringLiteral("A+B"), 0, 0, 10, 3000, 9, true));
    EXPECT_EQ(prompter.shown, QStringList({Code39InvalidCharMessage()}));
    EXPECT_TRUE(invalid.boxes.empty());
}
