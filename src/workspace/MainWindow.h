#pragma once
#include "model/SlipFormat.h"
#include "workspace/FormatCommands.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QLayout;
class QMenu;
class QMenuBar;
class QPushButton;
class QTabWidget;
class QTimer;

namespace slip {

class HistoryPanel;
class SlipMenus;
class SlipFilling;
class BatchDataSet;
class BatchPanel;
class SlipView;
class PrintCommands;
class WebCatalogueDialog;

// The program's main window: the open format's name, size, print offsets
// and switches over the slip canvas, and the menus. It shows the format model
// and sends the operator's commands to it.
class MainWindow : public QMainWindow, public FormatHost {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start sequence: folders, settings, layout, the last format.
    void Start();

    SlipFormat& Format() { return format_; }
    FormatCommands& Commands() { return *commands_; }
    SlipView* Canvas() const { return canvas_; }

    // The option switches, in their stored order: rulers, lengthwise, locked,
    // guides to the centre, background.
    std::array<QCheckBox*, 5> optionBoxes{};
    QLabel* formatNameLabel = nullptr;
    QLabel* slipSizeLabel = nullptr;
    QLabel* offsetLabel = nullptr;
    QLabel* zoomLabel = nullptr;
    QAction* setPaperAction = nullptr;
    QAction* printBackgroundAction = nullptr;
    QAction* printRulersAction = nullptr;
    QMenu* alignMenu = nullptr;
    QPushButton* slipSizeButton = nullptr;
    QPushButton* calibrateButton = nullptr;
    QAction* barcodeStandardAction = nullptr;
    QAction* aboutAction = nullptr;
    QTabWidget* tabs = nullptr;
    // Printing (MainWindowPrint.cpp).
    QAction* printBillAction = nullptr;
    QAction* printAllAction = nullptr;
    QAction* offsetWizardAction = nullptr;
    // The picture buttons beside the format's name: the shown slip, the batch.
    QPushButton* printBillButton = nullptr;
    QPushButton* printAllButton = nullptr;
    // Opens the web catalogue of formats, with or without an open format.
    QPushButton* catalogueButton = nullptr;
    // Commands that need an open format; disabled while none is open.
    QList<QWidget*> formatButtons;
    QList<QAction*> formatActions;
    // The history tab: the slips printed with the open format.
    HistoryPanel* historyPanel = nullptr;

    // The slip's popup commands for its background picture.
    void ReplaceBackground();
    void ClearBackground();
    void SetLineBreakMarker();
    void SetCurrencyChar();

    // --- Batch data (the second tab; MainWindowBatch.cpp) -----------------
    BatchPanel* batchPanel = nullptr;
    // "导入批量数据": the batch panel's import command, from the menu.
    QAction* importBatchAction = nullptr;
    // Opening another format empties the batch.
    void ClearBatchRecords() override;

    // FormatHost
    void FormatOpened(bool fitCanvas) override;
    void AutoFillDates() override;
    void BackgroundChanged() override;
    QString ShowFormatList() override;
    void StatusMessage(const QString& text) override;
    int ScreenWidthTwips() const override;
    double MmPerScreenTwip() const override;
    QString LineBreakMarker() const override { return lineBreakMarker_; }

    // --- Format exchange and online services (MainWindowExchange.cpp) -----
    // "导出格式", "导入格式", "下载格式" and "服务器地址设置".
    void ExportFormat();
    void ImportFormat();
    void ShowWebCatalogue();
    void SetServerAddress();
    // The update check: armed by Start, it runs once per run ten seconds later;
    // the hand-over asks about unsaved changes first, then the window closes.
    QTimer* updateTimer = nullptr;
    void RunUpdateCheck();
    // --- end of format exchange and online services ----------------------

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    QWidget* BuildSlipPanel();
    QWidget* BuildBatchPanel();
    void ShowFormatState();
    void ShowOptions();
    void OptionToggled(int index, bool on);
    // --- Layout commands, help ----------------------------------------
    void BuildAlignMenu(QMenuBar* bar);
    void BuildHelpMenu(QMenuBar* bar);
    // The slip size, print margin, barcode standard and about dialogs.
    void WireDialogs();
    // The history tab.
    QWidget* BuildHistoryPanel();
    void ShowHistoryTabState();
    // Format exchange and online services (MainWindowExchange.cpp).
    void AddExchangeMenuItems(QMenu* formatMenu);
    void AddServerAddressMenuItem(QMenu* settingsMenu);
    void ArmUpdateCheck();
    void CloseForUpdate();
    QPointer<WebCatalogueDialog> catalogue_;
    bool updateChecked_ = false;
    bool endingForUpdate_ = false;   // the save question was answered before the updater started
    // The print commands (MainWindowPrint.cpp).
    void AddPrintButtons(QLayout* row);
    void WirePrintCommands();
    // The batch print takes two records or more, of the open format.
    void ShowPrintAllState();
    bool batchPrintable_ = false;

    SlipFormat format_;
    std::unique_ptr<FormatCommands> commands_;
    SlipView* canvas_ = nullptr;
    SlipFilling* filling_ = nullptr;
    SlipMenus* menus_ = nullptr;
    PrintCommands* print_ = nullptr;
    QString lineBreakMarker_ = QStringLiteral("//");
    bool syncing_ = false;
};

} // namespace slip
