#pragma once
#include <QString>

class QWidget;

namespace slip {

// Keeps a window's place and size in the parameter table under its caption.
// The size kept is the window's own (without the frame the window manager
// adds), and so is the size restored: opening and closing never grows it.
// False when the parameter could not be written.
bool SaveWindowPos(QWidget* window, const QString& name);
void RestoreWindowPos(QWidget* window, const QString& name);

} // namespace slip
