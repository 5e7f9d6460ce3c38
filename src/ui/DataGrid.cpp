#include "ui/DataGrid.h"

#include "core/Units.h"
#include "storage/RecordListModel.h"
#include "ui/FrozenColumnView.h"
#include "ui/Progress.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <vector>

namespace slip {

namespace {

constexpr int kPaddingTwips = 100;
constexpr int kEmptyColumnTwips = 50;

int Pixels(double twips) { return std::max(1, int(twips / units::kTwipsPerPixel + 0.5)); }

int TextWidth(const QFontMetrics& fm, const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

// The width a cell takes to show this text whole: the text and the cell
// margins of the view's style, as its delegate paints it.
int CellWidth(const QTableView& view, const QModelIndex& index, int textWidth)
{
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.font = view.font();
    option.fontMetrics = view.fontMetrics();
    option.widget = &view;
    option.features = view.wordWrap() ? QStyleOptionViewItem::WrapText : QStyleOptionViewItem::None;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.decorationPosition = QStyleOptionViewItem::Left;
    int width = view.itemDelegateForIndex(index)->sizeHint(option, index).width();
    // A style that adds no margins still gets the text's own width.
    return std::max(width, textWidth);
}

// The width a caption takes to show whole in the view's header.
int CaptionWidth(const QTableView& view, int column)
{
    const QHeaderView* header = view.horizontalHeader();
    QStyleOptionHeader option;
    option.initFrom(header);
    option.section = column;
    option.text = view.model()->headerData(column, Qt::Horizontal).toString();
    option.fontMetrics = header->fontMetrics();
    option.orientation = Qt::Horizontal;
    if (option.text.isEmpty()) return 0;
    const int width = header->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), header).width();
    return std::max(width, TextWidth(header->fontMetrics(), option.text));
}

} // namespace

void FitGridColumns(QTableView& view, int firstShown, bool withProgress, const CellText& text)
{
    const QAbstractItemModel* model = view.model();
    if (!model) return;
    const QFontMetrics cells(view.font());
    const int rows = model->rowCount();
    const int columns = model->columnCount();
    const int cap = std::max(Pixels(kEmptyColumnTwips), view.width() / 2);
    const int first = std::clamp(firstShown, 0, columns);
    const int measured = columns - first;
    // The widest text of each column and the row it stands in.
    std::vector<int> widest(std::size_t(columns), 0);
    std::vector<int> widestRow(std::size_t(columns), -1);
    WindowProgress progress;
    const bool counted = withProgress && rows >= kGridSizingProgressRows && measured > 0;
    if (counted) progress.Start(QStringLiteral("正在做交易数据表格进行格式设置……"), measured);
    int shown = 0;
    for (int r = 0; r < rows; ++r) {
        for (int c = first; c < columns; ++c) {
            const QModelIndex i = model->index(r, c);
            const int w = TextWidth(cells, text ? text(i) : i.data().toString());
            if (w > widest[c]) {
                widest[c] = w;
                widestRow[c] = r;
            }
        }
        if (counted) {
            // The share of the rows measured, in columns.
            const int due = int(qint64(r + 1) * measured / rows);
            if (due > shown) progress.Step(due - shown, QStringLiteral("pages"));
            // A long list measured between two columns' steps still lets
            // the windows paint and answer.
            else if (r % 1024 == 1023) progress.Step(0, QString());
            shown = due;
        }
    }
    // A column where nothing was measured may be narrower than the style's least.
    view.horizontalHeader()->setMinimumSectionSize(Pixels(kEmptyColumnTwips));
    const int gridLine = view.showGrid() ? 1 : 0;
    for (int c = 0; c < columns; ++c) {
        view.setColumnHidden(c, c < first);
        if (c < first) continue;
        int w = widest[c] > 0 ? CellWidth(view, model->index(widestRow[c], c), widest[c]) + gridLine : 0;
        if (w > 0 || rows == 0) w = std::max(w, CaptionWidth(view, c));
        w = w > 0 ? w + Pixels(kPaddingTwips) : Pixels(kEmptyColumnTwips);
        view.setColumnWidth(c, std::min(w, cap));
    }
    if (counted) progress.End();
}

void SortOnCaptionClicks(QTableView& view, int firstSortable, std::function<void()> onFixedCaption)
{
    QHeaderView* header = view.horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);  // the caption carries the mark
    // The column sorted last and its order; the header's own indicator moves
    // on every click, also on captions that don't sort, so it is set from here.
    struct Sorted {
        int section = -1;
        Qt::SortOrder order = Qt::AscendingOrder;
    };
    auto sorted = std::make_shared<Sorted>();
    auto forget = [header, sorted] {
        *sorted = Sorted();
        header->setSortIndicator(-1, Qt::AscendingOrder);
    };
    forget();
    if (view.model()) QObject::connect(view.model(), &QAbstractItemModel::modelReset, header, forget);
    // The frozen columns' captions lie over those of the view.
    if (auto* frozen = qobject_cast<FrozenColumnView*>(&view); frozen && onFixedCaption) {
        QHeaderView* fixed = frozen->FrozenView()->horizontalHeader();
        fixed->setSectionsClickable(true);
        QObject::connect(fixed, &QHeaderView::sectionClicked, header, [firstSortable, onFixedCaption](int section) {
            if (section < firstSortable) onFixedCaption();
        });
    }
    QObject::connect(header, &QHeaderView::sectionClicked, header,
                     [&view, header, sorted, firstSortable, onFixedCaption](int section) {
                         if (section < firstSortable) {
                             header->setSortIndicator(sorted->section, sorted->order);
                             if (onFixedCaption) onFixedCaption();
                             return;
                         }
                         const bool again = sorted->section == section && sorted->order == Qt::AscendingOrder;
                         *sorted = {section, again ? Qt::DescendingOrder : Qt::AscendingOrder};
                         header->setSortIndicator(sorted->section, sorted->order);
                         if (view.model()) view.model()->sort(sorted->section, sorted->order);
                     });
}

DataGridView::DataGridView(RecordListModel* model, QWidget* parent) : QTableView(parent), list_(model)
{
    setModel(model);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    SortOnCaptionClicks(*this, model->RunningNumberColumn() + 1, [this] { SizeColumns(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { SizeColumns(); });
}

int DataGridView::CurrentRow() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() : -1;
}

void DataGridView::SelectRow(int row, bool atTop)
{
    if (row < 0 || row >= list_->rowCount()) return;
    const QModelIndex at = list_->index(row, std::max(0, list_->RunningNumberColumn()));
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(at, atTop ? QAbstractItemView::PositionAtTop : QAbstractItemView::EnsureVisible);
}

void DataGridView::SizeColumns(bool withProgress)
{
    FitGridColumns(*this, std::max(0, list_->RunningNumberColumn()), withProgress);
}

void DataGridView::focusInEvent(QFocusEvent* event)
{
    // The item view's own handling makes the first row current.
    if (currentIndex().isValid()) {
        QTableView::focusInEvent(event);
        return;
    }
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void DataGridView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    // Widths are capped by the view's width, known once the layout has set it.
    QTimer::singleShot(0, this, [this] { SizeColumns(false); });
}

} // namespace slip
