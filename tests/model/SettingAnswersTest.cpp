#include "model/SettingAnswers.h"

#include <gtest/gtest.h>

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

