#include "PrintTestSupport.h"

#include "print/Ean13.h"

#include <algorithm>

using namespace slip;
using namespace slip::test;

TEST(Ean13, CheckDigitAndNormalisation)
{
    EXPECT_EQ(AddEanCheckDigit(QStringLiteral("690123456789")), QStringLiteral("6901234567892"));
    EXPECT_EQ(AddEanCheckDigit(QStringLiteral("6901234567892")), QStringLiteral("6901234567892"));
    // A wrong check digit is replaced by the right one.
    EXPECT_EQ(AddEanCheckDigit(QStringLiteral("6901234567890")), QStringLiteral("6901234567892"));
    EXPECT_EQ(AddEanCheckDigit(QStringLiteral("12345")), QStringLiteral("0000000123457"));
    EXPECT_EQ(AddEanCheckDigit(QStringLiteral("4a5b")), QStringLiteral("0000000000451"));
    EXPECT_EQ(AddEanCheckDigit(QString()), QStringLiteral("0000000000000"));
    EXPECT_EQ(AddEanCheckDigit(QStringLiteral("12345678901234567")), QStringLiteral("1234567890128"));
    // Cut to 13 characters before the separators go: 12345678901 remain.
    EXPECT_EQ(AddEanCheckDigit(QStringLiteral("1234-5678-901234")), QStringLiteral("0123456789012"));
    EXPECT_EQ(AddEanCheckDigit(QStringLiteral("4006381333931")), QStringLiteral("4006381333931"));
    // Full-width digits are not digits of the code.
    EXPECT_EQ(AddEanCheckDigit(QStringLiteral("１２3")), QStringLiteral("0000000000031"));
}

TEST(Ean13, InvertBitsSwapsZerosAndOnes)
{
    EXPECT_EQ(InvertBits(QStringLiteral("1110010")), QStringLiteral("0001101"));
    EXPECT_EQ(InvertBits(QString()), QString());
}

TEST(Ean13, EncodesThe95Modules)
{
    QString code = QStringLiteral("12345");
    const QString bars = EncodeEan13(code);
    EXPECT_EQ(code, QStringLiteral("0000000123457"));
    // First digit 0: all six left digits from the odd set.
    const QString expected = QStringLiteral("101")
        + QStringLiteral("0001101").repeated(6)
        + QStringLiteral("01010")
        + QStringLiteral("1100110") + QStringLiteral("1101100") + QStringLiteral("1000010")
        + QStringLiteral("1011100") + QStringLiteral("1001110") + QStringLiteral("1000100")
        + QStringLiteral("101");
    EXPECT_EQ(bars, expected);
    EXPECT_EQ(Ean13Runs(bars).size(), 59);

    // First digit 9 (parity 100101): 0 odd, 1 even, 2 even, 3 odd, 4 even, 5 odd.
    QString nine = QStringLiteral("901234567891");
    const QString b9 = EncodeEan13(nine);
    EXPECT_EQ(b9.mid(3, 7), InvertBits(QStringLiteral("1110010")));   // 0 odd
    EXPECT_EQ(b9.mid(10, 7), QStringLiteral("0110011"));              // 1 even: 1100110 reversed
    EXPECT_EQ(b9.mid(17, 7), QStringLiteral("0011011"));              // 2 even
    EXPECT_EQ(b9.mid(24, 7), InvertBits(QStringLiteral("1000010")));  // 3 odd
}

TEST(Ean13, EveryCodeHas59RunsWithTheGuardsInPlace)
{
    for (int first = 0; first <= 9; ++first) {
        for (const char* rest : {"00000000000", "12345678901", "99999999999", "50505050505"}) {
            QString code = QString::number(first) + QLatin1String(rest);
            const QString bars = EncodeEan13(code);
            ASSERT_EQ(bars.size(), 95);
            const QVector<int> runs = Ean13Runs(bars);
            ASSERT_EQ(runs.size(), 59) << code.toStdString();
            for (int guard : {0, 2, 28, 30, 56, 58}) EXPECT_EQ(runs[guard], 11) << code.toStdString();
            int total = 0;
            for (int r : runs) total += r % 10;
            EXPECT_EQ(total, 95);
        }
    }
}

namespace {

// A fake printer with digits 100 twips wide and 200 high.
struct Drawn {
    FakeSurface s;
    double module = 0;
};

Drawn DrawOn(double fontSize, bool showText, double widthMm = 40)
{
    Drawn d;
    d.s.charWidth = 100;
    d.s.lineHeight = 200;
    DrawEan13(d.s, QStringLiteral("690123456789"), 10, 20, 25, widthMm, fontSize, showText);
    d.module = (widthMm * kPaperTwipsPerMm - 100 - 15) / 95;
    return d;
}

} // namespace

