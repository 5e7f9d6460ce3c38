#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace slip {

// The one message an operator sees when a CSV file can't be imported.
inline QString CsvImportError() { return QStringLiteral("CSV文件导入错误！"); }

// Records of a CSV text, in file order. Record i (from 1) is element i - 1.
// An empty physical line is an empty record (no fields) and keeps its place,
// so the numbers the operator reads in the preview are the numbers the import
// uses.
struct CsvRecords {
    QVector<QStringList> records;
    // Set when a quoted field is still open at the end of the text: the
    // physical line (from 1) on which the broken record starts. The record
    // itself is then the last element, holding the fields read so far.
    std::optional<int> unclosedQuoteLine;
};

// Splits CSV text into records (RFC 4180):
// - fields are separated by ",", records by CR LF, LF or a lone CR;
// - a field that starts with a double quote runs to the matching closing
//   quote; inside it commas, CR LF and LF are data and "" is one quote; so
//   a,"",b is three fields with an empty middle one;
// - a quote inside an unquoted field, or text after a closing quote, is kept
//   as data (as spreadsheet programs read such lines);
// - fields are not trimmed; a trailing comma gives an empty last field; a last
//   line without a line end is a record like the others.
// maxRecords > 0 stops after that many records (the preview).
CsvRecords ParseCsv(const QString& text, int maxRecords = 0);

// The text of a CSV file's bytes: UTF-8 when the bytes are valid UTF-8 (a byte
// order mark is dropped), otherwise GBK (read as GB18030, its superset). No
// value when the bytes are neither, or look like a binary file (NUL bytes or
// other control characters than Tab, CR, LF, form feed and end-of-file).
std::optional<QString> DecodeCsvBytes(const QByteArray& bytes);

// A whole CSV file read for the import.
struct CsvFile {
    QString error;  // "" when read; else the text for the operator
    QVector<QStringList> records;
    bool ok() const { return error.isEmpty(); }
};

// Reads and splits a whole file. A missing, unreadable, undecodable or binary
// file gives CsvImportError() and no records; a quote left open at the end
// gives an error naming the line on which that record starts, and no records
// (an open quote would otherwise swallow the rest of the file unseen).
CsvFile ReadCsvRecords(const QString& path);

// The first records of a file for the mapping dialog's preview: at most
// maxRows records of at most maxColumns fields each (fields beyond are
// dropped). Only the start of the file that holds them is read. A record
// whose quote is still open where the reading stops shows the fields read so
// far and ends the preview. A file that can't be read, decoded or looks binary
// gives CsvImportError() and no rows.
CsvFile ReadCsvPreview(const QString& path, int maxRows = 19, int maxColumns = 59);

} // namespace slip
