#include "model/SettingAnswers.h"

#include <gtest/gtest.h>

using namespace slip;

TEST(CurrencyCharAnswer, FirstCharacterIsTaken)
{
    EXPECT_EQ(CurrencyCharFromAnswer(QStringLiteral("$")).value, QStringLiteral("$"));
    const SettingAnswer euro = CurrencyCharFromAnswer(QStringLiteral("€ and more"));
    EXPECT_TRUE(euro.take);
    EXPECT_EQ(euro.value, QStringLiteral("€"));
    EXPECT_TRUE(euro.error.isEmpty());
    // A separator later in the answer does no harm: only the first counts.
    EXPECT_EQ(CurrencyCharFromAnswer(QStringLiteral("£|")).value, QStringLiteral("£"));
}

TEST(CurrencyCharAnswer, EmptyAnswerKeepsTheOldCharacterSilently)
{
    const SettingAnswer a = CurrencyCharFromAnswer(QString());
    EXPECT_FALSE(a.take);
    EXPECT_TRUE(a.error.isEmpty());
}

TEST(CurrencyCharAnswer, OptionSeparatorIsRefused)
{
    const SettingAnswer a = CurrencyCharFromAnswer(QStringLiteral("|"));
    EXPECT_FALSE(a.take);
    EXPECT_EQ(a.error, QStringLiteral("货币符号不能是“|”！"));
}

TEST(CurrencyCharAnswer, LoneSurrogateHalvesAndControlsAreRefused)
{
    for (const QString& bad : {QString(QChar(0xD83D)), QString(QChar(0xDCB0)) + QStringLiteral("x"),
                               QStringLiteral("\n"), QStringLiteral("\t$")}) {
        const SettingAnswer a = CurrencyCharFromAnswer(bad);
        EXPECT_FALSE(a.take);
        EXPECT_FALSE(a.error.isEmpty());
    }
}

TEST(CurrencyCharAnswer, SurrogatePairIsOneCharacterAndNeverSplit)
{
    // U+1F4B0 is one character of two UTF-16 units: the format keeps one
    // unit, so it is refused whole rather than cut in half.
    const QString bag = QString::fromUcs4(U"\U0001F4B0元");
    const SettingAnswer a = CurrencyCharFromAnswer(bag);
    EXPECT_FALSE(a.take);
    EXPECT_TRUE(a.error.contains(bag.left(2)));
}

TEST(LineBreakMarkerAnswer, AnyVisibleTextIsTaken)
{
    EXPECT_EQ(LineBreakMarkerFromAnswer(QStringLiteral("//")).value, QStringLiteral("//"));
    EXPECT_EQ(LineBreakMarkerFromAnswer(QStringLiteral("¶")).value, QStringLiteral("¶"));
    EXPECT_EQ(LineBreakMarkerFromAnswer(QStringLiteral(" | ")).value, QStringLiteral(" | "));
}

TEST(LineBreakMarkerAnswer, EmptyAnswerKeepsTheOldMarker)
{
    const SettingAnswer a = LineBreakMarkerFromAnswer(QString());
    EXPECT_FALSE(a.take);
    EXPECT_TRUE(a.error.isEmpty());
}

TEST(LineBreakMarkerAnswer, LineBreaksBlanksAndBrokenCharactersAreRefused)
{
    for (const QString& bad : {QStringLiteral("a\nb"), QStringLiteral("\r"), QStringLiteral("   "),
                               QStringLiteral("x") + QChar(0xD800), QString(QChar(0xDC00)) + QStringLiteral("//")}) {
        const SettingAnswer a = LineBreakMarkerFromAnswer(bad);
        EXPECT_FALSE(a.take) << bad.toStdString();
        EXPECT_FALSE(a.error.isEmpty());
    }
    EXPECT_TRUE(LineBreakMarkerFromAnswer(QString::fromUcs4(U"\U0001F4B0")).take);
}
