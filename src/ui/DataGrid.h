#pragma once
#include <QTableView>
#include <functional>
#include <memory>
#include <vector>

namespace slip {

class RecordListModel;

// What a list shows in a cell (its display text unless a delegate says else).
using CellText = std::function<QString(const QModelIndex&)>;

// Where the measuring of FitGridColumns starts: at the data rows, so that a
// caption counts only beside some text (a column without any is 50 twips
// wide), or at the captions, so that every caption shows whole.
enum class GridMeasureFrom { DataRows, Captions };

// `AutoSizeGridColumns`: sizes the columns from firstShown on to the widest
// text of every row, plus 100 twips; the caption counts beside some text, or
// always when measured from the captions, and a list without rows measures
// its captions alone. A column where nothing was measured is 50 twips wide.
// No column is wider than half the view.
// Columns left of firstShown are hidden. With more than 200 rows (the two
// caption rows of a grid counted) and withProgress, the progress window
// "正在做交易数据表格进行格式设置……" counts the columns. Rows are read top to
// bottom, each once, so a list that reads its rows a page at a time reads
// every page once.
// The measuring is left out when `measured` holds it for the view's rows,
// columns and font.
struct GridTextWidths;
void FitGridColumns(QTableView& view, int firstShown, bool withProgress, const CellText& text = {},
                    const GridTextWidths* measured = nullptr, GridMeasureFrom from = GridMeasureFrom::DataRows);

// The widest text of each column as FitGridColumns finds it, measured ahead
// of the grid (off the window's thread) from the texts the grid will show.
struct GridTextWidths {
    QString font;  // the font measured in (QFont::toString)
    int rows = 0;
    int first = 0;            // the first column measured
    std::vector<int> widest;  // by column: the widest text's width
    std::vector<int> row;     // and the first row that holds it (-1: none)
};
// Measures a list's texts for FitGridColumns while the list is still being
// made: rows are handed over a run at a time, in any order, and measured on
// a few threads of its own meanwhile, each laying its texts out in a font of
// its own (QFont::toString), more of them only while runs wait. One thread,
// not the window's, hands the rows over and finishes.
class GridTextMeasure {
public:
    // `columns` from `first` on are measured; `rows` is how many are coming,
    // which tells how many threads are worth starting.
    GridTextMeasure(const QString& font, int columns, int first, int rows);
    // Stops the threads, whatever they had left.
    ~GridTextMeasure();
    GridTextMeasure(const GridTextMeasure&) = delete;
    GridTextMeasure& operator=(const GridTextMeasure&) = delete;
    // Rows [from, from + count), whose texts `text` answers by row and
    // column on the measuring threads: it keeps what it reads.
    void Measure(int from, int count, std::function<QString(int, int)> text);
    // Waits for every run handed over and answers the widths of rows
    // [0, rows); rows never handed over leave the answer fit for no grid.
    GridTextWidths Finish(int rows);

private:
    struct Runs;
    std::unique_ptr<Runs> runs_;
};
// The rows (data rows) from which the sizing shows its progress window.
inline constexpr int kGridSizingProgressRows = 199;

// A click on the caption of a column from firstSortable on sorts the model by
// it: ascending the first time, then alternating, the header's sort
// indicator keeping the column and order (the model marks the caption with
// "△" or "▽"). A click on a caption left of it (on a FrozenColumnView, also
// on its frozen captions) runs onFixedCaption. The model read again starts
// unsorted. Set once the view has its model.
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
    // Sizes the columns to their texts; the progress window shows for a long
    // list only when withProgress.
    void SizeColumns(bool withProgress = true);

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Taking the focus chooses no row: a list without a current row keeps
    // none until the operator picks one.
    void focusInEvent(QFocusEvent* event) override;

private:
    RecordListModel* list_;
};

} // namespace slip
