// The main window's print commands: the print menu, the calibration button
// and the wizard's help item. Kept apart from MainWindow.cpp.
#include "workspace/MainWindow.h"

#include "workspace/PrintCommands.h"

#include <QAction>
#include <QPushButton>

namespace slip {

void MainWindow::WirePrintCommands()
{
    print_ = new PrintCommands(format_, canvas_, this);
    connect(printBillAction, &QAction::triggered, this, [this] { print_->PrintBill(); });
    connect(printAllAction, &QAction::triggered, this, [this] { print_->PrintAllBills(); });
    connect(printCalibrationAction, &QAction::triggered, this, [this] { print_->PrintCalibration(); });
    connect(offsetWizardAction, &QAction::triggered, this, [this] { print_->ShowOffsetWizard(); });
    connect(calibrateButton, &QPushButton::clicked, this, [this] { print_->ShowOffsetWizard(); });
    // They work on the open format.
    formatActions << printBillAction << printAllAction << offsetWizardAction;
    formatButtons << calibrateButton;
}

} // namespace slip
