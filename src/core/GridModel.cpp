#include "core/GridModel.h"

#include <QBrush>
#include <QColor>

namespace slip {

namespace {
constexpr int kDefaultColWidth = 960;  // twips
constexpr int kDefaultRowHeight = 240;
} // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::SetRows(int n)
{
    n = qMax(0, n);
    if (n == rows_) return;
    beginResetModel();
    cells_.resize(n);
    for (int r = rows_; r < n; ++r) cells_[r].resize(cols_);
    rowHeights_.resize(n);
    for (int r = rows_; r < n; ++r) rowHeights_[r] = kDefaultRowHeight;
    rows_ = n;
    fixedRows_ = qMin(fixedRows_, rows_);
    Row = qMin(Row, qMax(0, rows_ - 1));
    RowSel = qMin(RowSel, qMax(0, rows_ - 1));
    TopRow = qMin(TopRow, qMax(0, rows_ - 1));
    endResetModel();
}

void GridModel::SetCols(int n)
{
    n = qMax(0, n);
    if (n == cols_) return;
    beginResetModel();
    for (auto& row : cells_) row.resize(n);
    colWidths_.resize(n);
    for (int c = cols_; c < n; ++c) colWidths_[c] = kDefaultColWidth;
    cols_ = n;
    fixedCols_ = qMin(fixedCols_, cols_);
    Col = qMin(Col, qMax(0, cols_ - 1));
    ColSel = qMin(ColSel, qMax(0, cols_ - 1));
    endResetModel();
}

QString GridModel::TextMatrix(int row, int col) const
{
    return valid(row, col) ? cell(row, col).text : QString();
}

void GridModel::SetTextMatrix(int row, int col, const QString& text)
{
    if (!valid(row, col)) return;
    cell(row, col).text = text;
    const QModelIndex i = index(row, col);
    emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
}

qint32 GridModel::CellBackColor(int row, int col) const
{
    return valid(row, col) ? cell(row, col).back : kNoColor;
}

void GridModel::SetCellBackColor(int row, int col, qint32 bgr)
{
    if (!valid(row, col)) return;
    cell(row, col).back = bgr;
    const QModelIndex i = index(row, col);
    emit dataChanged(i, i, {Qt::BackgroundRole});
}

qint32 GridModel::CellForeColor(int row, int col) const
{
    return valid(row, col) ? cell(row, col).fore : kNoColor;
}

void GridModel::SetCellForeColor(int row, int col, qint32 bgr)
{
    if (!valid(row, col)) return;
    cell(row, col).fore = bgr;
    const QModelIndex i = index(row, col);
    emit dataChanged(i, i, {Qt::ForegroundRole});
}

int GridModel::ColWidth(int col) const
{
    return col >= 0 && col < cols_ ? colWidths_[col] : 0;
}

void GridModel::SetColWidth(int col, int twips)
{
    if (col < 0 || col >= cols_) return;
    colWidths_[col] = qMax(0, twips);
    emit headerDataChanged(Qt::Horizontal, col, col);
}

int GridModel::RowHeight(int row) const
{
    return row >= 0 && row < rows_ ? rowHeights_[row] : 0;
}

void GridModel::SetRowHeight(int row, int twips)
{
    if (row < 0 || row >= rows_) return;
    rowHeights_[row] = qMax(0, twips);
    emit headerDataChanged(Qt::Vertical, row, row);
}

void GridModel::InsertRow(int row)
{
    row = qBound(0, row, rows_);
    beginInsertRows({}, row, row);
    cells_.insert(row, QVector<Cell>(cols_));
    rowHeights_.insert(row, kDefaultRowHeight);
    ++rows_;
    endInsertRows();
}

void GridModel::RemoveRow(int row)
{
    if (row < 0 || row >= rows_) return;
    beginRemoveRows({}, row, row);
    cells_.remove(row);
    rowHeights_.remove(row);
    --rows_;
    fixedRows_ = qMin(fixedRows_, rows_);
    Row = qMin(Row, qMax(0, rows_ - 1));
    RowSel = qMin(RowSel, qMax(0, rows_ - 1));
    TopRow = qMin(TopRow, qMax(0, rows_ - 1));
    endRemoveRows();
}

int GridModel::AddRow(const QStringList& cellsText)
{
    const int row = rows_;
    InsertRow(row);
    for (int c = 0; c < cols_ && c < cellsText.size(); ++c) cells_[row][c].text = cellsText[c];
    if (!cellsText.isEmpty()) emit dataChanged(index(row, 0), index(row, qMax(0, cols_ - 1)));
    return row;
}

void GridModel::ReorderDataRows(const QVector<int>& newOrder)
{
    const int dataRows = rows_ - fixedRows_;
    if (newOrder.size() != dataRows) return;
    beginResetModel();
    QVector<QVector<Cell>> moved(dataRows);
    QVector<int> heights(dataRows);
    for (int i = 0; i < dataRows; ++i) {
        const int from = newOrder[i];
        if (from < 0 || from >= dataRows) {
            endResetModel();
            return;
        }
        moved[i] = cells_[fixedRows_ + from];
        heights[i] = rowHeights_[fixedRows_ + from];
    }
    for (int i = 0; i < dataRows; ++i) {
        cells_[fixedRows_ + i] = moved[i];
        rowHeights_[fixedRows_ + i] = heights[i];
    }
    endResetModel();
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !valid(index.row(), index.column())) return {};
    const Cell& c = cell(index.row(), index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return c.text;
    case Qt::BackgroundRole:
        if (c.back != kNoColor) return QBrush(ToQColor(c.back == kStoredBlack ? 0 : c.back));
        if (index.row() < fixedRows_ || index.column() < fixedCols_) return QBrush(QColor(0xF0, 0xF0, 0xF0));
        return {};
    case Qt::ForegroundRole:
        if (c.fore != kNoColor) return QBrush(ToQColor(c.fore == kStoredBlack ? 0 : c.fore));
        return {};
    default: return {};
    }
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !valid(index.row(), index.column())) return false;
    SetTextMatrix(index.row(), index.column(), value.toString());
    return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QColor GridModel::ToQColor(qint32 bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

qint32 GridModel::FromQColor(const QColor& c)
{
    return qint32(c.red()) | (qint32(c.green()) << 8) | (qint32(c.blue()) << 16);
}

} // namespace slip
