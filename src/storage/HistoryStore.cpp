#include "storage/HistoryStore.h"

#include "core/GridRules.h"
#include "model/Box.h"
#include "storage/Database.h"

#include <QSet>
#include <QSqlDriver>
#include <QSqlQuery>
#include <sqlite3.h>
#include <QVariant>
#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <limits>
#include <numeric>

namespace slip {

namespace {

const QString kSelectHighest = QStringLiteral("SELECT MAX(ID) FROM 历史 WHERE Fmt=?");
const QString kInsert = QStringLiteral("INSERT INTO 历史(ID, Fmt, CID, Con) VALUES(?, ?, ?, ?)");
const QString kSlipNumbers =
    QStringLiteral("SELECT ID FROM 历史 WHERE Fmt=? GROUP BY ID ORDER BY ID DESC");

bool Run(QSqlQuery& q, const QString& sql, const QVariantList& params)
{
    if (!q.prepare(sql)) return false;
    BindValues(q, params);
    return q.exec();
}

using RowReader = std::function<void(const QSqlQuery&)>;

// Runs a query on an open connection and hands each row to `row`. False
// also when the reading failed after some rows were handed on: the caller
// drops what it took.
bool EachRow(DbConnection& conn, const QString& sql, const QVariantList& params, const RowReader& row)
{
    QSqlQuery q(conn.db());
    q.setForwardOnly(true);
    return Run(q, sql, params) && ReadEveryRow(q, row);
}

// The same on a connection of its own. Answers "" when the query ran, else
// the operator's message.
QString ReadRows(const QString& sql, const QVariantList& params, const RowReader& row)
{
    DbConnection conn;
    if (!conn.isOpen()) return conn.failureText();
    if (!EachRow(conn, sql, params, row)) return StatementFailed(sql, params);
    return QString();
}

// Runs `work` in one write transaction on a connection of its own. `work`
// answers "" when done, or the operator's message for the statement that
// failed (StatementFailed, with its values), and then nothing it wrote stays.
// Answers "" when all was committed, else the operator's message.
QString InTransaction(const std::function<QString(DbConnection&)>& work)
{
    DbConnection conn;
    if (!conn.isOpen()) return conn.failureText();
    // BEGIN IMMEDIATE takes the write lock before anything is read, so no
    // other writer changes what the work reads in between.
    if (!conn.begin()) return StatementFailed(QStringLiteral("BEGIN IMMEDIATE"));
    if (const QString failed = work(conn); !failed.isEmpty()) {
        conn.rollback();
        return failed;
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

QString LikePrefixPattern(const QString& text) { return EscapeLikeText(text) + QLatin1Char('%'); }

// Values of one slip in its search text are kept apart by a character no
// typed keyword holds, so that no match spans two values.
const QChar kValueSeparator = QChar(0x1F);
constexpr char kValueSeparatorByte = 0x1F;
// CIDs lists the box of each value of Txt in the same order, as "1,2,5".
const QString kInsertSearchText =
    QStringLiteral("INSERT OR REPLACE INTO 历史检索(Fmt, ID, Txt, CIDs) VALUES(?, ?, ?, ?)");

bool SlipNumbersOn(DbConnection& conn, const QString& format, QVector<qint64>& numbers)
{
    return EachRow(conn, kSlipNumbers, {format}, [&](const QSqlQuery& q) { numbers << q.value(0).toLongLong(); });
}

} // namespace

namespace {

// Stores slips of a format on a connection inside its transaction; answers
// "" when done, else the operator's message for the statement that failed. numbers receives the number
// of each slip (0 for a slip without values).
QString StoreSlipsOn(DbConnection& conn, const QString& format, const QVector<HistorySlip>& slips,
                     QVector<qint64>& numbers)
{
    // The highest number is read inside the transaction, so no other writer
    // can give the same number in between.
    QSqlQuery highest(conn.db());
    if (!Run(highest, kSelectHighest, {format}) || !highest.next()) return StatementFailed(kSelectHighest, {format});
    const QVariant top = highest.value(0);
    qint64 next = top.isNull() ? 1 : top.toLongLong() + 1;
    highest.finish();

    // A statement that could not be prepared fails at its first row, told
    // with that row's values.
    SqliteStatement insert(conn, kInsert);
    SqliteStatement search(conn, kInsertSearchText);
    numbers.reserve(slips.size());
    for (const HistorySlip& slip : slips) {
        QString text;
        QString boxes;
        for (const HistoryValue& v : slip) {
            if (v.value.isEmpty()) continue;
            insert.Bind(1, next);
            insert.Bind(2, format);
            insert.Bind(3, v.boxId);
            insert.Bind(4, v.value);
            if (!insert.Exec()) return StatementFailed(kInsert, {next, format, v.boxId, v.value});
            text += kValueSeparator + v.value;
            if (!boxes.isEmpty()) boxes += QLatin1Char(',');
            boxes += QString::number(v.boxId);
        }
        if (text.isEmpty()) {
            numbers << 0;
            continue;
        }
        search.Bind(1, format);
        search.Bind(2, next);
        search.Bind(3, text);
        search.Bind(4, boxes);
        if (!search.Exec()) return StatementFailed(kInsertSearchText, {format, next, text, boxes});
        numbers << next++;
    }
    return QString();
}

} // namespace

HistoryBatchSaveResult SaveHistorySlips(const QString& format, const QVector<HistorySlip>& slips)
{
    HistoryBatchSaveResult out;
    QVector<qint64> numbers;
    out.error = InTransaction([&](DbConnection& conn) { return StoreSlipsOn(conn, format, slips, numbers); });
    out.ok = out.error.isEmpty();
    if (out.ok) out.slipNumbers = numbers;
    return out;
}

HistoryPendingResult KeepPendingSlips(const QString& format, const QVector<HistorySlip>& slips)
{
    HistoryPendingResult out;
    qint64 run = 0;
    out.error = InTransaction([&](DbConnection& conn) -> QString {
        const QString next = QStringLiteral("SELECT COALESCE(MAX(Run), 0) + 1 FROM 历史待定");
        QSqlQuery q(conn.db());
        if (!Run(q, next, {}) || !q.next()) return StatementFailed(next);
        run = q.value(0).toLongLong();
        q.finish();
        const QString sql = QStringLiteral("INSERT INTO 历史待定(Run, Seq, Fmt, CID, Con) VALUES(?, ?, ?, ?, ?)");
        SqliteStatement insert(conn, sql);
        for (int i = 0; i < slips.size(); ++i) {
            for (const HistoryValue& v : slips[i]) {
                if (v.value.isEmpty()) continue;
                insert.Bind(1, run);
                insert.Bind(2, qint64(i));
                insert.Bind(3, format);
                insert.Bind(4, v.boxId);
                insert.Bind(5, v.value);
                if (!insert.Exec()) return StatementFailed(sql, {run, qint64(i), format, v.boxId, v.value});
            }
        }
        return QString();
    });
    out.ok = out.error.isEmpty();
    if (out.ok) out.run = run;
    return out;
}

namespace {

// Runs one statement in a transaction of its own; "" when done.
QString RunAlone(const QString& sql, const QVariantList& params)
{
    return InTransaction([&](DbConnection& conn) -> QString {
        QSqlQuery q(conn.db());
        return Run(q, sql, params) ? QString() : StatementFailed(sql, params);
    });
}

} // namespace

HistoryBatchSaveResult ConfirmPendingSlips(qint64 run)
{
    HistoryBatchSaveResult out;
    QVector<qint64> numbers;
    out.error = InTransaction([&](DbConnection& conn) -> QString {
        QString format;
        QVector<HistorySlip> slips;
        int lastSeq = -1;
        const QString read = QStringLiteral("SELECT Seq, Fmt, CID, Con FROM 历史待定 WHERE Run=? ORDER BY Seq, rowid");
        {
            SqliteStatement rows(conn, read);
            if (!rows.Prepared()) return StatementFailed(read, {run});
            rows.Bind(1, run);
            bool failed = false;
            while (rows.Next(failed)) {
                if (format.isNull()) format = rows.Text(2);
                if (int(rows.Int(1)) != lastSeq) {
                    lastSeq = int(rows.Int(1));
                    slips.append(HistorySlip());
                }
                slips.last().push_back({rows.Int(3), rows.Text(4)});
            }
            if (failed) return StatementFailed(read, {run});
        }
        if (!slips.isEmpty()) {
            if (const QString failed = StoreSlipsOn(conn, format, slips, numbers); !failed.isEmpty()) return failed;
        }
        const QString drop = QStringLiteral("DELETE FROM 历史待定 WHERE Run=?");
        QSqlQuery q(conn.db());
        return Run(q, drop, {run}) ? QString() : StatementFailed(drop, {run});
    });
    out.ok = out.error.isEmpty();
    if (out.ok) {
        out.slipNumbers = numbers;
        return out;
    }
    // The mark keeps every row's size (NULL and 1 take no bytes), so it
    // needs no new page and may still go in where the slips did not (a
    // nearly full disk); when it can't, the run is asked about as one cut
    // off, which is all that is known of it then.
    RunAlone(QStringLiteral("UPDATE 历史待定 SET Printed=1 WHERE Run=?"), {run});
    return out;
}

bool DropPendingSlips(qint64 run)
{
    return RunAlone(QStringLiteral("DELETE FROM 历史待定 WHERE Run=?"), {run}).isEmpty();
}

HistoryPendingRuns PendingPrintRuns()
{
    HistoryPendingRuns out;
    out.error = ReadRows(
        QStringLiteral("SELECT Run, MIN(Fmt), COUNT(DISTINCT Seq), MAX(Printed) FROM 历史待定 GROUP BY Run ORDER BY Run"),
        {}, [&](const QSqlQuery& q) {
            out.runs.push_back(
                {q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toInt(), q.value(3).toInt() == 1});
        });
    out.ok = out.error.isEmpty();
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
    // The index 历史_值 (Fmt, CID, Con COLLATE NOCASE, ID) reads only the
    // stretch of the box's values that begin with the text: from the text
    // itself to the text followed by the last character there is. (SQLite's
    // own narrowing of a LIKE with ESCAPE came only after the SQLCipher we
    // use.) The LIKE then decides; both ignore the case of ASCII letters alone.
    QString sql = QStringLiteral(
        "SELECT Con FROM 历史 WHERE Fmt=? AND CID=? AND Con>=? COLLATE NOCASE AND Con<? COLLATE NOCASE"
        " AND Con LIKE ? ESCAPE '\\' GROUP BY Con ORDER BY Con");
    QVariantList params{format, boxId, typed, typed + QString::fromUcs4(U"\U0010FFFF"), LikePrefixPattern(typed)};
    if (limit >= 0) {
        sql += QStringLiteral(" LIMIT ?");
        params << limit;
    }
    return ValuesOfQuery(sql, params);
}

QStringList StoredLineBreakForms(const QString& value, const QString& lineBreakMarker)
{
    const QString crlf = WithCrLfLineBreaks(value);
    if (!crlf.contains(QLatin1Char('\n'))) return {crlf};
    QStringList forms{crlf};
    QString lf = crlf;
    lf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    forms << lf;
    if (!lineBreakMarker.isEmpty()) {
        QString marked = crlf;
        marked.replace(QStringLiteral("\r\n"), lineBreakMarker);
        if (!forms.contains(marked)) forms << marked;
    }
    return forms;
}

HistoryCompletion CompleteFromHistory(const QString& format, qint64 boxId, const QString& typed,
                                      const QString& lineBreakMarker)
{
    HistoryCompletion out;
    // A value stored in up to three forms still counts once: a few more
    // than two are read to know whether it is the only one.
    constexpr int kEnough = 8;
    QStringList values;
    for (const QString& form : StoredLineBreakForms(typed, lineBreakMarker)) {
        const HistoryValuesResult found = HistoryValuesStartingWith(format, boxId, form, kEnough);
        if (!found.ok) {
            out.error = found.error;
            return out;
        }
        for (const QString& v : found.values) {
            const QString value = WithCrLfLineBreaks(v, lineBreakMarker);
            if (!values.contains(value)) values << value;
        }
    }
    out.ok = true;
    if (values.size() == 1 && values.first() != WithCrLfLineBreaks(typed)) out.proposal = values.first();
    return out;
}

HistoryValuesResult EarlierBoxValues(const QString& format, qint64 boxId, int limit, const QString& lineBreakMarker)
{
    HistoryValuesResult out =
        ValuesOfQuery(QStringLiteral("SELECT Con FROM 历史 WHERE Fmt=? AND CID=? GROUP BY Con ORDER BY Con"),
                      {format, boxId});
    if (!out.ok) return out;
    QStringList values;
    QSet<QString> seen;
    for (const QString& v : std::as_const(out.values)) {
        const QString value = WithCrLfLineBreaks(v, lineBreakMarker);
        if (seen.contains(value)) continue;
        seen.insert(value);
        values << value;
    }
    values.sort();
    if (limit >= 0 && values.size() > limit) values.resize(limit);
    out.values = std::move(values);
    return out;
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

HistoryNewest Newest(const QString& format, qint64 boxId, const QStringList* forms)
{
    HistoryNewest out;
    QString sql = QStringLiteral("SELECT ID, Con FROM 历史 WHERE Fmt=? AND CID=?");
    QVariantList params{format, boxId};
    if (forms) {
        QStringList marks;
        for (const QString& f : *forms) {
            marks << QStringLiteral("?");
            params << f;
        }
        sql += QStringLiteral(" AND Con IN (") + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    sql += QStringLiteral(" ORDER BY ID DESC LIMIT 1");
    out.error = ReadRows(sql, params, [&](const QSqlQuery& q) {
        out.slipNumber = q.value(0).toLongLong();
        out.value = q.value(1).toString();
    });
    out.ok = out.error.isEmpty();
    return out;
}

} // namespace

HistoryNewest NewestBoxValue(const QString& format, qint64 boxId) { return Newest(format, boxId, nullptr); }

HistoryNewest NewestSlipWithValue(const QString& format, qint64 boxId, const QString& value,
                                  const QString& lineBreakMarker)
{
    const QStringList forms = StoredLineBreakForms(value, lineBreakMarker);
    return Newest(format, boxId, &forms);
}

HistoryDeleteResult DeleteHistoryRows(const QString& format, const QVector<qint64>& slipNumbers)
{
    HistoryDeleteResult out;
    QVector<qint64> deleted;
    out.error = InTransaction([&](DbConnection& conn) -> QString {
        const QString sql = QStringLiteral("DELETE FROM 历史 WHERE Fmt=? AND ID=?");
        QSqlQuery q(conn.db());
        // A statement that can't be prepared is told with the first slip's values.
        const bool prepared = q.prepare(sql);
        QSet<qint64> seen;
        for (qint64 n : slipNumbers) {
            if (seen.contains(n)) continue;
            seen.insert(n);
            BindValues(q, {format, n});
            if (!prepared || !q.exec()) return StatementFailed(sql, {format, n});
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
        if (!SlipNumbersOn(conn, format, numbers)) return StatementFailed(kSlipNumbers, {format});
        const QString sql = QStringLiteral("DELETE FROM 历史 WHERE Fmt=?");
        QSqlQuery q(conn.db());
        if (!Run(q, sql, {format})) return StatementFailed(sql, {format});
        return QString();
    });
    out.ok = out.error.isEmpty();
    if (out.ok) out.deleted = numbers;
    return out;
}

namespace {

// The box record IDs of "1,2,5"; empty for anything else (an ID beyond 32
// bits, a box listed twice).
QVector<qint32> ReadBoxList(QByteArrayView text)
{
    QVector<qint32> boxes;
    qint64 id = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : ',';
        if (c >= '0' && c <= '9') {
            id = (id < 0 ? 0 : id * 10) + (c - '0');
            if (id > std::numeric_limits<qint32>::max()) return {};
        } else if (c == ',' && id >= 0) {
            boxes.push_back(qint32(id));
            id = -1;
        } else {
            return {};
        }
    }
    QVector<qint32> sorted = boxes;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.cbegin(), sorted.cend()) != sorted.cend()) return {};
    return boxes;
}

// How many values a slip's text holds: one after each separator.
qsizetype ValueCount(QByteArrayView utf8) { return std::count(utf8.begin(), utf8.end(), kValueSeparatorByte); }

// How many history records a slip has: one per box of its list, or where
// the boxes are not known one per value of its text.
qsizetype ValueCountOf(QByteArrayView utf8, QByteArrayView boxes)
{
    if (boxes.isEmpty()) return ValueCount(utf8);
    return std::count(boxes.begin(), boxes.end(), ',') + 1;
}

} // namespace

int HistorySearchTexts::BoxListOf(QByteArrayView boxes)
{
    // A format's slips mostly have the list of the slip before them.
    if (lastBoxList_ >= 0 && boxListTexts_[lastBoxList_] == boxes) return lastBoxList_;
    const QByteArray text = boxes.toByteArray();
    int list = boxListOf_.value(text, -1);
    if (list < 0) {
        list = int(boxLists_.size());
        boxLists_.push_back(ReadBoxList(boxes));
        boxListTexts_.push_back(text);
        boxListOf_.insert(text, list);
    }
    return boxLists_[list].isEmpty() ? -1 : (lastBoxList_ = list);
}

void HistorySearchTexts::Add(qint64 slip, QByteArrayView utf8, QByteArrayView boxes)
{
    constexpr qsizetype kBlockBytes = 1 << 20;
    if (blocks_.isEmpty() || blocks_.last().size() + utf8.size() > blocks_.last().capacity()) {
        blocks_.push_back(QByteArray());
        blocks_.last().reserve(std::max(kBlockBytes, utf8.size()));
    }
    QByteArray& block = blocks_.last();
    Span span{slip, int(blocks_.size() - 1), int(block.size()), int(utf8.size())};
    if (!boxes.isEmpty() && !utf8.isEmpty() && utf8[0] == kValueSeparatorByte) {
        const int list = BoxListOf(boxes);
        // A value that holds a separator itself makes the boxes not fit,
        // and the slip's values are read from the database.
        if (list >= 0 && ValueCount(utf8) == boxLists_[list].size()) span.boxList = list;
    }
    block.append(utf8);
    if (const auto it = indexOf_.constFind(slip); it != indexOf_.constEnd()) spans_[*it].boxList = kRemoved;
    indexOf_.insert(slip, int(spans_.size()));
    spans_.push_back(span);
}

void HistorySearchTexts::Remove(const QSet<qint64>& slips)
{
    for (qint64 slip : slips)
        if (const auto it = indexOf_.constFind(slip); it != indexOf_.constEnd()) {
            spans_[*it].boxList = kRemoved;
            indexOf_.erase(it);
        }
}

bool HistorySearchTexts::Holds(qint64 slip, QByteArrayView utf8) const
{
    const auto it = indexOf_.constFind(slip);
    if (it == indexOf_.constEnd()) return false;
    const Span& span = spans_[*it];
    // A UTF-8 character never starts inside another one, so bytes that
    // match are characters that match.
    return QByteArrayView(blocks_[span.block].constData() + span.start, span.length).indexOf(utf8) >= 0;
}

bool HistorySearchTexts::SortKeysOf(qint64 boxId, QVector<HistorySortKey>& keys) const
{
    // Where the box stands in each list of boxes, -1 where it is not.
    QVector<int> position(boxLists_.size(), -1);
    for (int l = 0; l < boxLists_.size(); ++l) {
        const auto box = std::find(boxLists_[l].cbegin(), boxLists_[l].cend(), boxId);
        if (box != boxLists_[l].cend()) position[l] = int(box - boxLists_[l].cbegin());
    }
    keys.clear();
    keys.reserve(indexOf_.size());
    for (const Span& span : spans_) {
        if (span.boxList == kRemoved) continue;
        if (span.boxList < 0) return false;
        const char* at = blocks_[span.block].constData() + span.start;
        const char* const end = at + span.length;
        QByteArrayView value;
        if (int k = position[span.boxList]; k >= 0) {
            for (; k >= 0; --k) at = static_cast<const char*>(std::memchr(at, kValueSeparatorByte, end - at)) + 1;
            const char* next = static_cast<const char*>(std::memchr(at, kValueSeparatorByte, end - at));
            value = QByteArrayView(at, (next ? next : end) - at);
        }
        keys.push_back({span.slip, GridSortKeyOfUtf8(value)});
    }
    return true;
}

namespace {

// A row of a query run through Qt, read as a row of SqliteStatement is.
struct QueryRow {
    const QSqlQuery& q;
    qint64 Int(int column) const { return q.value(column - 1).toLongLong(); }
    QString Text(int column) const { return q.value(column - 1).toString(); }
    QByteArray Utf8(int column) const { return Text(column).toUtf8(); }
};

// Runs a query of many rows on a connection of its own, through the SQLite
// handle where there is one (no conversion of every field to a variant);
// `take` reads each row by Int, Text and Utf8. Answers "" when the query
// ran, else the operator's message.
template <class Take>
QString EachManyRows(const QString& sql, const QVariantList& params, Take take)
{
    DbConnection conn;
    if (!conn.isOpen()) return conn.failureText();
    bool ok = true;
    if (SqliteStatement rows(conn, sql); rows.Prepared()) {
        for (int i = 0; i < params.size(); ++i) {
            if (params[i].typeId() == QMetaType::QString) rows.Bind(i + 1, params[i].toString());
            else rows.Bind(i + 1, params[i].toLongLong());
        }
        bool failed = false;
        while (rows.Next(failed)) take(rows);
        ok = !failed;
    } else {
        ok = EachRow(conn, sql, params, [&](const QSqlQuery& q) { take(QueryRow{q}); });
    }
    return ok ? QString() : StatementFailed(sql, params);
}

} // namespace

HistorySlipNumbers HistorySlipNumbersOf(const QString& format, HistorySearchTexts* texts)
{
    HistorySlipNumbers out;
    // One row per slip: the search texts list every slip, and are smaller
    // to read than the history's own rows.
    out.error = EachManyRows(QStringLiteral("SELECT ID, Txt, CIDs FROM 历史检索 WHERE Fmt=? ORDER BY ID DESC"),
                             {format}, [&](const auto& row) {
                                 out.numbers << row.Int(1);
                                 out.records += ValueCountOf(row.Utf8(2), row.Utf8(3));
                                 if (texts) texts->Add(row.Int(1), row.Utf8(2), row.Utf8(3));
                             });
    out.ok = out.error.isEmpty();
    if (!out.ok) {
        out.numbers.clear();
        out.records = 0;
    }
    return out;
}

HistorySortKeys ReadHistorySortKeys(const QString& format, qint64 boxId, const QVector<qint64>& slips,
                                    const HistorySearchTexts* texts)
{
    HistorySortKeys out;
    if (texts && texts->Count() == slips.size() && texts->SortKeysOf(boxId, out.keys)) {
        out.error = EachManyRows(QStringLiteral("SELECT ID FROM 历史 WHERE Fmt=? AND CID=? LIMIT 1"), {format, boxId},
                                 [](const auto&) {});
        out.ok = out.error.isEmpty();
        if (!out.ok) out.keys.clear();
        return out;
    }
    out.keys.clear();
    QHash<qint64, QString> values;
    values.reserve(slips.size());
    out.error = EachManyRows(QStringLiteral("SELECT ID, Con FROM 历史 WHERE Fmt=? AND CID=?"), {format, boxId},
                             [&](const auto& row) { values.insert(row.Int(1), row.Text(2)); });
    out.ok = out.error.isEmpty();
    if (!out.ok) return out;
    out.keys.reserve(slips.size());
    for (qint64 slip : slips) out.keys.push_back({slip, GridSortKey(values.value(slip))});
    return out;
}

namespace {

// A number of a sort key as bits that order as the numbers do (0 and -0
// alike); the descending order's are turned round.
quint64 OrderedBits(double number, bool ascending)
{
    const quint64 bits = std::bit_cast<quint64>(number == 0 ? 0.0 : number);
    const quint64 ordered = bits >> 63 ? ~bits : bits | (quint64(1) << 63);
    return ascending ? ordered : ~ordered;
}

struct NumberKey {
    quint64 bits;
    qint64 slip;
};

// Sorts by bits eleven at a time from the lowest; slips of equal bits stay
// in the order they came in. Digits all the keys share are passed over.
void RadixSort(std::vector<NumberKey>& keys)
{
    constexpr int kDigitBits = 11;
    constexpr quint64 kDigit = (quint64(1) << kDigitBits) - 1;
    std::vector<NumberKey> other(keys.size());
    std::vector<qsizetype> start(kDigit + 1);
    for (int shift = 0; shift < 64; shift += kDigitBits) {
        std::fill(start.begin(), start.end(), 0);
        for (const NumberKey& k : keys) ++start[(k.bits >> shift) & kDigit];
        if (std::find(start.cbegin(), start.cend(), qsizetype(keys.size())) != start.cend()) continue;
        qsizetype at = 0;
        for (qsizetype& s : start) at += std::exchange(s, at);
        for (const NumberKey& k : keys) other[start[(k.bits >> shift) & kDigit]++] = k;
        keys.swap(other);
    }
}

} // namespace

QVector<qint64> SortHistorySlips(const QVector<HistorySortKey>& keys, Qt::SortOrder order)
{
    // Numbers come before texts, so the two are sorted apart. The numbers,
    // most of a column of amounts, are sorted by their bits, newest first
    // among equal ones as they are taken newest first.
    const bool ascending = order == Qt::AscendingOrder;
    std::vector<NumberKey> numbers;
    std::vector<int> texts;
    numbers.reserve(keys.size());
    for (int i = 0; i < keys.size(); ++i) {
        const HistorySortKey& k = keys[i];
        if (k.key.isNumber) numbers.push_back({OrderedBits(k.key.number, ascending), k.slip});
        else texts.push_back(i);
    }
    if (!std::is_sorted(numbers.cbegin(), numbers.cend(),
                        [](const NumberKey& a, const NumberKey& b) { return a.slip > b.slip; }))
        std::sort(numbers.begin(), numbers.end(), [](const NumberKey& a, const NumberKey& b) { return a.slip > b.slip; });
    RadixSort(numbers);
    std::sort(texts.begin(), texts.end(), [&](int a, int b) {
        const int cmp = CompareGridKeys(keys[a].key, keys[b].key);
        if (cmp != 0) return ascending ? cmp < 0 : cmp > 0;
        return keys[a].slip > keys[b].slip;
    });
    QVector<qint64> out(keys.size());
    qint64* next = out.data();
    auto takeNumbers = [&] {
        for (const NumberKey& n : numbers) *next++ = n.slip;
    };
    if (ascending) takeNumbers();
    for (int i : texts) *next++ = keys[i].slip;
    if (!ascending) takeNumbers();
    return out;
}

HistoryFind FindHistorySlip(const QString& format, const QVector<qint64>& slipsInOrder,
                            const QSet<qint64>& listedBoxes, const HistorySearchTexts& texts, QString& text,
                            int currentRow, bool currentIsPreviousMatch)
{
    HistoryFind out;
    out.ok = true;
    text = text.trimmed();
    const int rows = int(slipsInOrder.size());
    if (rows == 0 || text.isEmpty()) return out;

    // A value of a box the list no longer shows is in the slip's text too,
    // so a slip whose text holds the text is read to check its listed values.
    const QByteArray utf8 = text.toUtf8();
    auto holds = [&](qint64 slip) {
        if (!texts.Holds(slip, utf8)) return false;
        const HistorySlipValues values = ReadHistorySlip(format, slip);
        if (!values.ok) {
            out.ok = false;
            out.error = values.error;
            return false;
        }
        for (auto it = values.values.cbegin(); it != values.values.cend(); ++it)
            if (listedBoxes.contains(it.key()) && it.value().contains(text, Qt::CaseSensitive)) return true;
        return false;
    };

    const int current = currentRow < 0 || currentRow >= rows ? 0 : currentRow;
    int r = current;
    if (currentIsPreviousMatch && ++r >= rows) r = 0;
    do {
        if (holds(slipsInOrder[r])) {
            out.row = r;
            return out;
        }
        if (!out.ok) return out;
        if (++r >= rows) r = 0;
    } while (r != current);
    out.message = QStringLiteral("没有查到相关的记录！");
    return out;
}

bool EnsureHistoryTables(DbConnection& conn)
{
    QSqlQuery q(conn.db());
    // The columns of a table; none when it is not there yet.
    auto columnsOf = [&q](const QString& table, QStringList& columns) {
        const bool read = Run(q, QStringLiteral("PRAGMA table_info(%1)").arg(table), {})
                          && ReadEveryRow(q, [&columns](const QSqlQuery& row) { columns << row.value(1).toString(); });
        q.finish();
        return read;
    };
    QStringList search, pending;
    if (!columnsOf(QStringLiteral("历史检索"), search) || !columnsOf(QStringLiteral("历史待定"), pending)) return false;
    const bool existed = !search.isEmpty();
    // A table from before the boxes of its values were kept gets them, and
    // is filled anew so that every slip's text and boxes go together.
    const bool hasBoxes = !existed || search.contains(QStringLiteral("CIDs"));
    if (!hasBoxes && !Run(q, QStringLiteral("ALTER TABLE 历史检索 ADD COLUMN CIDs TEXT"), {})) return false;
    // Printed is 1 for a run that printed but whose slips could not be
    // stored; a table from before that mark gets it.
    if (!pending.isEmpty() && !pending.contains(QStringLiteral("Printed")) &&
        !Run(q, QStringLiteral("ALTER TABLE 历史待定 ADD COLUMN Printed INTEGER"), {}))
        return false;
    for (const char* sql :
         {"CREATE TABLE IF NOT EXISTS 历史检索 (Fmt TEXT, ID INTEGER, Txt TEXT, CIDs TEXT, PRIMARY KEY(Fmt, ID))"
          " WITHOUT ROWID",
          "CREATE TABLE IF NOT EXISTS 历史待定 (Run INTEGER, Seq INTEGER, Fmt TEXT, CID INTEGER, Con TEXT, Printed INTEGER)",
          // Slips go whoever deletes them (a deleted format takes its history along).
          "CREATE TRIGGER IF NOT EXISTS 历史检索_delete AFTER DELETE ON 历史 BEGIN"
          " DELETE FROM 历史检索 WHERE Fmt=OLD.Fmt AND ID=OLD.ID; END"}) {
        if (!Run(q, QString::fromUtf8(sql), {})) return false;
    }
    if (existed && hasBoxes) return true;
    // Both lists are made in one pass over each slip's rows, so in one order.
    return Run(q,
               QStringLiteral("INSERT OR REPLACE INTO 历史检索(Fmt, ID, Txt, CIDs) SELECT Fmt, ID,"
                              " group_concat(char(31) || Con, ''), group_concat(CID, ',') FROM 历史"
                              " WHERE Con<>'' GROUP BY Fmt, ID"),
               {});
}

} // namespace slip
