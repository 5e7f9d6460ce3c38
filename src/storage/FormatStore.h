#pragma once
#include "core/ProgressReporter.h"
#include "model/SlipFormat.h"
#include "storage/StoreResult.h"

#include <QHash>
#include <QStringList>
#include <optional>
#include <vector>

namespace slip {

class DbConnection;

// A format as read from the database.
struct StoredFormat {
    FormatHeader header;
    std::vector<Box> boxes;
    bool hasHeader = false;  // a format without header record keeps the settings it was given
};

// Formats in the database: their header, state and box records, defaults.
// Every operation opens its own connection; changes of several rows happen in
// one transaction. Nothing here talks to the operator: failures come back as
// the text to show.
namespace FormatStore {

// Whether a name can be a format's name: not empty or blank, no blanks at
// either end, no "｜" (the chooser's separator), no line break or NUL, and
// nothing the database can't give back as typed (half of a surrogate pair,
// U+FFFE or U+FFFF: read back changed, the name would no longer find its
// own records). A U+FEFF anywhere is kept as typed. The text to show when it
// can't, else "".
QString NameProblem(const QString& name);
// A name the operator gives a format now (new, save-as, import): as
// NameProblem, and its picture's file name must fit the file system. Names
// stored before keep working.
QString NewNameProblem(const QString& name);

// True when any record of the format exists.
bool Exists(const QString& name);

// Reads a format. Settings missing from its header (or a missing header)
// keep the values of `base`; a slip size still not usable (SlipSizeUsable)
// becomes kNewSlipWidthMm × kNewSlipHeightMm. Font sizes are scaled from the
// screen the format was saved on to one of screenWidthTwips. A record of no
// known kind is skipped.
StoreResult Load(const QString& name, int screenWidthTwips, const FormatHeader& base, StoredFormat& out);

// What a save writes together with the boxes.
struct SaveWith {
    // The format's values become its defaults.
    bool defaults = false;
    // A format that has no picture gets a copy of this format's; a picture
    // it has stays, as does no picture when this format has none. Without
    // it the picture stays as it is.
    std::optional<QString> pictureOf;
};

// Writes the format under `name` in one transaction: records of removed boxes
// go, every box is written (with asNew each as a new record), references
// settle on the final record IDs, the header record is written anew, and
// what `with` asks for is written in the same transaction: a kill at any
// moment leaves the old format or the new one, each with its own defaults
// and picture. On success oldToNew tells which box got which record ID; on
// failure nothing in the database or the pictures has changed. A slip size
// that is not usable (SlipSizeUsable) is refused. A picture that can't be
// copied leaves the format without one: the save is Ok then, and the
// result's error says so. `progress` steps once per box and once for the
// rest.
StoreResult Save(const SlipFormat& format, const QString& name, bool asNew, int screenWidthTwips,
                 QHash<BoxId, BoxId>& oldToNew, const SaveWith& with = {},
                 ProgressReporter& progress = NoProgress());

// Deletes a format with its history and import mapping, in one transaction.
// Its default values and its picture stay.
// Fails when the format does not exist.
StoreResult Delete(const QString& name);

// Gives formats without a usable header record what a new format has: older
// versions imported files without one and stored none, and saved such a
// format at 0 × 0 when it had been the first opened. A missing header is
// written as a new format's save writes it: the size kNewSlipWidthMm ×
// kNewSlipHeightMm, FormatHeader's other settings, and screenWidthTwips as the
// screen its fonts are sized for; a header of no usable size gets that size.
// The format is then listed, opens on a slip it can be shown at and travels
// in an exchange file that brings its fonts back at their sizes. name ""
// mends every format. Everything in one transaction, its own or conn's; a
// failure tells the statement that failed and (in its own) changes nothing.
StoreResult MendHeaders(int screenWidthTwips, const QString& name = QString(), DbConnection* conn = nullptr);

// The last format and the first three switches of the state record. A read
// that failed answers "" and leaves the switches; error (when given) then
// receives what to tell the operator.
QString LoadCurrentFormatState(SlipOptions& options, QString* error = nullptr);
StoreResult SaveCurrentFormatState(const QString& name, const SlipOptions& options);

// Default values of a format's boxes, as stored: a box takes one through
// SlipFormat::SetStoredValue (older versions stored line breaks as the
// line-break marker). A read that failed answers none, and error (when
// given) receives "数据库打开错误(" + the statement + ")！"; "" otherwise.
QHash<BoxId, QString> LoadDefaults(const QString& name, QString* error = nullptr);
// Replaces the defaults of a format with the non-empty values of its text,
// check and picture boxes as the boxes hold them (line breaks as CR LF), in
// one transaction; a box not saved yet (temporary ID) has none. A failure changes nothing and tells the statement that
// failed, as a failed read does.
StoreResult SaveDefaults(const SlipFormat& format, const QString& name);

} // namespace FormatStore

} // namespace slip
