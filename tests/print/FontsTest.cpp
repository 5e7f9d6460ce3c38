#include "core/Fonts.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

using namespace slip;

TEST(Fonts, ChineseFontNamesOfFormatsResolveToInstalledCjkFonts)
{
    for (const char* name : {"宋体", "黑体", "楷体_GB2312", "仿宋_GB2312", "SimSun"}) {
        const QString family = QFontInfo(QFont(QString::fromUtf8(name))).family();
        EXPECT_TRUE(family.contains("CJK")) << name << " -> " << family.toStdString();
        QFontMetrics fm{QFont(QString::fromUtf8(name), 12)};
        EXPECT_TRUE(fm.inFont(QChar(0x58F9))) << name;  // 壹
    }
}
