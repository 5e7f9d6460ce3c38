#pragma once
#include <QString>

namespace slip {

// Reads a finished .xlsx file back and tells whether it is whole: every part
// of the zip inflates to its recorded size and checksum, every XML part ends
// with the closing tag of its root element, and the first worksheet holds
// exactly `sheetRows` rows. The workbook writer does not notice when its own
// temporary files can't be written (a full disk) and then reports success
// for a broken file; this check is what stops such a file from replacing
// the operator's old one. `why` receives the reason for a false answer.
bool WorkbookFileIsComplete(const QString& path, qint64 sheetRows, QString* why = nullptr);

} // namespace slip
