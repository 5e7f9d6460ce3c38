#pragma once
#include "storage/StoreResult.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>

namespace slip {

// The one way the program writes a whole file: through a QSaveFile beside the
// target, renamed over it only when everything went in, so a reader sees the
// old file or the whole new one, never a part. Every write is checked for its
// whole length and the commit (flush, sync, rename) for success; a failure
// leaves the old file and no temporary file behind, and answers
// "文件：“path”无法写入！" with the system's reason.

// What a save answers. notReplaced tells a failure because what is already
// at the path can't be replaced: it is a folder, or the system lets neither a
// new file be made beside it nor put in its place. The old one stays as it was.
struct SavedFileResult : StoreResult {
    bool notReplaced = false;
};

// Who may read the file: its owner only (a file that holds slips, formats or
// parameters), or as usual: a new file as the system makes files, a file
// written over with the permissions of the one it replaces.
enum class FileAccess { Usual, OwnerOnly };

// `fill` writes the content (through WriteWhole); false from it aborts.
SavedFileResult SaveFile(const QString& path, const std::function<bool(QIODevice&)>& fill,
                         FileAccess access = FileAccess::Usual);

// Makes a new, empty file that only its owner can read, from its first byte.
// False (with the system's reason in why) when it can't, or when something
// is already there.
bool CreateOwnerOnlyFile(const QString& path, QString& why);

// Writes all of bytes, or answers false.
bool WriteWhole(QIODevice& out, const QByteArray& bytes);

SavedFileResult SaveBytes(const QString& path, const QByteArray& bytes);

// A copy of the file at source, read in pieces so a large database is never
// held in memory whole; a source that can't be read to its end fails.
SavedFileResult SaveCopy(const QString& source, const QString& path, FileAccess access = FileAccess::Usual);

} // namespace slip
