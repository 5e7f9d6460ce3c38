#include "workspace/HistoryPanel.h"

#include "batch/GridExport.h"
#include "core/Units.h"
#include "storage/HistoryCommands.h"
#include "storage/Params.h"
#include "ui/DataGrid.h"
#include "ui/FileDialogs.h"
#include "ui/FrozenColumnView.h"
#include "ui/Progress.h"
#include "ui/Prompt.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>

namespace slip {

const QString HistoryPanel::kExportName = QStringLiteral("Sorvelin进账单打印历史数据");
const QString HistoryPanel::kExportFilter =
    QStringLiteral("CSV (逗号分隔)(*.csv)|*.csv|MS Excel文件  (*.xls)|*.xls");

namespace {

using Model = HistoryTableModel;

// The cells of the found row that hold the keyword, over the row's selection.
const QColor kMatchColour(255, 214, 90);

// The delete question: Yes and No, no icon; Enter keeps the slips.
bool ConfirmDelete(const QString& question)
{
    return Question(question, PromptButtons::YesNo, PromptIcon::None, PromptDefault::No) == PromptAnswer::Yes;
}

} // namespace

// Shows a line break inside a value as the line-break marker (a list row is
// one line high; a value stored with the marker shows as stored), and marks
// the cells of the found row that hold the keyword.
class HistoryCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    std::function<QString()> marker;
    int matchRow = -1;
    QString matchText;

    QString displayText(const QVariant& value, const QLocale& locale) const override
    {
        QString text = value.toString();
        if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'))) {
            const QString m = marker ? marker() : QStringLiteral("//");
            text.replace(QStringLiteral("\r\n"), m);
            text.replace(QLatin1Char('\r'), m);
            text.replace(QLatin1Char('\n'), m);
        }
        return QStyledItemDelegate::displayText(text, locale);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.row() != matchRow || matchText.isEmpty() || index.column() < Model::kFirstBoxColumn) return;
        if (!index.data().toString().contains(matchText)) return;
        option->backgroundBrush = kMatchColour;
        option->state &= ~QStyle::State_Selected;
        option->palette.setColor(QPalette::Text, Qt::black);
    }
};

