#pragma once
#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <QVector>

namespace slip {

// One box column of the batch data set.
struct BatchColumn {
    qint32 recordId = 0;  // the box's record ID: the slip finds its box by it
    int boxIndex = 0;     // class × 1000 + n when the import ran
    QString caption;      // the box's caption
    // False when the import mapping left the box out ("空着表示不导入"): its
    // column stays empty and a record never changes the box.
    bool mapped = true;
    int boxClass() const { return boxIndex / 1000; }
};

// The imported records: one row per record, one column per text, check and
// picture box of the format (in that class order). A value is text; a line
// break inside it is stored as the line-break marker. As a table model,
// column 0 is the running record number 1, 2, … and column m + 1 is box
// column m, captioned with the box's caption; a window shows it as it is.
class BatchDataSet : public QAbstractTableModel {
    Q_OBJECT
public:
    // Header roles giving a box column's record ID and box index.
    enum Role { RecordIdRole = Qt::UserRole + 1, BoxIndexRole };

    explicit BatchDataSet(QObject* parent = nullptr);

    // Replaces columns and records at once. Every record is cut or padded to
    // the number of columns. Answers the records replaced, for the caller to
    // free where freeing them keeps no one waiting.
    QVector<QStringList> Reset(QVector<BatchColumn> columns, QVector<QStringList> records);

    int RecordCount() const { return int(records_.size()); }
    int BoxColumnCount() const { return int(columns_.size()); }
    // Box column m, from 0.
    const BatchColumn& Column(int m) const { return columns_.at(m); }

    // What the grid shows in a row and column of the record of that row:
    // the running number in column 0, the record's value (or nothing) in
    // box column column - 1.
    static QString CellText(const QStringList& record, int row, int column);

    // Record r counted from 1; no values outside the records.
    QStringList RecordValues(int record) const;

    // A column the operator narrowed out of sight: its values are not put on
    // the slip. Columns start shown; a new import shows them all again.
    bool ColumnShown(int m) const;
    void SetColumnShown(int m, bool shown);

    // Removes exactly these records (numbers from 1, in any order; numbers
    // outside the records are passed over). Later records move up and are
    // numbered anew. False when nothing was removed.
    bool DeleteRecords(QVector<int> records);
    // Removes every record; the columns stay.
    void Clear();

    // QAbstractTableModel.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVector<BatchColumn> columns_;
    QVector<bool> shown_;
    QVector<QStringList> records_;
};

} // namespace slip
