#include "PrintTestSupport.h"

#include "print/SlipDrawing.h"
#include "print/barcode/Code39.h"
#include "core/Prompter.h"
#include "ScriptedPrompter.h"

#include <algorithm>
#include <cmath>

using namespace slip;
using namespace slip::test;

namespace {

// Reads drawn bars back the way a scanner does: five bars a character,
// elements narrow or wide by the middle of the narrowest and widest.
QString ReadBack(const FakeSurface& s)
{
    QString out;
    for (size_t c = 0; c + 5 <= s.boxes.size(); c += 5) {
        double w[9];
        for (int j = 0; j < 5; ++j) w[2 * j] = s.boxes[c + j].x2 - s.boxes[c + j].x1;
        for (int j = 0; j < 4; ++j) w[2 * j + 1] = s.boxes[c + j + 1].x1 - s.boxes[c + j].x2;
        const auto [lo, hi] = std::minmax_element(std::begin(w), std::end(w));
        char pattern[10] = {};
        for (int e = 0; e < 9; ++e) pattern[e % 2 ? 5 + e / 2 : e / 2] = w[e] > (*lo + *hi) / 2 ? '1' : '0';
        const auto& table = Code39PatternTable();
        const auto row = std::find_if(table.begin(), table.end(), [&](const char* r) { return qstrcmp(r, pattern) == 0; });
        out += row == table.end() ? QLatin1Char('?')
                                  : QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-%$*")[row - table.begin()];
    }
    return out;
}

} // namespace

TEST(Code39, CharactersRowsAndAsterisks)
{
    for (const char* row : Code39PatternTable()) EXPECT_EQ(QByteArray(row).count('1'), 3) << row;
    EXPECT_STREQ(Code39PatternTable()[37], "000000111");
    const QString chars = QStringLiteral("09Az-%$*");
    const int rows[] = {0, 9, 10, 35, 36, 37, 38, 39};
    for (int i = 0; i < chars.size(); ++i) EXPECT_EQ(Code39Index(chars[i]), rows[i]);
    for (const QChar c : QStringLiteral("+/. 壹ı")) EXPECT_EQ(Code39Index(c), -1) << int(c.unicode());
    EXPECT_EQ(Code39Symbol(QStringLiteral("abc")), QStringLiteral("*ABC*"));
    EXPECT_EQ(Code39Symbol(QStringLiteral("*AB*")), QStringLiteral("*AB*"));
    EXPECT_EQ(Code39Symbol(QStringLiteral("*AB")), QStringLiteral("*AB*"));
    EXPECT_EQ(Code39Symbol(QStringLiteral("*")), QStringLiteral("*"));
}

TEST(Code39, MeasuresAndFits)
{
    EXPECT_EQ(MeasureCode39(QStringLiteral("0"), 10), 810.0);
    EXPECT_EQ(MeasureCode39(QStringLiteral("12345"), 15), 2835.0);
    EXPECT_EQ(MeasureCode39(QStringLiteral("*"), 1), 27.0);    // bars 1 and 3, spaces 3 and 6, gap 3
    EXPECT_EQ(MeasureCode39(QStringLiteral("%"), 10), 830.0);  // three wide spaces: 29 modules
    EXPECT_EQ(MeasureCode39(QStringLiteral("*"), 1.5), 38.0);  // whole twips, halves to even
    EXPECT_EQ(MeasureCode39(QString(), 10), 0.0);
    EXPECT_FALSE(MeasureCode39(QStringLiteral("A+B"), 10));
    EXPECT_FALSE(MeasureCode39(QStringLiteral("0"), 500));  // past 32767 twips

    EXPECT_EQ(FitCode39Module(QStringLiteral("0"), 811), 10.0);
    EXPECT_EQ(FitCode39Module(QStringLiteral("0"), 810), 9.0);  // the doubling value is not tried again
    EXPECT_EQ(FitCode39Module(QString(), 810), 0.0);
    EXPECT_FALSE(FitCode39Module(QStringLiteral("0"), 30000));  // overflows before reaching the width
    for (double width = 100; width <= 16838; width += 137) {   // up to a landscape A4 sheet
        const auto m = FitCode39Module(QStringLiteral("SLIP-42"), width);
        ASSERT_TRUE(m);
        EXPECT_LE(*MeasureCode39(QStringLiteral("SLIP-42"), *m), width);
        EXPECT_GT(*MeasureCode39(QStringLiteral("SLIP-42"), *m + 2), width);
    }
}