HistoryPanel::HistoryPanel(SlipFormat& format, QWidget* parent) : QWidget(parent), format_(format)
{
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(4, 4, 4, 4);
    v->setSpacing(4);

    auto* row = new QHBoxLayout;
    auto button = [&](const QString& caption, const QString& tip, const char* name) {
        auto* b = new QPushButton(caption);
        b->setToolTip(tip);
        b->setObjectName(QString::fromLatin1(name));
        row->addWidget(b);
        return b;
    };
    printButton = button(QStringLiteral("再次打印"), QStringLiteral("再次打印选中的历史打印记录内容。"), "historyPrint");
    deleteButton = button(QStringLiteral("删除记录"), QStringLiteral("删除选中的历史打印记录。"), "historyDelete");
    clearButton = button(QStringLiteral("清空记录"), QStringLiteral("清空所有历史打印记录。"), "historyClear");
    exportButton =
        button(QStringLiteral("导出"), QStringLiteral("将历史打印记录导出成XLS或CSV格式表格文件。"), "historyExport");
    row->addSpacing(16);
    row->addWidget(new QLabel(QStringLiteral("关键词：")));
    keywordEdit = new QLineEdit;
    keywordEdit->setObjectName(QStringLiteral("historyKeyword"));
    keywordEdit->setMinimumWidth(160);
    keywordEdit->setMaximumWidth(280);
    row->addWidget(keywordEdit);
    searchButton =
        button(QStringLiteral("查找"), QStringLiteral("根据左侧输入的关键词查找相关历史记录。"), "historySearch");
    row->addStretch();
    v->addLayout(row);

    model = new HistoryTableModel(this);
    grid = new FrozenColumnView;
    grid->setObjectName(QStringLiteral("historyGrid"));
    delegate_ = new HistoryCellDelegate(grid);
    grid->SetDelegate(delegate_);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    // The commands act on a run of rows, as the delete question names it.
    grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setAlternatingRowColors(true);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->SetFrozenColumnCount(Model::kFirstBoxColumn);
    grid->setModel(model);
    grid->setColumnHidden(Model::kSlipNumberColumn, true);
    // A click on the captions of the running numbers fits the columns again.
    SortOnCaptionClicks(*grid, Model::kFirstBoxColumn, [this] { SizeColumns(); });
    // The found row's number means another slip once the rows are reordered.
    connect(model, &QAbstractItemModel::layoutChanged, this, [this] { ForgetMatch(); });
    connect(model, &HistoryTableModel::sortFailed, this,
            [](const QString& error) { MsgBox(error); });
    // A page read for the view is told once the view is done reading; one
    // read by an export is told by the export's failure.
    connect(model, &HistoryTableModel::pageUnreadable, this, [this](const QString& error) {
        if (!exporting_) QTimer::singleShot(0, this, [error] { MsgBox(error); });
    });
    v->addWidget(grid, 1);

    connect(printButton, &QPushButton::clicked, this, [this] { PrintHistoryRows(); });
    connect(deleteButton, &QPushButton::clicked, this, [this] { DeleteHistoryRows(); });
    connect(clearButton, &QPushButton::clicked, this, [this] { DeleteAllHistory(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { ExportGrid(); });
    connect(searchButton, &QPushButton::clicked, this, [this] { FindInGrid(); });
    // Enter in the keyword box searches; the box keeps what was typed.
    connect(keywordEdit, &QLineEdit::returnPressed, this, [this] { FindInGrid(); });

    auto selectionMoved = [this] {
        if (!selectingMatch_) ForgetMatch();
        UpdateButtons();
    };
    connect(grid->selectionModel(), &QItemSelectionModel::selectionChanged, this, selectionMoved);
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this, selectionMoved);
    // A click, even on the row found last, forgets the found cell's mark.
    grid->viewport()->installEventFilter(this);
    grid->FrozenView()->viewport()->installEventFilter(this);

    connect(&format_, &SlipFormat::headerChanged, this, [this] { FormatMayHaveChanged(); });
    connect(&format_, &SlipFormat::boxesChanged, this, [this] { FormatMayHaveChanged(); });
    connect(&format_, &SlipFormat::boxChanged, this, [this] { FormatMayHaveChanged(); });
    UpdateButtons();
}

HistoryPanel::~HistoryPanel() = default;

void HistoryPanel::SetReprint(ReprintSlips reprint)
{
    reprint_ = std::move(reprint);
    UpdateButtons();
}

void HistoryPanel::SetLineBreakMarkerSource(std::function<QString()> marker) { delegate_->marker = std::move(marker); }

QString HistoryPanel::LineBreakMarker() const
{
    return delegate_->marker ? delegate_->marker() : QStringLiteral("//");
}

void HistoryPanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Every time the tab is chosen, so that slips printed meanwhile are listed.
    if (!event->spontaneous()) LoadHistoryList();
}

bool HistoryPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == grid->viewport() || watched == grid->FrozenView()->viewport()))
        ForgetMatch();
    return QWidget::eventFilter(watched, event);
}

void HistoryPanel::FormatMayHaveChanged()
{
    // A hidden list is read when it is shown.
    if (!isVisible()) return;
    if (!HistoryListIsCurrent(*model, format_)) LoadHistoryList();
}

void HistoryPanel::LoadHistoryList()
{
    ForgetMatch();
    bool ok = true;
    // A long history is read in with the progress window.
    WindowProgress progress;
    if (format_.IsOpen()) ok = model->LoadHistoryList(format_.Name(), HistoryBoxesOf(format_), progress);
    else model->InitHistoryGrid(QString(), {});
    // Measured with the captions: every caption of the list reads whole.
    SizeColumns(GridMeasureFrom::Captions);
    UpdateButtons();
    if (!ok) MsgBox(model->LastError());
}

void HistoryPanel::SizeColumns(GridMeasureFrom from)
{
    const QLocale locale = grid->locale();
    FitGridColumns(
        *grid, Model::kRunningNumberColumn, true,
        [&](const QModelIndex& i) { return delegate_->displayText(i.data(), locale); }, nullptr, from);
}

