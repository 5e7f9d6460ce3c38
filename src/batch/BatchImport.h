#pragma once
#include "batch/BatchDataSet.h"
#include "batch/ImportMap.h"
#include "core/ProgressReporter.h"

#include <QString>
#include <functional>

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
// file or sheet (from 1, both included; a row below 1 reads nothing),
// linesPerRecord rows making one record.
struct ImportRange {
    int startRow = 2;
    int endRow = 100;
    int linesPerRecord = 1;
};

// Most rows one import takes.
inline constexpr int kMaxImportRows = 30000;

// "" when the range can be imported; else the text for the operator: more
// than kMaxImportRows rows. Lines per record below 1 are the import's to
// refuse, with the message of the file's kind.
QString CheckImportRange(const ImportRange& range);

// The range from the texts of the mapping dialog's three boxes: each read as
// the number it starts with (0 when none) and rounded to a whole number; an
// end row above the start row is swapped with it.
ImportRange ImportRangeFromTexts(const QString& startRow, const QString& endRow,
                                 const QString& linesPerRecord);

// The number of records: the rows divided by lines per record, rounded up (the
// last record may be short and then reads rows below the end row). 0 for
// lines per record below 1.
int RecordCount(const ImportRange& range);

// The first source row of record k (from 1).
inline qint64 RecordFirstRow(const ImportRange& range, int record)
{
    return qint64(range.startRow) + qint64(record - 1) * range.linesPerRecord;
}

// "未知错误，错误号： 11　请检查输入值！": the text for an error without a
// message of its own, the number with a blank (or its minus sign) before it.
QString UnknownErrorText(int number);

// What an import read: the batch's columns and records, to be put into the
// batch data set at once, or why nothing was read.
struct ImportResult {
    QString error;           // "" after a complete import
    QVector<BatchColumn> columns;
    QVector<QStringList> records;
    bool ok() const { return error.isEmpty(); }
};

// Told on the import's thread, while it goes on, of the records just made
// (`count` of them from `records`, the first being record `from` counted
// from 0; a thousand or so at a time, in order): they may be copied, not
// kept, as the import goes on moving them.
using RecordsMade = std::function<void(int from, const QStringList* records, int count)>;

// Reads a CSV file for the batch data set: one record per linesPerRecord
// rows of the range, one column per box of `maps` (text, check, picture boxes
// by index), each value evaluated from the box's Map string (EvaluateMap).
// Rows beyond the file's last record give only the literals of their maps.
// Lines per record below 1, a path not ending in .csv, a file that can't be
// read, decoded, or whose quotes don't pair give an error. Runs on any
// thread; `made` is told of the records as they are made.
ImportResult ImportCsvRows(const QString& path, const ImportRange& range, const ImportMaps& maps,
                           const QString& lineBreakMarker, ProgressReporter& progress,
                           const RecordsMade& made = {});

// The same from the worksheet `sheet` of an .xls or .xlsx workbook; cells read
// as Workbook.h describes. Lines per record below 1 give UnknownErrorText(11).
ImportResult ImportExcelRows(const QString& path, const QString& sheet, const ImportRange& range,
                             const ImportMaps& maps, const QString& lineBreakMarker,
                             ProgressReporter& progress, const RecordsMade& made = {});

} // namespace slip
