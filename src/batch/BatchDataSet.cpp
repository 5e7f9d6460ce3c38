#include "batch/BatchDataSet.h"

#include <algorithm>
#include <utility>

namespace slip {

BatchDataSet::BatchDataSet(QObject* parent) : QAbstractTableModel(parent) {}

QVector<QStringList> BatchDataSet::Reset(QVector<BatchColumn> columns, QVector<QStringList> records)
{
    beginResetModel();
    columns_ = std::move(columns);
    shown_ = QVector<bool>(columns_.size(), true);
    QVector<QStringList> old = std::exchange(records_, std::move(records));
    const qsizetype n = columns_.size();
    for (QStringList& r : records_) {
        if (r.size() > n) r.erase(r.begin() + n, r.end());
        while (r.size() < n) r << QString();
    }
    endResetModel();
    return old;
}

QStringList BatchDataSet::RecordValues(int record) const
{
    if (record < 1 || record > records_.size()) return {};
    return records_[record - 1];
}

bool BatchDataSet::ColumnShown(int m) const
{
    return m >= 0 && m < shown_.size() && shown_[m];
}

void BatchDataSet::SetColumnShown(int m, bool shown)
{
    if (m < 0 || m >= shown_.size()) return;
    shown_[m] = shown;
}

bool BatchDataSet::DeleteRecords(QVector<int> records)
{
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    bool removed = false;
    // From the bottom up, a run of neighbours at a time, so that the numbers
    // of the records still to go stay valid.
    for (qsizetype i = records.size() - 1; i >= 0; --i) {
        const int last = std::min(records[i], RecordCount());
        while (i > 0 && records[i - 1] == records[i] - 1) --i;
        const int first = std::max(records[i], 1);
        if (first > last) continue;
        beginRemoveRows(QModelIndex(), first - 1, last - 1);
        records_.remove(first - 1, last - first + 1);
        endRemoveRows();
        removed = true;
    }
    // The running numbers of the records after them change.
    if (removed && !records_.isEmpty())
        emit dataChanged(index(0, 0), index(int(records_.size()) - 1, 0), {Qt::DisplayRole});
    return removed;
}

void BatchDataSet::Clear()
{
    if (records_.isEmpty()) return;
    beginResetModel();
    records_.clear();
    endResetModel();
}

int BatchDataSet::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(records_.size());
}

int BatchDataSet::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns_.size()) + 1;
}

QVariant BatchDataSet::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= records_.size() || index.column() > columns_.size()) return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    return CellText(records_[index.row()], index.row(), index.column());
}

QString BatchDataSet::CellText(const QStringList& record, int row, int column)
{
    if (column == 0) return QString::number(row + 1);
    return column - 1 < record.size() ? record[column - 1] : QString();
}

QVariant BatchDataSet::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section > columns_.size()) return {};
    if (section == 0) return role == Qt::DisplayRole ? QVariant(QStringLiteral("序号")) : QVariant();
    const BatchColumn& c = columns_[section - 1];
    switch (role) {
    case Qt::DisplayRole: return c.caption;
    case RecordIdRole: return c.recordId;
    case BoxIndexRole: return c.boxIndex;
    default: return {};
    }
}

} // namespace slip
