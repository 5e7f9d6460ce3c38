#pragma once
#include "core/GridModel.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>

namespace slip {

class GridModel;

// Shows the data rows of a GridModel; the last fixed row is the header.
class GridViewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridViewModel(GridModel* grid, QObject* parent = nullptr);
    GridModel* Grid() const { return grid_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void ColumnWidthsChanged();
    void RowHeightsChanged();

private:
    QPointer<GridModel> grid_;
};

// The widget every grid of the program is seen through. Column widths and
// row heights follow the model's twips; a click on a caption sizes or sorts
// as the grid operations say; the current cell, the selection end and the
// first shown row are kept in the model's Row/Col, RowSel/ColSel and TopRow.
class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);
    void SetGrid(GridModel* grid);
    GridModel* Grid() const;
    // Selects and shows the model's Row/Col .. RowSel/ColSel.
    void SyncFromGrid();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ApplyColumnWidths();
    void ApplyRowHeights();
    void HeaderClicked(int section);
    void SelectionToGrid();
    void TopRowToGrid();

    GridViewModel* view_ = nullptr;
};

} // namespace slip