void HistoryPanel::UpdateButtons()
{
    const bool open = format_.IsOpen();
    const qsizetype selected = SelectedRows().size();
    printButton->setEnabled(selected == 1 || (selected > 1 && reprint_));
    deleteButton->setEnabled(selected > 0);
    clearButton->setEnabled(model->rowCount() > 0);
    exportButton->setEnabled(open);
    searchButton->setEnabled(open);
    keywordEdit->setEnabled(open);
}

QVector<int> HistoryPanel::SelectedRows() const
{
    QVector<int> rows;
    const int count = model->rowCount();
    for (const QItemSelectionRange& range : grid->selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r)
            if (r >= 0 && r < count) rows << r;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void HistoryPanel::ForgetMatch()
{
    if (matchRow_ < 0 && delegate_->matchRow < 0) return;
    matchRow_ = -1;
    delegate_->matchRow = -1;
    delegate_->matchText.clear();
    grid->viewport()->update();
    grid->FrozenView()->viewport()->update();
}

bool HistoryPanel::SlipOfRow(int row, QHash<BoxId, QString>& values)
{
    const HistoryRowSlip slip = SlipOfHistoryRow(format_, *model, row, LineBreakMarker());
    if (!slip.ok) {
        MsgBox(slip.error);
        return false;
    }
    values = slip.values;
    return true;
}

void HistoryPanel::ShowOnSlip(const QHash<BoxId, QString>& values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it) format_.SetValue(it.key(), it.value());
}

void HistoryPanel::PrintHistoryRows()
{
    if (model->rowCount() == 0) return;
    const QVector<int> rows = SelectedRows();
    if (rows.isEmpty()) return;
    if (!HistoryListIsCurrent(*model, format_)) {
        // The list is of a format no longer open: its slips don't fit these boxes.
        LoadHistoryList();
        return;
    }
    if (rows.size() > 1 && !reprint_) return;
    emit slipWanted();
    if (rows.size() == 1) {
        // One slip only stands on the canvas, to be edited or printed as usual.
        QHash<BoxId, QString> values;
        if (SlipOfRow(rows.first(), values)) ShowOnSlip(values);
        return;
    }
    QVector<QHash<BoxId, QString>> slips;
    slips.reserve(rows.size());
    for (int r : rows) {
        QHash<BoxId, QString> values;
        if (!SlipOfRow(r, values)) return;
        slips << values;
    }
    // Nothing on the canvas changes when the printing is cancelled.
    if (!reprint_(slips)) return;
    ShowOnSlip(slips.last());
}

void HistoryPanel::DeleteHistoryRows()
{
    const QVector<int> rows = SelectedRows();
    if (rows.isEmpty()) return;
    if (!ConfirmDelete(DeleteHistoryRowsQuestion(rows))) return;
    grid->clearSelection();
    const HistoryDeleteResult result = DeleteHistoryListRows(*model, rows);
    if (!result.ok) {
        MsgBox(result.error);
        return;
    }
    if (model->rowCount() > 0)
        grid->selectionModel()->setCurrentIndex(
            model->index(std::min(rows.first(), model->rowCount() - 1), Model::kFirstBoxColumn),
            QItemSelectionModel::NoUpdate);
    UpdateButtons();
}

void HistoryPanel::DeleteAllHistory()
{
    // Read anew, so that the question counts every slip there is.
    LoadHistoryList();
    const int rows = model->rowCount();
    if (rows == 0) return;
    grid->selectAll();
    QVector<int> all(rows);
    std::iota(all.begin(), all.end(), 0);
    if (!ConfirmDelete(DeleteHistoryRowsQuestion(all))) return;
    grid->clearSelection();
    const HistoryDeleteResult result = DeleteAllHistoryListRows(*model);
    if (!result.ok) MsgBox(result.error);
    UpdateButtons();
}

