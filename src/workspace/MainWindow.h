#pragma once
#include "template/FormatOps.h"
#include "workspace/CanvasGeometry.h"

#include <QMainWindow>
#include <array>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;
class QTabWidget;
class QTimer;

namespace slip {

class SlipCanvas;
class SlipTemplate;

// The program's main window: the slip canvas with its rulers and zoom, the
// open format's name, size, offsets and option switches, and the menus.
class MainWindow : public QMainWindow, public FormatHost {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start sequence: folders, settings, layout, the last format.
    void Start();

    SlipTemplate& Template() { return *template_; }
    FormatOps& Ops() { return *ops_; }
    SlipCanvas* Canvas() const { return PG; }

    // Makes option switch `index` take effect.
    void O2_Click(int index);
    // Zoom buttons 0 grow, 1 shrink, 2 frame width.
    void Zm_Click(int index);
    void ZoomCanvas(double delta);
    // Scroll values of the canvas.
    void SetScroll(int hValue, int vValue);
    const CanvasFit& Fit() const { return fit_; }
    double FrameWidthTwips() const;
    double FrameHeightTwips() const;

    // The slip's popup commands for its background picture.
    void ReplaceBackground();
    void ClearBackground();

    // Shows the open format's name, size and offsets.
    void ShowFormatState();

    // FormatHost
    void FitCanvas(double widthMm, double heightMm) override;
    void FormatNameChanged() override;
    void SetCanvasVisible(bool on) override;
    void OptionClicked(int index) override { O2_Click(index); }
    QString ShowFormatList() override;
    double CanvasWidthTwips() const override;
    double CanvasHeightTwips() const override;

    // Widgets other parts of the program read.
    std::array<QCheckBox*, 5> O2{};
    QLabel* LFMT[2] = {nullptr, nullptr};
    QLabel* Wid = nullptr;
    QLabel* Hie = nullptr;
    QLabel* M_X = nullptr;
    QLabel* M_Y = nullptr;
    QAction* mSetPaper = nullptr;
    QAction* mDiTuPrint = nullptr;
    QAction* mPrintRulers = nullptr;
    QMenu* mCtlSame = nullptr;
    QPushButton* COM2 = nullptr;
    QPushButton* COM36 = nullptr;
    QTabWidget* SST = nullptr;
    // Commands that need an open format; disabled while none is open.
    QList<QWidget*> formatButtons;
    QList<QAction*> formatActions;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    QWidget* BuildSlipPanel();
    void ApplyCanvasGeometry();
    void SyncOptionsToWidgets();
    void SetCaptionLabelsVisible(bool on);
    void SetCurrencyChar();
    void SetLineBreakMarker();

    std::unique_ptr<SlipTemplate> template_;
    std::unique_ptr<FormatOps> ops_;
    QWidget* PFrm = nullptr;
    SlipCanvas* PG = nullptr;
    QScrollBar* PHS = nullptr;
    QScrollBar* VS = nullptr;
    CanvasFit fit_;
    bool syncing_ = false;
};

} // namespace slip
