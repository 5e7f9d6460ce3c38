#pragma once
#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

namespace slip {

// The first rows of an import file as a sheet shows them: a fixed number of
// rows and columns whatever the file holds, the columns headed with their
// letters (A, B, … AA …) and the rows with their numbers from 1, so the
// numbers the operator reads here are the row numbers the import takes.
class SheetPreviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    SheetPreviewModel(int rows, int columns, QObject* parent = nullptr);

    // Row r (from 1) shows rows[r - 1]; texts beyond the columns are dropped.
    void SetRows(QVector<QStringList> rows);
    // The text at row and column, both from 1; "" outside what was read.
    QString Cell(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    int rows_;
    int columns_;
    QVector<QStringList> cells_;
};

} // namespace slip
