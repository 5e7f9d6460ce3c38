#pragma once
#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QString>
#include <QVariantList>
#include <QVector>

namespace slip {

// One column of a record list: the field it shows and its caption. A column
// without a field shows nothing, except the one captioned "序号", which
// numbers the rows 1, 2, 3 … from the top whatever their order. A field
// "table:ID field:shown field" shows the shown field of that table's record
// whose ID is this record's ID field (GetFieldById); with fewer than three
// parts the column shows nothing.
struct RecordListColumn {
    QString field;
    QString caption;
};

// The records of one table as a list: one row per record, one column per
// field. A value is shown by its field's declared type: a date as
// yyyy.mm.dd, a Boolean as "√" or "", a double to two decimals (halves to
// even), anything else as its text, a null as "". Sorting by a column
// orders numbers as numbers and marks that column's caption with "△" or "▽".
class RecordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static const QString kRunningNumberCaption;

    explicit RecordListModel(QObject* parent = nullptr);

    // Lays out the columns and empties the list.
    void SetColumns(const QVector<RecordListColumn>& columns);
    // Reads "SELECT * FROM table" with an optional condition (SQL with "?"
    // placeholders bound to params) and order. False, an empty list and
    // LastError() the text to show when the query can't run.
    bool Fill(const QString& table, const QString& condition = {}, const QVariantList& params = {},
              const QString& order = {});
    QString LastError() const { return lastError_; }

    // The column of the running numbers, -1 without one. The columns left of
    // it hold what the operator does not see (record IDs, file names).
    int RunningNumberColumn() const { return runningColumn_; }

    QString Text(int row, int column) const;
    void SetText(int row, int column, const QString& text);
    // The text colour of a whole row (invalid: the view's own).
    void SetRowColour(int row, const QColor& colour);
    // How a column's cells place their text (the view's own by default).
    void SetColumnAlignment(int column, Qt::Alignment alignment);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    struct Row {
        QVector<QString> cells;
        QColor colour;
    };
    QVector<RecordListColumn> columns_;
    QVector<Row> rows_;
    QHash<int, Qt::Alignment> alignments_;
    int runningColumn_ = -1;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    QString lastError_;
};

} // namespace slip
