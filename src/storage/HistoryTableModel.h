#pragma once
#include "core/ProgressReporter.h"
#include "storage/HistoryStore.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QString>
#include <QVector>

namespace slip {

// A box of the format as the history list needs it: record ID, class
// (0 text, 1 check, 2 picture, 3 line, 4 label) and caption (its LBL).
struct HistoryBox {
    qint64 id = 0;
    int boxClass = 0;
    QString caption;
};

// The history list of one format: one row per stored slip, newest first.
// Column 0 holds the slip number (a view hides it), column 1 the running
// number "序号" (1 for the top row, renumbered after rows are removed), and
// from column 2 on one column per box of the format, ordered by class, then
// caption (then record ID). Lines and labels get columns too, which stay
// empty. A cell holds the box's stored value as it was stored (a ticked
// check box "1", line breaks as CR LF); a value of a box that is no longer in
// the format has no column and is not shown.
//
// A click on a box column's caption sorts the list by its values, taken on
// the first click on that column from the slips' values read with the list
// (from the database for slips stored without the box of each value). The
// slip numbers and each slip's values as one search text, with the box of
// each value, are read when the list is loaded, and so is every page of
// cells, so that a history that can't be read whole is known then; cells
// are read again a page of slips at a time when a view asks for a page no
// longer kept (a window of recent pages is). A page that can't be read then
// shows empty cells and is told (pageUnreadable) when the read fails. The
// list is a snapshot: slips stored after loading appear on the next load.
// Each read is on its own short connection, so the database file is never
// held open between reads.
class HistoryTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kSlipNumberColumn = 0;
    static constexpr int kRunningNumberColumn = 1;
    static constexpr int kFirstBoxColumn = 2;
    explicit HistoryTableModel(QObject* parent = nullptr);

    // Lays out the columns for `format` and empties the list.
    void InitHistoryGrid(const QString& format, const QVector<HistoryBox>& boxes);
    // InitHistoryGrid, then the format's slips. False (and an empty list,
    // with LastError() the text to show) when the slips can't be read: their
    // numbers, or the values of any page of them. A history of more than
    // 300 records (stored values) counts them in `progress` as its pages
    // are read.
    bool LoadHistoryList(const QString& format, const QVector<HistoryBox>& boxes,
                         ProgressReporter& progress = NoProgress());
    QString LastError() const { return lastError_; }
    // The history records of the listed slips as loaded: one per value.
    qint64 RecordCount() const { return records_; }

    QString Format() const { return format_; }
    // The boxes that have columns, in column order.
    const QVector<HistoryBox>& Boxes() const { return boxes_; }
    // The slip number of a row, 0 outside the list.
    qint64 SlipNumber(int row) const;
    // The box record ID of a column, 0 for the two leading columns.
    qint64 BoxId(int column) const;
    // The column of a box, -1 when the box has none.
    int ColumnOfBox(qint64 boxId) const;
    // Why the cells of a row could not be read (the statement with its
    // values), reading its page when it is not kept; "" when they were, and
    // for a row outside the list. An export asks it, so that a row shown
    // empty for that reason is never written as a row of empty values.
    QString RowReadError(int row) const;
    // Drops the rows of these slips (after they were deleted from the store);
    // the rows below move up and the running numbers close up.
    void RemoveSlips(const QVector<qint64>& slipNumbers);

    // Finds the next row whose slip holds the text in a box that has a
    // column (see FindHistorySlip); the text is trimmed in place.
    HistoryFind FindRow(QString& text, int currentRow, bool currentIsPreviousMatch) const;

    // Orders the rows by a box column's values (numbers as numbers, as lists
    // sort cells; taken on the first sort by the column),
    // marking its caption with "△" or "▽"; the running numbers
    // stay 1, 2, 3 … from the top. The first two columns don't sort. A sort
    // that can't be read leaves the order as it was and says so (sortFailed).
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // A sort could not be read from the database; the order stays as it was.
    void sortFailed(const QString& error);
    // A page of cells could not be read after the load (which answers false
    // instead): its rows show empty. Sent while a view or an export is
    // reading cells, so a message is best shown once that is over.
    void pageUnreadable(const QString& error) const;

private:
    struct Page {
        QVector<QString> cells;  // rows × box columns
        QString error;           // why it could not be read; "" when it was
    };
    // Reads the page when it is not kept; `tell`: a read that fails sends pageUnreadable.
    const Page& PageOf(int pageIndex, bool tell = true) const;
    void ReadPage(int pageIndex, Page& page) const;
    void ClearCache();

    QString format_;
    QVector<HistoryBox> boxes_;          // in column order
    QHash<qint64, int> columnOfBox_;     // box record ID -> index into boxes_
    QVector<qint64> slips_;              // slip numbers, descending
    qint64 records_ = 0;
    HistorySearchTexts texts_;           // the listed slips' values, for searching
    QHash<qint64, QVector<HistorySortKey>> sortKeys_;  // box record ID -> keys of the listed slips
    mutable QString lastError_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;

    static constexpr qint64 kProgressRecords = 300;
    static constexpr int pageSize_ = 256;
    static constexpr int cachedPages_ = 24;
    mutable QHash<int, Page> cache_;
    mutable QList<int> recent_;          // page indexes, most recent last
};

} // namespace slip
