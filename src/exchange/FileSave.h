#pragma once
#include <QByteArray>
#include <QString>

namespace slip {

// Steps of a save through a temporary file; a failed save answers the
// negative number of the step that failed.
enum SaveStep {
    kSaved = 1,
    kStaleTempNotRemoved = -1,   // a temporary file left by an earlier run could not be deleted
    kTempNotCreated = -3,        // the temporary file could not be created (folder missing, no rights)
    kDataNotWritten = -6,        // writing or flushing the data failed (disk full)
    kNotPutInPlace = -7,         // the finished file could not take the target's place
};

// Writes data to `tempPath` beside the target, forces it to disk, then renames
// it over `path` in one step, so a reader sees either the old file or the
// whole new one. The old file is untouched unless the new data is complete;
// a failure removes the temporary file. An empty tempPath means path + ".TMP".
// On success the file is checked to be there; *error (when given) receives a
// text for the operator on failure.
int SaveFileThroughTemp(const QByteArray& data, const QString& path, const QString& tempPath = {},
                        QString* error = nullptr);

// Copies `source` to `target` through a temporary file beside the target in
// the same way, reading in pieces so a large database is never held in memory.
// An existing target is never replaced (false, with an error text).
bool CopyFileNoReplace(const QString& source, const QString& target, QString* error = nullptr);

} // namespace slip
