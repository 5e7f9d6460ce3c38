#include "workspace/MainWindow.h"

#include "core/DataFolder.h"
#include "core/Registry.h"
#include "core/TextNumber.h"
#include "entry/Conversion.h"
#include "storage/BackgroundStore.h"
#include "storage/Compaction.h"
#include "storage/FormatStore.h"
#include "storage/Params.h"
#include "ui/FileDialogs.h"
#include "ui/PasswordDialogs.h"
#include "ui/Progress.h"
#include "ui/Prompt.h"
#include "workspace/FormatListDialog.h"
#include "workspace/SlipView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

namespace slip {

namespace {

QAction* Disabled(QMenu* m, const QString& caption)
{
    QAction* a = m->addAction(caption);
    a->setEnabled(false);
    return a;
}

const QString kRegSection = QStringLiteral("Para");
const QString kRegMarker = QStringLiteral("CrlfChr");

// The text box interface of the conversion, over a box of the model.
class ModelTextBox : public ConvertibleTextBox {
public:
    ModelTextBox(const SlipFormat& f, const Box& b) : f_(f), b_(b) {}
    double DataTypeCode() const override { return b_.dataType; }
    QChar CurrencyChar() const override { return f_.Options().currencyChar; }
    QString Text() const override { return f_.Value(b_.id); }
    void SetBorderStyle(int) override {}  // the canvas draws the border from the data-type code

private:
    const SlipFormat& f_;
    const Box& b_;
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
    auto* batch = new QWidget;
    auto* batchLayout = new QVBoxLayout(batch);
    batchLayout->addWidget(new QLabel(QStringLiteral("批量打印数据（尚未导入）")));
    batchLayout->addStretch();
    tabs->addTab(batch, QStringLiteral("批量数据"));
    auto* history = new QWidget;
    auto* historyLayout = new QVBoxLayout(history);
    historyLayout->addWidget(new QLabel(QStringLiteral("历史打印记录")));
    historyLayout->addStretch();
    tabs->addTab(history, QStringLiteral("历史记录"));
    tabs->setTabEnabled(1, false);
    tabs->setTabEnabled(2, false);
    layout->addWidget(tabs);
    setCentralWidget(central);
    BuildMenus();
    statusBar()->addPermanentWidget(zoomLabel = new QLabel);

    connect(&format_, &SlipFormat::headerChanged, this, [this] { ShowFormatState(); });
    connect(canvas_, &SlipView::zoomChanged, this, [this](double z) {
        zoomLabel->setText(QStringLiteral("缩放：%1%").arg(int(std::lround(z * 100))));
    });
    connect(canvas_, &SlipView::boxLeft, this, [this](BoxId id) {
        const Box* b = format_.Find(id);
        if (!b || b->kind != BoxKind::Text) return;
        ModelTextBox box(format_, *b);
        format_.SetValue(id, AutoConvert(box, format_.Value(id)));
    });
    connect(canvas_, &SlipView::contextMenuAt, this, &MainWindow::ShowSlipMenu);
    zoomLabel->setText(QStringLiteral("缩放：100%"));
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
    formatNameLabel = new QLabel;
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
    printCalibrationAction = print->addAction(QStringLiteral("打印校验图形"));

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
    Disabled(fmt, QStringLiteral("导入格式"));
    Disabled(fmt, QStringLiteral("导出格式"));
    Disabled(fmt, QStringLiteral("下载格式"));

    alignMenu = bar->addMenu(QStringLiteral("内容框设置(&C)"));
    QMenu* align = alignMenu->addMenu(QStringLiteral("内容框对齐"));
    for (const char* c : {"左对齐", "右对齐", "顶端对齐", "底部对齐"}) Disabled(align, QString::fromUtf8(c));
    QMenu* sizes = alignMenu->addMenu(QStringLiteral("内容框尺寸"));
    for (const char* c : {"统一宽度", "统一高度", "统一尺寸"}) Disabled(sizes, QString::fromUtf8(c));

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
    Disabled(set, QStringLiteral("条码标准设置"));
    QAction* currency = set->addAction(QStringLiteral("货币符号设置"));
    connect(currency, &QAction::triggered, this, [this] { SetCurrencyChar(); });
    formatActions << currency;
    connect(set->addAction(QStringLiteral("登录密码设置")), &QAction::triggered, this, [this] {
        auto* dlg = new PasswordChangeDialog(this);
        dlg->setAttribute(Qt::WA_DeleteOnClose);
        connect(dlg, &PasswordChangeDialog::changed, this, [this] { StatusMessage(QStringLiteral("登录密码已修改。")); });
        dlg->show();
    });

