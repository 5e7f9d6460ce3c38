// slip-xls-reader: reads one .xls workbook for the program, in a process of its
// own, so that a damaged file can only take this process down.
#include "batch/WorkbookReaders.h"

int main(int argc, char** argv) { return slip::workbook::RunXlsReader(argc, argv); }
