#include "storage/HistoryTableModel.h"

#include "storage/Database.h"
#include "core/GridRules.h"
#include "storage/HistoryStore.h"

#include <QSet>
#include <QSqlQuery>
#include <algorithm>

namespace slip {

namespace {

// Reading a page through the connection's own SQLite handle skips a
// QVariant per field, which is most of the cost of going through every cell
// of a long history (an export). params are the format, then numbers.
template <class Take>
bool ReadPageRows(SqliteStatement& rows, const QString& format, const QVector<qint64>& numbers, Take take)
{
    rows.Bind(1, format.isNull() ? QStringLiteral("") : format);  // a name, never NULL
    for (int i = 0; i < numbers.size(); ++i) rows.Bind(i + 2, numbers[i]);
    bool failed = false;
    while (rows.Next(failed)) take(rows.Int(1), rows.Int(2), rows.Text(3));
    return !failed;
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
    records_ = 0;
    texts_ = HistorySearchTexts();
    sortKeys_.clear();
    lastError_.clear();
    sortColumn_ = -1;
    ClearCache();
    endResetModel();
}

bool HistoryTableModel::LoadHistoryList(const QString& format, const QVector<HistoryBox>& boxes,
                                        ProgressReporter& progress)
{
    InitHistoryGrid(format, boxes);
    const HistorySlipNumbers numbers = HistorySlipNumbersOf(format, &texts_);
    if (!numbers.ok) {
        lastError_ = numbers.error;
        return false;
    }
    if (numbers.numbers.isEmpty()) return true;
    // The slips are listed from their search texts; whether their values
    // can be read is known once every page was read, the records counted
    // as the pages go.
    beginResetModel();
    slips_ = numbers.numbers;
    records_ = numbers.records;
    endResetModel();
    const qint64 slips = slips_.size();
    const bool counted = records_ > kProgressRecords;
    if (counted) progress.Start(QStringLiteral("正在加载历史记录……"), int(records_));
    bool readable = true;
    qint64 shown = 0;
    for (qint64 first = 0; first < slips && readable; first += pageSize_) {
        readable = PageOf(int(first / pageSize_), false).error.isEmpty();
        const qint64 due = std::min(slips, first + pageSize_) * records_ / slips;
        if (counted) progress.Step(int(due - shown), QStringLiteral("pages"));
        shown = due;
    }
    if (counted) progress.End();
    if (!readable) {
        const QString error = lastError_;
        InitHistoryGrid(format, boxes);
        lastError_ = error;
    }
    return readable;
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
        sortKeys_.clear();
        texts_.Remove(gone);
        // The running numbers below the first removed row changed.
        if (!slips_.isEmpty())
            emit dataChanged(index(0, kRunningNumberColumn),
                             index(int(slips_.size()) - 1, kRunningNumberColumn));
    }
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

QString HistoryTableModel::RowReadError(int row) const
{
    return row >= 0 && row < slips_.size() ? PageOf(row / pageSize_).error : QString();
}

const HistoryTableModel::Page& HistoryTableModel::PageOf(int pageIndex, bool tell) const
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
    if (tell && !page.error.isEmpty()) emit pageUnreadable(page.error);
    return page;
}

void HistoryTableModel::ReadPage(int pageIndex, Page& page) const
{
    const int first = pageIndex * pageSize_;
    const int end = std::min(int(slips_.size()), first + pageSize_);
    const int columns = int(boxes_.size());
    page.cells = QVector<QString>(qsizetype(end - first) * columns);
    if (end <= first || columns == 0) return;

    // A page of the list newest first is one run of numbers, read as a
    // range; a page of a sorted list names its slips one by one.
    QHash<qint64, int> rowOf;
    rowOf.reserve(end - first);
    qint64 low = slips_[first], high = slips_[first];
    for (int r = first; r < end; ++r) {
        rowOf.insert(slips_[r], r - first);
        low = std::min(low, slips_[r]);
        high = std::max(high, slips_[r]);
    }
    QString sql = QStringLiteral("SELECT ID, CID, Con FROM 历史 WHERE Fmt=? AND ID ");
    QVector<qint64> numbers;
    if (high - low < qint64(4) * pageSize_) {
        sql += QStringLiteral("BETWEEN ? AND ?");
        numbers = {low, high};
    } else {
        sql += QStringLiteral("IN (?") + QStringLiteral(", ?").repeated(end - first - 1) + QLatin1Char(')');
        numbers = QVector<qint64>(slips_.cbegin() + first, slips_.cbegin() + end);
    }
    qint64 lastId = -1;
    int lastRow = -1;
    auto take = [&](qint64 id, qint64 boxId, QString value) {
        if (id != lastId) {
            lastId = id;
            lastRow = rowOf.value(id, -1);
        }
        if (lastRow < 0) return;  // not on this page, or stored after the list was read
        const auto col = columnOfBox_.constFind(boxId);
        if (col == columnOfBox_.constEnd()) return;  // its box was deleted
        page.cells[qsizetype(lastRow) * columns + *col] = std::move(value);
    };

    DbConnection conn;
    bool ok = conn.isOpen();
    if (ok) {
        if (SqliteStatement rows(conn, sql); rows.Prepared()) {
            ok = ReadPageRows(rows, format_, numbers, take);
        } else {
            QSqlQuery q(conn.db());
            q.setForwardOnly(true);
            ok = q.prepare(sql);
            if (ok) {
                QVariantList values{format_};
                for (qint64 n : numbers) values << n;
                BindValues(q, values);
                ok = q.exec();
            }
            ok = ok && ReadEveryRow(q, [&take](const QSqlQuery& row) {
                take(row.value(0).toLongLong(), row.value(1).toLongLong(), row.value(2).toString());
            });
        }
    }
    if (!ok) {
        page.cells.fill(QString());
        QVariantList params{format_};
        for (qint64 n : numbers) params << n;
        page.error = conn.isOpen() ? StatementFailed(sql, params) : QStringLiteral("无法建立数据库连接！");
        lastError_ = page.error;
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
    if (!page.error.isEmpty()) return QString();
    return page.cells[qsizetype(row % pageSize_) * boxes_.size() + (column - kFirstBoxColumn)];
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal) return QAbstractTableModel::headerData(section, orientation, role);
    if (section < 0 || section >= columnCount()) return {};
    // The first click on a column sorts it ascending.
    if (role == Qt::InitialSortOrderRole) return int(Qt::AscendingOrder);
    if (role != Qt::DisplayRole) return {};
    if (section == kSlipNumberColumn) return QString();
    if (section == kRunningNumberColumn) return QStringLiteral("序号");
    const QString& caption = boxes_[section - kFirstBoxColumn].caption;
    return section == sortColumn_ ? CaptionWithSortMark(caption, sortOrder_) : caption;
}

HistoryFind HistoryTableModel::FindRow(QString& text, int currentRow, bool currentIsPreviousMatch) const
{
    QSet<qint64> listed;
    for (const HistoryBox& b : boxes_) listed.insert(b.id);
    return FindHistorySlip(format_, slips_, listed, texts_, text, currentRow, currentIsPreviousMatch);
}

void HistoryTableModel::sort(int column, Qt::SortOrder order)
{
    const qint64 box = BoxId(column);
    if (box == 0) return;
    // The listed slips' values of the box are taken once, from the slips'
    // texts read with the list where they tell each value's box (the texts
    // hold the listed slips: removed ones go from both); sorting by the box
    // again, either way, sorts the same keys.
    auto keys = sortKeys_.constFind(box);
    if (keys == sortKeys_.constEnd()) {
        HistorySortKeys read = ReadHistorySortKeys(format_, box, slips_, &texts_);
        if (!read.ok) {
            lastError_ = read.error;
            emit sortFailed(read.error);
            return;
        }
        keys = sortKeys_.insert(box, std::move(read.keys));
    }
    QVector<qint64> numbers = SortHistorySlips(*keys, order);
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    // The new rows of the slips a view holds on to (its current and
    // selected rows), found in one pass.
    QHash<qint64, int> rowOf;
    for (const QModelIndex& i : before) rowOf.insert(slips_.value(i.row()), i.row());
    if (!rowOf.isEmpty())
        for (int r = 0; r < numbers.size(); ++r)
            if (auto it = rowOf.find(numbers[r]); it != rowOf.end()) *it = r;
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before) after << index(rowOf.value(slips_.value(i.row()), i.row()), i.column());
    slips_ = std::move(numbers);
    ClearCache();
    sortColumn_ = column;
    sortOrder_ = order;
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    emit headerDataChanged(Qt::Horizontal, kFirstBoxColumn, columnCount() - 1);
}

Qt::ItemFlags HistoryTableModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace slip
