#include "workspace/MainWindow.h"

#include "workspace/ButtonPictures.h"

#include "core/CommonHelpers.h"
#include "core/DataFolder.h"
#include "core/Registry.h"
#include "core/TextNumber.h"
#include "entry/Relations.h"
#include "storage/BackgroundStore.h"
#include "storage/Compaction.h"
#include "storage/FormatStore.h"
#include "storage/Params.h"
#include "ui/FileDialogs.h"
#include "ui/PasswordDialogs.h"
#include "ui/Progress.h"
#include "ui/Prompt.h"
#include "ui/WindowHelpers.h"
#include "model/BoxEditing.h"
#include "model/SettingAnswers.h"
#include "workspace/BatchPanel.h"
#include "workspace/FormatListDialog.h"
#include "workspace/HistoryPanel.h"
#include "workspace/HelpLinks.h"
#include "workspace/SlipFilling.h"
#include "workspace/SlipMenus.h"
#include "workspace/ValueEntry.h"
#include "workspace/SlipView.h"
#include "workspace/dialogs/BoxPropertiesDialog.h"
#include "workspace/dialogs/Dialogs.h"
#include "workspace/dialogs/SlipDialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPolygonF>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace slip {

namespace {

const QString kRegSection = QStringLiteral("Para");
const QString kRegMarker = QStringLiteral("CrlfChr");

// The open format's name: whole when it fits, else cut short with "…", so
// that a long name never runs into its neighbours. The tooltip has it whole.
class FormatNameLabel : public QLabel {
public:
    FormatNameLabel() { setTextFormat(Qt::PlainText); }
    void SetName(const QString& name)
    {
        name_ = name;
        updateGeometry();
        Elide();
    }
    QSize sizeHint() const override
    {
        constexpr int kWidest = 320;
        return {qBound(minimumWidth(), fontMetrics().horizontalAdvance(name_) + 4, kWidest),
                QLabel::sizeHint().height()};
    }
    QSize minimumSizeHint() const override { return {minimumWidth(), QLabel::minimumSizeHint().height()}; }

protected:
    void resizeEvent(QResizeEvent* e) override
    {
        QLabel::resizeEvent(e);
        Elide();
    }

private:
    void Elide() { setText(fontMetrics().elidedText(name_, Qt::ElideMiddle, width())); }
    QString name_;
};

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(ProgramCaption());
    commands_ = std::make_unique<FormatCommands>(format_, *this);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    tabs = new QTabWidget(central);
    tabs->addTab(BuildSlipPanel(), QStringLiteral("单据格式"));
    tabs->addTab(BuildBatchPanel(), QStringLiteral("批量数据"));
    tabs->addTab(BuildHistoryPanel(), QStringLiteral("历史记录"));
    // The batch tab can be chosen at any time, before an import too.
    tabs->setTabEnabled(2, false);
    layout->addWidget(tabs);
    // The record bar stays in view on every tab, beside the slip too.
    layout->addWidget(batchPanel->recordBar);
    setCentralWidget(central);
    BuildMenus();
    statusBar()->addPermanentWidget(zoomLabel = new QLabel);
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& m) {
        if (m.isEmpty()) statusBar()->setToolTip(QString());
    });

    connect(&format_, &SlipFormat::headerChanged, this, [this] { ShowFormatState(); });
    connect(canvas_, &SlipView::zoomChanged, this, [this](double z) {
        zoomLabel->setText(QStringLiteral("缩放：%1%").arg(int(std::lround(z * 100))));
    });
    // --- Filling slips in ------------------------------------------------
    filling_ = new SlipFilling(format_, *canvas_, [this] { return lineBreakMarker_; }, this);
    connect(&filling_->Entry(), &ValueEntry::marksChanged, this, [this] {
        QHash<BoxId, QColor> tints;
        const auto& marks = filling_->Entry().Marks();
        for (auto it = marks.cbegin(); it != marks.cend(); ++it) tints.insert(it.key(), RelationMarkColor(it.value()));
        canvas_->SetBoxTints(tints);
    });
    // --- The canvas's right-click menus --------------------------------
    menus_ = new SlipMenus(format_, canvas_, this);
    menus_->hooks.replaceBackground = [this] { ReplaceBackground(); };
    menus_->hooks.clearBackground = [this] { ClearBackground(); };
    menus_->hooks.autoFillDates = [this] { filling_->FillDates(); };
    menus_->hooks.addNextSlip = [this] {
        if (const std::optional<qint64> added = filling_->AddNextSlip())
            StatusMessage(*added > 0 ? QStringLiteral("单据已添加到历史记录。")
                                     : QStringLiteral("单据上没有填写内容，没有添加到历史记录。"));
    };
    connect(canvas_, &SlipView::contextMenuAt, this,
            [this](BoxId id, QPoint globalPos) { menus_->Popup(id, canvas_->PopupPointMm(), globalPos); });
    zoomLabel->setText(QStringLiteral("缩放：100%"));
    WireDialogs();
    WirePrintCommands();
    ShowFormatState();
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::BuildSlipPanel()
{
    auto* panel = new QWidget;
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(4, 4, 4, 4);
    v->setSpacing(2);

    // Two rows, so that the window works on a screen 1,024 pixels wide.
    auto* row1 = new QHBoxLayout;
    auto* nameCaption = new QLabel(QStringLiteral("格式名："));
    formatNameLabel = new FormatNameLabel;
    formatNameLabel->setToolTip(QStringLiteral("当前显示的单据格式名称（双击可选择其他格式）。"));
    formatNameLabel->setMinimumWidth(120);
    QFont bold = formatNameLabel->font();
    bold.setBold(true);
    formatNameLabel->setFont(bold);
    for (QLabel* l : {nameCaption, formatNameLabel}) l->installEventFilter(this);
    row1->addWidget(nameCaption);
    row1->addWidget(formatNameLabel, 1);

    row1->addWidget(new QLabel(QStringLiteral("单据尺寸：")));
    slipSizeLabel = new QLabel;
    slipSizeLabel->setMinimumWidth(110);
    row1->addWidget(slipSizeLabel);
    slipSizeButton = new QPushButton(QStringLiteral("修改"));
    slipSizeButton->setEnabled(false);
    row1->addWidget(slipSizeButton);
    row1->addSpacing(8);
    row1->addWidget(new QLabel(QStringLiteral("页边距：")));
    offsetLabel = new QLabel;
    offsetLabel->setMinimumWidth(110);
    row1->addWidget(offsetLabel);
    calibrateButton = new QPushButton(QStringLiteral("校准"));
    calibrateButton->setToolTip(QStringLiteral("重新设置横向和纵向页边距。"));
    calibrateButton->setEnabled(false);
    row1->addWidget(calibrateButton);
    row1->addSpacing(8);
    const QString zoomCaptions[3] = {QStringLiteral("放大"), QStringLiteral("缩小"), QStringLiteral("适宽")};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(zoomCaptions[i]);
        b->setObjectName(QStringLiteral("zoom%1").arg(i));
        connect(b, &QPushButton::clicked, this, [this, i] { canvas_->ZoomButton(i); });
        formatButtons << b;
        row1->addWidget(b);
    }
    v->addLayout(row1);

    auto* row2 = new QHBoxLayout;
    AddPrintButtons(row2);
    catalogueButton = new QPushButton(CataloguePicture(), QString());
    catalogueButton->setObjectName(QStringLiteral("catalogue"));
    catalogueButton->setIconSize(QSize(24, 24));
    catalogueButton->setToolTip(QStringLiteral("从网站下载更多的格式模板。"));
    connect(catalogueButton, &QPushButton::clicked, this, [this] { ShowWebCatalogue(); });
    row2->addWidget(catalogueButton);
    row2->addSpacing(8);
    const QString captions[5] = {QStringLiteral("显示标尺(1厘米/大格；2毫米/小格)"), QStringLiteral("纵向打印"),
                                 QStringLiteral("锁定格式"), QStringLiteral("卡纸器两边向中间收缩"),
                                 QStringLiteral("显示底图")};
    const QString tips[5] = {QStringLiteral("显示标尺网格，方便您根据打印偏差移动输入框。"),
                             QStringLiteral("将单据纵向放入打印机打印时，请选择此项。"),
                             QStringLiteral("选择此项后，格式被锁定，无法进行修改。"),
                             QStringLiteral("对于卡纸器两边向中间同时收缩的打印机，请选择此项。"),
                             QStringLiteral("显示单据的背景图片。")};
    for (int i = 0; i < 5; ++i) {
        optionBoxes[i] = new QCheckBox(captions[i]);
        optionBoxes[i]->setToolTip(tips[i]);
        row2->addWidget(optionBoxes[i]);
        connect(optionBoxes[i], &QCheckBox::toggled, this, [this, i](bool on) { OptionToggled(i, on); });
    }
    row2->addStretch();
    v->addLayout(row2);

    canvas_ = new SlipView(format_);
    canvas_->setMinimumSize(200, 120);
    v->addWidget(canvas_, 1);
    return panel;
}

