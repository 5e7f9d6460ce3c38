#include "storage/Compaction.h"

#include "core/DataFolder.h"
#include "storage/DatabaseCipher.h"
#include "storage/SavedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

namespace slip {

namespace {

std::atomic<quint64> g_compactConnections{0};

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
bool ConnectionOpenOn(const QString& path)
{
    const QStringList names = QSqlDatabase::connectionNames();
    for (const QString& name : names) {
        const QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isValid() && db.isOpen() && SameFile(db.databaseName(), path)) return true;
    }
    return false;
}

const char* const kSideFiles[] = {"-journal", "-wal", "-shm"};

// A journal beside the file belongs to the file now in place; it must not be
// replayed into the compacted one.
bool JournalPresent(const QString& path)
{
    for (const char* suffix : kSideFiles)
        if (QFileInfo::exists(path + QLatin1String(suffix))) return true;
    return false;
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
    const QString name = QStringLiteral("slip-compact-%1").arg(++g_compactConnections);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open() || !KeyConnection(db)) {
            error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            ok = q.prepare(sql);
            for (const QVariant& p : params) q.addBindValue(p);
            ok = ok && q.exec();
            if (!ok) error = q.lastError().text();
            if (ok && rows)
                while (q.next()) *rows << q.value(0).toString();
            q.finish();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

QString WithDetail(const QString& what, const QString& detail)
{
    return detail.trimmed().isEmpty() ? what : what + QStringLiteral("：") + detail.trimmed();
}

bool RunSteps(const QString& path, bool backup, const QString& target, Failure& failure, ProgressReporter& progress)
{
    auto fail = [&failure](int number, const QString& description) {
        failure = {number, description};
        return false;
    };

    if (backup) {
        if (const StoreResult copied = SaveCopy(path, GetTempDir() + QStringLiteral("backup.mdb")); !copied)
            return fail(1, WithDetail(QStringLiteral("无法建立数据库的备份"), copied.error));
    }
    progress.Step(1, QStringLiteral("pages"));

    QString why;
    if (!ClearWithJournals(target, why)) return fail(2, WithDetail(QStringLiteral("无法删除旧的临时文件"), why));

    QString error;
    if (!WriteEncryptedCopy(path, true, target, error))
        return fail(3, WithDetail(QStringLiteral("无法写出压缩后的数据库"), error));

    QStringList check;
    if (!RunOn(target, QStringLiteral("PRAGMA integrity_check"), {}, error, &check)
        || check != QStringList{QStringLiteral("ok")})
        return fail(4, WithDetail(QStringLiteral("压缩后的数据库已损坏"),
                                  error.isEmpty() ? check.join(QLatin1Char(' ')) : error));
    progress.Step(1, QStringLiteral("pages"));

    if (ConnectionOpenOn(path) || JournalPresent(path)) return fail(5, QStringLiteral("数据库正在使用中"));
    if (const StoreResult copied = SaveCopy(target, path); !copied)
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
    const QString target = GetTempDir() + QStringLiteral("TEMP.mdb");
    Failure failure;
    const bool done = RunSteps(path, backup, target, failure, progress);
    // The compacted copy is worthless once it is back in place, or when a
    // step failed; leaving it would only fill the disk.
    QString ignored;
    ClearWithJournals(target, ignored);
    progress.End();
    if (!done)
        return StoreResult::Failed(QStringLiteral("数据库压缩失败（") + QString::number(failure.number)
                                   + failure.description + QStringLiteral("）！"));
    return StoreResult::Ok();
}

StoreResult CompactAppDatabase(ProgressReporter& progress) { return CompactDatabase(DatabasePath(), true, progress); }

} // namespace slip
