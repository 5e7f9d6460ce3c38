#pragma once
#include "core/ProgressReporter.h"
#include "storage/StoreResult.h"

#include <QString>
#include <functional>

namespace slip {

// The steps of a compaction, in order.
enum class CompactionStep {
    Backup,       // copy of the database into the temporary folder
    ClearTarget,  // an old compacted file beside the database is removed
    Compact,      // the database is written compacted into that file
    Verify,       // the compacted file is checked before it is used
    Swap,         // the compacted file takes the database's place
};

// Called before each step with the step and the compacted file's path; a
// non-empty answer makes that step fail with it as the description. Tests
// inject failures here; an empty function removes the hook.
using CompactionFaultHook = std::function<QString(CompactionStep step, const QString& targetPath)>;
void SetCompactionFaultHook(CompactionFaultHook hook);

// The system's folder for temporary files with a trailing "/"; "" when there
// is none, so that names then stand for files in the current folder.
QString GetTempDir();

// The compacted copy is written here, beside the database, so that it can
// take the database's place by an atomic rename.
QString CompactionTargetPath(const QString& databasePath);

// Compacts the database file at path: with backup, a plain copy goes to
// "backup.mdb" in the temporary folder first; the compacted copy "TEMP.mdb"
// is written beside the database, checked, and renamed over it. On any
// failure the database file stays as it was, the compacted copy is removed and
// the error is "数据库压缩失败（<number><description>）！". A missing file gives
// "没有找到要压缩的数据库文件！". Ok when the database was replaced.
StoreResult CompactDatabase(const QString& path, bool backup, ProgressReporter& progress = NoProgress());

// The program's own database, with the backup.
StoreResult CompactAppDatabase(ProgressReporter& progress = NoProgress());

} // namespace slip
