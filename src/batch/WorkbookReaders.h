#pragma once
// The two file formats behind Workbook.h; only Workbook.cpp calls these.
#include "batch/Workbook.h"

namespace slip::workbook {

SheetNames ListXlsxSheets(const QString& path);
SheetRead ReadXlsxSheet(const QString& path, const QString& sheet, int lastRow, int lastColumn);

SheetNames ListXlsSheets(const QString& path);
SheetRead ReadXlsSheet(const QString& path, const QString& sheet, int lastRow, int lastColumn);

} // namespace slip::workbook
