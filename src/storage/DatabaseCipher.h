#pragma once
#include <QString>
#include <QStringList>

class QSqlDatabase;

namespace slip {

// The database file is encrypted page by page (SQLCipher, AES-256) with this
// password; every connection gives it before its first statement. A file read
// without it is random bytes.
inline constexpr char kDatabasePassword[] = "58203746";
// Rounds of the password's key derivation. The password is a constant of the
// program, so stretching it protects nothing, while every operation opens a
// connection of its own and would pay the derivation again (SQLCipher's
// 64000 rounds cost some 50 ms a connection).
inline constexpr int kDatabaseKeyRounds = 1;
// Encrypted pages of 4096 bytes, as SQLite's own default: a third of the
// time of SQLCipher's 1024 for reading the whole history.
inline constexpr int kDatabasePageSize = 4096;

// The statements that key a connection, in order, before anything else:
// the password, then the rounds and page size the file was made with.
QStringList DatabaseKeyStatements();

// Gives a freshly opened connection the password and the file's settings.
// False, and the connection must not be used, when the SQLite in use can't
// encrypt: it would read nothing and write a plain file.
bool KeyConnection(QSqlDatabase& db);

// Writes a compact, encrypted copy of the database at source into target (a
// new or empty file, created readable by its owner only), then checks it: it
// opens with the password, passes SQLite's integrity check and holds as many
// rows in every table as the source. sourceKeyed tells whether the source is
// encrypted already (compaction) or a plain file (conversion). False with
// SQLite's reason in error.
bool WriteEncryptedCopy(const QString& source, bool sourceKeyed, const QString& target, QString& error);

// True when the file at path is a plain, unencrypted SQLite database.
bool IsPlainDatabase(const QString& path);

// Start-up's one-time conversion of a database file written without the
// password: an encrypted copy is written beside it and checked, the old file
// is kept as "DATA.mdb.unencrypted" while the copy takes its place in one
// rename, and the backup goes once the file in place reads back whole. False
// on any failure, with the old file in place as it was. Does nothing (true)
// for a missing, empty or encrypted file.
bool EncryptPlainDatabase();

} // namespace slip
