#pragma once
#include "core/WholeFile.h"
#include "storage/StoreResult.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>

namespace slip {

// The program's whole-file saves, written by WriteWholeFile (every byte on
// the disk before the new file takes the old one's place); a failure leaves
// the old file and no new one behind, and answers
// "文件：“path”无法写入！（reason）" with the system's reason
// ("No space left on device").

// What a save answers. notReplaced tells a failure because what is already
// at the path can't be replaced: it is a folder, or the system lets neither a
// new file be made beside it nor put in its place (a full disk is not this).
// The old one stays as it was.
struct SavedFileResult : StoreResult {
    bool notReplaced = false;
};

// Who may read the file: its owner only (a file that holds slips, formats or
// parameters), or as usual: a new file as the system makes files, a file
// written over with the permissions of the one it replaces.
enum class FileAccess { Usual, OwnerOnly };

// `fill` writes the content (through WriteWhole); false from it aborts.
// `check`, when given, passes the new file before it goes in place.
SavedFileResult SaveFile(const QString& path, const std::function<bool(QIODevice&)>& fill,
                         FileAccess access = FileAccess::Usual, const WrittenFileCheck& check = {});

// Makes a new, empty file that only its owner can read, from its first byte.
// False (with the system's reason in why) when it can't, or when something
// is already there.
bool CreateOwnerOnlyFile(const QString& path, QString& why);

// Writes all of bytes, or answers false.
bool WriteWhole(QIODevice& out, const QByteArray& bytes);

SavedFileResult SaveBytes(const QString& path, const QByteArray& bytes);

// A copy of the file at source, read in pieces so a large database is never
// held in memory whole; a source that can't be read to its end fails.
SavedFileResult SaveCopy(const QString& source, const QString& path, FileAccess access = FileAccess::Usual,
                         const WrittenFileCheck& check = {});

} // namespace slip