TEST(Ean13, BarsAndDigitsStandWhereTheyBelong)
{
    const Drawn d = DrawOn(9, true);
    const double left = 567, top = 1134;
    const double bars = 1417 - 200;  // 25 mm less the digits' height
    ASSERT_EQ(d.s.boxes.size(), 30u);
    // The bars start one digit and 15 twips right of the symbol's left edge.
    EXPECT_DOUBLE_EQ(d.s.boxes.front().x1, left + 100 + 15);
    for (const auto& b : d.s.boxes) {
        EXPECT_DOUBLE_EQ(b.y1, top);
        EXPECT_EQ(b.color, QColor(Qt::black));
    }
    // Guard bars reach half a digit into the digit strip, the others end 30 above it.
    const std::vector<size_t> guards = {0, 1, 14, 15, 28, 29};
    for (size_t i = 0; i < d.s.boxes.size(); ++i) {
        const bool guard = std::find(guards.begin(), guards.end(), i) != guards.end();
        EXPECT_DOUBLE_EQ(d.s.boxes[i].y2, guard ? top + bars + 100 : top + bars - 30) << i;
    }
    // 95 modules long, give or take the whole-twip rounding of each run.
    EXPECT_NEAR(d.s.boxes.back().x2 - d.s.boxes.front().x1, 95 * d.module, 59 * 0.5);

    // Thirteen digits: the first left of the bars, then twelve cells.
    ASSERT_EQ(d.s.texts.size(), 13u);
    EXPECT_EQ(d.s.PrintedText(), QStringLiteral("6901234567892"));
    EXPECT_DOUBLE_EQ(d.s.texts[0].x, left);
    for (const auto& t : d.s.texts) EXPECT_DOUBLE_EQ(t.y, top + bars);
    const double cell = (40 * kPaperTwipsPerMm - 100 - 15 - 9 * d.module) / 12;
    const double barStart = left + 115;
    EXPECT_NEAR(d.s.texts[1].x, barStart + 3 * d.module + (cell - 100) / 2, 1e-9);
    EXPECT_NEAR(d.s.texts[6].x - d.s.texts[1].x, 5 * cell, 1e-9);
    EXPECT_NEAR(d.s.texts[7].x - d.s.texts[6].x, cell + 3 * d.module, 1e-9);
    EXPECT_NEAR(d.s.texts[12].x - d.s.texts[7].x, 5 * cell, 1e-9);
}

TEST(Ean13, FontSizeAndShowTextDecideTheDigitStrip)
{
    const double top = 1134, full = 1417;
    // Font size 0: full height, no digits, the guards still reach below.
    const Drawn none = DrawOn(0, true);
    EXPECT_TRUE(none.s.texts.empty());
    EXPECT_DOUBLE_EQ(none.s.boxes[0].y2, top + full + 100);
    EXPECT_DOUBLE_EQ(none.s.boxes[2].y2, top + full - 30);

    // Below 2 points the strip is kept free but stays empty.
    const Drawn small = DrawOn(1, true);
    EXPECT_TRUE(small.s.texts.empty());
    EXPECT_DOUBLE_EQ(small.s.boxes[2].y2, top + full - 200 - 30);

    // Not shown but large enough: full height, and the digits are still printed.
    const Drawn hidden = DrawOn(9, false);
    EXPECT_EQ(hidden.s.texts.size(), 13u);
    EXPECT_DOUBLE_EQ(hidden.s.texts[0].y, top + full);
    EXPECT_DOUBLE_EQ(hidden.s.boxes[2].y2, top + full - 30);
}

TEST(Ean13, LeavesTheSurfaceAsItFoundItAndTheTextAlone)
{
    FakeSurface s;
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(13);
    s.SetFont(f);
    s.SetDrawWidth(4);
    s.SetDrawStyle(kLineDash);
    s.SetForeColor(Qt::blue);
    const QString text = QStringLiteral("12345");
    DrawEan13(s, text, 0, 0, 20, 40, 9, true);
    EXPECT_EQ(text, QStringLiteral("12345"));
    EXPECT_EQ(s.Font(), f);
    EXPECT_EQ(s.DrawWidth(), 4);
    EXPECT_EQ(s.DrawStyle(), kLineDash);
    EXPECT_EQ(s.ForeColor(), QColor(Qt::blue));
}

TEST(Ean13, NothingForAnEmptyTextOrABoxTooNarrow)
{
    FakeSurface empty;
    DrawEan13(empty, QString(), 0, 0, 20, 40, 9, true);
    EXPECT_TRUE(empty.boxes.empty());
    EXPECT_TRUE(empty.texts.empty());

    // 2 mm leave no room for bars after the first digit.
    FakeSurface narrow;
    DrawEan13(narrow, QStringLiteral("12345"), 0, 0, 20, 2, 9, true);
    EXPECT_TRUE(narrow.boxes.empty());
    EXPECT_TRUE(narrow.texts.empty());
}
