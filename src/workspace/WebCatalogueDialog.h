#pragma once
#include "exchange/WebCatalogue.h"
#include "workspace/ExchangeCommands.h"

#include <QDialog>
#include <chrono>

class QLabel;
class QLineEdit;
class QPushButton;

namespace slip {

class GridModel;
class GridView;
class PicturePreview;

// "可供下载的格式模板": the templates the vendor's server offers, as last
// fetched into table 网站格式. The operator refreshes the list, finds entries
// by keyword, previews an entry's picture and downloads and imports it as a
// new format. It is shown without blocking the main window.
//
// While it waits for the network its commands and list are off, so no second
// download starts in the middle of one. Closing it then hides it at once; it
// goes away when the wait is over (a running download is cancelled).
class WebCatalogueDialog : public QDialog {
    Q_OBJECT
public:
    WebCatalogueDialog(OpenFormatFn openFormat, QWidget* parent = nullptr);
    ~WebCatalogueDialog() override;

    GridModel* list = nullptr;
    GridView* view = nullptr;
    QLineEdit* keywordEdit = nullptr;
    QPushButton* refreshButton = nullptr;   // "更新列表"
    QPushButton* importButton = nullptr;    // "导入格式"
    QPushButton* searchButton = nullptr;    // "搜索"
    PicturePreview* preview = nullptr;
    QLabel* statusLabel = nullptr;

    // Network limits of the window's requests.
    std::chrono::milliseconds timeout{std::chrono::seconds(60)};
    int attempts = 5;

    // Fills the list from table 网站格式, by category and name.
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
    QVector<WebFormatRecord> Entries() const;
    bool IsBusy() const { return busy_ > 0; }
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void SetBusy(bool on);
    void ShowPreview();
    void ShowPicture(const QString& path);
    WebFormatRecord EntryAt(int row) const;

    OpenFormatFn openFormat_;
    int busy_ = 0;
    bool closeWhenIdle_ = false;
    bool closing_ = false;
    bool shownOnce_ = false;
};

} // namespace slip