void MainWindow::OptionToggled(int index, bool on)
{
    if (syncing_ || !format_.IsOpen()) return;
    SlipOptions o = format_.Options();
    bool* fields[5] = {&o.showRulers, &o.lengthwise, &o.locked, &o.guidesToCentre, &o.showBackground};
    *fields[index] = on;
    format_.SetOptions(o);
}

void MainWindow::BuildMenus()
{
    QMenuBar* bar = menuBar();
    QMenu* print = bar->addMenu(QStringLiteral("打印(&P)"));
    printBillAction = print->addAction(QStringLiteral("打印当前单据"));
    printAllAction = print->addAction(QStringLiteral("打印所有单据"));
    print->addSeparator();
    print->addAction(importBatchAction);
    formatActions << importBatchAction;

    QMenu* fmt = bar->addMenu(QStringLiteral("格式(&F)"));
    connect(fmt->addAction(QStringLiteral("新建格式")), &QAction::triggered, this, [this] { commands_->NewFormat(); });
    connect(fmt->addAction(QStringLiteral("选择格式")), &QAction::triggered, this,
            [this] { commands_->ChooseFormat(QString(), false); });
    QAction* save = fmt->addAction(QStringLiteral("保存格式"));
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, [this] { commands_->SaveFormat(); });
    QAction* saveAs = fmt->addAction(QStringLiteral("另存格式"));
    connect(saveAs, &QAction::triggered, this, [this] { commands_->SaveFormatAs(QString()); });
    formatActions << save << saveAs;
    connect(fmt->addAction(QStringLiteral("管理格式")), &QAction::triggered, this,
            [this] { commands_->ChooseFormat(QString(), false); });
    fmt->addSeparator();
    AddExchangeMenuItems(fmt);

    BuildAlignMenu(bar);

    QMenu* set = bar->addMenu(QStringLiteral("设置"));
    auto toggle = [this, set](const QString& caption, bool SlipOptions::*field) {
        QAction* a = set->addAction(caption);
        a->setCheckable(true);
        connect(a, &QAction::toggled, this, [this, field](bool on) {
            if (syncing_ || !format_.IsOpen()) return;
            SlipOptions o = format_.Options();
            o.*field = on;
            format_.SetOptions(o);
        });
        formatActions << a;
        return a;
    };
    setPaperAction = toggle(QStringLiteral("自动设置纸张"), &SlipOptions::setPaper);
    printBackgroundAction = toggle(QStringLiteral("连同底图打印"), &SlipOptions::printBackground);
    printRulersAction = toggle(QStringLiteral("打印标尺坐标"), &SlipOptions::printRulers);
    set->addSeparator();
    connect(set->addAction(QStringLiteral("设置换行特殊符")), &QAction::triggered, this, [this] { SetLineBreakMarker(); });
    barcodeStandardAction = set->addAction(QStringLiteral("条码标准设置"));
    QAction* currency = set->addAction(QStringLiteral("货币符号设置"));
    connect(currency, &QAction::triggered, this, [this] { SetCurrencyChar(); });
    formatActions << currency;
    connect(set->addAction(QStringLiteral("登录密码设置")), &QAction::triggered, this, [this] {
        auto* dlg = new PasswordChangeDialog(this);
        dlg->setAttribute(Qt::WA_DeleteOnClose);
        connect(dlg, &PasswordChangeDialog::changed, this, &MainWindow::StatusMessage);
        dlg->show();
    });
    AddServerAddressMenuItem(set);

    QMenu* tools = bar->addMenu(QStringLiteral("工具"));
    QAction* pull = tools->addAction(QStringLiteral("检查凭据外内容框"));
    connect(pull, &QAction::triggered, this, [this] {
        const int moved = commands_->PullBoxesInside();
        StatusMessage(moved == 0 ? QStringLiteral("所有内容框都在凭据内。")
                                 : QStringLiteral("已将%1个凭据外的内容框移回凭据内。").arg(moved));
    });
    formatActions << pull;
    connect(tools->addAction(QStringLiteral("压缩整理数据库")), &QAction::triggered, this, [this] {
        WindowProgress progress;
        const StoreResult r = CompactAppDatabase(progress);
        if (!r) MsgBox(r.error);
        else StatusMessage(QStringLiteral("数据库压缩整理完成。"));
    });

    BuildHelpMenu(bar);
}

