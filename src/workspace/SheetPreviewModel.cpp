#include "workspace/SheetPreviewModel.h"

#include "core/ColumnLetters.h"

namespace slip {

SheetPreviewModel::SheetPreviewModel(int rows, int columns, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows), columns_(columns)
{
}

void SheetPreviewModel::SetRows(QVector<QStringList> rows)
{
    beginResetModel();
    cells_ = std::move(rows);
    if (cells_.size() > rows_) cells_.resize(rows_);
    endResetModel();
}

QString SheetPreviewModel::Cell(int row, int column) const
{
    if (row < 1 || row > cells_.size() || column < 1 || column > columns_) return QString();
    return cells_[row - 1].value(column - 1);
}

int SheetPreviewModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int SheetPreviewModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QVariant SheetPreviewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return Cell(index.row() + 1, index.column() + 1);
    if (role == Qt::ToolTipRole) {
        const QString text = Cell(index.row() + 1, index.column() + 1);
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    return {};
}

QVariant SheetPreviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return ColumnLetters(section + 1);
    return QString::number(section + 1);
}

} // namespace slip
