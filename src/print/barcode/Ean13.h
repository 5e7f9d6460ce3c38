#pragma once
#include "print/DrawSurface.h"

#include <QString>
#include <QVector>

namespace slip {

// The 13-digit EAN code of any text: cut to 13 characters, every non-digit
// dropped, zeros put in front up to 12 digits, the first 12 kept and the
// check digit computed and appended.
QString AddEanCheckDigit(const QString& text);

// "0" and "1" swapped.
QString InvertBits(const QString& s);

// The 95 modules ("1" bar, "0" space) of a code; code becomes its 13-digit
// form.
QString EncodeEan13(QString& code);

// Runs of equal modules, left to right: 10 + length for bars, the length for
// spaces.
QVector<int> Ean13Runs(const QString& bars);

// Draws the EAN-13 symbol of text with its top-left corner at (x, y)
// millimetres, height millimetres tall and width millimetres wide in all,
// the first digit left of the bars. Digits are printed under the bars with
// fontSize 2 or more; with fontSize > 0 and showText their strip is kept free
// of bars. A box too narrow for any bars draws nothing. The surface's
// settings are as before afterwards.
void DrawEan13(DrawSurface& surface, const QString& text, double x, double y, double height,
               double width, double fontSize, bool showText);

} // namespace slip
