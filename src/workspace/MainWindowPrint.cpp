// The main window's print commands: the print menu, the calibration button,
// the wizard's help item, the slip menu's print-and-add, the history's
// reprint and the batch as the slip shows it. Kept apart from MainWindow.cpp.
#include "workspace/MainWindow.h"

#include "workspace/ButtonPictures.h"

#include "workspace/BatchOnSlip.h"
#include "workspace/BatchPanel.h"
#include "workspace/HistoryPanel.h"
#include "workspace/PrintCommands.h"
#include "workspace/SlipFilling.h"
#include "workspace/SlipMenus.h"
#include "workspace/SlipView.h"
#include "workspace/ValueEntry.h"
#include "workspace/dialogs/Dialogs.h"

#include <QAction>
#include <QIcon>
#include <QLayout>
#include <QPushButton>

namespace slip {

namespace {

// The imported records as the slip shows them: each put on the slip and its
// text boxes converted (sums, relations) as when the operator steps to it.
// The print run puts back what the slip showed.
class SlipBatch : public BatchSlipSource {
public:
    SlipBatch(SlipFormat& format, const BatchDataSet& batch, SlipFilling& filling, QString marker)
        : format_(format), batch_(batch), filling_(filling), marker_(std::move(marker))
    {
    }
    int Count() const override { return batch_.RecordCount(); }
    std::optional<SlipValues> Values(int record) override
    {
        if (record < 1 || record > batch_.RecordCount()) return std::nullopt;
        PutBatchRecordOnSlip(format_, batch_, record, marker_, [this](BoxId id) { filling_.Entry().LeaveBox(id); });
        return format_.Values();
    }

private:
    SlipFormat& format_;
    const BatchDataSet& batch_;
    SlipFilling& filling_;
    QString marker_;
};

} // namespace

void MainWindow::AddPrintButtons(QLayout* row)
{
    printBillButton = new QPushButton(PrintPicture(1), QString());
    printBillButton->setObjectName(QStringLiteral("printBill"));
    printBillButton->setToolTip(QStringLiteral("打印当前显示的单据。"));
    printAllButton = new QPushButton(PrintPicture(3), QString());
    printAllButton->setObjectName(QStringLiteral("printAll"));
    printAllButton->setToolTip(QStringLiteral("按照当前单据的格式设置，批量打印所有导入的单据内容。"));
    for (QPushButton* b : {printBillButton, printAllButton}) {
        b->setIconSize(QSize(24, 24));
        b->setEnabled(false);
        row->addWidget(b);
    }
    formatButtons << printBillButton;
}

void MainWindow::ShowPrintAllState()
{
    // The menu item prints whatever the batch holds (the shown slip when
    // nothing is imported); the button waits for a batch of two or more.
    printAllAction->setEnabled(format_.IsOpen());
    printAllButton->setEnabled(format_.IsOpen() && batchPrintable_);
}

void MainWindow::WirePrintCommands()
{
    print_ = new PrintCommands(format_, canvas_, this);
    connect(printBillAction, &QAction::triggered, this, [this] { print_->PrintBill(); });
    connect(printAllAction, &QAction::triggered, this, [this] { print_->PrintAllBills(); });
    connect(printBillButton, &QPushButton::clicked, printBillAction, &QAction::trigger);
    connect(printAllButton, &QPushButton::clicked, printAllAction, &QAction::trigger);
    connect(offsetWizardAction, &QAction::triggered, this, [this] { print_->ShowOffsetWizard(); });
    connect(calibrateButton, &QPushButton::clicked, this, [this] { print_->PrintCalibration(); });
    formatActions << printBillAction << offsetWizardAction;
    connect(batchPanel, &BatchPanel::printAllEnabledChanged, this, [this](bool enabled) {
        batchPrintable_ = enabled;
        ShowPrintAllState();
    });

    // The calibration sets the print offsets: not while the format is locked.
    auto calibrateState = [this] { calibrateButton->setEnabled(format_.IsOpen() && !format_.Options().locked); };
    connect(&format_, &SlipFormat::headerChanged, this, calibrateState);
    calibrateState();
    print_->showPrintMargins = [this] {
        if (!format_.Options().locked) EditPrintMargins(this, format_);
    };

    print_->batchRecords = [this]() -> std::unique_ptr<BatchSlipSource> {
        if (!batchPanel || !batchPanel->Loaded() || batchPanel->Batch().RecordCount() < 1) return nullptr;
        canvas_->EditBox(0);
        return std::make_unique<SlipBatch>(format_, batchPanel->Batch(), *filling_, lineBreakMarker_);
    };
    // "打印并添加单据": once printed, the next slip starts as after "添加下一张单据"
    // (the print stored the slip already).
    menus_->hooks.printAndAddSlip = [this] {
        if (print_->PrintBill().Done()) filling_->StartNextSlip();
    };
    historyPanel->SetReprint([this](const QVector<QHash<BoxId, QString>>& slips) { return print_->ReprintSlips(slips); });
}

} // namespace slip
