#pragma once
#include <QAbstractTableModel>
#include <QString>
#include <QVector>

namespace slip {

// A grid of text cells with fixed (caption) rows and columns, cell colours,
// column widths and row heights in twips, and a current cell and selection.
// It is the one grid of the program: the box table, the batch data, the
// history, the format list and the catalogue all keep their cells here, and a
// Qt view shows it. Row and column numbers count the fixed ones, as the
// operator's messages and the stored field specifications do.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    // Colour value of a cell that has none of its own.
    static constexpr qint32 kNoColor = 0;
    // Black can't be stored as 0 (that means "no colour"): it is kept as this.
    static constexpr qint32 kStoredBlack = 65793;  // &H010101

    int Rows() const { return rows_; }
    int Cols() const { return cols_; }
    // Growing keeps every cell; shrinking drops the cut rows or columns.
    void SetRows(int n);
    void SetCols(int n);
    int FixedRows() const { return fixedRows_; }
    int FixedCols() const { return fixedCols_; }
    void SetFixedRows(int n) { fixedRows_ = qBound(0, n, rows_); }
    void SetFixedCols(int n) { fixedCols_ = qBound(0, n, cols_); }

    QString TextMatrix(int row, int col) const;
    void SetTextMatrix(int row, int col, const QString& text);

    // Colours as 24-bit &HBBGGRR values; kNoColor when the cell has none.
    qint32 CellBackColor(int row, int col) const;
    void SetCellBackColor(int row, int col, qint32 bgr);
    qint32 CellForeColor(int row, int col) const;
    void SetCellForeColor(int row, int col, qint32 bgr);

    int ColWidth(int col) const;
    void SetColWidth(int col, int twips);
    int RowHeight(int row) const;
    void SetRowHeight(int row, int twips);

    // Inserts an empty row before `row` (at the end when row == Rows()).
    void InsertRow(int row);
    // Removes one row; later rows move up by one.
    void RemoveRow(int row);
    // Appends a row whose cells are `cells` (missing cells stay empty).
    int AddRow(const QStringList& cells = {});

    // Current cell, selection end and first visible scrolling row.
    int Row = 0;
    int Col = 0;
    int RowSel = 0;
    int ColSel = 0;
    int TopRow = 0;
    QString Tag;

    // Reorders the data rows (below the fixed ones) by the given permutation:
    // newOrder[i] is the old index (counted from the first data row) of the
    // row that goes to place i.
    void ReorderDataRows(const QVector<int>& newOrder);

    // QAbstractTableModel: the whole matrix, fixed rows and columns included.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Converts between &HBBGGRR and Qt colours.
    static QColor ToQColor(qint32 bgr);
    static qint32 FromQColor(const QColor& c);

private:
    struct Cell {
        QString text;
        qint32 back = kNoColor;
        qint32 fore = kNoColor;
    };
    bool valid(int row, int col) const { return row >= 0 && row < rows_ && col >= 0 && col < cols_; }
    Cell& cell(int row, int col) { return cells_[row][col]; }
    const Cell& cell(int row, int col) const { return cells_[row][col]; }

    int rows_ = 0;
    int cols_ = 0;
    int fixedRows_ = 0;
    int fixedCols_ = 0;
    QVector<QVector<Cell>> cells_;
    QVector<int> colWidths_;
    QVector<int> rowHeights_;
};

} // namespace slip
