#include "workspace/BatchPanel.h"

#include "batch/BatchNavigation.h"
#include "core/GridRules.h"
#include "core/Units.h"
#include "model/SlipFormat.h"
#include "storage/Params.h"
#include "ui/Prompt.h"
#include "workspace/BatchImportCommand.h"
#include "workspace/BatchOnSlip.h"
#include "ui/DataGrid.h"
#include "ui/FrozenColumnView.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <optional>

namespace slip {

namespace {

// A column this narrow (in twips) is one the operator closed: its values stay
// off the slip.
constexpr double kHiddenColumnTwips = 50;

} // namespace

BatchPanel::BatchPanel(SlipFormat& format, std::function<QString()> lineBreakMarker, QWidget* parent)
    : QWidget(parent), format_(format), marker_(std::move(lineBreakMarker))
{
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(4, 4, 4, 4);
    auto* commands = new QHBoxLayout;
    importButton = new QPushButton(QStringLiteral("导入数据"));
    importButton->setToolTip(QStringLiteral("从XLS或CSV格式表格导入要批量打印的数据。"));
    deleteButton = new QPushButton(QStringLiteral("删除数据"));
    deleteButton->setToolTip(QStringLiteral("删除已导入的批量打印数据。"));
    clearButton = new QPushButton(QStringLiteral("清除数据"));
    clearButton->setToolTip(QStringLiteral("清除所有已经导入的批量数据。"));
    for (QPushButton* b : {importButton, deleteButton, clearButton}) commands->addWidget(b);
    commands->addStretch();
    v->addLayout(commands);
    connect(importButton, &QPushButton::clicked, this, &BatchPanel::ImportCommand);
    connect(deleteButton, &QPushButton::clicked, this, &BatchPanel::DeleteSelectedRecords);
    connect(clearButton, &QPushButton::clicked, this, [this] { ClearRecords(true); });

    grid = new FrozenColumnView;
    grid->setObjectName(QStringLiteral("batchGrid"));
    grid->setModel(&batch_);
    grid->verticalHeader()->hide();  // the running number is the first column
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->FrozenView()->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->FrozenView()->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->FrozenView()->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    grid->horizontalHeader()->setMinimumSectionSize(0);
    v->addWidget(grid, 1);
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        if (logical >= 1) batch_.SetColumnShown(logical - 1, size * units::kTwipsPerPixel > kHiddenColumnTwips);
    });

    // The record bar: "单据数：" shown / count, and the scroll bar.
    recordBar = new QWidget(this);
    recordBar->setObjectName(QStringLiteral("batchRecordBar"));
    auto* bar = new QHBoxLayout(recordBar);
    bar->setContentsMargins(4, 0, 4, 2);
    bar->addWidget(new QLabel(QStringLiteral("单据数：")));
    shownLabel = new QLabel;
    shownLabel->setToolTip(QStringLiteral("当前显示单据在的序号。"));
    countLabel = new QLabel;
    countLabel->setToolTip(QStringLiteral("批量导入的单据数量。"));
    bar->addWidget(shownLabel);
    bar->addWidget(new QLabel(QStringLiteral("/")));
    bar->addWidget(countLabel);
    recordScroll = new QScrollBar(Qt::Horizontal);
    recordScroll->setObjectName(QStringLiteral("batchRecordScroll"));
    // The keys stay with the slip: the bar is worked with the mouse.
    recordScroll->setFocusPolicy(Qt::NoFocus);
    recordScroll->setPageStep(1);
    bar->addWidget(recordScroll, 1);
    connect(recordScroll, &QScrollBar::valueChanged, this, &BatchPanel::ScrollMoved);

    connect(&format_, &SlipFormat::headerChanged, this, &BatchPanel::ShowFormatState);
    ShowBatchRecord();
    ShowFormatState();
}

void BatchPanel::ShowFormatState()
{
    importButton->setEnabled(format_.IsOpen());
    const bool any = batch_.RecordCount() > 0;
    deleteButton->setEnabled(any);
    clearButton->setEnabled(any);
}

void BatchPanel::ImportCommand()
{
    if (!format_.IsOpen()) return;
    const ImportSource source = SelectImportFile(window());
    if (!source.IsSet()) return;
    const std::optional<ImportRequest> request = ShowInputMap(window(), format_, source, marker_());
    if (!request) return;
    Import(source, *request);
}

