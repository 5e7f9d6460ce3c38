#pragma once
#include <QString>

namespace slip {

// Spreadsheet column letters: 1 "A" … 26 "Z", 27 "AA" … 702 "ZZ".
// Outside 1..702 the answer is "" (no sheet column has that number here).
QString ColumnLetters(int n);

// The column named by one or two characters, blanks around them and case not
// mattering: each counts its code less 64 ("A" 1, "ab" 28, "ZZ" 702), the
// first of two times 26, a result below 1 raised to 1 ("A1" 11, "7" 1).
// Three characters or more, or none, give 0: no column.
int ColumnNumber(const QString& letters);

} // namespace slip
