// The main window's part in format exchange and the online services: its
// menu items, the catalogue window it owns and the update check it starts.
#include "workspace/MainWindow.h"

#include "exchange/Server.h"
#include "ui/Prompt.h"
#include "workspace/ExchangeCommands.h"
#include "workspace/SlipView.h"
#include "workspace/WebCatalogueDialog.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace slip {

namespace {
constexpr int kUpdateCheckDelayMs = 10000;
constexpr int kWaitForDialogMs = 200;
}

void MainWindow::AddExchangeMenuItems(QMenu* fmt)
{
    connect(fmt->addAction(QStringLiteral("导入格式")), &QAction::triggered, this, [this] { ImportFormat(); });
    connect(fmt->addAction(QStringLiteral("导出格式")), &QAction::triggered, this, [this] { ExportFormat(); });
    connect(fmt->addAction(QStringLiteral("下载格式")), &QAction::triggered, this, [this] { ShowWebCatalogue(); });
}

void MainWindow::AddServerAddressMenuItem(QMenu* set)
{
    connect(set->addAction(QStringLiteral("服务器地址设置")), &QAction::triggered, this, [this] { SetServerAddress(); });
}

void MainWindow::ExportFormat()
{
    // The format as stored is exported: unsaved changes are offered first.
    if (format_.IsOpen() && !commands_->OfferToSave()) return;
    ExportFormatCommand(QString(), format_.Name());
}

void MainWindow::ImportFormat()
{
    QPointer<MainWindow> self(this);
    ImportFormatCommand(QString(), [self](const QString& name) {
        if (self) self->commands_->ChooseFormat(name, false);
    });
}

void MainWindow::ShowWebCatalogue()
{
    if (!catalogue_) {
        QPointer<MainWindow> self(this);
        catalogue_ = new WebCatalogueDialog(
            [self](const QString& name) {
                if (self) self->commands_->ChooseFormat(name, false);
            },
            this);
        catalogue_->setAttribute(Qt::WA_DeleteOnClose);
    }
    catalogue_->show();
    catalogue_->raise();
    catalogue_->activateWindow();
}

void MainWindow::SetServerAddress()
{
    if (ServerAddressCommand())
        StatusMessage(ServerAddress().isEmpty() ? QStringLiteral("服务器地址已清除。")
                                                : QStringLiteral("服务器地址已设置为：") + ServerAddress());
}

void MainWindow::ArmUpdateCheck()
{
    if (!updateTimer) {
        updateTimer = new QTimer(this);
        updateTimer->setSingleShot(true);
        updateTimer->setInterval(kUpdateCheckDelayMs);
        connect(updateTimer, &QTimer::timeout, this, [this] { RunUpdateCheck(); });
    }
    if (!updateChecked_) updateTimer->start();
}

void MainWindow::RunUpdateCheck()
{
    // Once per run: marked before the wait, so a second call meanwhile does nothing.
    if (updateChecked_) return;
    updateChecked_ = true;
    if (UpdateCheckCommand()) CloseForUpdate();
}

void MainWindow::CloseForUpdate()
{
    // The check may end while a dialog of the operator's is open (the format
    // list at the first start, a property dialog): the hand-over waits until
    // that is done, never runs from under it.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        QTimer::singleShot(kWaitForDialogMs, this, [this] { CloseForUpdate(); });
        return;
    }
    // The updater replaces the program once it has ended, so the question
    // about unsaved changes comes before it starts: a cancel keeps the
    // program, and no updater runs beside it.
    const bool started = UpdaterCommand(QCoreApplication::applicationDirPath(),
                                        QFileInfo(QCoreApplication::applicationFilePath()).fileName(), [this] {
                                            canvas_->EditBox(0);
                                            return commands_->OfferToSave();
                                        });
    if (!started) return;
    // Answered already: the close saves the defaults and the state record
    // and asks nothing again.
    endingForUpdate_ = true;
    close();
}

} // namespace slip
