#pragma once
#include "core/ProgressReporter.h"
#include "storage/StoreResult.h"

#include <QString>

namespace slip {

// The system's folder for temporary files with a trailing "/"; "" when there
// is none, so that names then stand for files in the current folder.
QString GetTempDir();

// Compacts the database file at path: with backup, a plain copy goes to
// "backup.mdb" in the temporary folder first; the database is written
// compacted into "TEMP.mdb" there, checked, and copied back over the database
// in one step (the old file stays whole until the new one is complete).
// TEMP.mdb and its journal are cleared before and after, also after a
// failure, so a full disk or a killed run leaves nothing that a later run
// could take for its own. On any failure the database file stays as it was and
// the error is "数据库压缩失败（<number><description>）！". A missing file gives
// "没有找到要压缩的数据库文件！". Ok when the database was replaced.
StoreResult CompactDatabase(const QString& path, bool backup, ProgressReporter& progress = NoProgress());

// The program's own database, with the backup.
StoreResult CompactAppDatabase(ProgressReporter& progress = NoProgress());

} // namespace slip
