#include "ui/GridView.h"

#include "core/Units.h"
#include "ui/DataGrid.h"
#include "core/GridModel.h"
#include "storage/Params.h"
#include "core/TextNumber.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QResizeEvent>
#include <QScrollBar>

namespace slip {

namespace {
int Px(int twips) { return int(RoundHalfEven(twips / units::kTwipsPerPixel)); }
// The height a grid row has unless it was given another.
constexpr int kUsualRowTwips = 240;
} // namespace

GridViewModel::GridViewModel(GridModel* grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid)
{
    if (!grid) return;
    // Any change of shape is shown as a fresh model: rows move under the
    // fixed ones, so their numbers shift.
    connect(grid, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(grid, &QAbstractItemModel::modelReset, this, [this] {
        endResetModel();
        emit ColumnWidthsChanged();
        emit RowHeightsChanged();
    });
    connect(grid, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] { beginResetModel(); });
    connect(grid, &QAbstractItemModel::rowsInserted, this, [this] {
        endResetModel();
        emit RowHeightsChanged();
    });
    connect(grid, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { beginResetModel(); });
    connect(grid, &QAbstractItemModel::rowsRemoved, this, [this] {
        endResetModel();
        emit RowHeightsChanged();
    });
    connect(grid, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& tl, const QModelIndex& br, const QList<int>& roles) {
                const int fixed = grid_->FixedRows();
                if (tl.row() < fixed) emit headerDataChanged(Qt::Horizontal, tl.column(), br.column());
                const int top = qMax(tl.row(), fixed) - fixed;
                const int bottom = br.row() - fixed;
                if (bottom >= top && bottom >= 0)
                    emit dataChanged(index(top, tl.column()), index(bottom, br.column()), roles);
            });
    connect(grid, &QAbstractItemModel::headerDataChanged, this, [this](Qt::Orientation o, int, int) {
        if (o == Qt::Horizontal) emit ColumnWidthsChanged();
        else emit RowHeightsChanged();
    });
    connect(grid, &QObject::destroyed, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

int GridViewModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !grid_) return 0;
    return qMax(0, grid_->Rows() - grid_->FixedRows());
}

int GridViewModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !grid_) return 0;
    return grid_->Cols();
}

QVariant GridViewModel::data(const QModelIndex& index, int role) const
{
    if (!grid_ || !index.isValid()) return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | (index.column() == 1 ? Qt::AlignBottom : Qt::AlignTop));
    return grid_->data(grid_->index(index.row() + grid_->FixedRows(), index.column()), role);
}

QVariant GridViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!grid_ || orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    const int captionRow = grid_->FixedRows() - 1;
    return captionRow >= 0 ? grid_->TextMatrix(captionRow, section) : QString();
}

Qt::ItemFlags GridViewModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

GridView::GridView(QWidget* parent) : QTableView(parent)
{
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(Px(kUsualRowTwips));
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &GridView::HeaderClicked);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &GridView::TopRowToGrid);
}

void GridView::SetGrid(GridModel* grid)
{
    QAbstractItemModel* old = model();
    view_ = grid ? new GridViewModel(grid, this) : nullptr;
    setModel(view_);
    if (old && old->parent() == this) old->deleteLater();
    if (!view_) return;
    connect(view_, &GridViewModel::ColumnWidthsChanged, this, &GridView::ApplyColumnWidths);
    connect(view_, &GridViewModel::RowHeightsChanged, this, &GridView::ApplyRowHeights);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &GridView::SelectionToGrid);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &GridView::SelectionToGrid);
    // A model reset replaces the selection model's state but keeps the object.
    grid->setProperty(kGridWidthProperty, int(width() * units::kTwipsPerPixel));
    ApplyColumnWidths();
    ApplyRowHeights();
}

GridModel* GridView::Grid() const { return view_ ? view_->Grid() : nullptr; }

void GridView::ApplyColumnWidths()
{
    GridModel* g = Grid();
    if (!g) return;
    for (int c = 0; c < g->Cols(); ++c) {
        const int w = g->ColWidth(c);
        setColumnHidden(c, w == 0);
        if (w > 0) setColumnWidth(c, qMax(1, Px(w)));
    }
}

void GridView::ApplyRowHeights()
{
    GridModel* g = Grid();
    if (!g) return;
    // Only rows of another height are touched, so a long grid is laid out at once.
    for (int r = g->FixedRows(); r < g->Rows(); ++r) {
        const int h = g->RowHeight(r);
        const int row = r - g->FixedRows();
        if (h == 0) {
            setRowHidden(row, true);
            continue;
        }
        if (isRowHidden(row)) setRowHidden(row, false);
        if (h != kUsualRowTwips || rowHeight(row) != Px(h)) setRowHeight(row, qMax(1, Px(h)));
    }
}

void GridView::HeaderClicked(int section)
{
    GridModel* g = Grid();
    if (!g || section < 0 || section >= g->Cols()) return;
    // The grid's own coordinates: the fixed columns first, then the scrolled
    // columns from the first one in view.
    int fixedWidth = 0;
    for (int c = 0; c < g->FixedCols(); ++c) fixedWidth += g->ColWidth(c);
    const int leftCol = qMax(g->FixedCols(), columnAt(0));
    double x = 0;
    if (section < g->FixedCols()) {
        for (int c = 0; c < section; ++c) x += g->ColWidth(c);
    } else {
        x = fixedWidth;
        for (int c = leftCol; c < section; ++c) x += g->ColWidth(c);
    }
    x += g->ColWidth(section) / 2.0;
    GridHeaderClick(*g, x, 0, leftCol);
}

void GridView::SelectionToGrid()
{
    GridModel* g = Grid();
    if (!g) return;
    const int fixed = g->FixedRows();
    const QModelIndex cur = currentIndex();
    if (!cur.isValid()) return;
    g->Row = cur.row() + fixed;
    g->Col = cur.column();
    g->RowSel = g->Row;
    g->ColSel = g->Col;
    const QItemSelection sel = selectionModel()->selection();
    if (sel.isEmpty()) return;
    int top = cur.row(), bottom = cur.row(), left = cur.column(), right = cur.column();
    for (const QItemSelectionRange& r : sel) {
        top = qMin(top, r.top());
        bottom = qMax(bottom, r.bottom());
        left = qMin(left, r.left());
        right = qMax(right, r.right());
    }
    g->RowSel = (cur.row() == top ? bottom : top) + fixed;
    g->ColSel = cur.column() == left ? right : left;
}

void GridView::TopRowToGrid()
{
    GridModel* g = Grid();
    if (!g) return;
    const int r = rowAt(0);
    g->TopRow = (r < 0 ? 0 : r) + g->FixedRows();
}

void GridView::SyncFromGrid()
{
    GridModel* g = Grid();
    if (!g || !view_) return;
    const int fixed = g->FixedRows();
    const QModelIndex cur = view_->index(g->Row - fixed, g->Col);
    if (!cur.isValid()) return;
    const QModelIndex end = view_->index(qBound(0, g->RowSel - fixed, view_->rowCount() - 1),
                                         qBound(0, g->ColSel, view_->columnCount() - 1));
    selectionModel()->setCurrentIndex(cur, QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(cur, end), QItemSelectionModel::ClearAndSelect);
    scrollTo(cur);
}

void GridView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    // The event tells the viewport's size; the grid's width is the whole control's.
    if (GridModel* g = Grid()) g->setProperty(kGridWidthProperty, int(width() * units::kTwipsPerPixel));
}

} // namespace slip
