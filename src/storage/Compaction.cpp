#include "storage/Compaction.h"

#include "core/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace slip {

namespace {

CompactionFaultHook& Hook()
{
    static CompactionFaultHook hook;
    return hook;
}

std::atomic<quint64> g_compactConnections{0};

struct Failure {
    int number = 0;
    QString description;
};

QString Injected(CompactionStep step, const QString& target)
{
    return Hook() ? Hook()(step, target) : QString();
}

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

// A journal beside the file belongs to the file now in place; it must not be
// replayed into the compacted one.
bool JournalPresent(const QString& path)
{
    for (const char* suffix : {"-journal", "-wal"})
        if (QFileInfo::exists(path + QLatin1String(suffix))) return true;
    return false;
}

bool SyncPath(const QString& path, bool directory)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), directory ? O_RDONLY | O_DIRECTORY : O_RDONLY);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
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
        if (!db.open()) {
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
        if (QString e = Injected(CompactionStep::Backup, target); !e.isEmpty()) return fail(1, e);
        const QString copy = GetTempDir() + QStringLiteral("backup.mdb");
        QFile old(copy);
        if (old.exists() && !old.remove())
            return fail(1, WithDetail(QStringLiteral("无法删除旧的备份文件"), old.errorString()));
        QFile source(path);
        if (!source.copy(copy))
            return fail(1, WithDetail(QStringLiteral("无法建立数据库的备份"), source.errorString()));
    }
    progress.Step(1, QStringLiteral("pages"));

    if (QString e = Injected(CompactionStep::ClearTarget, target); !e.isEmpty()) return fail(2, e);
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
        QFile old(target);
        if (!old.remove())
            return fail(2, WithDetail(QStringLiteral("无法删除旧的临时文件"), old.errorString()));
    }

    if (QString e = Injected(CompactionStep::Compact, target); !e.isEmpty()) return fail(3, e);
    QString error;
    if (!RunOn(path, QStringLiteral("VACUUM INTO ?"), {target}, error))
        return fail(3, WithDetail(QStringLiteral("无法写出压缩后的数据库"), error));
    if (!SyncPath(target, false))
        return fail(3, WithDetail(QStringLiteral("无法写出压缩后的数据库"), QString::fromLocal8Bit(std::strerror(errno))));

    if (QString e = Injected(CompactionStep::Verify, target); !e.isEmpty()) return fail(4, e);
    QStringList check;
    if (!RunOn(target, QStringLiteral("PRAGMA integrity_check"), {}, error, &check)
        || check != QStringList{QStringLiteral("ok")})
        return fail(4, WithDetail(QStringLiteral("压缩后的数据库已损坏"),
                                  error.isEmpty() ? check.join(QLatin1Char(' ')) : error));
    progress.Step(1, QStringLiteral("pages"));

    if (QString e = Injected(CompactionStep::Swap, target); !e.isEmpty()) return fail(5, e);
    if (ConnectionOpenOn(path) || JournalPresent(path)) return fail(5, QStringLiteral("数据库正在使用中"));
    // The database keeps its owner-only permissions.
    QFile::setPermissions(target, QFile::permissions(path));
    if (std::rename(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) != 0)
        return fail(5, WithDetail(QStringLiteral("无法替换数据库文件"), QString::fromLocal8Bit(std::strerror(errno))));
    SyncPath(QFileInfo(path).absolutePath(), true);
    return true;
}

} // namespace

void SetCompactionFaultHook(CompactionFaultHook hook) { Hook() = std::move(hook); }

QString GetTempDir()
{
    QString dir = QDir::tempPath();
    if (dir.isEmpty()) return {};
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}

QString CompactionTargetPath(const QString& databasePath)
{
    return QFileInfo(databasePath).absolutePath() + QStringLiteral("/TEMP.mdb");
}

StoreResult CompactDatabase(const QString& path, bool backup, ProgressReporter& progress)
{
    if (!QFileInfo(path).isFile()) return StoreResult::Failed(QStringLiteral("没有找到要压缩的数据库文件！"));
    progress.Start(QStringLiteral("开始压缩数据库……"), 3);
    const QString target = CompactionTargetPath(path);
    Failure failure;
    const bool done = RunSteps(path, backup, target, failure, progress);
    if (!done) {
        // What was written of the compacted copy is worthless now.
        if (failure.number >= 3 && QFileInfo::exists(target)) QFile::remove(target);
    }
    progress.End();
    if (!done)
        return StoreResult::Failed(QStringLiteral("数据库压缩失败（") + QString::number(failure.number)
                                   + failure.description + QStringLiteral("）！"));
    return StoreResult::Ok();
}

StoreResult CompactAppDatabase(ProgressReporter& progress) { return CompactDatabase(DatabasePath(), true, progress); }

} // namespace slip
