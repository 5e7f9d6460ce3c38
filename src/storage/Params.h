#pragma once
#include <QRect>
#include <QSize>
#include <QString>


namespace slip {

// Program-wide named texts in table 参数.
// "" when none is stored; a read that failed answers "" too, and error (when
// given) receives "数据库打开错误(" + the statement + ")！" (or why the
// database can't be reached); "" otherwise.
QString GetParam(const QString& name, QString* error = nullptr);
// Adds or replaces the value; with several records of the name the first one
// is changed. False when it could not be stored; error (when given) then
// receives what to tell the operator.
bool SetParam(const QString& name, const QString& value, QString* error = nullptr);

// The parameter that keeps a window's position, by its caption.
inline QString WindowParamName(const QString& caption) { return QStringLiteral("窗口参数：") + caption; }

// The barcode standard of picture boxes (parameter "StrBarCodeStand"):
// 0 Code 39 (also when nothing is stored), any other number EAN-13.
int StoredBarcodeStandard();

// The stored text of a window position: left;top;width;height in twips, or
// "0;0;0;0" for a window at least as wide as the screen.
QString WindowGeometryParam(const QRect& windowTwips, int screenWidthTwips);

// The window rectangle (twips) after applying a stored position to a window
// at `current` on a screen of `screenTwips`. A malformed value changes nothing.
QRect ApplyWindowGeometry(const QString& value, const QRect& current, const QSize& screenTwips);


} // namespace slip
