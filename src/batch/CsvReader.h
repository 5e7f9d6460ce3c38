#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>
#include <vector>

namespace slip {

// The one message an operator sees when a CSV file can't be imported.
inline QString CsvImportError() { return QStringLiteral("CSV文件导入错误！"); }

// A control character no text file holds outside a quoted field: any below
// U+0020 but Tab, LF, form feed and CR. A CSV file with one elsewhere is
// taken for a binary file; the export quotes a value that holds one.
constexpr bool IsCsvControl(char32_t c)
{
    return (c < 0x20) & (c != u'\t') & (c != u'\n') & (c != u'\f') & (c != u'\r');
}

// How CSV text is read (RFC 4180):
// - fields are separated by ",", records by CR LF, LF or a lone CR;
// - a field that starts with a double quote runs to the matching closing
//   quote; inside it commas, CR LF and LF are data and "" is one quote; so
//   a,"",b is three fields with an empty middle one;
// - a quote inside an unquoted field, or text after a closing quote, is kept
//   as data (as spreadsheet programs read such lines);
// - fields are not trimmed; a trailing comma gives an empty last field; a last
//   line without a line end is a record like the others.
//
// A CSV text's records held as the places where they start in the one text:
// a field is cut out only when it is asked for, so the records take four
// bytes each beside the text, whatever their fields.
class CsvTable {
public:
    CsvTable() = default;
    // Finds the records of the text. lastRecord > 0 stops once record
    // lastRecord is whole: the text after it is never looked at.
    explicit CsvTable(QString text, qsizetype lastRecord = 0);

    qsizetype RecordCount() const { return qsizetype(starts_.size()); }
    // Set when a quoted field is still open at the end of the text: the
    // physical line (from 1) on which the broken record starts. The record
    // itself is then the last one, holding the fields read so far.
    std::optional<int> UnclosedQuoteLine() const { return unclosedQuoteLine_; }
    // The fields of record `record` (from 1), at most maxColumns of them when
    // maxColumns >= 0; an empty line has none; no fields beyond the last record.
    QStringList Record(qsizetype record, int maxColumns = -1) const;
    // Where the fields of a record start in the text, at most maxColumns of
    // them; with FieldAt, a caller that reads several fields of one record
    // walks the record once.
    std::vector<quint32> FieldStarts(qsizetype record, int maxColumns) const;
    // The field's value; a U+FEFF or NUL in it is dropped (see ReadCsvRecords).
    QString FieldAt(quint32 start) const;

private:
    QString text_;
    bool holdsNoData_ = false;  // a U+FEFF or NUL stands somewhere in the text
    std::vector<quint32> starts_;
    std::optional<int> unclosedQuoteLine_;
};

// A CSV file's records for the preview: at most the rows shown.
struct CsvFile {
    QString error;  // "" when read; else the text for the operator
    // "" unless the operator must know more of how the file is read: when it
    // mixes UTF-8 lines with GBK ones, CsvMixedEncodingNotice().
    QString notice;
    QVector<QStringList> records;
    bool ok() const { return error.isEmpty(); }
};

// A whole CSV file read for the import.
struct CsvFileTable {
    QString error;  // "" when read; else the text for the operator
    CsvTable table;
    bool ok() const { return error.isEmpty(); }
};

// Most memory the reader may take for one file: its decoded text (two bytes
// a character) and four bytes a record. A file that would need more is
// refused with CsvTooLargeError() before it fills the memory.
inline constexpr qint64 kCsvMemoryBound = 768LL * 1024 * 1024;
inline QString CsvMixedEncodingNotice(int utf8Line)
{
    return QStringLiteral("此文件中既有UTF-8编码的行（如第%1行），也有GBK编码的行。导入时全文件按GBK读入，"
                          "UTF-8编码的行将成为乱码，请核对预览；宜将文件另存为同一种编码后再导入。")
        .arg(utf8Line);
}
inline QString CsvTooLargeError()
{
    return CsvImportError() + QStringLiteral("文件太大，超出程序可用的内存，无法读入。");
}

// How a CSV file's bytes are read, by the preview and the import alike: the
// whole file decides one encoding for all its lines, so the preview shows
// what the import stores. UTF-8 when all its bytes are valid UTF-8 (a byte
// order mark is dropped, and a file with the mark must be UTF-8), otherwise
// GBK (read as GB18030, its superset, else as GBK for its one-byte euro
// sign). A file that holds lines of Chinese text in UTF-8 beside lines that
// are not UTF-8 is read as GBK all the same, its UTF-8 lines garbled, and the
// preview tells the operator so (guessing line by line would garble GBK lines
// that happen to be valid UTF-8, unseen). A U+FEFF is dropped from every
// field, wherever it stands in it: a byte-order mark left where files were
// joined. It is dropped once the fields are split, so a quote after it is
// data as after any other character. A DOS end-of-file mark (0x1A) as the
// last byte is no data. A file with a NUL byte or another control character
// (IsCsvControl) outside a quoted field is taken for a binary file and not
// read; inside one it is data, as the export writes a value that holds one,
// but for a NUL, which is dropped as U+FEFF is (DropNuls).
//
// Reads a whole file and finds its records (up to record lastRecord when
// lastRecord > 0), the file read and decoded a piece at a time into one text.
// A missing, unreadable, undecodable or binary file gives CsvImportError()
// and no records; a quote left open at the end gives an error naming the line
// on which that record starts, and no records (an open quote would otherwise
// swallow the rest of the file unseen); a file beyond the memory bound gives
// CsvTooLargeError().
CsvFileTable ReadCsvRecords(const QString& path, qsizetype lastRecord = 0);

// The first records of a file for the mapping dialog's preview, numbered as
// the import numbers them: at most maxRows records of at most maxColumns
// fields each (the fields beyond are passed over, never built). The whole
// file is looked over once, a piece at a time, for its encoding (read again
// only when its first megabyte is UTF-8 and a later part isn't, or when
// GB18030 can't read it); of its bytes only the start that holds the
// records shown is kept, whatever its line ends, and never more than
// kCsvPreviewBytes. A record still open where the reading stops (a quote not
// closed, or a line longer than the preview reads) shows the fields read so
// far and ends the preview. A file the import would refuse as unreadable,
// undecodable or binary gives CsvImportError() and no rows.
inline constexpr qint64 kCsvPreviewBytes = 16LL * 1024 * 1024;
CsvFile ReadCsvPreview(const QString& path, int maxRows = 19, int maxColumns = 59);

} // namespace slip
