#include "ui/Translations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace slip;

TEST(Translations, QtsOwnButtonsSpeakChinese)
{
    InstallTranslations(*qApp);
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().remove('&'), QStringLiteral("取消"));
    EXPECT_NE(box.button(QDialogButtonBox::Ok)->text().remove('&'), QStringLiteral("OK"));
}
