#include "model/SettingAnswers.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace slip;

namespace {

struct Case {
    QString answer;
    bool take;
    QString value;  // what is taken
    QString error;  // "?": some message; "": none
};

void Expect(SettingAnswer (*read)(const QString&), const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        const SettingAnswer a = read(c.answer);
        EXPECT_EQ(a.take, c.take) << c.answer.toStdString();
        if (c.take) EXPECT_EQ(a.value, c.value) << c.answer.toStdString();
        if (c.error == QStringLiteral("?")) EXPECT_FALSE(a.error.isEmpty()) << c.answer.toStdString();
        else EXPECT_EQ(a.error, c.error) << c.answer.toStdString();
    }
}

} // namespace

TEST(SettingAnswers, TheCurrencyIsTheFirstWholeCharacterAndTheLineBreakMarkerAnyVisibleText)
{
    const QString bag = QString::fromUcs4(U"\U0001F4B0元");  // one character of two UTF-16 units: refused whole
    Expect(CurrencyCharFromAnswer,
           {{"$", true, "$", ""}, {"€ and more", true, "€", ""}, {"£|", true, "£", ""}, {"", false, "", ""},
            {"|", false, "", QStringLiteral("货币符号不能是“|”！")}, {QString(QChar(0xD83D)), false, "", "?"},
            {QString(QChar(0xDCB0)) + "x", false, "", "?"}, {"\n", false, "", "?"}, {"\t$", false, "", "?"},
            {bag, false, "", "?"}});
    EXPECT_TRUE(CurrencyCharFromAnswer(bag).error.contains(bag.left(2)));
    Expect(LineBreakMarkerFromAnswer,
           {{"//", true, "//", ""}, {"¶", true, "¶", ""}, {" | ", true, " | ", ""}, {"", false, "", ""},
            {"a\nb", false, "", "?"}, {"\r", false, "", "?"}, {"   ", false, "", "?"},
            {QStringLiteral("x") + QChar(0xD800), false, "", "?"}, {QString(QChar(0xDC00)) + "//", false, "", "?"},
            {QString::fromUcs4(U"\U0001F4B0"), true, QString::fromUcs4(U"\U0001F4B0"), ""}});
}


TEST(SettingAnswers, ASlipSizeIsReadFromItsLeadingNumbersAndCheckedForItsLengthAndRatio)
{
    const QString ratio = QStringLiteral("单据的宽度与高度比例应为1：20到20：1之间！");
    const QString wide = QStringLiteral("“单据宽度”不能超过100000毫米！");
    const QString high = QStringLiteral("“单据高度”不能超过100000毫米！");
    const struct { const char* width; const char* height; bool take; double w; double h; QString error = {}; } cases[] = {
        {"200", "10", true, 200, 10},       {"10", "200", true, 10, 200},   {"210", "10", false, 210, 10, ratio},
        {"10", "210", false, 10, 210, ratio},      {"0", "100", false, 0, 100, ratio},    {"abc", "100", false, 0, 100, ratio},
        {"100", "0", false, 100, 0, ratio},        {"0", "0", false, 0, 0, ratio},        {"-100", "-50", false, -100, -50, ratio},
        {"180mm", "90 毫米", true, 180, 90}, {"6000", "1000", true, 6000, 1000}, {"1e400", "1e400", false, 0, 0, ratio},
        // Within what the exchange file carries.
        {"100000", "5000", true, 100000, 5000},   {"100000.001", "10000", false, 100000.001, 10000, wide},
        {"2000000", "1000000", false, 2000000, 1000000, wide}, {"1e300", "1e300", false, 1e300, 1e300, wide},
        {"10000", "100001", false, 10000, 100001, high},        {"1e6", "1", false, 1e6, 1, wide},
    };
    for (const auto& c : cases) {
        const SlipSizeAnswer a = SlipSizeFromAnswer(QString::fromUtf8(c.width), QString::fromUtf8(c.height));
        EXPECT_EQ(a.take, c.take) << c.width << " x " << c.height;
        EXPECT_EQ(a.error, c.error) << c.width << " x " << c.height;
        if (std::isfinite(a.widthMm)) EXPECT_EQ(std::pair(a.widthMm, a.heightMm), std::pair(c.w, c.h)) << c.width;
    }
}
