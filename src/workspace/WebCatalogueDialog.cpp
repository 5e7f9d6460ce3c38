#include "workspace/WebCatalogueDialog.h"

#include "exchange/EventWait.h"
#include "exchange/Server.h"
#include "ui/DataGrid.h"
#include "ui/FrozenColumnView.h"
#include "ui/PicturePreview.h"
#include "ui/Progress.h"
#include "ui/Prompt.h"
#include "ui/WindowHelpers.h"
#include "ui/WindowPos.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

namespace slip {

namespace {

const QString kWindowName = QStringLiteral("网站格式模板列表");

} // namespace

void CatalogueListModel::SetEntries(QVector<WebFormatRecord> entries)
{
    beginResetModel();
    entries_ = std::move(entries);
    current_ = -1;
    endResetModel();
}

void CatalogueListModel::SetCurrentRow(int row)
{
    if (row < 0 || row >= entries_.size()) row = -1;
    if (row == current_) return;
    const int before = current_;
    current_ = row;
    for (int r : {before, row})
        if (r >= 0) emit dataChanged(index(r, TickColumn), index(r, TickColumn));
}

int CatalogueListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(entries_.size());
}

int CatalogueListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CatalogueListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= entries_.size()) return {};
    if (role == Qt::TextAlignmentRole && index.column() == TickColumn) return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    const WebFormatRecord& e = entries_[index.row()];
    switch (index.column()) {
    case IdColumn: return e.id;
    case FilePathColumn: return e.fPath;
    case PicturePathColumn: return e.pPath;
    case NumberColumn: return index.row() + 1;
    case TickColumn: return index.row() == current_ ? QStringLiteral("√") : QString();
    case ClassColumn: return e.clas;
    case NameColumn: return e.name;
    case DateColumn: return e.date.isValid() ? e.date.toString(QStringLiteral("yyyy.MM.dd")) : QString();
    default: return {};
    }
}

Qt::ItemFlags CatalogueListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() < FixedColumnCount) f &= ~Qt::ItemIsSelectable;
    return f;
}

QVariant CatalogueListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const QStringList captions = {QStringLiteral("ID"),       QStringLiteral("格式"),
                                         QStringLiteral("图片"),     QStringLiteral("序号"),
                                         QStringLiteral("选择"),     QStringLiteral("类别"),
                                         QStringLiteral("格式名称"), QStringLiteral("更新日期")};
    return captions.value(section);
}

WebCatalogueDialog::WebCatalogueDialog(OpenFormatFn openFormat, QWidget* parent)
    : QDialog(parent), openFormat_(std::move(openFormat))
{
    setWindowTitle(QStringLiteral("可供下载的格式模板"));
    setModal(false);
    list = new CatalogueListModel(this);
    auto* grid = new QGridLayout(this);

    auto* top = new QHBoxLayout;
    // No hint text: the box opens with the keyword stored at the last
    // closing, empty when there is none.
    keywordEdit = new QLineEdit(this);
    searchButton = new QPushButton(QStringLiteral("搜索"), this);
    refreshButton = new QPushButton(QStringLiteral("更新列表"), this);
    importButton = new QPushButton(QStringLiteral("导入格式"), this);
    // Enter searches; it never starts a download or an import.
    for (QPushButton* b : {searchButton, refreshButton, importButton}) b->setAutoDefault(false);
    searchButton->setDefault(true);
    top->addWidget(keywordEdit, 1);
    top->addWidget(searchButton);
    top->addSpacing(12);
    top->addWidget(refreshButton);
    top->addWidget(importButton);
    grid->addLayout(top, 0, 0, 1, 2);

    view = new FrozenColumnView(this);
    view->SetFrozenColumnCount(CatalogueListModel::FixedColumnCount);
    view->setModel(list);
    // One entry at a time, highlighted over its scrolling columns.
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    // Rows of one height: the view never measures rows it does not show.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setStretchLastSection(true);
    grid->addWidget(view, 1, 0);
    preview = new PicturePreview(this);
    grid->addWidget(preview, 1, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    statusLabel = new QLabel(this);
    statusLabel->setTextFormat(Qt::PlainText);  // the server's words
    grid->addWidget(statusLabel, 2, 0, 1, 2);

    connect(searchButton, &QPushButton::clicked, this, [this] { FindFmt(); });
    connect(refreshButton, &QPushButton::clicked, this, [this] { DownWebFmt(true); });
    connect(importButton, &QPushButton::clicked, this, [this] { DownInputFmt(); });

    resize(860, 500);
    RestoreWindowPos(this, kWindowName);
    keywordEdit->setText(LastSearchKeyword());
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { RowChanged(); });
    // A click on a fixed cell selects nothing there (those cells can't be
    // selected) and would leave the current entry without its highlight.
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const int row = view->currentIndex().row();
        const QModelIndex first = list->index(row, CatalogueListModel::FixedColumnCount);
        if (row >= 0 && !view->selectionModel()->isSelected(first))
            view->selectionModel()->select(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    });
    LoadWebFmtList();
}

