#pragma once
// The two file formats behind Workbook.h; only Workbook.cpp calls these.
#include "batch/Workbook.h"

namespace slip::workbook {

SheetNames ListXlsxSheets(const QString& path);
SheetRead ReadXlsxSheet(const QString& path, const QString& sheet, const CellsWanted& wanted);

// Through the reader process.
SheetNames ListXlsSheets(const QString& path);
SheetRead ReadXlsSheet(const QString& path, const QString& sheet, const CellsWanted& wanted);

// The reader process itself: "list <path>" or "read <path> <sheet> <lastRow>
// <lastColumn>", answering on its standard output. Its main calls this.
int RunXlsReader(int argc, char** argv);

} // namespace slip::workbook
