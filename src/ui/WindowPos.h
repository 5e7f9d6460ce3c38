#pragma once
#include <QString>

class QWidget;

namespace slip {

// Keeps a window's place and size in the parameter table under its caption.
// The size kept is the window's own (without the frame the window manager
// adds), and so is the size restored: opening and closing never grows it.
// A place that can't be stored is passed over without a word (false); one
// that can't be read is told, as every failed read of a parameter.
bool SaveWindowPos(QWidget* window, const QString& name);
void RestoreWindowPos(QWidget* window, const QString& name);

// A parameter read for a window: a read that failed is told to the operator
// ("数据库打开错误(" + the statement + ")！") and reads as "".
QString ParamOrTell(const QString& name);
// Stores a parameter; a failure is told the same way. False then.
bool SetParamOrTell(const QString& name, const QString& value);

} // namespace slip
