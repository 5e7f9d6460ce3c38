#include "ui/FrozenColumnView.h"

#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>

namespace slip {

FrozenColumnView::FrozenColumnView(QWidget* parent) : QTableView(parent)
{
    frozen_ = new QTableView(this);
    frozen_->setObjectName(QStringLiteral("frozenColumns"));
    // Keys go to the table; the overlay only shows and takes clicks.
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->verticalHeader()->hide();
    frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setFrameShape(QFrame::NoFrame);
    // Shaded like the fixed part of a grid, so it reads as the row captions.
    QPalette pal = frozen_->palette();
    pal.setColor(QPalette::Base, palette().color(QPalette::Window));
    frozen_->setPalette(pal);
    viewport()->stackUnder(frozen_);

    // Pixel scrolling on both, or the two would stop on different rows.
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);
    frozen_->setVerticalScrollMode(ScrollPerPixel);

    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int logical, int, int) {
        if (logical < frozenCount_) SyncColumns();
    });
    connect(verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) { frozen_->setRowHeight(logical, size); });
    connect(frozen_->verticalScrollBar(), &QScrollBar::valueChanged, verticalScrollBar(), &QScrollBar::setValue);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, frozen_->verticalScrollBar(), &QScrollBar::setValue);
    // After rows come or go the overlay's range is set a moment later than
    // the table's; its position is caught up then.
    connect(frozen_->verticalScrollBar(), &QScrollBar::rangeChanged, this,
            [this] { frozen_->verticalScrollBar()->setValue(verticalScrollBar()->value()); });
    frozen_->show();
}

void FrozenColumnView::setModel(QAbstractItemModel* model)
{
    if (QAbstractItemModel* old = this->model()) disconnect(old, nullptr, this, nullptr);
    QTableView::setModel(model);
    frozen_->setModel(model);
    ShareSelection();
    if (model) {
        // A reset forgets the columns' widths and hidden states on both
        // tables; the table's new state is copied once it is settled.
        connect(model, &QAbstractItemModel::modelReset, this, [this] { SyncColumns(); });
        connect(model, &QAbstractItemModel::layoutChanged, this, [this] { SyncColumns(); });
        connect(model, &QAbstractItemModel::columnsInserted, this, [this] { SyncColumns(); });
        connect(model, &QAbstractItemModel::columnsRemoved, this, [this] { SyncColumns(); });
    }
    SyncColumns();
}

void FrozenColumnView::setSelectionModel(QItemSelectionModel* selectionModel)
{
    QTableView::setSelectionModel(selectionModel);
    ShareSelection();
}

void FrozenColumnView::ShareSelection()
{
    QItemSelectionModel* shared = selectionModel();
    QItemSelectionModel* own = frozen_->selectionModel();
    // While a new model is being set the overlay may still show the old one.
    if (!shared || own == shared || shared->model() != frozen_->model()) return;
    frozen_->setSelectionModel(shared);
    // The overlay's own selection model, made by its setModel, is not used.
    if (own && own->parent() == frozen_) own->deleteLater();
}

void FrozenColumnView::SetFrozenColumnCount(int count)
{
    frozenCount_ = std::max(0, count);
    SyncColumns();
}

int FrozenColumnView::FrozenWidth() const
{
    if (!model()) return 0;
    const int columns = std::min(frozenCount_, model()->columnCount(rootIndex()));
    int width = 0;
    for (int c = 0; c < columns; ++c)
        if (!isColumnHidden(c)) width += columnWidth(c);
    return width;
}

void FrozenColumnView::SetDelegate(QAbstractItemDelegate* delegate)
{
    setItemDelegate(delegate);
    frozen_->setItemDelegate(delegate);
}

void FrozenColumnView::SyncColumns()
{
    if (model()) {
        const int columns = model()->columnCount(rootIndex());
        for (int c = 0; c < columns; ++c) {
            // A column being hidden is resized to 0 before it counts as hidden.
            const bool shown = c < frozenCount_ && !isColumnHidden(c) && columnWidth(c) > 0;
            if (frozen_->isColumnHidden(c) == shown) frozen_->setColumnHidden(c, !shown);
            if (shown && frozen_->columnWidth(c) != columnWidth(c)) frozen_->setColumnWidth(c, columnWidth(c));
        }
    }
    // Clicks on the overlay select as clicks on the table would.
    frozen_->setSelectionBehavior(selectionBehavior());
    frozen_->setSelectionMode(selectionMode());
    frozen_->setVerticalScrollMode(verticalScrollMode());
    frozen_->setShowGrid(showGrid());
    frozen_->setAlternatingRowColors(alternatingRowColors());
    frozen_->setWordWrap(wordWrap());
    frozen_->setTextElideMode(textElideMode());
    QHeaderView* rows = verticalHeader();
    QHeaderView* frozenRows = frozen_->verticalHeader();
    if (frozenRows->minimumSectionSize() != rows->minimumSectionSize())
        frozenRows->setMinimumSectionSize(rows->minimumSectionSize());
    if (frozenRows->defaultSectionSize() != rows->defaultSectionSize())
        frozenRows->setDefaultSectionSize(rows->defaultSectionSize());
    if (rows->sectionResizeMode(0) != frozenRows->sectionResizeMode(0) && rows->count() > 0)
        frozenRows->setSectionResizeMode(rows->sectionResizeMode(0));
    PlaceFrozenView();
}

void FrozenColumnView::PlaceFrozenView()
{
    const QRect port = viewport()->geometry();
    const int width = std::min(FrozenWidth(), port.width());
    QHeaderView* captions = horizontalHeader();
    const bool headed = !captions->isHidden();
    frozen_->horizontalHeader()->setVisible(headed);
    if (headed) frozen_->horizontalHeader()->setFixedHeight(captions->height());
    const int top = headed ? captions->geometry().top() : port.top();
    frozen_->setGeometry(port.left(), top, width, port.bottom() - top + 1);
    frozen_->setVisible(width > 0);
    if (frozen_->verticalScrollBar()->value() != verticalScrollBar()->value())
        frozen_->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

void FrozenColumnView::UncoverColumn(const QModelIndex& index)
{
    if (!index.isValid() || index.column() < frozenCount_) return;
    const int covered = FrozenWidth();
    const QRect cell = visualRect(index);
    if (cell.left() < covered) horizontalScrollBar()->setValue(horizontalScrollBar()->value() + cell.left() - covered);
}

void FrozenColumnView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    PlaceFrozenView();
}

QModelIndex FrozenColumnView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex next = QTableView::moveCursor(cursorAction, modifiers);
    UncoverColumn(next);
    return next;
}

void FrozenColumnView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    const int sideways = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    // A frozen cell is in view whatever the sideways position: only scroll
    // up or down to it. Any other cell must not end up under the overlay.
    if (index.isValid() && index.column() < frozenCount_) horizontalScrollBar()->setValue(sideways);
    else UncoverColumn(index);
}

void FrozenColumnView::updateGeometries()
{
    QTableView::updateGeometries();
    SyncColumns();
}

} // namespace slip
