#pragma once
#include "batch/BatchDataSet.h"
#include "batch/ImportMap.h"
#include "core/ProgressReporter.h"

#include <QString>

namespace slip {

// What kind of import a chosen file gets, told by its extension (letter case
// does not matter; the path itself is kept as chosen).
enum class ImportFileKind { Unsupported, Csv, Workbook };
ImportFileKind ImportFileKindOf(const QString& path);
inline QString UnsupportedImportFileError()
{
    return QStringLiteral("您选择的文件格式不支持导入，请选择CSV或XLS文件！");
}

// The rows to import, as the operator entered them: rows start..end of the
// file or sheet (from 1, both included), linesPerRecord rows making one record.
struct ImportRange {
    int startRow = 2;
    int endRow = 100;
    int linesPerRecord = 1;
};

// Most rows one import takes.
inline constexpr int kMaxImportRows = 30000;
// Highest row number an import may name (far beyond any sheet; keeps the row
// arithmetic clear of overflow).
inline constexpr int kMaxRowNumber = 99999999;

// "" when the range can be imported; else the text for the operator: lines
// per record below 1, a start row below 1, a start row after the end row, an
// end row beyond kMaxRowNumber, or more than kMaxImportRows rows.
QString CheckImportRange(const ImportRange& range);

// The range from the texts of the mapping dialog's three boxes: each read as
// the number it starts with (0 when none) and rounded to a whole number.
ImportRange ImportRangeFromTexts(const QString& startRow, const QString& endRow,
                                 const QString& linesPerRecord);

// The number of records: the rows divided by lines per record, rounded up (the
// last record may be short and then reads rows below the end row). 0 for a
// range CheckImportRange refuses.
int RecordCount(const ImportRange& range);

// The first source row of record k (from 1).
inline int RecordFirstRow(const ImportRange& range, int record)
{
    return range.startRow + (record - 1) * range.linesPerRecord;
}

struct ImportResult {
    QString error;  // "" after a complete import
    int records = 0;
    bool ok() const { return error.isEmpty(); }
};

// Imports a CSV file into the batch data set: one record per linesPerRecord
// rows of the range, one column per box of `maps` (text, check, picture boxes
// by index), each value evaluated from the box's Map string (EvaluateMap).
// Rows beyond the file's last record give only the literals of their maps.
// On any failure (a range CheckImportRange refuses, a Map string with an entry
// that is no column, a path not ending in .csv, a file that can't be read,
// decoded, or whose quotes don't pair) the data set keeps what it had and the
// error says why.
ImportResult ImportCsvRows(BatchDataSet& set, const QString& path, const ImportRange& range,
                           const ImportMaps& maps, const QString& lineBreakMarker,
                           ProgressReporter& progress);

// The same from the worksheet `sheet` of an .xls or .xlsx workbook; cells read
// as Workbook.h describes.
ImportResult ImportExcelRows(BatchDataSet& set, const QString& path, const QString& sheet,
                             const ImportRange& range, const ImportMaps& maps,
                             const QString& lineBreakMarker, ProgressReporter& progress);

// The text for a Map string entry that names no column.
QString BadMapEntryError(const QString& caption, const QString& entry);

} // namespace slip