void HistoryPanel::ExportGrid()
{
    // What the operator sees: the slip numbers' column stays out, the
    // caption row goes first, columns keep their widths.
    GridExportLayout layout;
    layout.headerRow = true;
    for (int c = 0; c < model->columnCount(); ++c) {
        if (grid->isColumnHidden(c) || grid->columnWidth(c) < 1) layout.hiddenColumns.insert(c);
        else layout.columnTwips.insert(c, int(grid->columnWidth(c) * units::kTwipsPerPixel));
    }
    for (int r = 0; r < model->rowCount(); ++r)
        if (grid->isRowHidden(r)) layout.hiddenRows.insert(r);
    layout.unreadRow = [this](int row) { return model->RowReadError(row); };
    if (!GridHasData(*model, layout)) {
        MsgBox(QStringLiteral("表格中没有数据！"));
        return;
    }
    const QString path = ChooseFile(kExportFilter, true);
    if (path.isEmpty()) return;
    if (QFileInfo::exists(path) && !ConfirmLoss(QStringLiteral("该文件已存在，是否覆盖？")))
        return;
    WindowProgress progress;
    exporting_ = true;
    const GridExportResult result = ExportGridToFile(*model, path, kExportName, layout, progress);
    exporting_ = false;
    // A finished export says nothing: the operator sees the file where they put it.
    if (!result.ok)
        MsgBox(result.error.isEmpty() ? QStringLiteral("文件保存出错！") : result.error);
}

void HistoryPanel::FindInGrid()
{
    // A copy: the keyword box keeps the blanks the operator typed.
    QString text = keywordEdit->text();
    // A row selected alone, as a search leaves the row it found, has been
    // looked at: the search goes on from the row after it.
    const QModelIndex current = grid->currentIndex();
    const QVector<int> selected = SelectedRows();
    const bool passed = current.isValid() && selected == QVector<int>{current.row()};
    const HistoryFind found = model->FindRow(text, current.isValid() ? current.row() : 0, passed);
    if (!found.ok) {
        MsgBox(found.error);
        return;
    }
    if (found.row < 0) {
        if (!found.message.isEmpty()) MsgBox(found.message);
        return;
    }
    // The focus goes to the first cell that holds the keyword, so that a
    // match far to the right is scrolled into view.
    int column = Model::kFirstBoxColumn;
    for (int c = Model::kFirstBoxColumn; c < model->columnCount(); ++c)
        if (!grid->isColumnHidden(c) && model->index(found.row, c).data().toString().contains(text)) {
            column = c;
            break;
        }
    ShowMatch(found.row, column, text);
}

void HistoryPanel::ShowMatch(int row, int column, const QString& text)
{
    const QModelIndex at = model->index(row, column);
    selectingMatch_ = true;
    grid->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    selectingMatch_ = false;
    matchRow_ = row;
    delegate_->matchRow = row;
    delegate_->matchText = text;
    // The found row shows at the top of the list.
    grid->scrollTo(at, QAbstractItemView::PositionAtTop);
    grid->viewport()->update();
    grid->FrozenView()->viewport()->update();
    UpdateButtons();
}

void AskAboutPendingPrintRuns()
{
    const HistoryPendingRuns pending = PendingPrintRuns();
    if (!pending.ok) {
        MsgBox(pending.error);
        return;
    }
    for (const HistoryPendingRun& run : pending.runs) {
        // A run that printed and could not be stored is told as such: its
        // slips may have been entered and stored again since.
        const QString question =
            (run.printed ? QStringLiteral("上次打印格式“%1”的%2张单据已经打印，但没有保存到历史记录。\n"
                                          "是否现在保存到历史记录？选“是”将它们保存到历史记录，选“否”则不保存"
                                          "（这些单据已经重新保存过时请选“否”）。")
                         : QStringLiteral("上次打印格式“%1”的%2张单据时程序意外中止，无法确定它们是否已经打印。\n"
                                          "这些单据已经打印了吗？选“是”将它们保存到历史记录，选“否”则不保存。"))
                .arg(run.format)
                .arg(run.slips);
        if (Question(question, PromptButtons::YesNo) == PromptAnswer::Yes) {
            const HistoryBatchSaveResult stored = ConfirmPendingSlips(run.run);
            if (!stored.ok) MsgBox(stored.error);
        } else if (!DropPendingSlips(run.run)) {
            MsgBox(QStringLiteral("无法删除未确认的打印记录！"));
        }
    }
}

} // namespace slip
