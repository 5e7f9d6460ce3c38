#pragma once
#include <QTableView>

namespace slip {

// A table whose first column stays in view when the table is scrolled
// sideways: a second view over the same model and selection lies over the
// left edge and shows that column only, following the table's rows, row
// heights and first column width.
class FrozenColumnView : public QTableView {
    Q_OBJECT
public:
    explicit FrozenColumnView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    // The overlaid view of the first column.
    QTableView* FrozenView() const { return frozen_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void updateGeometries() override;

private:
    void HideOtherColumns();
    void PlaceFrozenView(int firstWidth = -1);

    QTableView* frozen_ = nullptr;
};

} // namespace slip
