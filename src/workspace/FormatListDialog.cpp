#include "workspace/FormatListDialog.h"

#include "storage/BackgroundStore.h"
#include "storage/BoxRecord.h"
#include "storage/Database.h"
#include "ui/Prompt.h"
#include "storage/RecordListModel.h"
#include "ui/DataGrid.h"
#include "ui/PicturePreview.h"
#include "ui/WindowPos.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QToolTip>
#include <algorithm>

namespace slip {

namespace {
constexpr int kNameColumn = 3;
constexpr int kTickColumn = 2;
const QString kWindowName = QStringLiteral("格式模板列表");
} // namespace

std::function<void(FormatListDialog&)>& FormatListDialog::TestResponder()
{
    static std::function<void(FormatListDialog&)> responder;
    return responder;
}

FormatListDialog::FormatListDialog(const QString& currentFormat, std::function<bool(const QString&)> deleteFormat,
                                   QWidget* parent)
    : QDialog(parent), currentFormat_(currentFormat), deleteFormat_(std::move(deleteFormat))
{
    setWindowTitle(QStringLiteral("选择/管理格式模板"));
    list = new RecordListModel(this);
    list->SetColumns({{"ID", "ID"}, {"", RecordListModel::kRunningNumberCaption}, {"", "选择"}, {"Fmt", "格式名称"},
                      {"W", "宽(毫米)"}, {"H", "高(毫米)"}});
    list->SetColumnAlignment(kTickColumn, Qt::AlignCenter);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("格式模板列表：")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("格式模板预览：")), 0, 1);
    view = new DataGridView(list, this);
    grid->addWidget(view, 1, 0);
    preview = new PicturePreview(this);
    grid->addWidget(preview, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    chooseButton = new QPushButton(QStringLiteral("选 择"), this);
    closeButton = new QPushButton(QStringLiteral("退 出"), this);
    downloadButton = new QPushButton(QStringLiteral("下载更多…"), this);
    deleteButton = new QPushButton(QStringLiteral("删 除"), this);
    for (QPushButton* b : {chooseButton, closeButton, downloadButton, deleteButton}) buttons->addWidget(b);
    connect(chooseButton, &QPushButton::clicked, this, &FormatListDialog::Choose);
    connect(closeButton, &QPushButton::clicked, this, &FormatListDialog::CloseKeepingCurrent);
    connect(deleteButton, &QPushButton::clicked, this, &FormatListDialog::DeleteSelected);
    // Enter on the list chooses, as a double-click does; never deletes.
    chooseButton->setDefault(true);
    // The catalogue opens without blocking; the list closes with no choice.
    connect(downloadButton, &QPushButton::clicked, this, [this] {
        if (!download_) return;
        const std::function<void()> command = download_;
        answer.clear();
        reject();
        command();
    });
    downloadButton->setEnabled(false);
    buttons->addStretch();
    grid->addLayout(buttons, 2, 0, 1, 2);
    resize(760, 460);
    RestoreWindowPos(this, kWindowName);
    Reload();
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { RowChanged(); });
    connect(view, &QAbstractItemView::doubleClicked, this, [this] { Choose(); });
    view->viewport()->installEventFilter(this);
    RowChanged();
}

FormatListDialog::~FormatListDialog() = default;

void FormatListDialog::done(int result)
{
    SaveWindowPos(this, kWindowName);
    QDialog::done(result);
}

void FormatListDialog::SetDownloadCommand(std::function<void()> command)
{
    download_ = std::move(command);
    downloadButton->setEnabled(bool(download_));
}

void FormatListDialog::Reload()
{
    if (!list->Fill(QStringLiteral("Fmt"), QStringLiteral("LBL=? AND Fmt<>''"), {HeaderLabel()}, QStringLiteral("Fmt")))
        MsgBox(list->LastError());
    // The open format is chosen to begin with, ticked and in red. A format
    // the list does not hold (none open, or one without a slip header)
    // leaves every row unticked until the operator picks one.
    for (int r = 0; r < list->rowCount(); ++r) {
        if (list->Text(r, kNameColumn) != currentFormat_) continue;
        list->SetRowColour(r, Qt::red);
        view->SelectRow(r);
        break;
    }
    RowChanged();
}

QString FormatListDialog::SelectedName() const { return list->Text(view->CurrentRow(), kNameColumn); }

void FormatListDialog::RowChanged()
{
    for (int r = 0; r < list->rowCount(); ++r)
        list->SetText(r, kTickColumn, r == view->CurrentRow() ? QStringLiteral("√") : QString());
    ShowPreview();
}

void FormatListDialog::ShowPreview()
{
    const QString name = SelectedName();
    preview->ShowPicture(name.isEmpty() ? QImage() : BackgroundStore::Load(name));
}

bool FormatListDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view->viewport() && event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex at = view->indexAt(help->pos());
        if (at.isValid() && at.column() == kNameColumn) {
            QToolTip::showText(help->globalPos(), list->Text(at.row(), kNameColumn), view->viewport());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FormatListDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // The list keeps its size but always opens in the middle of its screen.
    QScreen* s = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (s) {
        const QRect area = s->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void FormatListDialog::Choose()
{
    answer = SelectedName();
    accept();
}

void FormatListDialog::CloseKeepingCurrent()
{
    answer = currentFormat_;
    accept();
}

void FormatListDialog::DeleteSelected()
{
    const QString name = SelectedName();
    // The focus goes back to the list, so that a second Enter does not
    // delete the next format.
    view->setFocus();
    if (name.isEmpty() || !deleteFormat_ || !deleteFormat_(name)) return;
    const int row = view->CurrentRow();
    list->removeRows(row, 1);
    view->SelectRow(std::min(row, list->rowCount() - 1));
    RowChanged();
}

QString RunFormatList(QWidget* parent, const QString& currentFormat, std::function<bool(const QString&)> deleteFormat,
                      std::function<void()> download)
{
    FormatListDialog dlg(currentFormat, std::move(deleteFormat), parent);
    dlg.SetDownloadCommand(std::move(download));
    if (FormatListDialog::TestResponder()) {
        FormatListDialog::TestResponder()(dlg);
        return dlg.answer;
    }
    if (dlg.exec() != QDialog::Accepted) return QString();
    return dlg.answer;
}

} // namespace slip