WebCatalogueDialog::~WebCatalogueDialog()
{
    SaveWindowPos(this, kWindowName);
    SaveSearchKeyword(keywordEdit->text());
}

void WebCatalogueDialog::LoadWebFmtList()
{
    QPointer<WebCatalogueDialog> self(this);
    SetBusy(true);
    QVector<WebFormatRecord> entries = RunOffThread([] { return slip::LoadWebFmtList(); });
    if (!self) return;
    SetBusy(false);
    list->SetEntries(std::move(entries));
    // Every entry is measured; a long list counts the columns in the
    // progress window. The server's file names left of the numbers are hidden.
    FitGridColumns(*view, CatalogueListModel::NumberColumn, true);
    MakeCurrent(list->rowCount() > 0 ? 0 : -1);
}

void WebCatalogueDialog::MakeCurrent(int row)
{
    const bool same = view->currentIndex().row() == row;
    if (row < 0) {
        view->selectionModel()->clear();
    } else {
        const QModelIndex index = list->index(row, CatalogueListModel::TickColumn);
        view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view->scrollTo(index, QAbstractItemView::PositionAtTop);
    }
    if (same) RowChanged();
}

bool WebCatalogueDialog::HasCurrentEntry() const
{
    return list->CurrentRow() >= 0;
}

WebFormatRecord WebCatalogueDialog::CurrentEntry() const
{
    return HasCurrentEntry() ? list->Entries()[list->CurrentRow()] : WebFormatRecord();
}

void WebCatalogueDialog::SetBusy(bool on)
{
    busy_ += on ? 1 : -1;
    const bool idle = busy_ <= 0;
    for (QWidget* w : std::initializer_list<QWidget*>{refreshButton, importButton, searchButton, view, keywordEdit})
        w->setEnabled(idle);
    if (idle && closeWhenIdle_) {
        closeWhenIdle_ = false;
        closing_ = true;
        // After the work that waited has returned: the window may go now.
        QTimer::singleShot(0, this, [this] {
            if (closing_) close();
        });
    }
}

bool WebCatalogueDialog::DownWebFmt(bool tell)
{
    if (IsBusy()) return false;
    if (ServerAddress().isEmpty()) {
        statusLabel->setText(NoServerAddressError() + QStringLiteral("请在“设置”菜单的“服务器地址设置”中填写。"));
        if (tell) MsgBox(statusLabel->text());
        return false;
    }
    QPointer<WebCatalogueDialog> self(this);
    SetBusy(true);
    statusLabel->setText(QStringLiteral("正在从服务器下载格式列表……"));
    const CatalogueRefresh refresh = slip::DownWebFmt(timeout, attempts);
    if (!self) return false;
    SetBusy(false);
    if (!refresh.ok) {
        const QString text = QStringLiteral("格式列表未能更新：") + refresh.error +
                             (refresh.detail.isEmpty() ? QString() : QStringLiteral("（") + refresh.detail + QStringLiteral("）"));
        statusLabel->setText(text);
        if (tell && isVisible()) MsgBox(text);
        return false;
    }
    LoadWebFmtList();
    statusLabel->setText(QStringLiteral("格式列表已更新，共%1个格式模板。").arg(refresh.stored));
    return true;
}

void WebCatalogueDialog::FindFmt()
{
    const QString keyword = keywordEdit->text();
    if (keyword.isEmpty()) {
        MsgBox(QStringLiteral("请先输入关键词！"));
        return;
    }
    if (QString error; !SaveSearchKeyword(keyword, &error)) MsgBox(error);
    const int found = slip::FindFmt(Entries(), keyword, list->CurrentRow());
    if (found < 0) {
        statusLabel->setText(QStringLiteral("没有找到含有“") + keyword + QStringLiteral("”的格式。"));
        return;
    }
    MakeCurrent(found);
}

