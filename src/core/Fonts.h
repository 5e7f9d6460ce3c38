#pragma once
#include <QString>

namespace slip {

// Formats name the Chinese fonts of the machines they were made on ("宋体",
// "黑体", "楷体_GB2312", ...). Map those names onto the installed CJK fonts so
// that every Chinese text shows as Chinese on screen and on paper.
void InstallFontSubstitutions();

} // namespace slip