// --- Layout commands, help --------------------------------------------

void MainWindow::BuildAlignMenu(QMenuBar* bar)
{
    // Disabled while the format is locked (ShowFormatState).
    alignMenu = bar->addMenu(QStringLiteral("内容框设置(&C)"));
    auto command = [this](QMenu* m, const QString& caption, std::initializer_list<AlignCommand> steps) {
        const std::vector<AlignCommand> run(steps);
        connect(m->addAction(caption), &QAction::triggered, this, [this, run] {
            canvas_->EditBox(0);
            for (AlignCommand c : run) AlignSelectedBoxes(format_, c, Prompts());
        });
    };
    QMenu* align = alignMenu->addMenu(QStringLiteral("内容框对齐"));
    command(align, QStringLiteral("左对齐"), {AlignCommand::Left});
    command(align, QStringLiteral("右对齐"), {AlignCommand::Right});
    command(align, QStringLiteral("顶端对齐"), {AlignCommand::Top});
    command(align, QStringLiteral("底部对齐"), {AlignCommand::Bottom});
    QMenu* sizes = alignMenu->addMenu(QStringLiteral("内容框尺寸"));
    command(sizes, QStringLiteral("统一宽度"), {AlignCommand::Width});
    command(sizes, QStringLiteral("统一高度"), {AlignCommand::Height});
    // Height first, then width, each asked on its own.
    command(sizes, QStringLiteral("统一尺寸"), {AlignCommand::Height, AlignCommand::Width});
}

