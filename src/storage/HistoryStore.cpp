#include "storage/HistoryStore.h"

#include "storage/Database.h"

#include <QSet>
#include <QSqlQuery>
#include <QVariant>
#include <functional>

namespace slip {

namespace {

const QString kSelectHighest = QStringLiteral("SELECT MAX(ID) FROM 历史 WHERE Fmt=?");
const QString kInsert = QStringLiteral("INSERT INTO 历史(ID, Fmt, CID, Con) VALUES(?, ?, ?, ?)");
const QString kSlipNumbers =
    QStringLiteral("SELECT ID FROM 历史 WHERE Fmt=? GROUP BY ID ORDER BY ID DESC");

// The operator's message for a statement that failed.
QString StatementFailed(const QString& sql)
{
    return QStringLiteral("数据库打开错误(") + sql + QStringLiteral(")！");
}

bool Run(QSqlQuery& q, const QString& sql, const QVariantList& params)
{
    if (!q.prepare(sql)) return false;
    for (int i = 0; i < params.size(); ++i) q.bindValue(i, params[i]);
    return q.exec();
}

using RowReader = std::function<void(const QSqlQuery&)>;

// Runs a query on an open connection and hands each row to `row`. A query
// that fails does so before any row is handed on.
bool EachRow(DbConnection& conn, const QString& sql, const QVariantList& params, const RowReader& row)
{
    QSqlQuery q(conn.db());
    q.setForwardOnly(true);
    if (!Run(q, sql, params)) return false;
    while (q.next()) row(q);
    return true;
}

// The same on a connection of its own. Answers "" when the query ran, else
// the operator's message.
QString ReadRows(const QString& sql, const QVariantList& params, const RowReader& row)
{
    DbConnection conn;
    if (!conn.isOpen()) return conn.failureText();
    if (!EachRow(conn, sql, params, row)) return StatementFailed(sql);
    return QString();
}

// Runs `work` in one write transaction on a connection of its own. `work`
// answers "" when done, or the statement that failed, and then nothing it
// wrote stays. Answers "" when all was committed, else the operator's message.
QString InTransaction(const std::function<QString(DbConnection&)>& work)
{
    DbConnection conn;
    if (!conn.isOpen()) return conn.failureText();
    // BEGIN IMMEDIATE takes the write lock before anything is read, so no
    // other writer changes what the work reads in between.
    if (!conn.begin()) return StatementFailed(QStringLiteral("BEGIN IMMEDIATE"));
    if (const QString failed = work(conn); !failed.isEmpty()) {
        conn.rollback();
        return StatementFailed(failed);
    }
    if (!conn.commit())
        return conn.failureText().isEmpty() ? StatementFailed(QStringLiteral("COMMIT")) : conn.failureText();
    return QString();
}

HistoryValuesResult ValuesOfQuery(const QString& sql, const QVariantList& params)
{
    HistoryValuesResult out;
    out.error = ReadRows(sql, params, [&](const QSqlQuery& q) { out.values << q.value(0).toString(); });
    out.ok = out.error.isEmpty();
    return out;
}

bool SlipNumbersOn(DbConnection& conn, const QString& format, QVector<qint64>& numbers)
{
    return EachRow(conn, kSlipNumbers, {format}, [&](const QSqlQuery& q) { numbers << q.value(0).toLongLong(); });
}

} // namespace

QString LikePrefixPattern(const QString& text) { return EscapeLikeText(text) + QLatin1Char('%'); }

HistoryBatchSaveResult SaveHistorySlips(const QString& format, const QVector<HistorySlip>& slips)
{
    HistoryBatchSaveResult out;
    QVector<qint64> numbers;
    // The highest number is read inside the transaction, so no other writer
    // can give the same number in between.
    out.error = InTransaction([&](DbConnection& conn) -> QString {
        QSqlQuery highest(conn.db());
        if (!Run(highest, kSelectHighest, {format}) || !highest.next()) return kSelectHighest;
        const QVariant top = highest.value(0);
        qint64 next = top.isNull() ? 1 : top.toLongLong() + 1;
        highest.finish();

        QSqlQuery insert(conn.db());
        if (!insert.prepare(kInsert)) return kInsert;
        numbers.reserve(slips.size());
        for (const HistorySlip& slip : slips) {
            bool any = false;
            for (const HistoryValue& v : slip) {
                if (v.value.isEmpty()) continue;
                insert.bindValue(0, next);
                insert.bindValue(1, format);
                insert.bindValue(2, v.boxId);
                insert.bindValue(3, v.value);
                if (!insert.exec()) return kInsert;
                any = true;
            }
            numbers << (any ? next : 0);
            if (any) ++next;
        }
        return QString();
    });
    out.ok = out.error.isEmpty();
    if (out.ok) out.slipNumbers = numbers;
    return out;
}

HistorySaveResult SaveHistoryRecord(const QString& format, const HistorySlip& values)
{
    const HistoryBatchSaveResult batch = SaveHistorySlips(format, {values});
    HistorySaveResult out;
    out.ok = batch.ok;
    out.error = batch.error;
    if (batch.ok && !batch.slipNumbers.isEmpty()) out.slipNumber = batch.slipNumbers.first();
    return out;
}

HistoryValuesResult HistoryValuesStartingWith(const QString& format, qint64 boxId,
                                              const QString& typed, int limit)
{
    // The index 历史_con (Fmt, CID, Con COLLATE NOCASE) lets the LIKE with a
    // fixed beginning read only the matching stretch of the box's values.
    QString sql = QStringLiteral(
        "SELECT Con FROM 历史 WHERE Fmt=? AND CID=? AND Con LIKE ? ESCAPE '\\'"
        " GROUP BY Con ORDER BY Con");
    QVariantList params{format, boxId, LikePrefixPattern(typed)};
    if (limit >= 0) {
        sql += QStringLiteral(" LIMIT ?");
        params << limit;
    }
    return ValuesOfQuery(sql, params);
}

HistoryCompletion CompleteFromHistory(const QString& format, qint64 boxId, const QString& typed)
{
    HistoryCompletion out;
    // Two are enough to know whether the value is the only one.
    const HistoryValuesResult found = HistoryValuesStartingWith(format, boxId, typed, 2);
    out.ok = found.ok;
    out.error = found.error;
    if (found.ok && found.values.size() == 1 && found.values.first() != typed)
        out.proposal = found.values.first();
    return out;
}

HistoryValuesResult EarlierBoxValues(const QString& format, qint64 boxId, int limit)
{
    QString sql = QStringLiteral(
        "SELECT Con FROM 历史 WHERE Fmt=? AND CID=? GROUP BY Con ORDER BY Con");
    QVariantList params{format, boxId};
    if (limit >= 0) {
        sql += QStringLiteral(" LIMIT ?");
        params << limit;
    }
    return ValuesOfQuery(sql, params);
}

HistorySlipValues ReadHistorySlip(const QString& format, qint64 slipNumber)
{
    HistorySlipValues out;
    out.error = ReadRows(QStringLiteral("SELECT CID, Con FROM 历史 WHERE Fmt=? AND ID=?"), {format, slipNumber},
                         [&](const QSqlQuery& q) { out.values.insert(q.value(0).toLongLong(), q.value(1).toString()); });
    out.ok = out.error.isEmpty();
    out.found = !out.values.isEmpty();
    return out;
}

namespace {

HistoryNewest Newest(const QString& format, qint64 boxId, const QString* value)
{
    HistoryNewest out;
    const QString sql = value ? QStringLiteral("SELECT ID, Con FROM 历史 WHERE Fmt=? AND CID=? AND Con=? ORDER BY ID DESC LIMIT 1")
                              : QStringLiteral("SELECT ID, Con FROM 历史 WHERE Fmt=? AND CID=? ORDER BY ID DESC LIMIT 1");
    QVariantList params{format, boxId};
    if (value) params << *value;
    out.error = ReadRows(sql, params, [&](const QSqlQuery& q) {
        out.slipNumber = q.value(0).toLongLong();
        out.value = q.value(1).toString();
    });
    out.ok = out.error.isEmpty();
    return out;
}

} // namespace

HistoryNewest NewestBoxValue(const QString& format, qint64 boxId) { return Newest(format, boxId, nullptr); }

HistoryNewest NewestSlipWithValue(const QString& format, qint64 boxId, const QString& value)
{
    return Newest(format, boxId, &value);
}

HistoryDeleteResult DeleteHistoryRows(const QString& format, const QVector<qint64>& slipNumbers)
{
    HistoryDeleteResult out;
    QVector<qint64> deleted;
    out.error = InTransaction([&](DbConnection& conn) -> QString {
        const QString sql = QStringLiteral("DELETE FROM 历史 WHERE Fmt=? AND ID=?");
        QSqlQuery q(conn.db());
        if (!q.prepare(sql)) return sql;
        QSet<qint64> seen;
        for (qint64 n : slipNumbers) {
            if (seen.contains(n)) continue;
            seen.insert(n);
            q.bindValue(0, format);
            q.bindValue(1, n);
            if (!q.exec()) return sql;
            if (q.numRowsAffected() > 0) deleted << n;
        }
        return QString();
    });
    out.ok = out.error.isEmpty();
    if (out.ok) out.deleted = deleted;
    return out;
}

HistoryDeleteResult DeleteAllHistory(const QString& format)
{
    HistoryDeleteResult out;
    QVector<qint64> numbers;
    out.error = InTransaction([&](DbConnection& conn) -> QString {
        if (!SlipNumbersOn(conn, format, numbers)) return kSlipNumbers;
        const QString sql = QStringLiteral("DELETE FROM 历史 WHERE Fmt=?");
        QSqlQuery q(conn.db());
        if (!Run(q, sql, {format})) return sql;
        return QString();
    });
    out.ok = out.error.isEmpty();
    if (out.ok) out.deleted = numbers;
    return out;
}

HistorySlipNumbers HistorySlipNumbersOf(const QString& format)
{
    HistorySlipNumbers out;
    out.error = ReadRows(kSlipNumbers, {format}, [&](const QSqlQuery& q) { out.numbers << q.value(0).toLongLong(); });
    out.ok = out.error.isEmpty();
    return out;
}

} // namespace slip
