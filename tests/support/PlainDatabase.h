#pragma once
// Database files as the program wrote them before it encrypted them, made
// with SQLite's own C interface rather than with the code under test.
#include "storage/DatabaseCipher.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <sqlite3.h>

namespace slip::test {

// Runs statements on the file with SQLite's C interface; with keyed the
// database's password comes first. False with SQLite's message in error.
inline bool RunOnFile(const QString& path, bool keyed, const QStringList& statements, QString* error = nullptr)
{
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                              SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK;
    const QStringList all = keyed ? DatabaseKeyStatements() + statements : statements;
    for (const QString& sql : all) {
        if (!ok) break;
        char* message = nullptr;
        ok = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK;
        if (!ok && error) *error = QString::fromUtf8(message);
        sqlite3_free(message);
    }
    if (!ok && error && error->isEmpty() && db) *error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_close(db);
    return ok;
}

// True when the file can be read as a database without the password.
inline bool ReadableWithoutPassword(const QString& path)
{
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
              && sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// The system's sqlite3 command, "" when it is not installed.
inline QString SqliteCommand() { return QStandardPaths::findExecutable(QStringLiteral("sqlite3")); }

// Replaces the encrypted database at path by a plain file with the same
// schema and rows, as the program wrote before it had a password. Where the
// system's sqlite3 command is installed it rewrites every page, so the file
// is one of the SQLite the earlier program used.
inline bool DecryptInPlace(const QString& path, QString* error = nullptr)
{
    const QString plain = path + QStringLiteral(".plain-made-by-test");
    QFile::remove(plain);
    QString quoted = plain;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    if (!RunOnFile(path, true,
                   {QStringLiteral("ATTACH DATABASE '%1' AS plain KEY ''").arg(quoted),
                    QStringLiteral("SELECT sqlcipher_export('plain')"), QStringLiteral("DETACH DATABASE plain")},
                   error))
        return false;
    if (!SqliteCommand().isEmpty() && QProcess::execute(SqliteCommand(), {plain, QStringLiteral("VACUUM")}) != 0)
        return false;
    return QFile::remove(path) && QFile::rename(plain, path);
}

} // namespace slip::test
