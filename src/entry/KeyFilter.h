#pragma once
#include <QChar>
#include <QString>

#include "model/DataType.h"

namespace slip {

// Whether a box of this data-type code takes figures only while it is typed
// into: the amounts spread over cells with the currency character (1-99) and
// the amount without currency character, year, month and day in figures
// (105-108). Their texts must be an amount or a date part; a letter in them
// could only be printed as a wrong figure.
bool IsNumericEntryCode(const DataType& type);

// Whether a box of this code takes the character typed. Numeric boxes take
// the figures 0-9, "." and Backspace (8), and full-width figures and point as
// they are typed (an input method's; the conversion on leaving reads them as
// plain ones); Enter, letters, signs and blanks are refused. Every other code
// takes every character.
bool AcceptsTypedChar(const DataType& type, QChar c);

// A typed, pasted or input-method text as a box of this code takes it:
// numeric boxes keep only the figures and points AcceptsTypedChar lets
// through, unchanged; other codes take the text as it is.
QString FilterTypedText(const DataType& type, const QString& text);

} // namespace slip
