#pragma once
#include "core/ProgressReporter.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <functional>

class QAbstractItemModel;

namespace slip {

// What of a table model goes into an export file.
struct GridExportLayout {
    // Model rows and columns the operator does not see; they leave no gap.
    QSet<int> hiddenRows;
    QSet<int> hiddenColumns;
    // Writes the horizontal header captions (headerData) as the first row,
    // formatted as a caption row.
    bool headerRow = true;
    // Column widths in twips by model column, for the workbook, where 123
    // twips make one character of sheet column width. A column without a
    // width is fitted to its texts.
    QHash<int, int> columnTwips;
    // Why a model row's cells could not be read ("" when they were), asked
    // once its cells are taken: such a row is never written as empty cells;
    // the export fails with that text instead.
    std::function<QString(int modelRow)> unreadRow;
};

struct GridExportResult {
    bool ok = false;
    QString error;      // the text to show when ok is false
    int rows = 0;       // rows written, caption rows included
    int columns = 0;    // columns written
    QString path;       // the file written
};

// "表格中没有数据！" is the answer when a model has no column, or neither a
// row nor a header row; nothing is written then.
bool GridHasData(const QAbstractItemModel& grid, const GridExportLayout& layout);

// Every written cell text gets one Tab appended, which the program's own
// importers take off again; in a CSV file empty cells get it too.
//
// Each file is written whole beside the old one and replaces it only then
// (SaveFile): a failure leaves the old file as it was. The error is
// "该文件无法覆盖，请确认该文件没被其他软件打开！" when what is at the path
// can't be replaced (a folder, a file the system won't let go), the text of
// the layout's unreadRow for a row that could not be read, otherwise
// "文件保存出错！".

// Writes the visible rows and columns to a CSV file: code page GBK (GB18030
// when a text has characters GBK lacks), one line per row ended by CR LF,
// cells joined by ",", every double quote doubled, a cell quoted when it
// holds a comma, a double quote, a CR, a LF or another control character
// (IsCsvControl), so that the CSV import reads every cell back as written.
GridExportResult ExportGridToCsv(const QAbstractItemModel& grid, const QString& path,
                                 const GridExportLayout& layout = {},
                                 ProgressReporter& progress = NoProgress());

// Writes the visible rows and columns to an .xlsx workbook whose one sheet
// is named `sheetName` (characters a sheet name can't hold become "_", cut to
// 31), from A1 on: caption rows bold on a light orange fill (#FFC080), thin
// borders on every written cell, empty cells left empty.
GridExportResult ExportGridToExcel(const QAbstractItemModel& grid, const QString& path,
                                   const QString& sheetName, const GridExportLayout& layout = {},
                                   ProgressReporter& progress = NoProgress());

// Writes the visible rows and columns to an Excel 97-2003 workbook (.xls,
// BIFF8) laid out as ExportGridToExcel lays out its .xlsx: one sheet named
// `sheetName` (made acceptable), caption rows bold on #FFC080, thin borders
// on every cell of the block, the same column widths, line breaks kept. The
// writer runs in a process of its own under a time and memory limit. A grid
// beyond the format's 65,536 rows or 256 columns, or a cell text beyond its
// 32,767 characters, is refused with a message saying so.
GridExportResult ExportGridToXls(const QAbstractItemModel& grid, const QString& path, const QString& sheetName,
                                 const GridExportLayout& layout = {}, ProgressReporter& progress = NoProgress());

// True when the path's last three characters are "csv" in any case ("a.csv",
// also "acsv"); such a path is written as CSV, any other as a workbook.
bool ExportsAsCsv(const QString& path);

// CSV for a path ExportsAsCsv accepts, an .xlsx workbook for a path ending
// in ".xlsx", an Excel 97-2003 workbook for any other.
GridExportResult ExportGridToFile(const QAbstractItemModel& grid, const QString& path,
                                  const QString& sheetName, const GridExportLayout& layout = {},
                                  ProgressReporter& progress = NoProgress());

// One CSV field as the export writes it: text, Tab, quotes doubled, quoted
// when needed.
QString CsvField(const QString& cellText);

// A sheet name the workbook accepts, as ExportGridToExcel uses it.
QString SafeSheetName(const QString& name);

} // namespace slip
