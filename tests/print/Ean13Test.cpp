#include "PrintTestSupport.h"

#include "print/barcode/Ean13.h"

using namespace slip;
using namespace slip::test;

TEST(Ean13, CheckDigitNormalisationAndTheModulesWithTheFirstDigitsParity)
{
    const struct { const char16_t* in; const char* out; } cases[] = {
        {u"690123456789", "6901234567892"}, {u"6901234567892", "6901234567892"},
        {u"6901234567890", "6901234567892"},  // a wrong check digit is replaced
        {u"12345", "0000000123457"}, {u"4a5b", "0000000000451"}, {u"", "0000000000000"},
        {u"12345678901234567", "1234567890128"},
        {u"1234-5678-901234", "0123456789012"},  // cut to 13 characters before the separators go
        {u"１２3", "0000000000031"},              // full-width digits are not digits of the code
    };
    for (const auto& c : cases) EXPECT_EQ(AddEanCheckDigit(QString::fromUtf16(c.in)), QLatin1String(c.out));
    EXPECT_EQ(InvertBits(QStringLiteral("1110010")), QStringLiteral("0001101"));
    QString code = QStringLiteral("12345");
    const QString bars = EncodeEan13(code);
    EXPECT_EQ(code, QStringLiteral("0000000123457"));
    EXPECT_EQ(bars, QStringLiteral("101") + QStringLiteral("0001101").repeated(6) + QStringLiteral("01010")
                        + QStringLiteral("110011011011001000010101110010011101000100101"));
    // First digit 9 (100101): digit 1 from the even set, 1100110 reversed.
    QString nine = QStringLiteral("901234567891");
    EXPECT_EQ(EncodeEan13(nine).mid(10, 7), QStringLiteral("0110011"));
    for (int first = 0; first <= 9; ++first) {
        QString c = QString::number(first) + QStringLiteral("50505050505");
        const QVector<int> runs = Ean13Runs(EncodeEan13(c));
        ASSERT_EQ(runs.size(), 59);
        for (int guard : {0, 2, 28, 30, 56, 58}) EXPECT_EQ(runs[guard], 11);
    }
}

TEST(Ean13, BarsAndDigitsStandWithinAQuarterModuleOfTheirPlace)
{
    // Digits 100 wide and 200 high, a symbol 40 mm wide and 25 mm high at (10, 20) mm.
    const auto draw = [](double fontSize, bool showText) {
        FakeSurface s;
        DrawEan13(s, QStringLiteral("690123456789"), 10, 20, 25, 40, fontSize, showText);
        return s;
    };
    const double module = (Tw(40) - 115) / 95, top = 1134;
    const FakeSurface s = draw(9, true);
    ASSERT_EQ(s.boxes.size(), 30u);
    EXPECT_DOUBLE_EQ(s.boxes[0].x1, 567 + 115);  // one digit and 15 twips right of the edge
    EXPECT_DOUBLE_EQ(s.boxes[0].y2, top + 1217 + 100);   // guards reach half a digit down
    EXPECT_DOUBLE_EQ(s.boxes[2].y2, top + 1217 - 30);    // the others end 30 above the digits
    EXPECT_NEAR(s.boxes.back().x2 - s.boxes[0].x1, 95 * module, 59 * 0.5);
    EXPECT_EQ(s.Printed(), QStringLiteral("6901234567892"));
    EXPECT_DOUBLE_EQ(s.texts[0].x, 567);
    const double cell = (Tw(40) - 115 - 9 * module) / 12;
    EXPECT_NEAR(s.texts[1].x, 682 + 3 * module + (cell - 100) / 2, 1e-9);
    EXPECT_NEAR(s.texts[7].x - s.texts[6].x, cell + 3 * module, 1e-9);

    const FakeSurface none = draw(0, true);  // no digits, full height, guards still reach down
    EXPECT_TRUE(none.texts.empty());
    EXPECT_DOUBLE_EQ(none.boxes[0].y2, top + 1417 + 100);
    const FakeSurface small = draw(1, true);  // the strip is kept but stays empty
    EXPECT_TRUE(small.texts.empty());
    EXPECT_DOUBLE_EQ(small.boxes[2].y2, top + 1217 - 30);
    const FakeSurface hidden = draw(9, false);  // full height, digits still printed
    EXPECT_EQ(hidden.texts.size(), 13u);
    EXPECT_DOUBLE_EQ(hidden.boxes[2].y2, top + 1417 - 30);

    FakeSurface narrow;  // no room for bars
    DrawEan13(narrow, QStringLiteral("1"), 0, 0, 20, 2, 9, true);
    EXPECT_TRUE(narrow.boxes.empty() && narrow.texts.empty());
    // Widths whose modules are not whole twips: rounding run by run would
    // drift across the 59 runs.
    for (double widthMm = 22; widthMm <= 70; widthMm += 0.37) {
        FakeSurface s;  // digits 100 twips wide
        DrawEan13(s, QStringLiteral("6901234567892"), 5, 5, 20, widthMm, 9, true);
        QString code = QStringLiteral("6901234567892");
        const QString bars = EncodeEan13(code);
        const double module = (Tw(widthMm) - 115) / 95;
        const double barStart = std::round(Tw(5) + 115);
        // Exact edges of the bar runs, in modules from the first bar.
        std::vector<std::pair<int, int>> runs;
        for (int i = 0; i < bars.size(); ++i)
            if (bars[i] == QLatin1Char('1')) {
                if (i == 0 || bars[i - 1] != QLatin1Char('1')) runs.push_back({i, i + 1});
                else runs.back().second = i + 1;
            }
        ASSERT_EQ(s.boxes.size(), runs.size()) << widthMm;
        for (size_t r = 0; r < runs.size(); ++r) {
            EXPECT_NEAR(s.boxes[r].x1, barStart + module * runs[r].first, module / 4) << widthMm << " mm, bar " << r;
            EXPECT_NEAR(s.boxes[r].x2, barStart + module * runs[r].second, module / 4) << widthMm << " mm, bar " << r;
        }
        // Each digit under the bars of its own seven modules.
        for (int d = 1; d < 13; ++d) {
            const int first = d <= 6 ? 3 + 7 * (d - 1) : 50 + 7 * (d - 7);
            const double centre = s.texts[size_t(d)].x + 50;
            EXPECT_GT(centre, barStart + module * first) << widthMm << " mm, digit " << d;
            EXPECT_LT(centre, barStart + module * (first + 7)) << widthMm << " mm, digit " << d;
        }
    }
}

