#include "storage/Compaction.h"

#include "core/CommonHelpers.h"
#include "core/DataFolder.h"
#include "storage/Database.h"
#include "storage/DatabaseCipher.h"
#include "storage/FileConnection.h"
#include "storage/SavedFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <cerrno>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace slip {

namespace {

struct Failure {
    int number = 0;
    QString description;
};

bool SameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty()) return ca == cb;
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

// A connection of this process still open on the file would keep writing
// into the replaced file's pages after the swap.
bool ConnectionOpenOn(const QString& path, const QString& except)
{
    const QStringList names = QSqlDatabase::connectionNames();
    for (const QString& name : names) {
        if (name == except) continue;
        const QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isValid() && db.isOpen() && SameFile(db.databaseName(), path)) return true;
    }
    return false;
}

const char* const kSideFiles[] = {"-journal", "-wal", "-shm"};

// Why SQLite refused the connection its last statement, in the operator's
// words: the file is in use, damaged, or can't be opened (a full disk, a
// journal left by a killed writer that can't be played back, no right to
// write), with the system's reason where SQLite had one from the system, else
// SQLite's own text.
QString RefusalOf(const FileConnection& conn)
{
    const QSqlError& failure = conn.failure();
    const int code = failure.nativeErrorCode().toInt() & 0xFF;
    QString detail = failure.databaseText();
    if (code == SQLITE_IOERR || code == SQLITE_CANTOPEN)
        if (sqlite3* const db = SqliteHandle(conn.db()))
            if (const int error = sqlite3_system_errno(db); error > 0) detail = SystemText(error);
    switch (code) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("数据库正在使用中");
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return WithSystemText(QStringLiteral("数据库文件已损坏"), detail);
    case SQLITE_FULL:
        return WithSystemText(QStringLiteral("磁盘空间不足，无法打开数据库"), detail);
    default:
        return WithSystemText(QStringLiteral("无法打开数据库"), detail);
    }
}

