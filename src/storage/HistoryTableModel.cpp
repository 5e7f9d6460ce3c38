#include "storage/HistoryTableModel.h"

#include "storage/Database.h"
#include "storage/HistoryStore.h"

#include <QSet>
#include <QSqlDriver>
#include <QSqlQuery>
#include <sqlite3.h>
#include <algorithm>

namespace slip {

namespace {

const QString kPageQuery =
    QStringLiteral("SELECT ID, CID, Con FROM 历史 WHERE Fmt=? AND ID BETWEEN ? AND ?");

// Reading a page through the connection's own SQLite handle skips a
// QVariant per field, which is most of the cost of going through every cell
// of a long history (an export).
template <class Take>
bool ReadPageRows(sqlite3* handle, const QString& format, qint64 low, qint64 high, Take take)
{
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = kPageQuery.toUtf8();
    if (sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return false;
    }
    const QByteArray name = format.toUtf8();
    sqlite3_bind_text(stmt, 1, name.constData(), int(name.size()), SQLITE_STATIC);
    sqlite3_bind_int64(stmt, 2, low);
    sqlite3_bind_int64(stmt, 3, high);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const void* text = sqlite3_column_text16(stmt, 2);
        const int bytes = sqlite3_column_bytes16(stmt, 2);
        take(sqlite3_column_int64(stmt, 0), sqlite3_column_int64(stmt, 1),
             text ? QString(static_cast<const QChar*>(text), bytes / 2) : QString());
    }
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE;
}

} // namespace

HistoryTableModel::HistoryTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void HistoryTableModel::InitHistoryGrid(const QString& format, const QVector<HistoryBox>& boxes)
{
    beginResetModel();
    format_ = format;
    boxes_ = boxes;
    std::stable_sort(boxes_.begin(), boxes_.end(), [](const HistoryBox& a, const HistoryBox& b) {
        if (a.boxClass != b.boxClass) return a.boxClass < b.boxClass;
        const int byCaption = QString::compare(a.caption, b.caption);
        if (byCaption != 0) return byCaption < 0;
        return a.id < b.id;
    });
    columnOfBox_.clear();
    for (int i = 0; i < boxes_.size(); ++i)
        if (!columnOfBox_.contains(boxes_[i].id)) columnOfBox_.insert(boxes_[i].id, i);
    slips_.clear();
    lastError_.clear();
    ClearCache();
    endResetModel();
}

bool HistoryTableModel::LoadHistoryList(const QString& format, const QVector<HistoryBox>& boxes)
{
    InitHistoryGrid(format, boxes);
    const HistorySlipNumbers numbers = HistorySlipNumbersOf(format);
    if (!numbers.ok) {
        lastError_ = numbers.error;
        return false;
    }
    if (numbers.numbers.isEmpty()) return true;
    beginInsertRows({}, 0, int(numbers.numbers.size()) - 1);
    slips_ = numbers.numbers;
    endInsertRows();
    return true;
}

qint64 HistoryTableModel::SlipNumber(int row) const
{
    return row >= 0 && row < slips_.size() ? slips_[row] : 0;
}

qint64 HistoryTableModel::BoxId(int column) const
{
    const int b = column - kFirstBoxColumn;
    return b >= 0 && b < boxes_.size() ? boxes_[b].id : 0;
}

int HistoryTableModel::ColumnOfBox(qint64 boxId) const
{
    const auto it = columnOfBox_.constFind(boxId);
    return it == columnOfBox_.constEnd() ? -1 : *it + kFirstBoxColumn;
}

void HistoryTableModel::RemoveSlips(const QVector<qint64>& slipNumbers)
{
    const QSet<qint64> gone(slipNumbers.begin(), slipNumbers.end());
    if (gone.isEmpty()) return;
    // Remove runs of rows from the bottom up, so the rows above keep their places.
    int row = int(slips_.size()) - 1;
    bool removed = false;
    while (row >= 0) {
        if (!gone.contains(slips_[row])) {
            --row;
            continue;
        }
        const int last = row;
        while (row > 0 && gone.contains(slips_[row - 1])) --row;
        beginRemoveRows({}, row, last);
        slips_.remove(row, last - row + 1);
        endRemoveRows();
        removed = true;
        --row;
    }
    if (removed) {
        // Pages are cut by row, so every cached page may now be off.
        ClearCache();
        // The running numbers below the first removed row changed.
        if (!slips_.isEmpty())
            emit dataChanged(index(0, kRunningNumberColumn),
                             index(int(slips_.size()) - 1, kRunningNumberColumn));
    }
}

