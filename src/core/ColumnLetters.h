#pragma once
#include <QString>
#include <optional>

namespace slip {

// Spreadsheet column letters: 1 "A" … 26 "Z", 27 "AA" … 702 "ZZ".
// Outside 1..702 the answer is "" (no sheet column has that number here).
QString ColumnLetters(int n);

// The column named by one or two letters (blanks around them and case do not
// matter): "A" 1, "ab" 28, "ZZ" 702. Anything else ("", "A1", "AAA", "@",
// "7") is no column: the caller reports it instead of reading column 0 or a
// wrapped one.
std::optional<int> ColumnNumber(const QString& letters);

} // namespace slip
