#pragma once
#include <QString>

namespace slip {

// The program's one name: window captions, message boxes, print jobs.
inline QString ProgramTitle() { return QStringLiteral("单据套打系统"); }
inline QString ProgramVersion() { return QStringLiteral("3.00"); }
// Title followed directly by the version, the main window's caption.
inline QString ProgramCaption() { return ProgramTitle() + ProgramVersion(); }

} // namespace slip
