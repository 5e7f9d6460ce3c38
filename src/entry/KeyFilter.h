#pragma once
#include <QChar>
#include <QString>

#include "model/DataType.h"

namespace slip {

// Whether a box of this data-type code takes figures only while it is typed
// into: the amounts spread over cells (1-99 with the currency character,
// 301-399 without) and the amount without currency character, year, month and
// day in figures (105-108). Their texts must be an amount or a date part; a
// letter in them could only be printed as a wrong figure.
bool IsNumericEntryCode(const DataType& type);

// Whether a box of this code takes the character typed. Numeric boxes take
// the figures 0-9, "." and Backspace (8), full-width figures and point too
// (they are written in their plain forms); Enter, letters, signs and blanks
// are refused. Every other code takes every character.
bool AcceptsTypedChar(const DataType& type, QChar c);

// A typed, pasted or input-method text as a box of this code takes it:
// numeric boxes keep only what AcceptsTypedChar lets through, full-width
// figures and point in their plain forms; other codes take the text as it is.
QString FilterTypedText(const DataType& type, const QString& text);

} // namespace slip
