#include "PrintTestSupport.h"

#include "print/Ean13.h"

using namespace slip;
using namespace slip::test;

TEST(Ean13, CheckDigitAndNormalisation)
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
}

TEST(Ean13, EncodesTheModulesWithTheFirstDigitsParity)
{
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

TEST(Ean13, BarsAndDigitsStandWhereTheyBelong)
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
}