void HistoryTableModel::SetPageSize(int rows)
{
    pageSize_ = std::max(1, rows);
    ClearCache();
}

void HistoryTableModel::SetCachedPages(int pages)
{
    cachedPages_ = std::max(1, pages);
    ClearCache();
}

void HistoryTableModel::ClearCache()
{
    cache_.clear();
    recent_.clear();
}

int HistoryTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(slips_.size());
}

int HistoryTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kFirstBoxColumn + int(boxes_.size());
}

const HistoryTableModel::Page& HistoryTableModel::PageOf(int pageIndex) const
{
    auto it = cache_.find(pageIndex);
    if (it != cache_.end()) {
        if (recent_.isEmpty() || recent_.last() != pageIndex) {
            recent_.removeOne(pageIndex);
            recent_.append(pageIndex);
        }
        return *it;
    }
    while (cache_.size() >= cachedPages_ && !recent_.isEmpty())
        cache_.remove(recent_.takeFirst());
    Page& page = cache_[pageIndex];
    ReadPage(pageIndex, page);
    recent_.append(pageIndex);
    return page;
}

void HistoryTableModel::ReadPage(int pageIndex, Page& page) const
{
    ++pagesRead_;
    const int first = pageIndex * pageSize_;
    const int end = std::min(int(slips_.size()), first + pageSize_);
    const int columns = int(boxes_.size());
    page.cells = QVector<QString>(qsizetype(end - first) * columns);
    if (end <= first || columns == 0) return;

    // Newest first: the page runs from its highest number down.
    const qint64 low = slips_[end - 1];
    const qint64 high = slips_[first];
    const auto pageBegin = slips_.cbegin() + first;
    const auto pageEnd = slips_.cbegin() + end;
    qint64 lastId = -1;
    int lastRow = -1;
    auto take = [&](qint64 id, qint64 boxId, QString value) {
        if (id != lastId) {
            lastId = id;
            const auto at = std::lower_bound(pageBegin, pageEnd, id, std::greater<qint64>());
            lastRow = (at != pageEnd && *at == id) ? int(at - pageBegin) : -1;
        }
        if (lastRow < 0) return;  // a slip stored after the list was loaded
        const auto col = columnOfBox_.constFind(boxId);
        if (col == columnOfBox_.constEnd()) return;  // its box was deleted
        page.cells[qsizetype(lastRow) * columns + *col] = std::move(value);
    };

    DbConnection conn;
    bool ok = conn.isOpen();
    if (ok) {
        if (sqlite3* handle = SqliteHandle(conn)) {
            ok = ReadPageRows(handle, format_, low, high, take);
        } else {
            QSqlQuery q(conn.db());
            q.setForwardOnly(true);
            ok = q.prepare(kPageQuery);
            if (ok) {
                q.bindValue(0, format_);
                q.bindValue(1, low);
                q.bindValue(2, high);
                ok = q.exec();
            }
            while (ok && q.next()) take(q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toString());
        }
    }
    if (!ok) {
        page.failed = true;
        page.cells.fill(QString());
        lastError_ = conn.isOpen() ? QStringLiteral("数据库打开错误(") + kPageQuery + QStringLiteral(")！")
                                   : QStringLiteral("无法建立数据库连接！");
    }
}

QVariant HistoryTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    const int row = index.row();
    const int column = index.column();
    if (row < 0 || row >= slips_.size() || column < 0 || column >= columnCount()) return {};
    if (column == kSlipNumberColumn) return QString::number(slips_[row]);
    if (column == kRunningNumberColumn) return QString::number(row + 1);
    const Page& page = PageOf(row / pageSize_);
    if (page.failed) return QString();
    return page.cells[qsizetype(row % pageSize_) * boxes_.size() + (column - kFirstBoxColumn)];
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal) return QAbstractTableModel::headerData(section, orientation, role);
    if (section < 0 || section >= columnCount()) return {};
    if (role == kBoxIdRole) return BoxId(section);
    if (role != Qt::DisplayRole) return {};
    if (section == kSlipNumberColumn) return QString();
    if (section == kRunningNumberColumn) return QStringLiteral("序号");
    return boxes_[section - kFirstBoxColumn].caption;
}

Qt::ItemFlags HistoryTableModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace slip
