#include "storage/DatabaseCipher.h"

#include "core/DataFolder.h"
#include "storage/FileConnection.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace slip {

namespace {

const char* const kSideFiles[] = {"-journal", "-wal", "-shm"};

// The file's settings for the database of the given schema ("" the main
// one, "name." an attached one); they follow its key.
QStringList CipherSettings(const QString& schema)
{
    return {QStringLiteral("PRAGMA %1kdf_iter = %2").arg(schema).arg(kDatabaseKeyRounds),
            QStringLiteral("PRAGMA %1cipher_page_size = %2").arg(schema).arg(kDatabasePageSize)};
}

// Every table with its row count: what a copy must hold as well.
bool RowCounts(FileConnection& conn, QMap<QString, QString>& counts)
{
    QStringList tables;
    if (!conn.Run(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"), {}, &tables))
        return false;
    for (const QString& table : tables) {
        QStringList count;
        QString quoted = table;
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        if (!conn.Run(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(quoted), {}, &count) || count.size() != 1)
            return false;
        counts.insert(table, count.first());
    }
    return true;
}

// Opens the encrypted file and answers whether it is whole and holds
// `expected` (when given).
bool CheckEncrypted(const QString& file, const QMap<QString, QString>* expected, QString& error)
{
    FileConnection conn(file);
    QSqlDatabase db = conn.db();
    QStringList check;
    QMap<QString, QString> counts;
    if (!conn.ok() || !KeyConnection(db) || !conn.Run(QStringLiteral("PRAGMA integrity_check"), {}, &check)
        || !RowCounts(conn, counts)) {
        error = conn.error();
        return false;
    }
    if (check != QStringList{QStringLiteral("ok")}) {
        error = check.join(QLatin1Char(' '));
        return false;
    }
    if (expected && counts != *expected) {
        error = QStringLiteral("行数不符");
        return false;
    }
    return true;
}

bool RemoveWithJournals(const QString& path)
{
    bool ok = true;
    QStringList files{path};
    for (const char* suffix : kSideFiles) files << path + QLatin1String(suffix);
    for (const QString& f : files)
        if (QFileInfo::exists(f) && !QFile::remove(f)) ok = false;
    return ok;
}

bool JournalBeside(const QString& path)
{
    for (const char* suffix : kSideFiles)
        if (QFileInfo::exists(path + QLatin1String(suffix))) return true;
    return false;
}

bool Rename(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

QStringList DatabaseKeyStatements()
{
    return QStringList{QStringLiteral("PRAGMA key = '%1'").arg(QLatin1String(kDatabasePassword))}
           + CipherSettings(QString());
}

bool KeyConnection(QSqlDatabase& db)
{
    QSqlQuery q(db);
    // The key must come before anything reads a page.
    for (const QString& sql : DatabaseKeyStatements())
        if (!q.exec(sql)) return false;
    // A plain SQLite takes both pragmas without a word and answers this one
    // with no row.
    return q.exec(QStringLiteral("PRAGMA cipher_version")) && q.next() && !q.value(0).toString().isEmpty();
}

bool WriteEncryptedCopy(const QString& source, bool sourceKeyed, const QString& target, QString& error)
{
    {
        // SQLite would make the file with the folder's usual mode; the copy
        // is the owner's alone from its first byte.
        QFile made(target);
        if (!made.exists() && !made.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                                         QFile::ReadOwner | QFile::WriteOwner)) {
            error = made.errorString();
            return false;
        }
    }
    QMap<QString, QString> counts;
    {
        FileConnection conn(source);
        QSqlDatabase db = conn.db();
        if (!conn.ok()) {
            error = conn.error();
            return false;
        }
        QStringList cipher;
        const QStringList settings = CipherSettings(QStringLiteral("encrypted."));
        const bool opened = sourceKeyed ? KeyConnection(db)
                                        : conn.Run(QStringLiteral("PRAGMA cipher_version"), {}, &cipher)
                                              && !cipher.isEmpty();
        // The export copies the schema and every row into fresh pages, which
        // leaves out the free ones: the copy is compact.
        const bool copied = opened && RowCounts(conn, counts)
                            && conn.Run(QStringLiteral("ATTACH DATABASE ? AS encrypted KEY ?"),
                                        {target, QString::fromLatin1(kDatabasePassword)})
                            && std::all_of(settings.begin(), settings.end(),
                                           [&conn](const QString& sql) { return conn.Run(sql); })
                            && conn.Run(QStringLiteral("SELECT sqlcipher_export('encrypted')"))
                            && conn.Run(QStringLiteral("DETACH DATABASE encrypted"));
        if (!copied) {
            error = conn.error().isEmpty() ? QStringLiteral("SQLCipher") : conn.error();
            return false;
        }
    }
    return CheckEncrypted(target, &counts, error);
}

bool IsPlainDatabase(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    return file.read(16) == QByteArray("SQLite format 3", 16);
}

bool EncryptPlainDatabase()
{
    const QString path = DatabasePath();
    const QString copy = path + QStringLiteral(".encrypting");
    const QString backup = path + QStringLiteral(".unencrypted");
    QString why;
    if (!IsPlainDatabase(path)) {
        // A run cut short after the swap left the old file behind; it goes
        // once the encrypted file in place has proved whole.
        if (QFileInfo::exists(backup) && QFileInfo(path).size() > 0 && CheckEncrypted(path, nullptr, why))
            QFile::remove(backup);
        return true;
    }
    // The plain file holds the operator's slips in the clear.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    if (!RemoveWithJournals(copy) || (QFileInfo::exists(backup) && !QFile::remove(backup)))
        return false;
    if (!WriteEncryptedCopy(path, false, copy, why)) {
        RemoveWithJournals(copy);
        return false;
    }
    // A journal left beside the old file would be played into the new one.
    // The old file stays reachable under the backup's name (a second link to
    // the same bytes, or a copy where the folder takes no links).
    if (JournalBeside(path) || JournalBeside(copy)
        || (::link(QFile::encodeName(path).constData(), QFile::encodeName(backup).constData()) != 0
            && !QFile::copy(path, backup))) {
        RemoveWithJournals(copy);
        QFile::remove(backup);
        return false;
    }
    QFile::setPermissions(backup, QFile::ReadOwner | QFile::WriteOwner);
    if (!Rename(copy, path)) {
        RemoveWithJournals(copy);
        QFile::remove(backup);
        return false;
    }
    if (!CheckEncrypted(path, nullptr, why)) {
        Rename(backup, path);
        return false;
    }
    QFile::remove(backup);
    return true;
}

} // namespace slip