TEST(Code39, DrawsReadableProportionsInsideTheMeasuredWidths)
{
    SilentPrompter quiet;
    for (const QString& text : {QStringLiteral("0"), QStringLiteral("%$-Z9")}) {
        FakeSurface s;
        DrawCode39(s, text, 0, 0, 10, 10, 0, true, quiet);
        EXPECT_EQ(ReadBack(s), Code39Symbol(text));
        EXPECT_TRUE(s.texts.empty());
        EXPECT_LE(s.boxes.back().x2, *MeasureCode39(text, 10));
        const QString symbol = Code39Symbol(text);
        double start = 0;  // 27 modules a character, 29 for % and $
        for (size_t c = 0; c < s.boxes.size() / 5; ++c) {
            EXPECT_DOUBLE_EQ(s.boxes[c * 5].x1, start);
            const double charWidth = s.boxes[c * 5 + 4].x2 - s.boxes[c * 5].x1;
            EXPECT_DOUBLE_EQ(charWidth, 225);  // narrow 15, wide 45 (3:1)
            if (c > 0) EXPECT_LE(s.boxes[c * 5].x1 - s.boxes[c * 5 - 1].x2, charWidth / 2);  // the gap
            start += symbol[int(c)] == QLatin1Char('%') || symbol[int(c)] == QLatin1Char('$') ? 290 : 270;
        }
        EXPECT_DOUBLE_EQ(s.boxes[0].y2 - s.boxes[0].y1, 567);  // 10 mm, no characters
    }
}

TEST(Code39, CharactersUnderTheBarsAndTheSurfaceRestored)
{
    SilentPrompter quiet;
    FakeSurface s;
    s.SetForeColor(Qt::red);
    s.SetDrawWidth(3);
    const QFont before = s.Font();
    DrawCode39(s, QStringLiteral("a1"), 10, 20, 15, 10, 9, true, quiet);
    EXPECT_EQ(s.Printed(), QStringLiteral("*A1*"));
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(s.texts[i].x, 567 + 270.0 * double(i));  // where each pattern begins
        EXPECT_DOUBLE_EQ(s.texts[i].y, 1134 + 850 - 200);         // below bars shortened by the text
    }
    EXPECT_EQ(s.boxes[0].color, QColor(Qt::red));
    EXPECT_EQ(s.Font(), before);
    EXPECT_EQ(s.DrawWidth(), 3);
    FakeSurface hidden;
    DrawCode39(hidden, QStringLiteral("a1"), 10, 20, 15, 10, 9, false, quiet);
    EXPECT_TRUE(hidden.texts.empty());
    EXPECT_DOUBLE_EQ(hidden.boxes[0].y2 - hidden.boxes[0].y1, 850);
}

TEST(Code39, WhatCannotBeDrawnIsSkippedAndTheOperatorToldOnce)
{
    ScriptedPrompter prompter;
    FakeSurface s;
    // A width no module reaches before 32767 twips: nothing drawn, nothing to tell.
    EXPECT_EQ(DrawFittedCode39(s, QStringLiteral("0"), 0, 0, 10, 30000, 9, true, prompter), Code39Outcome::TooWide);
    EXPECT_EQ(DrawFittedCode39(s, QString(), 0, 0, 10, 3000, 9, true, prompter), Code39Outcome::Empty);
    EXPECT_TRUE(prompter.shown.isEmpty());
    // Characters Code 39 has no pattern for: told once a symbol.
    EXPECT_EQ(DrawCode39(s, QStringLiteral("AB+C/D"), 0, 0, 10, 10, 9, true, prompter),
              Code39Outcome::InvalidCharacters);
    EXPECT_EQ(DrawFittedCode39(s, QStringLiteral("A+B"), 0, 0, 10, 3000, 9, true, prompter),
              Code39Outcome::InvalidCharacters);
    EXPECT_EQ(prompter.shown, QStringList({Code39InvalidCharMessage(), Code39InvalidCharMessage()}));
    EXPECT_TRUE(s.boxes.empty());
    EXPECT_TRUE(s.texts.empty());

    EXPECT_EQ(DrawFittedCode39(s, QStringLiteral("0"), 0, 0, 10, 811, 0, true, prompter), Code39Outcome::Drawn);
    EXPECT_EQ(ReadBack(s), QStringLiteral("*0*"));
    EXPECT_LE(s.boxes.back().x2, 811);
    EXPECT_EQ(prompter.shown.size(), 2);
}

