#pragma once
#include <QString>
#include <QtGlobal>
#include <optional>

namespace slip {

// The number a text starts with, read as far as it forms a number (blanks are
// passed over, "&H" and "&O" prefixes read hexadecimal and octal, an exponent
// with E or D is taken); an empty or non-numeric text reads 0.
double Val(const QString& text);
// The same, or nothing when the text starts with no number ("180mm" is 180,
// "mm" and "" are nothing).
std::optional<double> LeadingNumber(const QString& text);

// Rounds to the nearest whole number, halves to the even neighbour.
qint64 RoundHalfEven(double v);

// A number as the program writes it into cells and records: plain decimal
// with at most 15 significant digits, no trailing zeros, 0.5 as "0.5".
QString NumberText(double v);

} // namespace slip
