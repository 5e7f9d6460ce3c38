#include "workspace/PrintCommands.h"

#include "core/TextNumber.h"
#include "core/Units.h"
#include "print/Calibration.h"
#include "print/SlipPrinter.h"
#include "storage/PrintedSlips.h"
#include "storage/Params.h"
#include "ui/Progress.h"
#include "ui/Prompt.h"
#include "ui/WindowPos.h"
#include "ui/SelPrinter.h"
#include "ui/WindowHelpers.h"
#include "workspace/OffsetWizardDialog.h"
#include "workspace/SlipView.h"

#include <QPointer>

namespace slip {

namespace {
HistorySaveOutcome SaveOutcomeOf(const HistoryBatchSaveResult& r)
{
    HistorySaveOutcome out;
    out.ok = r.ok;
    out.error = r.error;
    for (qint64 n : r.slipNumbers) out.stored += n > 0 ? 1 : 0;
    return out;
}
} // namespace

// --- the commands

PrintCommands::PrintCommands(SlipFormat& format, SlipView* canvas, QWidget* window)
    : QObject(window), format_(format), canvas_(canvas), window_(window)
{
}

PrintCommands::~PrintCommands() = default;

QString PrintCommands::SelectPrinter()
{
    auto* chooser = new SelPrinter(window_);
    chooser->SetMode(SelPrinter::PrinterMode());
    QPointer<SelPrinter> guard(chooser);
    auto answer = std::make_shared<QString>();
    connect(chooser, &SelPrinter::answered, this, [answer](const QString& a) { *answer = a; });
    chooser->show();
    WaitFormClosed(chooser->windowTitle());
    return *answer;
}

SlipPrintSettings PrintCommands::CurrentSettings() const
{
    SlipPrintSettings s;
    s.barcodeStandard = int(Val(ParamOrTell(QStringLiteral("StrBarCodeStand"))));
    if (canvas_) {
        s.background = canvas_->Background();
        s.frameWidthTwips = canvas_->FrameWidth() * units::kTwipsPerPixel;
        s.loadPicture = canvas_->PictureReader();
    }
    return s;
}

PrintServices PrintCommands::Services(ProgressReporter& progress)
{
    auto run = std::make_shared<PrintRunHistory>(format_);
    return PrintServices{CurrentPrinter(), Prompts(), progress, [this] { return SelectPrinter(); },
                         [run](const QString& name, const QVector<SlipValues>& slips) {
                             return SaveOutcomeOf(run->Store(name, slips));
                         },
                         [run](const QString& name, const QVector<SlipValues>& slips) { run->Keep(name, slips); },
                         [run] { run->Drop(); }};
}

PrintOutcome PrintCommands::PrintBill()
{
    if (!format_.IsOpen()) return {};
    if (canvas_) canvas_->EditBox(0);
    PrintServices services = Services(NoProgress());
    const PrintOutcome out = slip::PrintBill(services, format_, CurrentSettings());
    emit printed(out);
    return out;
}

PrintOutcome PrintCommands::PrintAllBills()
{
    if (!format_.IsOpen()) return {};
    if (canvas_) canvas_->EditBox(0);
    std::unique_ptr<BatchSlipSource> records = batchRecords ? batchRecords() : nullptr;
    // With no records imported the slip on the canvas is the batch.
    if (!records || records->Count() < 1) records = std::make_unique<SlipValueList>(QVector<SlipValues>{format_.Values()});
    WindowProgress progress;
    PrintServices services = Services(progress);
    const PrintOutcome out = slip::PrintAllBills(services, format_, *records, CurrentSettings());
    emit printed(out);
    return out;
}

bool PrintCommands::ReprintSlips(const QVector<SlipValues>& slips)
{
    if (!format_.IsOpen() || slips.isEmpty()) return false;
    if (SelectPrinter().isEmpty()) return false;
    PrintServices services = Services(NoProgress());
    const SlipPrintSettings settings = CurrentSettings();
    WindowProgress progress;
    progress.Start(QStringLiteral("正在打印..."), int(slips.size()));
    for (const SlipValues& v : slips) {
        SlipValueList one({v});
        const PrintOutcome out = PrintSlipJob(services, format_, one, settings, false, false);
        emit printed(out);
        // A job that failed was told; the next slip is a job of its own.
        progress.Step(1, QStringLiteral("pages"));
    }
    progress.End();
    return true;
}

void PrintCommands::PrintCalibration()
{
    const QString name = SelectPrinter();
    if (!name.isEmpty()) PrintCalibrationFigure(CurrentPrinter(), Prompts());
    if (showPrintMargins) showPrintMargins();
    else Wizard().ShowValue();
}

OffsetWizard& PrintCommands::Wizard()
{
    if (!wizard_) wizard_ = std::make_unique<OffsetWizard>(format_, window_);
    return *wizard_;
}

void PrintCommands::ShowOffsetWizard() { Wizard().ShowWizard(); }

} // namespace slip
