#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

class QSqlQuery;
struct sqlite3;
struct sqlite3_stmt;

namespace slip {

// What the operator is told when the database can't be reached.
inline QString ConnectionFailedText() { return QStringLiteral("无法建立数据库连接！"); }
// ... when the database file is gone or emptied since the program started.
QString DatabaseMissingText();
// ... when the file was deleted, replaced or cut short while a change was
// being written, so the change is not in it.
QString DatabaseMovedText();

// One short-lived connection to the database file. No connection outlives the
// operation that opened it, so the file can be copied or compacted between
// operations. A connection that can't be used (missing or emptied file, not a
// database, unreadable) is not open; failureText() says why in the operator's
// words. The file itself is never changed by a failed open.
class DbConnection {
public:
    // Only start-up makes a new database; any later connection that finds no
    // file (or an empty one) refuses, so lost data never silently becomes an
    // empty database.
    enum class Missing { Refuse, Create };
    explicit DbConnection(Missing missing = Missing::Refuse);
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    bool isOpen() const { return open_; }
    QSqlDatabase db() const;

    // Transactions: several rows changed together change together. A commit
    // counts only when the file at the database's path is the one written
    // and whole: deleted, replaced or cut short meanwhile, commit() is false
    // and failureText() tells it.
    bool begin();
    bool commit();
    void rollback();

    // Why the connection is not open or its last commit did not reach the
    // file; "" otherwise.
    QString failureText() const { return failure_; }

private:
    bool StillTheFile() const;

    QString name_;
    QString path_;
    QString failure_;
    qint64 sizeAtBegin_ = 0;
    bool open_ = false;
    bool inTransaction_ = false;
};

// The connection's own SQLite handle, or null for another driver (or no
// connection).
sqlite3* SqliteHandle(const QSqlDatabase& db);
inline sqlite3* SqliteHandle(const DbConnection& conn) { return SqliteHandle(conn.db()); }

// Binds values to a query prepared on one of the program's connections, in
// the order of its "?" placeholders. Every text is stored and compared as
// typed, whatever it starts with: the driver hands SQLite texts as UTF-16,
// and SQLite takes a byte-order mark at the start of such a text for its
// byte order and drops it, so a name that starts with U+FEFF would act on
// the name without it, and one that starts with U+FFFE would be read with
// its bytes swapped. Each text is therefore handed over behind a mark of
// the machine's own order, the one SQLite drops. Every statement of the
// program binds its values here or through SqliteStatement.
void BindValues(QSqlQuery& q, const QVariantList& values);

// Hands each row of a query that ran to `row`. False when the reading
// stopped on an error (a damaged page met after the first rows) rather than
// at the end: the rows handed on are then only some of them, and never to
// be taken for all.
bool ReadEveryRow(QSqlQuery& q, const std::function<void(const QSqlQuery&)>& row);

// One statement prepared once on the connection's own SQLite handle and run
// for many rows: a query object's conversions for each of thousands of rows
// cost more than the rows' reading or writing. Texts are bound as UTF-8, as
// typed (a leading U+FEFF stays), and copied; columns count from 1. Not
// prepared on another driver.
class SqliteStatement {
public:
    SqliteStatement(const DbConnection& conn, const QString& sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool Prepared() const { return stmt_ != nullptr; }
    void Bind(int column, qint64 v);
    void Bind(int column, const QString& v);
    // Runs a statement that answers no rows; ready for the next binding.
    // False, like a row that failed, when the statement was not prepared:
    // its failure is told with the values of the row it was to run for.
    bool Exec();
    // The next row of a query; false at the end, and `failed` tells an error.
    bool Next(bool& failed);
    qint64 Int(int column) const;
    QString Text(int column) const;
    // The text of a column as the database keeps it, UTF-8, valid until the
    // next row.
    QByteArrayView Utf8(int column) const;

private:
    sqlite3_stmt* stmt_ = nullptr;
};

// The rows of a query, read in full, so that no record set holds the file.
struct Recordset {
    bool ok = false;
    QString error;  // what to tell the operator when !ok
    QStringList columns;
    QVector<QVector<QVariant>> rows;

    int RecordCount() const { return int(rows.size()); }
    bool isEmpty() const { return rows.isEmpty(); }
    int column(const QString& field) const { return int(columns.indexOf(field)); }
    // Value of a field in a row; an invalid QVariant for an unknown field or row.
    QVariant value(int row, const QString& field) const;
    QString text(int row, const QString& field) const { return value(row, field).toString(); }
};

// Runs a query with bound parameters. On failure returns, with the error
// "数据库打开错误(" + the statement + ")！" (the statement with its values, as
// StatementText; or the connection failure), a record set with ok == false and
// no rows, so callers that only walk the rows stop their work there.
// With conn the query runs on that open connection (inside its transaction).
Recordset OpenRecordset(const QString& sql, const QVariantList& params = {},
                        DbConnection* conn = nullptr);

// Runs a statement with bound parameters. Failure is silent (the schema upgrade
// relies on that) but reported by the result, for callers that must know.
bool ExecuteSql(const QString& sql, const QVariantList& params = {}, DbConnection* conn = nullptr);

// Runs an INSERT and answers the new row's ID, or -1 on failure.
qint64 InsertRow(const QString& sql, const QVariantList& params, DbConnection* conn = nullptr);

// A text as the literal part of a LIKE pattern used with ESCAPE '\': "\",
// "%" and "_" are escaped with "\", so a typed "50%" finds exactly itself.
QString EscapeLikeText(const QString& text);

// Quotes a table or column name for SQL text; names never carry values.
QString QuoteIdentifier(const QString& name);

// True when the table has a column of exactly this name (case counts).
bool ColumnExists(const QString& table, const QString& column);

// Adds the column when missing and sets it to 0 in every row.
void AddColumnIfMissing(const QString& table, const QString& column, const QString& type);


// A field of the first row matching condition, an SQL condition text with
// "?" placeholders bound to params: "" (a text) when no row matches; a null
// QVariant when the row's field is null. A read that failed answers "" too,
// and error (when given) receives what to tell the operator; "" otherwise.
QVariant GetFieldWhere(const QString& table, const QString& condition, const QVariantList& params,
                       const QString& field, QString* error = nullptr);

// GetFieldWhere of the row whose ID is id.
QVariant GetFieldById(const QString& table, qint32 id, const QString& field, QString* error = nullptr);

// A statement as the operator is shown it: the bound values in place of the
// "?" placeholders, texts between single quotes, numbers bare.
QString StatementText(const QString& sql, const QVariantList& params);
// The operator's message for a statement that failed:
// "数据库打开错误(" + StatementText + ")！".
QString StatementFailed(const QString& sql, const QVariantList& params = {});

// The distinct non-empty values of a Fmt column, sorted. A read that failed
// answers none, and error (when given) receives what to tell the operator.
QStringList FmtColumnValues(const QString& column, QString* error = nullptr);

// Start-up's test: true when the database file is not there yet (start-up
// makes it) or can be opened and read as a database.
bool DatabaseUsable();

} // namespace slip
