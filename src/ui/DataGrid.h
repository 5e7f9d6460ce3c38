#pragma once
#include <QTableView>
#include <functional>

namespace slip {

class RecordListModel;

// What a list shows in a cell (its display text unless a delegate says else).
using CellText = std::function<QString(const QModelIndex&)>;

// Sizes the columns from firstShown on to their widest text among the first
// measuredRows rows, plus 100 twips; a column with no text there is 50
// twips wide, unless withCaptions, when its caption always counts (else the
// caption counts only beside some text). No column is wider than half the
// view. Columns left of firstShown are hidden.
void FitGridColumns(QTableView& view, int firstShown, int measuredRows, bool withCaptions,
                    const CellText& text = {});

// A click on the caption of a column from firstSortable on sorts the model by
// it: ascending the first time, then alternating, the header's sort
// indicator keeping the column and order (the model marks the caption with
// "△" or "▽"). A click on a caption left of it runs onFixedCaption. The
// model read again starts unsorted. Set once the view has its model.
void SortOnCaptionClicks(QTableView& view, int firstSortable, std::function<void()> onFixedCaption = {});

// The view of a record list: the columns left of its running numbers are
// hidden, the others sized to their texts whenever the list is read again or
// the view resized; a click on a caption sorts by that column; rows are
// chosen whole, one at a time.
class DataGridView : public QTableView {
    Q_OBJECT
public:
    explicit DataGridView(RecordListModel* model, QWidget* parent = nullptr);
    // The current row, -1 when none.
    int CurrentRow() const;
    // Makes a row current and selected, showing it at the top when atTop.
    void SelectRow(int row, bool atTop = false);
    void SizeColumns();

signals:
    // The columns were sized to their texts (a window may adjust them after).
    void columnsSized();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    RecordListModel* list_;
};

} // namespace slip
