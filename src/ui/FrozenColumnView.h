#pragma once
#include <QTableView>

class QAbstractItemDelegate;

namespace slip {

// A table whose leading columns (running numbers, say) stay in view while the
// operator scrolls sideways. A second table over the same model and the same
// selection lies over the left edge and shows only those columns; it follows
// the table's rows, row heights, column widths, hidden columns and vertical
// scrolling, so the two read as one grid. Clicking a frozen cell selects in
// the table; keyboard focus stays with the table.
class FrozenColumnView : public QTableView {
    Q_OBJECT
public:
    explicit FrozenColumnView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    void setSelectionModel(QItemSelectionModel* selectionModel) override;
    // Never leaves a cell under the frozen columns; a frozen cell is only
    // scrolled to up or down.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

    // How many leading model columns stay in view (1 unless set). Hidden
    // columns among them take no room.
    void SetFrozenColumnCount(int count);
    // The width in pixels the frozen columns cover.
    int FrozenWidth() const;
    // The overlaid table of the frozen columns.
    QTableView* FrozenView() const { return frozen_; }
    // One delegate paints both tables (QTableView::setItemDelegate would
    // leave the frozen columns painted the default way).
    void SetDelegate(QAbstractItemDelegate* delegate);

protected:
    void resizeEvent(QResizeEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void updateGeometries() override;

private:
    void ShareSelection();
    void SyncColumns();
    void PlaceFrozenView();
    // Scrolls sideways so that the cell is not under the frozen columns.
    void UncoverColumn(const QModelIndex& index);

    QTableView* frozen_ = nullptr;
    int frozenCount_ = 1;
};

} // namespace slip
