#include "workspace/WorksheetChooser.h"

#include "batch/Workbook.h"
#include "ui/Progress.h"
#include "ui/Prompt.h"
#include "ui/WindowHelpers.h"
#include "workspace/SheetPreviewModel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace slip {

namespace {

const QString kTick = QStringLiteral("√");
enum { kNumberColumn, kTickColumn, kNameColumn };

QFrame* Rule()
{
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

WorksheetChooser::WorksheetChooser(const QString& workbookPath, const QStringList& sheets, QWidget* parent)
    : QDialog(parent), path_(workbookPath)
{
    setWindowTitle(kCaption);
    auto* v = new QVBoxLayout(this);
    v->addWidget(new QLabel(QStringLiteral("请在要导入数据所在的表格行打“√”")));
    lines[0] = Rule();
    v->addWidget(lines[0]);

    sheets_ = new QStandardItemModel(0, 3, this);
    sheets_->setHorizontalHeaderLabels({QStringLiteral("No."), QStringLiteral("选择"), QStringLiteral("工作表名称")});
    for (int i = 0; i < sheets.size(); ++i) {
        auto* number = new QStandardItem(QString::number(i + 1));
        number->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
        auto* tick = new QStandardItem(i == 0 ? kTick : QString());
        tick->setTextAlignment(Qt::AlignCenter);
        auto* name = new QStandardItem(sheets[i]);
        for (QStandardItem* item : {number, tick, name}) item->setEditable(false);
        sheets_->appendRow({number, tick, name});
    }
    list = new QTableView;
    list->setObjectName(QStringLiteral("sheetList"));
    list->setToolTip(QStringLiteral("要导入的表格文件所含的表格张数据及其名称。"));
    list->setModel(sheets_);
    list->verticalHeader()->hide();
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->horizontalHeader()->setStretchLastSection(true);
    list->setColumnWidth(kNumberColumn, 40);
    list->setColumnWidth(kTickColumn, 48);
    list->setMinimumHeight(120);
    // The view finds the row under the pointer wherever the list is scrolled.
    connect(list, &QAbstractItemView::pressed, this, [this](const QModelIndex& index) { PressRow(index.row()); });
    v->addWidget(list, 2);

    previewNote = new QLabel;
    previewNote->setTextFormat(Qt::PlainText);
    v->addWidget(previewNote);
    previewModel_ = new SheetPreviewModel(kPreviewRows, kPreviewColumns, this);
    preview = new QTableView;
    preview->setObjectName(QStringLiteral("sheetPreview"));
    preview->setModel(previewModel_);
    preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    preview->setToolTip(QStringLiteral("要导入表格的部分内容示例。"));
    preview->horizontalHeader()->setDefaultSectionSize(72);
    v->addWidget(preview, 3);

    lines[1] = Rule();
    v->addWidget(lines[1]);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    okButton = new QPushButton(QStringLiteral("确定"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("取消"));
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    v->addLayout(buttons);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    resize(560, 560);
    ShowPreview();
}

QString WorksheetChooser::TickedSheet() const
{
    for (int r = 0; r < sheets_->rowCount(); ++r)
        if (!sheets_->item(r, kTickColumn)->text().isEmpty()) return sheets_->item(r, kNameColumn)->text();
    return QString();
}

void WorksheetChooser::PressRow(int row)
{
    if (row < 0 || row >= sheets_->rowCount()) return;
    QStandardItem* tick = sheets_->item(row, kTickColumn);
    if (tick->text().isEmpty()) {
        // One sheet is imported: ticking a row clears the others.
        for (int r = 0; r < sheets_->rowCount(); ++r) sheets_->item(r, kTickColumn)->setText(QString());
        tick->setText(kTick);
    } else {
        tick->setText(QString());
    }
    ShowPreview();
}

void WorksheetChooser::ShowPreview()
{
    const QString sheet = TickedSheet();
    if (sheet == previewOf_ && !sheet.isEmpty()) return;
    previewOf_ = sheet;
    if (sheet.isEmpty()) {
        previewModel_->SetRows({});
        previewNote->setText(QStringLiteral("未选择工作表。"));
        return;
    }
    CellRange cells;
    if (!RunWithProgress([&](ProgressReporter& progress) {
            progress.Start(QStringLiteral("正在读取EXCEL数据……"), kPreviewRows + 1);
            cells = ReadSheetRange(path_, sheet, 1, kPreviewRows, 1, kPreviewColumns);
        }))
        cells.error = WorkbookDamagedError();
    previewModel_->SetRows(cells.ok() ? cells.rows : QVector<QStringList>{});
    previewNote->setText(cells.ok() ? QStringLiteral("工作表“%1”的前%2行：").arg(sheet).arg(kPreviewRows) : cells.error);
}

void WorksheetChooser::done(int result)
{
    answer_ = result == QDialog::Accepted ? TickedSheet() : QString();
    QDialog::done(result);
}

QString ChooseWorksheet(QWidget* parent, const QString& workbookPath)
{
    SheetNames names;
    if (!RunWithProgress([&](ProgressReporter& progress) {
            progress.Start(QStringLiteral("正在读取EXCEL文件数据……"), 100);
            names = ListWorksheets(workbookPath);
        }))
        names.error = WorkbookDamagedError();
    if (!names.ok()) {
        MsgBox(names.error);
        return QString();
    }
    WorksheetChooser chooser(workbookPath, names.names, parent);
    CenterForm(&chooser);
    chooser.exec();
    return chooser.Answer();
}

} // namespace slip