TEST(Code39, BarsTooThinToScanAreRefusedWithOneWarning)
{
    // 0.19 mm is 10.77 twips: a module of 7 draws narrow bars of 10.5.
    EXPECT_FALSE(Code39ModuleReadable(7));
    EXPECT_FALSE(Code39ModuleReadable(7.17));
    EXPECT_TRUE(Code39ModuleReadable(7.182));
    EXPECT_TRUE(Code39ModuleReadable(8));
    EXPECT_FALSE(Code39ModuleReadable(0));
    EXPECT_FALSE(Code39ModuleReadable(std::nan("")));

    const QString text = QStringLiteral("SLIP-42");
    const double atSeven = *MeasureCode39(text, 7), atEight = *MeasureCode39(text, 8);
    {
        ScriptedPrompter prompter;
        FakeSurface s;
        ASSERT_EQ(FitCode39Module(text, atEight - 1), 7.0);
        EXPECT_EQ(DrawFittedCode39(s, text, 0, 0, 10, atEight - 1, 9, true, prompter), Code39Outcome::TooNarrow);
        EXPECT_EQ(DrawFittedCode39(s, text, 0, 0, 10, atSeven, 9, true, prompter), Code39Outcome::TooNarrow);
        EXPECT_EQ(DrawFittedCode39(s, text, 0, 0, 10, 50, 9, true, prompter), Code39Outcome::TooNarrow);  // not even module 1
        EXPECT_EQ(DrawCode39(s, text, 0, 0, 10, 5, 9, true, prompter), Code39Outcome::TooNarrow);
        EXPECT_EQ(DrawCode39(s, text, 0, 0, 10, 0, 9, true, prompter), Code39Outcome::TooNarrow);
        EXPECT_EQ(prompter.shown, QStringList(5, Code39TooNarrowMessage()));  // once a symbol
        EXPECT_TRUE(s.boxes.empty());
        EXPECT_TRUE(s.texts.empty());
    }
    ScriptedPrompter prompter;
    FakeSurface s;
    EXPECT_EQ(DrawFittedCode39(s, text, 0, 0, 10, atEight, 9, true, prompter), Code39Outcome::Drawn);
    EXPECT_TRUE(prompter.shown.isEmpty());
    EXPECT_EQ(ReadBack(s), Code39Symbol(text));
    double thinnest = 1e9;
    for (const auto& b : s.boxes) thinnest = std::min(thinnest, b.x2 - b.x1);
    EXPECT_GE(thinnest / kPaperTwipsPerMm, kMinCode39NarrowBarMm);
}

TEST(Code39, StartsNoInkOutsideTheSymbol)
{
    SilentPrompter quiet;
    FakeSurface s;
    DrawCode39(s, QStringLiteral("A1"), 30, 40, 15, 10, 9, true, quiet);
    EXPECT_TRUE(s.circles.empty());
    EXPECT_TRUE(s.lines.empty());
    for (const auto& b : s.boxes) {
        EXPECT_GE(std::min(b.x1, b.x2), Tw(30) - 1);
        EXPECT_GE(std::min(b.y1, b.y2), Tw(40) - 1);
    }

    // Rendered as on paper: the sheet's corner stays white.
    ImageSurface paper(Tw(80), Tw(40), 600);
    DrawCode39(paper, QStringLiteral("A1"), 10, 10, 15, 10, 9, true, quiet);
    const QImage img = paper.Finish();
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(qGray(img.pixel(x, y)), 255) << x << "," << y;
}

TEST(Code39, TheCanvasSaysInTheEmptyBoxWhyItIsEmpty)
{
    SlipFormat f;
    Box box;
    box.id = 1;
    box.kind = BoxKind::Picture;
    box.rect = QRectF(10, 10, 30, 12);  // the new picture box's size
    box.font.pointSize = 0;  // bars only
    f.Load(FormatHeader{}, {box});
    const struct {
        QString value;
        double widthMm;
        bool canvas;
        QString note;
    } cases[] = {
        {QStringLiteral("12345678"), 30, true, QStringLiteral("条码框太窄")},
        {QStringLiteral("12345678"), 30, false, QString()},  // on paper the operator is told instead
        {QStringLiteral("12345678"), 90, true, QString()},
    };
    for (const auto& c : cases) {
        box.rect.setWidth(c.widthMm);
        FakeSurface s;
        ScriptedPrompter prompter;
        SlipDrawSettings settings;
        settings.canvasRules = c.canvas;
        settings.prompter = &prompter;
        DrawSlipBox(f, box, c.value, s, SlipPlacement{}, settings);
        EXPECT_EQ(s.Printed(), c.note) << c.widthMm << c.canvas;
        EXPECT_EQ(s.boxes.empty(), !c.note.isEmpty() || !c.canvas && c.widthMm < 40);
        double module = 0;
        EXPECT_EQ(Code39OutcomeMessage(FitReadableCode39(c.value, Tw(c.widthMm), module)),
                  c.widthMm < 40 ? Code39TooNarrowMessage() : QString());
    }
}
