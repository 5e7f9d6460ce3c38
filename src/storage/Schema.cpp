#include "storage/Schema.h"

#include "storage/HistoryStore.h"

#include "storage/Database.h"
#include "storage/SavedFile.h"
#include "core/DataFolder.h"

#include <QFile>

namespace slip {

namespace {

const char* const kCreateStatements[] = {
    "CREATE TABLE IF NOT EXISTS Fmt ("
    " ID INTEGER PRIMARY KEY AUTOINCREMENT, Fmt TEXT NOT NULL DEFAULT '', Clas INTEGER,"
    " LBL TEXT, Dir INTEGER, X DOUBLE, Y DOUBLE, W DOUBLE, H DOUBLE, S DOUBLE, L DOUBLE,"
    " Color INTEGER, fName TEXT, fSize DOUBLE, fBold BOOLEAN, fItalic BOOLEAN,"
    " fUnderline BOOLEAN, fStrikethru BOOLEAN, Cash DOUBLE, RCtl DOUBLE, Mem TEXT,"
    " SumID DOUBLE DEFAULT 0, SumID1 DOUBLE DEFAULT 0, RCtl1 DOUBLE DEFAULT 0)",
    "CREATE INDEX IF NOT EXISTS Fmt_name ON Fmt(Fmt)",
    "CREATE TABLE IF NOT EXISTS 参数 ("
    " RowID INTEGER PRIMARY KEY AUTOINCREMENT, Var TEXT, Con TEXT)",
    "CREATE INDEX IF NOT EXISTS 参数_var ON 参数(Var)",
    "CREATE TABLE IF NOT EXISTS 默认 (Fmt TEXT, ID INTEGER, Con TEXT)",
    "CREATE INDEX IF NOT EXISTS 默认_fmt ON 默认(Fmt)",
    "CREATE TABLE IF NOT EXISTS 历史 (ID INTEGER, Fmt TEXT, CID INTEGER, Con TEXT)",
    "CREATE INDEX IF NOT EXISTS 历史_fmt ON 历史(Fmt, ID)",
    // Completion while typing looks up the values of one box by their
    // beginning; LIKE is case-blind, so the index must be too to serve it.
    // With the slip number it also holds all a sort of the history list by
    // the box reads. It replaces the index of the same columns without it.
    "CREATE INDEX IF NOT EXISTS 历史_值 ON 历史(Fmt, CID, Con COLLATE NOCASE, ID)",
    "DROP INDEX IF EXISTS 历史_con",
    "CREATE TABLE IF NOT EXISTS 映射 (ID INTEGER, Fmt TEXT, Map TEXT)",
    "CREATE INDEX IF NOT EXISTS 映射_fmt ON 映射(Fmt)",
    // A format's picture is a file beside the database: a change of it is
    // noted here in the transaction that writes the format's rows, and put
    // in place after the commit (again at the next start after a kill).
    "CREATE TABLE IF NOT EXISTS 底图待换 (Fmt TEXT, Staged TEXT)",
    "CREATE TABLE IF NOT EXISTS 网站格式 ("
    " ID INTEGER PRIMARY KEY AUTOINCREMENT, Clas TEXT, Name TEXT, fPath TEXT, pPath TEXT,"
    " Dat DATE)",
};

} // namespace

bool EnsureSchema()
{
    const bool existed = QFile::exists(DatabasePath());
    if (!existed) {
        // The file holds the operator's slips and nothing else needs it: it
        // is private from its first byte (SQLite gives its journal the same
        // permissions).
        QString ignored;
        CreateOwnerOnlyFile(DatabasePath(), ignored);
    }
    DbConnection conn(DbConnection::Missing::Create);
    if (!conn.isOpen()) return false;
    if (!conn.begin()) return false;
    for (const char* sql : kCreateStatements) {
        if (!ExecuteSql(QString::fromUtf8(sql), {}, &conn)) {
            conn.rollback();
            return false;
        }
    }
    if (!EnsureHistoryTables(conn)) {
        conn.rollback();
        return false;
    }
    Recordset state = OpenRecordset(QStringLiteral("SELECT ID FROM Fmt WHERE Fmt='' LIMIT 1"), {}, &conn);
    if (!state.ok) {
        conn.rollback();
        return false;
    }
    if (state.isEmpty()) {
        ExecuteSql(QStringLiteral("INSERT INTO Fmt(Fmt, LBL, fName) VALUES('', '', ?)"),
                   {QStringLiteral("0§☆§0§☆§0")}, &conn);
    }
    return conn.commit();
}

void UpgradeSchema()
{
    // SQLite columns take any number, so the older layout's column types need
    // no change; only the two sum targets may be missing, and the column an
    // exchange file's 23rd field is kept in.
    AddColumnIfMissing(QStringLiteral("Fmt"), QStringLiteral("SumID"), QStringLiteral("DOUBLE"));
    AddColumnIfMissing(QStringLiteral("Fmt"), QStringLiteral("SumID1"), QStringLiteral("DOUBLE"));
    AddColumnIfMissing(QStringLiteral("Fmt"), QStringLiteral("RCtl1"), QStringLiteral("DOUBLE"));
}

} // namespace slip
