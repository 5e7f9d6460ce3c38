#pragma once
#include "core/ProgressReporter.h"
#include "storage/StoreResult.h"

#include <QString>

namespace slip {

// The system's folder for temporary files with a trailing "/"; "" when there
// is none, so that names then stand for files in the current folder.
QString GetTempDir();

// Compacts the database file at path. The files live in a folder of the
// user's own inside the temporary folder (0700, one per user and database,
// never a folder or link someone else put there), so no other user or run
// reads or takes them: with backup, a plain copy goes to "backup.mdb" there
// first (readable by its owner only); the database is written compacted into
// "TEMP.mdb" there (likewise), checked, and copied back over the database in
// one step (the old file stays whole until the copy is on the disk whole and
// has passed the same check). The database's write lock is held throughout: a
// file another connection holds is "in use", a journal SQLite ignores is not;
// a lock refused for another reason tells it (a damaged file, a full disk,
// no right to write). TEMP.mdb and its journal are
// cleared before and after, also after a failure. On any failure the database
// file stays as it was and the error is "数据库压缩失败（<number><reason>）！",
// the reason in Chinese with the system's text in brackets. A missing file
// gives "没有找到要压缩的数据库文件！". Ok when the database was replaced.
StoreResult CompactDatabase(const QString& path, bool backup, ProgressReporter& progress = NoProgress());

// The program's own database, with the backup.
StoreResult CompactAppDatabase(ProgressReporter& progress = NoProgress());

// Start-up's part: removes the compacted copy "TEMP.mdb" (and its journals)
// that a compaction of the database at path killed midway left in its
// folder, where it would take as much room as the database until the next
// compaction. "backup.mdb" stays. A folder that is not the user's own is
// left alone, and none is made.
void ClearCompactionLeftovers(const QString& path);

} // namespace slip