// The database's write lock, held from before the backup until the swap:
// SQLite alone tells whether the file is in use (another connection's
// lock), and on taking the lock it rolls back what a killed writer left in
// a hot journal. A journal it ignores (an emptied header) is no use.
class WriteLock {
public:
    explicit WriteLock(const QString& path) : conn_(path, 250)
    {
        QSqlDatabase db = conn_.db();
        held_ = conn_.ok() && KeyConnection(db) && conn_.Run(QStringLiteral("BEGIN IMMEDIATE"));
        if (!held_) why_ = RefusalOf(conn_);
    }
    ~WriteLock()
    {
        if (held_) conn_.Run(QStringLiteral("ROLLBACK"));
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;
    bool Held() const { return held_; }
    // Why it is not held (RefusalOf).
    const QString& Why() const { return why_; }
    const QString& ConnectionName() const { return conn_.Name(); }

private:
    FileConnection conn_;
    bool held_ = false;
    QString why_;
};

// The compaction's folder in the temporary folder: one per user and
// database, the user's alone (0700). A folder of that name that is not a
// folder of this user (a link, someone else's) is never used.
QString FolderOf(const QString& databasePath)
{
    const QByteArray mark = QCryptographicHash::hash(QFileInfo(databasePath).absoluteFilePath().toUtf8(),
                                                     QCryptographicHash::Sha256).toHex().left(16);
    return GetTempDir() + QStringLiteral("slipprint-%1-%2").arg(::getuid()).arg(QString::fromLatin1(mark));
}

bool OwnFolder(const QByteArray& name, struct stat& st)
{
    return ::lstat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

bool PrivateFolder(const QString& databasePath, QString& folder, QString& why)
{
    folder = FolderOf(databasePath);
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
        why = QStringLiteral("无法建立临时文件夹“") + QDir::toNativeSeparators(folder) + QStringLiteral("”（")
              + SystemText(errno) + QStringLiteral("）");
        return false;
    }
    struct stat st {};
    if (!OwnFolder(name, st)) {
        why = QStringLiteral("临时文件夹“") + QDir::toNativeSeparators(folder) + QStringLiteral("”不是当前用户自己的文件夹");
        return false;
    }
    if ((st.st_mode & 077) != 0 && ::chmod(name.constData(), 0700) != 0) {
        why = QStringLiteral("无法设置临时文件夹的权限（") + SystemText(errno) + QStringLiteral("）");
        return false;
    }
    folder += QLatin1Char('/');
    return true;
}

// Removes a file and its journals; false when one is still there.
bool ClearWithJournals(const QString& path, QString& why)
{
    bool ok = true;
    QStringList files{path};
    for (const char* suffix : kSideFiles) files << path + QLatin1String(suffix);
    for (const QString& f : files) {
        QFile file(f);
        if ((file.exists() || QFileInfo(f).isSymLink()) && !file.remove()) {
            why = file.errorString();
            ok = false;
        }
    }
    return ok;
}

// Runs one statement on a connection of its own to `file`, closed on return.
// False with the error text when it failed; `rows` receives the first column.
bool RunOn(const QString& file, const QString& sql, const QVariantList& params, QString& error,
           QStringList* rows = nullptr)
{
    FileConnection conn(file);
    QSqlDatabase db = conn.db();
    const bool ok = conn.ok() && KeyConnection(db) && conn.Run(sql, params, rows);
    if (!ok) error = conn.error().isEmpty() ? db.lastError().text() : conn.error();
    return ok;
}

// A database that opens with the program's key and passes SQLite's whole
// check; why tells what failed.
bool SoundDatabase(const QString& file, QString& why)
{
    QStringList check;
    QString error;
    if (RunOn(file, QStringLiteral("PRAGMA integrity_check"), {}, error, &check) && check == QStringList{QStringLiteral("ok")})
        return true;
    why = error.isEmpty() ? check.join(QLatin1Char(' ')) : error;
    return false;
}

// A reason followed by the program's own message about it.
QString WithDetail(const QString& what, const QString& detail)
{
    return detail.trimmed().isEmpty() ? what : what + QStringLiteral("：") + detail.trimmed();
}

bool RunSteps(const QString& path, bool backup, const QString& folder, Failure& failure, ProgressReporter& progress)
{
    auto fail = [&failure](int number, const QString& description) {
        failure = {number, description};
        return false;
    };

    const WriteLock lock(path);
    if (!lock.Held()) return fail(5, lock.Why());
    if (ConnectionOpenOn(path, lock.ConnectionName())) return fail(5, QStringLiteral("数据库正在使用中"));

    if (backup) {
        if (const StoreResult copied = SaveCopy(path, folder + QStringLiteral("backup.mdb"), FileAccess::OwnerOnly); !copied)
            return fail(1, WithDetail(QStringLiteral("无法建立数据库的备份"), copied.error));
    }
    progress.Step(1, QStringLiteral("pages"));

    const QString target = folder + QStringLiteral("TEMP.mdb");
    QString why;
    if (!ClearWithJournals(target, why)) return fail(2, WithSystemText(QStringLiteral("无法删除旧的临时文件"), why));
    if (!CreateOwnerOnlyFile(target, why)) return fail(3, WithSystemText(QStringLiteral("无法建立临时文件"), why));

    QString error;
    if (!WriteEncryptedCopy(path, true, target, error))
        return fail(3, WithSystemText(QStringLiteral("无法写出压缩后的数据库"), error));

    if (!SoundDatabase(target, why)) return fail(4, WithSystemText(QStringLiteral("压缩后的数据库已损坏"), why));
    progress.Step(1, QStringLiteral("pages"));

    if (ConnectionOpenOn(path, lock.ConnectionName())) return fail(5, QStringLiteral("数据库正在使用中"));
    // The copy takes the database's place only once it has passed the same
    // check on the disk: a copy cut short by a full disk leaves the old file.
    if (const StoreResult copied = SaveCopy(target, path, FileAccess::Usual, SoundDatabase); !copied)
        return fail(5, WithDetail(QStringLiteral("无法替换数据库文件"), copied.error));
    return true;
}

} // namespace

QString GetTempDir()
{
    QString dir = QDir::tempPath();
    if (dir.isEmpty()) return {};
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}

StoreResult CompactDatabase(const QString& path, bool backup, ProgressReporter& progress)
{
    if (!QFileInfo(path).isFile()) return StoreResult::Failed(QStringLiteral("没有找到要压缩的数据库文件！"));
    progress.Start(QStringLiteral("开始压缩数据库……"), 3);
    Failure failure;
    QString folder, why;
    bool done = false;
    if (!PrivateFolder(path, folder, why)) {
        failure = {2, why};
    } else {
        done = RunSteps(path, backup, folder, failure, progress);
        // The compacted copy is worthless once it is back in place, or when a
        // step failed; leaving it would only fill the disk.
        QString ignored;
        ClearWithJournals(folder + QStringLiteral("TEMP.mdb"), ignored);
    }
    progress.End();
    if (!done)
        return StoreResult::Failed(QStringLiteral("数据库压缩失败（") + QString::number(failure.number)
                                   + failure.description + QStringLiteral("）！"));
    return StoreResult::Ok();
}

StoreResult CompactAppDatabase(ProgressReporter& progress) { return CompactDatabase(DatabasePath(), true, progress); }

void ClearCompactionLeftovers(const QString& path)
{
    const QString folder = FolderOf(path);
    struct stat st {};
    if (!OwnFolder(QFile::encodeName(folder), st)) return;
    QString ignored;
    ClearWithJournals(folder + QStringLiteral("/TEMP.mdb"), ignored);
}

} // namespace slip