bool BatchPanel::Import(const ImportSource& source, const ImportRequest& request)
{
    // The grid's texts are measured as the import makes the records, on
    // threads of their own, while this one keeps the windows answering.
    const QString font = grid->font().toString();
    std::optional<GridTextMeasure> measure;
    const auto made = [&](int from, const QStringList* records, int count) {
        if (!measure) measure.emplace(font, int(records[0].size()) + 1, 0, RecordCount(request.range));
        measure->Measure(from, count, [rows = QVector<QStringList>(records, records + count), from](int r, int c) {
            return BatchDataSet::CellText(rows[r - from], r, c);
        });
    };
    GridTextWidths measured;
    const auto finish = [&](const ImportResult& read) {
        if (measure) measured = measure->Finish(int(read.records.size()));
    };
    if (!ImportBatch(batch_, source, request, marker_(), made, finish)) return false;
    SizeColumns(&measured);
    const bool was = loaded_;
    loaded_ = true;
    ShowBatchRecord();
    if (!was) emit loadedChanged(true);
    return true;
}

void BatchPanel::SizeColumns(const GridTextWidths* measured)
{
    FitGridColumns(*grid, 0, true, {}, measured);
    // A column empty in every record comes out 50 twips wide and so closed:
    // its box keeps what was typed into it rather than being wiped at every
    // record. Set here as well, since a width that did not change sends no
    // resize.
    for (int m = 0; m < batch_.BoxColumnCount(); ++m)
        batch_.SetColumnShown(m, grid->columnWidth(m + 1) * units::kTwipsPerPixel > kHiddenColumnTwips);
}

void BatchPanel::ShowBatchRecord()
{
    const BatchRecordState state = slip::ShowBatchRecord(batch_);
    syncing_ = true;
    recordScroll->setRange(1, state.maximum);
    recordScroll->setValue(state.value);
    recordScroll->setEnabled(state.enabled);
    countLabel->setText(state.countText);
    shownLabel->setText(state.shownText);
    syncing_ = false;
    recordBar->setVisible(loaded_);
    if (state.showFirst) ShowRecord(1);
    ShowFormatState();
    emit printAllEnabledChanged(state.enabled);
}

void BatchPanel::ScrollMoved(int value)
{
    if (syncing_ || recordScroll->maximum() < 2) return;
    if (const std::optional<int> record = RecordAtScrollPosition(batch_, value)) ShowRecord(*record);
}

void BatchPanel::ShowRecord(int record)
{
    if (record < 1 || record > batch_.RecordCount()) return;
    emit aboutToFillSlip();
    PutBatchRecordOnSlip(format_, batch_, record, marker_(), [this](BoxId id) { emit textBoxFilled(id); });
    syncing_ = true;
    shownLabel->setText(QString::number(record));
    if (recordScroll->value() != record && record <= recordScroll->maximum()) recordScroll->setValue(record);
    const QModelIndex current = grid->currentIndex();
    if (!current.isValid() || current.row() != record - 1)
        grid->selectionModel()->setCurrentIndex(batch_.index(record - 1, std::max(0, current.column())),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    syncing_ = false;
}

void BatchPanel::DeleteSelectedRecords()
{
    QVector<int> records;
    for (const QModelIndex& i : grid->selectionModel()->selectedRows()) records << i.row() + 1;
    if (records.isEmpty() && grid->currentIndex().isValid()) records << grid->currentIndex().row() + 1;
    if (records.isEmpty()) return;
    if (!ConfirmLoss(DeleteRowsQuestion(records))) return;
    if (!batch_.DeleteRecords(records)) return;
    grid->selectionModel()->clearSelection();
    ShowBatchRecord();
}

void BatchPanel::ClearRecords(bool ask)
{
    if (ask && !ConfirmLoss(QStringLiteral("您确定要清除所有记录？"))) return;
    batch_.Clear();
    ShowBatchRecord();
}

void BatchPanel::Unload()
{
    batch_.Reset({}, {});
    const bool was = loaded_;
    loaded_ = false;
    ShowBatchRecord();
    if (was) emit loadedChanged(false);
}

} // namespace slip
