#pragma once
#include "storage/StoreResult.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

namespace slip {

class DbConnection;

// The scanned pictures of blank slips, one file per format in the data folder.
namespace BackgroundStore {

// The format's name as a file of the data folder, without ending: each of
// * ? < > / \ : | " becomes 0 to 8 in that order. An export of the format is
// offered under it ("建行/进账单" as 建行4进账单), and its picture is named from it.
QString FormatFileBase(const QString& formatName);

// The picture file of a format: FormatFileBase and ".jpg". A name with any of
// those characters gets a mark of the exact name before the ending, so that
// "Q/S" and a format literally named "Q4S" never share a file.
QString PicturePath(const QString& formatName);
// The file that holds the format's picture now ("" when it has none).
QString ExistingPicture(const QString& formatName);
bool HasPicture(const QString& formatName);
// The stored formats whose picture a file at `path` is, or becomes once
// written there, `except` left out: the format whose own picture name it
// bears, else every format that has none under its own and bears it under
// the old rule (names that map alike share it: "A1B?" and "A?B1" both
// A1B1.jpg). None for a file outside the data folder.
QStringList PictureOwners(const QString& path, const QString& except);
// The files there that Replace writes over or Remove removes for the format:
// its picture under its own name, and one under the old rule while that
// counts as its.
QStringList PictureFiles(const QString& formatName);

// The picture of a format, or a null image when it has none.
QImage Load(const QString& formatName);

// True for a file a format's picture may be taken from: its name ends in
// ".jpg" in any case (".jpeg" and every other ending are not taken).
bool IsPictureFileName(const QString& chosenFile);

// Puts the chosen .jpg file in place of the format's picture, byte for byte.
// The file is read as a picture first, so a file that is none never replaces
// a good picture; the new file is complete before it takes the old one's
// place. A picture put there for a format whose rows are not stored yet goes
// again at SettleChanges (at the latest the next start) when they never
// come. A failure changes neither the picture nor the database.
StoreResult Replace(const QString& formatName, const QString& chosenFile);
// Removes the format's picture. Ok when it had none.
StoreResult Remove(const QString& formatName);

// A format's picture changes together with its rows: the new picture is
// written whole beside the pictures first, the change is noted in the
// transaction that writes the rows, and only after the commit the picture
// takes its place. A kill at any moment leaves the old rows with the old
// picture or the new rows with the new one (settled at the next start).
struct StagedPicture {
    QString file;  // the staged file's name in the data folder; "" = no picture
};
// Stages a copy of fromFormat's picture (no picture when it has none).
StoreResult StageCopyOf(const QString& fromFormat, StagedPicture& out);
// Stages "no picture".
StagedPicture StageNone();
// Removes a staged file whose change was never noted (the save failed).
void Discard(const StagedPicture& staged);
// Notes, within conn's transaction, that the format's picture becomes staged.
bool NoteChange(DbConnection& conn, const QString& formatName, const StagedPicture& staged);
// Puts the noted pictures of a format in place and forgets the notes; a
// failure keeps the note for the next start.
StoreResult SettleChanges(const QString& formatName);
// At start: settles every noted change, and clears what killed runs left:
// staged files no note names, pictures put in place for a format that never
// got its rows.
void SettleAllChanges();

// How a preview shows a picture of pictureSize in a frame: the image height
// at the frame's width, and the scroll maximum (0: no scrolling).
struct PreviewLayout {
    double imageHeight = 0;
    bool scrollEnabled = false;
    int scrollMax = 0;
};
PreviewLayout ComputePreviewLayout(const QSize& pictureSize, double frameWidth, double frameHeight);

} // namespace BackgroundStore

} // namespace slip
