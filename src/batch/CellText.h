#pragma once
#include <QString>

namespace slip {

// A NUL is never part of a value. Every reader of a batch file drops it from
// each CSV field and workbook cell it reads, wherever it stands, and keeps
// the characters around it (as a CSV field drops U+FEFF): a value holding one
// could not leave the program whole, since an .xlsx cell and an .xls string
// end at a NUL. The library that reads .xls files hands a cell's text over
// ending at its first NUL already.
inline void DropNuls(QString& text)
{
    if (text.contains(QChar(0))) text.remove(QChar(0));
}

} // namespace slip
