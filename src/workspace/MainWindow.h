#pragma once
#include "model/SlipFormat.h"
#include "workspace/FormatCommands.h"

#include <QMainWindow>
#include <array>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;

namespace slip {

class SlipView;
class PrintCommands;

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
    QTabWidget* tabs = nullptr;
    // Printing (MainWindowPrint.cpp).
    QAction* printBillAction = nullptr;
    QAction* printAllAction = nullptr;
    QAction* printCalibrationAction = nullptr;
    QAction* offsetWizardAction = nullptr;
    PrintCommands& Print() { return *print_; }
    // Commands that need an open format; disabled while none is open.
    QList<QWidget*> formatButtons;
    QList<QAction*> formatActions;

    // The slip's popup commands for its background picture.
    void ReplaceBackground();
    void ClearBackground();
    void SetLineBreakMarker();
    void SetCurrencyChar();
    QString LineBreakMarkerSetting() const { return lineBreakMarker_; }

    // FormatHost
    void FormatOpened() override;
    void BackgroundChanged() override;
    QString ShowFormatList() override;
    void StatusMessage(const QString& text) override;
    int ScreenWidthTwips() const override;
    QString LineBreakMarker() const override { return lineBreakMarker_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    QWidget* BuildSlipPanel();
    void ShowFormatState();
    void ShowOptions();
    void OptionToggled(int index, bool on);
    void ShowSlipMenu(BoxId id, QPoint globalPos);
    void WirePrintCommands();

    SlipFormat format_;
    std::unique_ptr<FormatCommands> commands_;
    SlipView* canvas_ = nullptr;
    PrintCommands* print_ = nullptr;
    QString lineBreakMarker_ = QStringLiteral("//");
    bool syncing_ = false;
};

} // namespace slip
