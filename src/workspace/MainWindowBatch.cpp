// The main window's batch data: the panel of the second tab, its record bar
// and its import command, wired to the slip.
#include "workspace/BatchPanel.h"
#include "workspace/MainWindow.h"
#include "workspace/SlipFilling.h"
#include "workspace/SlipView.h"
#include "workspace/ValueEntry.h"

#include <QAction>
#include <QTabWidget>

namespace slip {

QWidget* MainWindow::BuildBatchPanel()
{
    batchPanel = new BatchPanel(format_, [this] { return lineBreakMarker_; });
    // Values put on the slip are converted as typed ones are when the
    // operator leaves their box.
    connect(batchPanel, &BatchPanel::aboutToFillSlip, this, [this] { canvas_->EditBox(0); });
    connect(batchPanel, &BatchPanel::textBoxFilled, this, [this](BoxId id) {
        if (filling_) filling_->Entry().LeaveBox(id);
    });
    importBatchAction = new QAction(QStringLiteral("导入批量数据"), this);
    importBatchAction->setToolTip(QStringLiteral("从XLS或CSV格式表格导入要批量打印的数据。"));
    connect(importBatchAction, &QAction::triggered, batchPanel, &BatchPanel::ImportCommand);
    return batchPanel;
}

void MainWindow::ClearBatchRecords()
{
    if (batchPanel) batchPanel->Unload();
}

} // namespace slip
