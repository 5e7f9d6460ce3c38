#include "ui/FrozenColumnView.h"

#include <QHeaderView>
#include <QScrollBar>

namespace slip {

FrozenColumnView::FrozenColumnView(QWidget* parent) : QTableView(parent)
{
    frozen_ = new QTableView(this);
    frozen_->setObjectName(QStringLiteral("frozenColumn"));
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->verticalHeader()->hide();
    frozen_->setFrameShape(QFrame::NoFrame);
    frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollMode(ScrollPerPixel);
    // A click on the frozen cells selects what a click on the table would.
    frozen_->setSelectionBehavior(selectionBehavior());
    frozen_->setSelectionMode(selectionMode());
    // The table's own cells pass under the overlay.
    viewport()->stackUnder(frozen_);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);

    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        // The header may tell of the new width before it answers with it.
        if (logical == 0) {
            frozen_->setColumnWidth(0, size);
            PlaceFrozenView(size);
        }
    });
    connect(verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) { frozen_->setRowHeight(logical, size); });
    connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(), &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(), &QAbstractSlider::setValue);
    frozen_->show();
}

void FrozenColumnView::setModel(QAbstractItemModel* model)
{
    if (QAbstractItemModel* old = this->model()) disconnect(old, nullptr, this, nullptr);
    QTableView::setModel(model);
    frozen_->setModel(model);
    frozen_->setSelectionModel(selectionModel());
    if (model) {
        // Columns that come later are hidden in the overlay as well.
        connect(model, &QAbstractItemModel::modelReset, this, &FrozenColumnView::HideOtherColumns);
        connect(model, &QAbstractItemModel::columnsInserted, this, &FrozenColumnView::HideOtherColumns);
        connect(model, &QAbstractItemModel::layoutChanged, this, &FrozenColumnView::HideOtherColumns);
    }
    HideOtherColumns();
}

void FrozenColumnView::HideOtherColumns()
{
    QAbstractItemModel* m = model();
    if (!m) return;
    frozen_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    for (int c = 1; c < m->columnCount(); ++c) frozen_->setColumnHidden(c, true);
    if (m->columnCount() > 0) frozen_->setColumnHidden(0, false);
    frozen_->setColumnWidth(0, columnWidth(0));
    PlaceFrozenView();
}

void FrozenColumnView::PlaceFrozenView(int firstWidth)
{
    if (firstWidth < 0) firstWidth = columnWidth(0);
    const int left = verticalHeader()->isVisible() ? verticalHeader()->width() : 0;
    const bool hasColumn = model() && model()->columnCount() > 0 && !isColumnHidden(0);
    frozen_->setVisible(hasColumn);
    if (!hasColumn) return;
    frozen_->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    frozen_->setGeometry(left + frameWidth(), frameWidth(), firstWidth,
                         viewport()->height() + horizontalHeader()->height());
    frozen_->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

void FrozenColumnView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    PlaceFrozenView();
}

void FrozenColumnView::updateGeometries()
{
    QTableView::updateGeometries();
    if (frozen_) PlaceFrozenView();
}

QModelIndex FrozenColumnView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = QTableView::moveCursor(cursorAction, modifiers);
    // A cell reached with the arrow key must not end up under the overlay.
    if (cursorAction == MoveLeft && current.column() > 0 && visualRect(current).topLeft().x() < columnWidth(0)) {
        const int newValue = horizontalScrollBar()->value() + visualRect(current).topLeft().x() - columnWidth(0);
        horizontalScrollBar()->setValue(newValue);
    }
    return current;
}

void FrozenColumnView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    // The first column is always in view: a cell of it scrolls the rows
    // only, not the table back to its left edge.
    const int sideways = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    if (index.column() == 0) horizontalScrollBar()->setValue(sideways);
}

} // namespace slip
