#pragma once
#include <QString>
#include <QStringList>
#include <QVector>

namespace slip {

// One text, check or picture box of the current format as an import sees it.
struct ImportBox {
    qint32 recordId = 0;  // the box's record ID (stable while boxes come and go)
    int boxIndex = 0;     // class × 1000 + n
    QString caption;      // the text of the box's caption label
    QString map;          // the operator's Map string for it ("" = not imported)
};

// The Map strings of the three box classes that take values, each in index order.
struct ImportMaps {
    QVector<ImportBox> textBoxes;
    QVector<ImportBox> checkBoxes;
    QVector<ImportBox> pictureBoxes;
};

// The boxes of all three classes in one list, in the order of the batch data
// set's columns: text boxes, then check boxes, then picture boxes, each class
// by box index.
QVector<ImportBox> MergeMapArrays(const ImportMaps& maps);

// Puts a typed Map string into its plain form: full-width quotes “ ” and the
// full-width comma "，" become their ASCII forms, blanks at both ends go, and
// then one leading and one trailing comma are dropped (",A," is "A").
QString NormalizeMapString(QString map);

// Whether a box with this Map string is filled by an import: any Map string
// but an empty or blank one ("空着表示不导入"), even one whose entries name no
// column ("ABC", "A+1+1", "+1"), which then empties the box on every record.
inline bool MapsTheBox(const QString& map) { return !map.trimmed().isEmpty(); }

// One entry of a Map string: a literal text, or a column of the source with a
// row offset ("B" column 2 offset 0; "A+1" column 1 of the next row).
struct MapEntry {
    bool literal = false;
    QString text;       // the literal
    int column = 0;     // from 1; 0 names no column and gives nothing
    double offset = 0;  // rows below the record's first row
};

// The entries of a normalised Map string, split on commas outside double
// quotes (so a literal may hold a comma). CR and LF inside an entry are
// dropped and blanks around it trimmed. An entry that begins and ends with a
// quote is a literal; any other is a column reference, cut at its last "+"
// into the reference and an offset (the number it starts with, 0 when none),
// the reference's column read by ColumnNumber. An empty reference ("+1", an
// empty entry) names no column, nor does one of three letters or more:
// "A+1+1" reads as "A+1" and gives nothing, while the other entries count.
QVector<MapEntry> ParseMapString(const QString& normalizedMap);

// Where the values of one record come from: a CSV file's records or a sheet's
// cells. Lines and columns count from 1; anything outside the source is "".
class RecordSource {
public:
    virtual ~RecordSource() = default;
    virtual QString Cell(qint64 line, int column) const = 0;
};

// The source line an entry reads for the record whose first line is `line`:
// the whole number nearest to line + offset.
qint64 EntryLine(qint64 line, const MapEntry& entry);

// The value of one box for the record whose first line is `line`: the entries'
// texts joined with no separator; one trailing Tab of the joined value goes
// (cells exported by this program carry one); then every line break (CR LF,
// LF or a lone CR) becomes the line-break marker.
QString EvaluateMap(const QVector<MapEntry>& entries, const RecordSource& source, qint64 line,
                    const QString& lineBreakMarker);

// Line breaks of a value as the line-break marker, the way values are stored.
QString MarkLineBreaks(const QString& text, const QString& lineBreakMarker);

} // namespace slip
