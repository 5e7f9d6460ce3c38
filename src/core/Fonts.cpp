#include "core/Fonts.h"

#include <QFont>
#include <QFontInfo>
#include <QStringList>

namespace slip {

void InstallFontSubstitutions()
{
    const QStringList serif = {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")};
    const QStringList sans = {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC")};
    const char* const serifNames[] = {"宋体", "新宋体", "仿宋", "仿宋_GB2312", "楷体", "楷体_GB2312",
                                      "华文宋体", "华文仿宋", "华文楷体", "隶书", "SimSun", "NSimSun",
                                      "FangSong", "FangSong_GB2312", "KaiTi", "KaiTi_GB2312",
                                      "STSong", "STKaiti", "STFangsong", "LiSu"};
    const char* const sansNames[] = {"黑体", "微软雅黑", "幼圆", "华文细黑", "华文中宋", "SimHei",
                                     "Microsoft YaHei", "YouYuan", "STXihei", "MS Sans Serif",
                                     "System", "Fixedsys"};
    for (const char* n : serifNames) QFont::insertSubstitutions(QString::fromUtf8(n), serif);
    for (const char* n : sansNames) QFont::insertSubstitutions(QString::fromUtf8(n), sans);
}

} // namespace slip
