#include "core/CommonHelpers.h"
#include "core/ProgramName.h"

#include <gtest/gtest.h>

using namespace slip;

TEST(FormatDuration, DropsLeadingZeroPartsButKeepsMinutesAndSeconds)
{
    const std::pair<qint64, const char*> cases[] = {{5, "0:5"}, {65, "1:5"}, {3725, "1:2:5"},
                                                    {86400 + 3600 + 60 + 1, "1:1:1:1"}, {86400 + 5, "1:0:0:5"},
                                                    {3600, "1:0:0"}, {0, "0:0"}, {-30, "0:0"}};
    for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatDuration(seconds), text) << seconds;
}

TEST(CheckMarkText, TrueForAnyValueButFalseZeroEmptyAndNull)
{
    for (const QVariant& v : {QVariant(), QVariant(QMetaType(QMetaType::Int)), QVariant(false), QVariant(0),
                              QVariant(0.0), QVariant(QString()), QVariant(QStringLiteral("0")),
                              QVariant(QStringLiteral("False"))})
        EXPECT_EQ(CheckMarkText(v), "") << v.toString().toStdString();
    for (const QVariant& v : {QVariant(true), QVariant(-1), QVariant(qint64(1)), QVariant(QStringLiteral("是"))})
        EXPECT_EQ(CheckMarkText(v), "√") << v.toString().toStdString();
}

TEST(ProgramName, TheCaptionIsTheTitleFollowedDirectlyByTheVersion)
{
    EXPECT_EQ(ProgramCaption(), ProgramTitle() + QStringLiteral("3.00"));
    EXPECT_EQ(ProgramVersion(), QStringLiteral("3.00"));
}
