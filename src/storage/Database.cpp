#include "storage/Database.h"

#include "core/DataFolder.h"
#include "storage/DatabaseCipher.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <sqlite3.h>
#include <atomic>
#include <optional>

namespace slip {

namespace {

std::atomic<quint64> g_connectionCounter{0};

bool PrepareAndRun(QSqlQuery& q, const QString& sql, const QVariantList& params)
{
    if (!q.prepare(sql)) return false;
    BindValues(q, params);
    return q.exec();
}

} // namespace

QString DatabaseMissingText()
{
    return QStringLiteral("数据库文件“") + QDir::toNativeSeparators(DatabasePath())
           + QStringLiteral("”已不存在或已被清空，数据无法读取和保存！请恢复该文件后再试。");
}

QString DatabaseMovedText()
{
    return QStringLiteral("数据库文件“") + QDir::toNativeSeparators(DatabasePath())
           + QStringLiteral("”在保存时被删除、替换或截断，本次数据没有存入！请检查该文件后再试。");
}

DbConnection::DbConnection(Missing missing)
{
    name_ = QStringLiteral("slip-%1").arg(++g_connectionCounter);
    path_ = DatabasePath();
    const QFileInfo info(path_);
    if (!info.exists() && missing == Missing::Refuse) {
        failure_ = DatabaseMissingText();
        return;
    }
    failure_ = ConnectionFailedText();
    if (info.exists() && !(info.isFile() && info.isReadable())) return;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    db.setDatabaseName(path_);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) return;
    if (!KeyConnection(db)) {
        db.close();
        return;
    }
    // SQLite opens any file lazily; reading the schema is what tells a
    // database from random bytes. A database with no schema at all is a new
    // or emptied file.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("PRAGMA schema_version")) || !probe.next()) {
        db.close();
        return;
    }
    if (probe.value(0).toLongLong() == 0 && missing == Missing::Refuse) {
        probe.finish();
        db.close();
        failure_ = DatabaseMissingText();
        return;
    }
    open_ = true;
    failure_.clear();
}

DbConnection::~DbConnection()
{
    if (inTransaction_) rollback();
    {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        if (db.isValid()) db.close();
    }
    if (QSqlDatabase::contains(name_)) QSqlDatabase::removeDatabase(name_);
}

QSqlDatabase DbConnection::db() const { return QSqlDatabase::database(name_, false); }

bool DbConnection::begin()
{
    if (!open_) return false;
    QSqlQuery q(db());
    inTransaction_ = q.exec(QStringLiteral("BEGIN IMMEDIATE"));
    // With the write lock held no writer of ours changes the file's length
    // until the commit; only something outside the program can.
    if (inTransaction_) sizeAtBegin_ = QFileInfo(path_).size();
    return inTransaction_;
}

