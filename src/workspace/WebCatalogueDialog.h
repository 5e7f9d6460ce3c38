#pragma once
#include "exchange/WebCatalogue.h"
#include "workspace/ExchangeCommands.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QVector>
#include <chrono>

class QLabel;
class QLineEdit;
class QPushButton;

namespace slip {

class FrozenColumnView;
class PicturePreview;

// The catalogue's entries as the list shows them: "ID", "格式" (the file on
// the server), "图片" (the picture on the server), "序号", "选择" (a tick on
// the current entry), "类别", "格式名称", "更新日期". The view asks only for
// the rows it shows, so a list of any length appears at once.
class CatalogueListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        IdColumn, FilePathColumn, PicturePathColumn, NumberColumn, TickColumn, ClassColumn, NameColumn, DateColumn,
        ColumnCount,
        FixedColumnCount = TickColumn   // "ID" to "序号"
    };
    using QAbstractTableModel::QAbstractTableModel;

    void SetEntries(QVector<WebFormatRecord> entries);
    const QVector<WebFormatRecord>& Entries() const { return entries_; }
    // The ticked entry, -1 for none.
    int CurrentRow() const { return current_; }
    void SetCurrentRow(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The columns up to "序号" are the grid's fixed part: they stay in view
    // and are never highlighted; the current entry is highlighted from "选择" on.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVector<WebFormatRecord> entries_;
    int current_ = -1;
};

// "可供下载的格式模板": the templates the vendor's server offers, as last
// fetched into table 网站格式. The operator refreshes the list, finds entries
// by keyword, previews an entry's picture and downloads and imports it as a
// new format. It is shown without blocking the main window.
//
// While it waits for the network its commands and list are off, so no second
// download starts in the middle of one. A download (a preview picture or an
// entry) shows the progress window "正在下载..."; closing it stops the
// download, which then leaves nothing behind. Closing this window
// meanwhile hides it at once; it goes away when the wait is over (the
// download is cancelled).
class WebCatalogueDialog : public QDialog {
    Q_OBJECT
public:
    WebCatalogueDialog(OpenFormatFn openFormat, QWidget* parent = nullptr);
    ~WebCatalogueDialog() override;

    CatalogueListModel* list = nullptr;
    FrozenColumnView* view = nullptr;
    QLineEdit* keywordEdit = nullptr;
    QPushButton* refreshButton = nullptr;   // "更新列表"
    QPushButton* importButton = nullptr;    // "导入格式"
    QPushButton* searchButton = nullptr;    // "搜索"
    PicturePreview* preview = nullptr;
    QLabel* statusLabel = nullptr;

    // Network limits of the window's requests.
    std::chrono::milliseconds timeout{std::chrono::seconds(60)};
    int attempts = 5;

    // Fills the list from table 网站格式, by category and name. The table is
    // read on a thread of its own: the windows go on answering meanwhile.
    void LoadWebFmtList();
    // Fetches the catalogue into the table and the list. A failure keeps the
    // former list; with tell the operator hears why, else only the status
    // line says it.
    bool DownWebFmt(bool tell = true);
    // Selects the next entry (after the current one, wrapping round) whose
    // name or category holds the keyword as typed.
    void FindFmt();
    // Downloads the current entry and imports it as a new format. A failed
    // download imports nothing.
    FormatImportResult DownInputFmt();
    // The tick and the preview follow the current row.
    void RowChanged();

    bool HasCurrentEntry() const;
    WebFormatRecord CurrentEntry() const;
    // The entries in the list's order.
    const QVector<WebFormatRecord>& Entries() const { return list->Entries(); }
    bool IsBusy() const { return busy_ > 0; }
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void SetBusy(bool on);
    void ShowPreview();
    void ShowPicture(const QString& path);
    void MakeCurrent(int row);
    // Whether a download under way is to stop: this window is going, or the
    // operator closed the progress window.
    CancelCheck DownloadCancelled();

    OpenFormatFn openFormat_;
    int busy_ = 0;
    bool closeWhenIdle_ = false;
    bool closing_ = false;
    bool shownOnce_ = false;
};

} // namespace slip