    QMenu* tools = bar->addMenu(QStringLiteral("工具"));
    QAction* pull = tools->addAction(QStringLiteral("检查凭据外内容框"));
    connect(pull, &QAction::triggered, this, [this] { commands_->PullBoxesInside(); });
    formatActions << pull;
    connect(tools->addAction(QStringLiteral("压缩整理数据库")), &QAction::triggered, this, [this] {
        WindowProgress progress;
        const StoreResult r = CompactAppDatabase(progress);
        if (!r) MsgBox(r.error, PromptIcon::Critical);
        else StatusMessage(QStringLiteral("数据库压缩整理完成。"));
    });

    QMenu* help = bar->addMenu(QStringLiteral("帮助(&H)"));
    offsetWizardAction = help->addAction(QStringLiteral("打印校准向导"));
    Disabled(help, QStringLiteral("使用说明"));
    Disabled(help, QStringLiteral("关于软件"));
}

void MainWindow::Start()
{
    EnsureAppFolder(QStringLiteral("Temp"));
    lineBreakMarker_ = GetRegValue(RegRoot(), kRegSection, kRegMarker, QStringLiteral("//"));
    SlipOptions switches;
    QString name = FormatStore::LoadCurrentFormatState(switches);
    // A remembered format that has been deleted since is no format to open.
    if (!name.isEmpty() && !FormatStore::Exists(name)) name.clear();
    canvas_->SetBarcodeStandard(int(Val(GetParam(QStringLiteral("StrBarCodeStand")))));
    // The window fills the screen's work area.
    if (QScreen* sc = screen()) setGeometry(sc->availableGeometry());
    show();
    QApplication::processEvents();
    commands_->ChooseFormat(name, true);
    ShowFormatState();
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    canvas_->EditBox(0);
    if (!commands_->OfferToSave()) {
        e->ignore();
        return;
    }
    commands_->LeaveFormat();
    e->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
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
    formatNameLabel->setText(h.name);
    formatNameLabel->setToolTip(open ? h.name : QStringLiteral("当前显示的单据格式名称（双击可选择其他格式）。"));
    slipSizeLabel->setText(open ? QStringLiteral("宽 %1  高 %2").arg(NumberText(h.widthMm), NumberText(h.heightMm)) : QString());
    offsetLabel->setText(open ? QStringLiteral("横 %1  纵 %2").arg(NumberText(h.offsetXMm), NumberText(h.offsetYMm)) : QString());
    ShowOptions();
    alignMenu->setEnabled(open && !h.options.locked);
    for (QAction* a : formatActions) a->setEnabled(open);
    for (QWidget* w : formatButtons) w->setEnabled(open);
    for (QCheckBox* c : optionBoxes) c->setEnabled(open);
}

void MainWindow::FormatOpened()
{
    canvas_->EditBox(0);
    canvas_->SetBackground(BackgroundStore::Load(format_.Name()));
    // A format opens fitted to the frame.
    canvas_->SetZoom(1.0);
    canvas_->viewport()->update();
    ShowFormatState();
}

void MainWindow::BackgroundChanged() { canvas_->SetBackground(BackgroundStore::Load(format_.Name())); }

void MainWindow::ReplaceBackground()
{
    const QString chosen = ChooseFile(kPictureFilter, false);
    commands_->ReplaceBackground(chosen);
}

void MainWindow::ClearBackground() { commands_->ClearBackground(); }

QString MainWindow::ShowFormatList()
{
    return RunFormatList(this, format_.Name(), [this](const QString& name) { return commands_->DeleteFormat(name); });
}

void MainWindow::StatusMessage(const QString& text) { statusBar()->showMessage(text, 5000); }

int MainWindow::ScreenWidthTwips() const
{
    QScreen* s = screen();
    return s ? int(s->size().width() * kTwipsPerPixel) : 15360;
}

void MainWindow::ShowSlipMenu(BoxId, QPoint globalPos)
{
    QMenu menu(this);
    connect(menu.addAction(QStringLiteral("更换背景图")), &QAction::triggered, this, [this] { ReplaceBackground(); });
    QAction* clear = menu.addAction(QStringLiteral("清除背景图"));
    clear->setEnabled(BackgroundStore::HasPicture(format_.Name()));
    connect(clear, &QAction::triggered, this, [this] { ClearBackground(); });
    menu.exec(globalPos);
}

void MainWindow::SetLineBreakMarker()
{
    const auto answer = InputBox(QStringLiteral("请输入表示回车的表示字符串"), QString(), lineBreakMarker_);
    if (!answer || answer->isEmpty()) return;
    SaveRegValue(RegRoot(), kRegSection, kRegMarker, *answer);
    lineBreakMarker_ = *answer;
}

void MainWindow::SetCurrencyChar()
{
    const auto answer = InputBox(QStringLiteral("请输入您需要的货币符号\r\n(只允许输入一个字符，输入多个字符，只有第一个字符有效！)"),
                                 QStringLiteral("更换货币符号"), QString(format_.Options().currencyChar));
    if (!answer || answer->isEmpty()) return;
    SlipOptions o = format_.Options();
    o.currencyChar = answer->at(0);
    format_.SetOptions(o);
}

} // namespace slip
