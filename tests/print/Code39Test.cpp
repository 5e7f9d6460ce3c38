#include "PrintTestSupport.h"

#include "print/SlipDrawing.h"
#include "print/barcode/Code39.h"
#include "core/Prompter.h"
#include "ScriptedPrompter.h"

#include <algorithm>
#include <cmath>

using namespace slip;
using namespace slip::test;

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

TEST(Code39, DrawsReadableProportionsInsideTheMeasuredWidthsAndRestoresTheSurface)
{
    SilentPrompter quiet;
    for (const QString& text : {QStringLiteral("0"), QStringLiteral("%$-Z9")}) {
        FakeSurface s;
        DrawCode39(s, text, 0, 0, 10, 10, 0, true, quiet);
        EXPECT_TRUE(s.texts.empty());
        EXPECT_LE(s.boxes.back().x2, *MeasureCode39(text, 10));
        const QString symbol = Code39Symbol(text);
        ASSERT_EQ(s.boxes.size(), size_t(symbol.size() * 5));
        double start = 0;  // 27 modules a character, 29 for % and $
        for (size_t c = 0; c < s.boxes.size() / 5; ++c) {
            EXPECT_DOUBLE_EQ(s.boxes[c * 5].x1, start);
            EXPECT_DOUBLE_EQ(s.boxes[c * 5 + 4].x2 - s.boxes[c * 5].x1, 225);  // narrow 15, wide 45 (3:1)
            start += symbol[int(c)] == QLatin1Char('%') || symbol[int(c)] == QLatin1Char('$') ? 290 : 270;
        }
        EXPECT_DOUBLE_EQ(s.boxes[0].y2 - s.boxes[0].y1, 567);  // 10 mm, no characters
    }
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
    for (const auto& b : s.boxes) EXPECT_GE(std::min(b.x1, b.y1), Tw(10) - 1);  // no ink outside the symbol
    EXPECT_TRUE(s.circles.empty() && s.lines.empty());
    EXPECT_EQ(s.boxes[0].color, QColor(Qt::red));
    EXPECT_EQ(s.Font(), before);
    EXPECT_EQ(s.DrawWidth(), 3);
    FakeSurface hidden;
    DrawCode39(hidden, QStringLiteral("a1"), 10, 20, 15, 10, 9, false, quiet);
    EXPECT_TRUE(hidden.texts.empty());
    EXPECT_DOUBLE_EQ(hidden.boxes[0].y2 - hidden.boxes[0].y1, 850);
}

TEST(Code39, WhatCannotBeDrawnOrScannedIsSkippedAndTheOperatorToldOnceASymbol)
{
    // 0.19 mm is 10.77 twips: a module of 7 draws narrow bars of 10.5.
    const struct { double module; bool readable; } modules[] = {{7, false}, {7.17, false}, {7.182, true}, {8, true}, {0, false}, {std::nan(""), false}};
    for (const auto& m : modules) EXPECT_EQ(Code39ModuleReadable(m.module), m.readable) << m.module;
    const QString slip = QStringLiteral("SLIP-42");
    const double atSeven = *MeasureCode39(slip, 7), atEight = *MeasureCode39(slip, 8);
    ASSERT_EQ(FitCode39Module(slip, atEight - 1), 7.0);
    const QString invalid = Code39InvalidCharMessage(), narrow = Code39TooNarrowMessage();
    const struct { QString text; double width; Code39Outcome outcome; QString told; } cases[] = {
        {QStringLiteral("0"), 30000, Code39Outcome::TooWide, {}},  // no module reaches it before 32767 twips
        {QString(), 3000, Code39Outcome::Empty, {}},
        {QStringLiteral("A+B"), 3000, Code39Outcome::InvalidCharacters, invalid},
        {slip, atEight - 1, Code39Outcome::TooNarrow, narrow},
        {slip, atSeven, Code39Outcome::TooNarrow, narrow},
        {slip, 50, Code39Outcome::TooNarrow, narrow},  // not even module 1
        {slip, atEight, Code39Outcome::Drawn, {}},
        {QStringLiteral("0"), 811, Code39Outcome::Drawn, {}},
    };
    for (const auto& c : cases) {
        ScriptedPrompter prompter;
        FakeSurface s;
        EXPECT_EQ(DrawFittedCode39(s, c.text, 0, 0, 10, c.width, 9, true, prompter), c.outcome) << c.text.toStdString();
        EXPECT_EQ(prompter.shown, c.told.isEmpty() ? QStringList() : QStringList({c.told})) << c.text.toStdString();
        EXPECT_EQ(s.boxes.empty(), c.outcome != Code39Outcome::Drawn);
        if (!s.boxes.empty()) EXPECT_LE(s.boxes.back().x2, c.width);
        if (c.outcome == Code39Outcome::Drawn && c.text == slip) {
            double thinnest = 1e9;
            for (const auto& b : s.boxes) thinnest = std::min(thinnest, b.x2 - b.x1);
            EXPECT_GE(thinnest / kPaperTwipsPerMm, kMinCode39NarrowBarMm);
        }
    }
    ScriptedPrompter prompter;
    FakeSurface s;
    EXPECT_EQ(DrawCode39(s, QStringLiteral("AB+C/D"), 0, 0, 10, 10, 9, true, prompter), Code39Outcome::InvalidCharacters);
    EXPECT_EQ(DrawCode39(s, slip, 0, 0, 10, 5, 9, true, prompter), Code39Outcome::TooNarrow);
    EXPECT_EQ(prompter.shown, QStringList({invalid, narrow}));
    EXPECT_TRUE(s.boxes.empty() && s.texts.empty());
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