void WebCatalogueDialog::RowChanged()
{
    list->SetCurrentRow(view->currentIndex().row());
    ShowPreview();
}

void WebCatalogueDialog::ShowPreview()
{
    if (!HasCurrentEntry()) {
        ShowPicture(QString());
        return;
    }
    const WebFormatRecord entry = CurrentEntry();
    // A cached picture shows at once; another one is fetched while the list waits.
    const QString cached = PreviewPicturePath(entry);
    if (!cached.isEmpty() && QFileInfo(cached).isFile()) {
        ShowPicture(cached);
        return;
    }
    if (entry.pPath.isEmpty() || ServerAddress().isEmpty() || IsBusy() || closing_) {
        ShowPicture(QString());
        return;
    }
    QPointer<WebCatalogueDialog> self(this);
    SetBusy(true);
    WebDownload got;
    {
        WindowProgress progress;
        got = DownloadPreviewPicture(entry, progress, timeout, DownloadCancelled());
    }
    if (!self) return;
    SetBusy(false);
    // The entry shown may not be the one asked for any more; a download the
    // operator stopped leaves the preview as it was.
    if (!HasCurrentEntry() || CurrentEntry().pPath != entry.pPath || got.cancelled) return;
    ShowPicture(got.ok ? got.path : QString());
}

CancelCheck WebCatalogueDialog::DownloadCancelled()
{
    // Polled only while a request waits, when its progress window is up.
    return [self = QPointer<WebCatalogueDialog>(this)] {
        return !self || self->closeWhenIdle_ || !ProgressWindowOpen();
    };
}

void WebCatalogueDialog::ShowPicture(const QString& path)
{
    QImage picture;
    if (!path.isEmpty()) {
        QImageReader reader(path);
        reader.setDecideFormatFromContent(true);
        picture = reader.read();
    }
    preview->ShowPicture(picture);
}

FormatImportResult WebCatalogueDialog::DownInputFmt()
{
    FormatImportResult none;
    none.cancelled = true;
    if (IsBusy() || !HasCurrentEntry()) return none;
    if (ServerAddress().isEmpty()) {
        MsgBox(NoServerAddressError() + QStringLiteral("请在“设置”菜单的“服务器地址设置”中填写。"));
        return none;
    }
    const WebFormatRecord entry = CurrentEntry();
    QPointer<WebCatalogueDialog> self(this);
    SetBusy(true);
    WebFormatDownload download;
    {
        // Closing the progress window stops the download.
        WindowProgress progress;
        download = DownloadWebFormat(entry, progress, timeout, DownloadCancelled());
    }
    if (!self) return none;
    if (!download.ok) {
        // A window already closed has no one left to tell.
        const bool closed = closeWhenIdle_;
        SetBusy(false);
        statusLabel->setText(download.error);
        if (!closed) MsgBox(download.error);
        FormatImportResult failed;
        failed.error = download.error;
        return failed;
    }
    // The entry's own name, and only the picture downloaded for it.
    ImportOptions options;
    options.formatName = entry.name.trimmed();
    options.picture = download.picturePath;
    FormatImportResult result = ImportFormatCommand(download.templatePath, {}, options);
    if (!self) return result;
    SetBusy(false);
    if (result.ok) {
        statusLabel->setText(QStringLiteral("格式“") + result.name + QStringLiteral("”已导入。"));
        if (result.openNow && openFormat_) openFormat_(result.name);
    }
    return result;
}

void WebCatalogueDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // Shown again before a pending close took it: it stays.
    closeWhenIdle_ = false;
    closing_ = false;
    CenterForm(this);
    if (shownOnce_) return;
    shownOnce_ = true;
    // With nothing stored yet the list is fetched at once, once the window shows.
    QTimer::singleShot(0, this, [this] {
        if (list->rowCount() == 0) DownWebFmt(false);
    });
}

void WebCatalogueDialog::closeEvent(QCloseEvent* e)
{
    if (IsBusy()) {
        // A wait is under way in a call that still uses this window: it goes
        // when the wait is over.
        closeWhenIdle_ = true;
        hide();
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void WebCatalogueDialog::reject()
{
    // Esc while waiting hides the window the same way.
    if (IsBusy()) {
        closeWhenIdle_ = true;
        hide();
        return;
    }
    QDialog::reject();
}

} // namespace slip
