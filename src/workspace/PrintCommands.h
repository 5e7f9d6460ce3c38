#pragma once
#include "model/SlipFormat.h"
#include "print/PrintJobs.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QWidget;

namespace slip {

class SlipView;
class OffsetWizard;

// The print commands of the main window: the shown slip, the batch, the
// calibration figure and the offset wizard. They choose the printer with the
// chooser, print on the program's printer, ask and tell through the
// program's dialogs and store each printed slip in the history.
class PrintCommands : public QObject {
    Q_OBJECT
public:
    PrintCommands(SlipFormat& format, SlipView* canvas, QWidget* window);
    ~PrintCommands() override;

    // The chooser "选择" in the printer mode, shown without blocking the
    // window; the chosen printer's name once it has closed, "" when
    // cancelled (or when the printer can't be reached).
    QString SelectPrinter();

    // "打印当前单据": the shown slip on one page.
    PrintOutcome PrintBill();
    // "打印所有单据": every imported record, one page each; with no records
    // the shown slip once.
    PrintOutcome PrintAllBills();
    // Slips of the history printed again after one printer choice: each as a
    // job of one page, none stored again; a job that fails is told and the
    // next slip goes on. False when the choice was cancelled.
    bool ReprintSlips(const QVector<SlipValues>& slips);
    // "校准": the calibration figure on A4 after the printer choice, then the
    // print offsets to type in.
    void PrintCalibration();
    // "打印校准向导": the offset wizard.
    void ShowOffsetWizard();

    // Where the batch comes from: the batch panel sets it; nothing means no
    // records are imported.
    std::function<std::unique_ptr<BatchSlipSource>()> batchRecords;
    // The print offset dialog that PrintCalibration opens; the offset wizard
    // when none is set.
    std::function<void()> showPrintMargins;
    // The settings of a run: the canvas's frame, the background picture and
    // the barcode standard as they are now.
    SlipPrintSettings CurrentSettings() const;

signals:
    void printed(const slip::PrintOutcome& outcome);

private:
    PrintServices Services(ProgressReporter& progress);
    OffsetWizard& Wizard();

    SlipFormat& format_;
    QPointer<SlipView> canvas_;
    QPointer<QWidget> window_;
    std::unique_ptr<OffsetWizard> wizard_;
};

} // namespace slip