void MainWindow::BuildHelpMenu(QMenuBar* bar)
{
    QMenu* help = bar->addMenu(QStringLiteral("帮助(&H)"));
    offsetWizardAction = help->addAction(QStringLiteral("打印校准向导"));
    const QList<HelpPage> pages = HelpPages();
    auto page = [this, help](const HelpPage& p) {
        connect(help->addAction(p.caption), &QAction::triggered, this, [p] {
            const HelpAddress a = HelpPageAddress(p);
            if (!a.error.isEmpty()) MsgBox(a.error);
            else if (!QDesktopServices::openUrl(a.url))
                MsgBox(QStringLiteral("无法打开网址“") + a.url.toString() + QStringLiteral("”！"));
        });
    };
    page(pages.at(0));
    connect(help->addAction(QStringLiteral("使用说明")), &QAction::triggered, this, [] { OpenManualFile(); });
    help->addSeparator();
    for (int i = 1; i < pages.size(); ++i) page(pages.at(i));
    help->addSeparator();
    aboutAction = help->addAction(QStringLiteral("关于软件"));
}

void MainWindow::Start()
{
    EnsureAppFolder(QStringLiteral("Temp"));
    lineBreakMarker_ = GetRegValue(RegRoot(), kRegSection, kRegMarker, QStringLiteral("//"));
    // The first three switches start as the state record left them; a format
    // whose header holds no option list keeps them.
    SlipOptions switches = format_.Options();
    QString stateError;
    QString name = FormatStore::LoadCurrentFormatState(switches, &stateError);
    if (!stateError.isEmpty()) MsgBox(stateError);
    if (switches != format_.Options()) {
        format_.SetOptions(switches);
        format_.SetModified(false);  // the start state, no change of a format
    }
    // A remembered format that has been deleted since is no format to open.
    if (!name.isEmpty() && !FormatStore::Exists(name)) name.clear();
    canvas_->SetBarcodeStandard(StoredBarcodeStandard());
    // The window fills the screen's work area.
    if (QScreen* sc = screen()) setGeometry(sc->availableGeometry());
    show();
    QApplication::processEvents();
    // Counted from the start, not from the end of a format list shown now.
    ArmUpdateCheck();
    commands_->ChooseFormat(name, true);
    ShowFormatState();
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    canvas_->EditBox(0);
    if (!endingForUpdate_ && !commands_->OfferToSave()) {
        e->ignore();
        return;
    }
    commands_->LeaveFormat();
    e->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == offsetLabel && event->type() == QEvent::MouseButtonDblClick) {
        // Like the calibration, not while the format is locked.
        if (!format_.Options().locked) EditPrintMargins(this, format_);
        return true;
    }
    if (qobject_cast<QLabel*>(watched) && event->type() == QEvent::MouseButtonDblClick) {
        commands_->ChooseFormat(QString(), false);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::ShowOptions()
{
    syncing_ = true;
    const SlipOptions& o = format_.Options();
    const bool values[5] = {o.showRulers, o.lengthwise, o.locked, o.guidesToCentre, o.showBackground};
    for (int i = 0; i < 5; ++i) optionBoxes[i]->setChecked(values[i]);
    setPaperAction->setChecked(o.setPaper);
    printBackgroundAction->setChecked(o.printBackground);
    printRulersAction->setChecked(o.printRulers);
    syncing_ = false;
}

void MainWindow::ShowFormatState()
{
    const FormatHeader& h = format_.Header();
    const bool open = format_.IsOpen();
    static_cast<FormatNameLabel*>(formatNameLabel)->SetName(h.name);
    formatNameLabel->setToolTip(open ? h.name : QStringLiteral("当前显示的单据格式名称（双击可选择其他格式）。"));
    slipSizeLabel->setText(open ? QStringLiteral("宽 %1  高 %2").arg(NumberText(h.widthMm), NumberText(h.heightMm)) : QString());
    offsetLabel->setText(open ? QStringLiteral("横 %1  纵 %2").arg(NumberText(h.offsetXMm), NumberText(h.offsetYMm)) : QString());
    ShowOptions();
    alignMenu->setEnabled(open && !h.options.locked);
    for (QAction* a : formatActions) a->setEnabled(open);
    for (QWidget* w : formatButtons) w->setEnabled(open);
    ShowPrintAllState();
    for (QCheckBox* c : optionBoxes) c->setEnabled(open);
    ShowHistoryTabState();
}

void MainWindow::FormatOpened(bool fitCanvas)
{
    canvas_->EditBox(0);
    canvas_->SetBackground(BackgroundStore::Load(format_.Name()));
    // A format opens fitted to the frame, at its top-left.
    if (fitCanvas) canvas_->FitToFrame();
    canvas_->viewport()->update();
    ShowFormatState();
}

void MainWindow::AutoFillDates() { filling_->FillDates(); }

void MainWindow::BackgroundChanged() { canvas_->SetBackground(BackgroundStore::Load(format_.Name())); }

void MainWindow::ReplaceBackground()
{
    const QString chosen = ChooseFile(QStringLiteral("JPEG格式(*.jpg)|*.jpg"), false);
    commands_->ReplaceBackground(chosen);
}

void MainWindow::ClearBackground() { commands_->ClearBackground(); }

QString MainWindow::ShowFormatList()
{
    return RunFormatList(
        this, format_.Name(), [this](const QString& name) { return commands_->DeleteFormat(name); },
        // "下载更多…" closes the list; the catalogue opens once it is gone.
        [this] { QTimer::singleShot(0, this, [this] { ShowWebCatalogue(); }); });
}

void MainWindow::StatusMessage(const QString& text)
{
    // A note with a long format name is cut to the line; its tooltip has it whole.
    QStatusBar* bar = statusBar();
    const int room = bar->width() - zoomLabel->width() - 40;
    bar->showMessage(bar->fontMetrics().elidedText(text, Qt::ElideMiddle, qMax(room, 100)), 5000);
    bar->setToolTip(text);
}

double MainWindow::MmPerScreenTwip() const
{
    return canvas_ ? canvas_->TwipsToMm(1) : FormatHost::MmPerScreenTwip();
}

int MainWindow::ScreenWidthTwips() const { return slip::ScreenWidthTwips(this); }

// --- Dialogs ------------------------------------------------------------------

void MainWindow::WireDialogs()
{
    connect(slipSizeButton, &QPushButton::clicked, this, [this] {
        // The boxes keep their millimetres: one beyond a smaller slip waits
        // for 检查凭据外内容框 or the next save.
        EditSlipSize(this, format_, [this] { canvas_->FitToFrame(); });
    });
    // The slip size is not changed while the format is locked.
    auto sizeButtonState = [this] { slipSizeButton->setEnabled(format_.IsOpen() && !format_.Options().locked); };
    connect(&format_, &SlipFormat::headerChanged, this, sizeButtonState);
    sizeButtonState();
    offsetLabel->setToolTip(QStringLiteral("双击修改页边距。"));
    offsetLabel->installEventFilter(this);
    connect(barcodeStandardAction, &QAction::triggered, this, [this] {
        EditBarcodeStandard(this, [this] { canvas_->SetBarcodeStandard(StoredBarcodeStandard()); });
    });
    connect(aboutAction, &QAction::triggered, this, [this] { ShowAbout(this); });
    // "设置内容框": closing a property dialog counts as leaving its box.
    menus_->hooks.openProperties = [this](QWidget* parent, SlipFormat& format, BoxId id) {
        BoxPropertiesDialog* dialog = OpenBoxProperties(parent, format, id);
        // An open dialog pointed at another box is connected already.
        if (!dialog || dialog->property("leavesBox").toBool()) return;
        dialog->setProperty("leavesBox", true);
        connect(dialog, &BoxPropertiesDialog::closedOn, this, [this](BoxId left) {
            const Box* b = format_.Find(left);
            if (b && b->kind == BoxKind::Text) filling_->Entry().LeaveBox(left);
        });
    };
}

void MainWindow::SetLineBreakMarker()
{
    const auto answer = InputBox(QStringLiteral("请输入表示回车的表示字符串"), QString(), lineBreakMarker_);
    if (!answer) return;
    const SettingAnswer a = LineBreakMarkerFromAnswer(*answer);
    if (!a.error.isEmpty()) MsgBox(a.error);
    if (!a.take) return;
    // Taken for this run either way; the operator learns it won't outlast it.
    if (QString why; !SaveRegValue(RegRoot(), kRegSection, kRegMarker, a.value, &why))
        MsgBox(WithSystemText(QStringLiteral("换行特殊符设置保存失败！"), why));
    lineBreakMarker_ = a.value;
}

void MainWindow::SetCurrencyChar()
{
    const auto answer = InputBox(QStringLiteral("请输入您需要的货币符号\r\n(只允许输入一个字符，输入多个字符，只有第一个字符有效！)"),
                                 QStringLiteral("更换货币符号"), QString(format_.Options().currencyChar));
    if (!answer) return;
    const SettingAnswer a = CurrencyCharFromAnswer(*answer);
    if (!a.error.isEmpty()) MsgBox(a.error);
    if (!a.take) return;
    SlipOptions o = format_.Options();
    o.currencyChar = a.value.at(0);
    format_.SetOptions(o);
}

// --- History tab -------------------------------------------------------

QWidget* MainWindow::BuildHistoryPanel()
{
    historyPanel = new HistoryPanel(format_);
    historyPanel->SetLineBreakMarkerSource([this] { return lineBreakMarker_; });
    // A slip taken from the history goes onto the canvas, past any box being
    // typed in (whose text would otherwise be written back over it).
    connect(historyPanel, &HistoryPanel::slipWanted, this, [this] {
        canvas_->EditBox(0);
        tabs->setCurrentIndex(0);
    });
    return historyPanel;
}

void MainWindow::ShowHistoryTabState()
{
    const int tab = tabs->indexOf(historyPanel);
    const bool open = format_.IsOpen();
    if (!open && tabs->currentIndex() == tab) tabs->setCurrentIndex(0);
    tabs->setTabEnabled(tab, open);
}

} // namespace slip