bool DbConnection::StillTheFile() const
{
    // SQLite compares the device and inode it holds with those at the path,
    // and sees an unlinked file.
    sqlite3* handle = SqliteHandle(*this);
    int moved = 0;
    if (!handle || sqlite3_file_control(handle, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || moved)
        return false;
    const QFileInfo info(path_);
    return info.exists() && info.size() >= sizeAtBegin_;
}

bool DbConnection::commit()
{
    if (!open_ || !inTransaction_) return false;
    if (!StillTheFile()) {
        rollback();
        failure_ = DatabaseMovedText();
        return false;
    }
    QSqlQuery q(db());
    if (!q.exec(QStringLiteral("COMMIT"))) {
        rollback();
        return false;
    }
    inTransaction_ = false;
    // Whatever happened to the path while the pages were written.
    if (!StillTheFile()) {
        failure_ = DatabaseMovedText();
        return false;
    }
    return true;
}

void DbConnection::rollback()
{
    if (!open_ || !inTransaction_) return;
    QSqlQuery q(db());
    q.exec(QStringLiteral("ROLLBACK"));
    inTransaction_ = false;
}

void BindValues(QSqlQuery& q, const QVariantList& values)
{
    // Only SQLite reads the mark; the driver binds every QString as UTF-16
    // in the machine's order.
    const bool marked = q.driver() && q.driver()->dbmsType() == QSqlDriver::SQLite;
    for (int i = 0; i < values.size(); ++i) {
        const QVariant& v = values[i];
        if (marked && v.typeId() == QMetaType::QString && !v.toString().isNull())
            q.bindValue(i, QString(QChar(QChar::ByteOrderMark) + v.toString()));
        else
            q.bindValue(i, v);
    }
}

bool ReadEveryRow(QSqlQuery& q, const std::function<void(const QSqlQuery&)>& row)
{
    // The driver ends a reading that failed as it ends one that is done; only
    // the error left on the query tells them apart.
    while (q.next()) row(q);
    return !q.lastError().isValid();
}

sqlite3* SqliteHandle(const QSqlDatabase& db)
{
    if (!db.isValid()) return nullptr;
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

SqliteStatement::SqliteStatement(const DbConnection& conn, const QString& sql)
{
    if (sqlite3* db = SqliteHandle(conn))
        if (sqlite3_prepare16_v2(db, sql.utf16(), int(sql.size() * 2), &stmt_, nullptr) != SQLITE_OK) {
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
        }
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(stmt_); }

void SqliteStatement::Bind(int column, qint64 v)
{
    if (stmt_) sqlite3_bind_int64(stmt_, column, v);
}

void SqliteStatement::Bind(int column, const QString& v)
{
    if (!stmt_) return;
    if (v.isNull()) {
        sqlite3_bind_null(stmt_, column);
        return;
    }
    const QByteArray text = v.toUtf8();
    sqlite3_bind_text(stmt_, column, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

bool SqliteStatement::Exec()
{
    if (!stmt_) return false;
    const int rc = sqlite3_step(stmt_);
    sqlite3_reset(stmt_);
    return rc == SQLITE_DONE;
}

bool SqliteStatement::Next(bool& failed)
{
    const int rc = sqlite3_step(stmt_);
    failed = rc != SQLITE_ROW && rc != SQLITE_DONE;
    return rc == SQLITE_ROW;
}

qint64 SqliteStatement::Int(int column) const { return sqlite3_column_int64(stmt_, column - 1); }

QString SqliteStatement::Text(int column) const
{
    const void* text = sqlite3_column_text16(stmt_, column - 1);
    return text ? QString(static_cast<const QChar*>(text), sqlite3_column_bytes16(stmt_, column - 1) / 2)
                : QString();
}

QByteArrayView SqliteStatement::Utf8(int column) const
{
    const unsigned char* text = sqlite3_column_text(stmt_, column - 1);
    return text ? QByteArrayView(text, sqlite3_column_bytes(stmt_, column - 1)) : QByteArrayView();
}

QVariant Recordset::value(int row, const QString& field) const
{
    const int c = column(field);
    if (c < 0 || row < 0 || row >= rows.size()) return {};
    return rows[row][c];
}

Recordset OpenRecordset(const QString& sql, const QVariantList& params, DbConnection* conn)
{
    Recordset rs;
    std::optional<DbConnection> own;
    if (!conn) {
        own.emplace();
        conn = &*own;
    }
    bool ok = false;
    if (conn->isOpen()) {
        QSqlQuery q(conn->db());
        q.setForwardOnly(true);
        if (PrepareAndRun(q, sql, params)) {
            const QSqlRecord rec = q.record();
            for (int i = 0; i < rec.count(); ++i) rs.columns << rec.fieldName(i);
            ok = ReadEveryRow(q, [&rs, &rec](const QSqlQuery& r) {
                QVector<QVariant> row;
                row.reserve(rec.count());
                for (int i = 0; i < rec.count(); ++i) row << r.value(i);
                rs.rows << row;
            });
        }
    }
    if (!ok) {
        rs.rows.clear();
        rs.error = conn->isOpen() ? StatementFailed(sql, params)
                                  : conn->failureText();
        return rs;
    }
    rs.ok = true;
    return rs;
}

bool ExecuteSql(const QString& sql, const QVariantList& params, DbConnection* conn)
{
    std::optional<DbConnection> own;
    if (!conn) {
        own.emplace();
        conn = &*own;
    }
    if (!conn->isOpen()) return false;
    QSqlQuery q(conn->db());
    return PrepareAndRun(q, sql, params);
}

qint64 InsertRow(const QString& sql, const QVariantList& params, DbConnection* conn)
{
    std::optional<DbConnection> own;
    if (!conn) {
        own.emplace();
        conn = &*own;
    }
    if (!conn->isOpen()) return -1;
    QSqlQuery q(conn->db());
    if (!PrepareAndRun(q, sql, params)) return -1;
    QVariant id = q.lastInsertId();
    return id.isValid() ? id.toLongLong() : -1;
}

QString QuoteIdentifier(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

bool ColumnExists(const QString& table, const QString& column)
{
    DbConnection conn;
    if (!conn.isOpen()) return false;
    QSqlQuery q(conn.db());
    if (!q.exec(QStringLiteral("PRAGMA table_info(") + QuoteIdentifier(table) + QLatin1Char(')')))
        return false;
    bool found = false;
    ReadEveryRow(q, [&](const QSqlQuery& r) { found = found || r.value(1).toString() == column; });
    return found;
}

void AddColumnIfMissing(const QString& table, const QString& column, const QString& type)
{
    if (ColumnExists(table, column)) return;
    DbConnection conn;
    if (!conn.isOpen() || !conn.begin()) return;
    const bool added = ExecuteSql(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                                      .arg(QuoteIdentifier(table), QuoteIdentifier(column), type),
                                  {}, &conn);
    const bool zeroed = added && ExecuteSql(QStringLiteral("UPDATE %1 SET %2=0")
                                                .arg(QuoteIdentifier(table), QuoteIdentifier(column)),
                                            {}, &conn);
    if (zeroed) conn.commit();
    else conn.rollback();
}

QString StatementText(const QString& sql, const QVariantList& params)
{
    QString out;
    int next = 0;
    bool quoted = false;
    for (QChar c : sql) {
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (c != QLatin1Char('?') || quoted || next >= params.size()) {
            out += c;
            continue;
        }
        const QVariant& v = params[next++];
        if (v.isNull()) out += QStringLiteral("NULL");
        else if (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray)
            out += QLatin1Char('\'') + v.toString() + QLatin1Char('\'');
        else out += v.toString();
    }
    return out;
}

QString StatementFailed(const QString& sql, const QVariantList& params)
{
    return QStringLiteral("数据库打开错误(") + StatementText(sql, params) + QStringLiteral(")！");
}

QVariant GetFieldWhere(const QString& table, const QString& condition, const QVariantList& params,
                       const QString& field, QString* error)
{
    // Names the operator may read in a message stand bare.
    const QString sql = QStringLiteral("SELECT * FROM %1 WHERE %2 LIMIT 1").arg(table, condition);
    Recordset rs = OpenRecordset(sql, params);
    if (error) *error = rs.ok ? QString() : rs.error;
    if (!rs.ok || rs.rows.isEmpty()) return QString();
    QVariant v = rs.value(0, field);
    if (!v.isValid()) return QString();
    return v;
}

QVariant GetFieldById(const QString& table, qint32 id, const QString& field, QString* error)
{
    return GetFieldWhere(table, QStringLiteral("ID=?"), {id}, field, error);
}

QStringList FmtColumnValues(const QString& column, QString* error)
{
    // The column is the program's own name, shown bare in a message.
    Recordset rs = OpenRecordset(QStringLiteral("SELECT %1 FROM Fmt GROUP BY %1 ORDER BY %1").arg(column));
    if (error) *error = rs.ok ? QString() : rs.error;
    QStringList out;
    for (const auto& row : rs.rows) {
        if (row.isEmpty() || row[0].isNull()) continue;
        const QString t = row[0].toString();
        if (!t.isEmpty()) out << t;
    }
    return out;
}


bool DatabaseUsable()
{
    if (!QFileInfo::exists(DatabasePath())) return true;
    DbConnection conn(DbConnection::Missing::Create);
    return conn.isOpen();
}

QString EscapeLikeText(const QString& text)
{
    QString out;
    out.reserve(text.size() * 2);
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_')) out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

} // namespace slip
