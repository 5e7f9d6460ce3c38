#include "workspace/MainWindow.h"

#include "storage/Compaction.h"
#include "storage/DataFolder.h"
#include "storage/FileDialogs.h"
#include "storage/Params.h"
#include "storage/Prompt.h"
#include "storage/Registry.h"
#include "storage/Startup.h"
#include "storage/TextNumber.h"
#include "template/Background.h"
#include "template/FormatRecords.h"
#include "template/SlipTemplate.h"
#include "workspace/FmtList.h"
#include "workspace/SlipCanvas.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QMenu>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

namespace slip {

namespace {

int Px(double twips) { return int(std::lround(twips / kTwipsPerPixel)); }

QAction* Disabled(QMenu* m, const QString& caption)
{
    QAction* a = m->addAction(caption);
    a->setEnabled(false);
    return a;
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(ProgramCaption());
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    SST = new QTabWidget(central);
    SST->addTab(BuildSlipPanel(), QStringLiteral("单据格式"));
    auto* batch = new QWidget;
    auto* batchLayout = new QVBoxLayout(batch);
    batchLayout->addWidget(new QLabel(QStringLiteral("批量打印数据（尚未导入）")));
    batchLayout->addStretch();
    SST->addTab(batch, QStringLiteral("批量数据"));
    auto* history = new QWidget;
    auto* historyLayout = new QVBoxLayout(history);
    historyLayout->addWidget(new QLabel(QStringLiteral("历史打印记录")));
    historyLayout->addStretch();
    SST->addTab(history, QStringLiteral("历史记录"));
    SST->setTabEnabled(1, false);
    SST->setTabEnabled(2, false);
    layout->addWidget(SST);
    setCentralWidget(central);

    template_ = std::make_unique<SlipTemplate>(PG);
    ops_ = std::make_unique<FormatOps>(*template_, *this);
    PG->SetTemplate(template_.get());
    connect(template_.get(), &SlipTemplate::boxesChanged, PG, qOverload<>(&QWidget::update));
    BuildMenus();
}

MainWindow::~MainWindow()
{
    // The boxes are children of the canvas: remove them while it still exists.
    if (template_) template_->UnloadAllInputBoxes();
}

QWidget* MainWindow::BuildSlipPanel()
{
    auto* panel = new QWidget;
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(4, 4, 4, 4);

    auto* strip = new QHBoxLayout;
    LFMT[1] = new QLabel(QStringLiteral("格式名："));
    LFMT[0] = new QLabel(QStringLiteral("上次退出时格式"));
    LFMT[0]->setToolTip(QStringLiteral("当前显示的单据格式名称（双击可选择其他格式）。"));
    LFMT[0]->setMinimumWidth(160);
    QFont bold = LFMT[0]->font();
    bold.setBold(true);
    LFMT[0]->setFont(bold);
    for (QLabel* l : LFMT) l->installEventFilter(this);
    strip->addWidget(LFMT[1]);
    strip->addWidget(LFMT[0]);

    auto* size = new QGroupBox(QStringLiteral("单据尺寸"));
    auto* sl = new QHBoxLayout(size);
    Wid = new QLabel;
    Hie = new QLabel;
    sl->addWidget(new QLabel(QStringLiteral("宽：")));
    sl->addWidget(Wid);
    sl->addWidget(new QLabel(QStringLiteral("高：")));
    sl->addWidget(Hie);
    COM2 = new QPushButton(QStringLiteral("修改"));
    COM2->setEnabled(false);
    sl->addWidget(COM2);
    strip->addWidget(size);

    auto* margin = new QGroupBox(QStringLiteral("页边距"));
    auto* ml = new QHBoxLayout(margin);
    M_X = new QLabel;
    M_Y = new QLabel;
    ml->addWidget(new QLabel(QStringLiteral("横向：")));
    ml->addWidget(M_X);
    ml->addWidget(new QLabel(QStringLiteral("纵向：")));
    ml->addWidget(M_Y);
    COM36 = new QPushButton(QStringLiteral("校准"));
    COM36->setToolTip(QStringLiteral("重新设置横向和纵向页边距。"));
    COM36->setEnabled(false);
    ml->addWidget(COM36);
    strip->addWidget(margin);

    auto* options = new QGridLayout;
    const QString captions[5] = {QStringLiteral("显示标尺(1厘米/大格；2毫米/小格)"), QStringLiteral("纵向打印"),
                                 QStringLiteral("锁定格式"), QStringLiteral("卡纸器两边向中间收缩"),
                                 QStringLiteral("显示底图")};
    const QString tips[5] = {QStringLiteral("显示标尺网格，方便您根据打印偏差移动输入框。"),
                             QStringLiteral("将单据纵向放入打印机打印时，请选择此项。"),
                             QStringLiteral("选择此项后，格式被锁定，无法进行修改。"),
                             QStringLiteral("对于卡纸器两边向中间同时收缩的打印机，请选择此项。"),
                             QStringLiteral("显示单据的背景图片。")};
    for (int i = 0; i < 5; ++i) {
        O2[i] = new QCheckBox(captions[i]);
        O2[i]->setToolTip(tips[i]);
        options->addWidget(O2[i], i / 3, i % 3);
        connect(O2[i], &QCheckBox::toggled, this, [this, i](bool on) {
            if (syncing_) return;
            template_->state.options.o2[i] = on ? 1 : 0;
            O2_Click(i);
        });
    }
    strip->addLayout(options);

    const QString zoomCaptions[3] = {QStringLiteral("放大"), QStringLiteral("缩小"), QStringLiteral("适宽")};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(zoomCaptions[i]);
        b->setObjectName(QStringLiteral("Zm%1").arg(i));
        connect(b, &QPushButton::clicked, this, [this, i] { Zm_Click(i); });
        formatButtons << b;
        strip->addWidget(b);
    }
    strip->addStretch();
    v->addLayout(strip);

    auto* canvasRow = new QHBoxLayout;
    PFrm = new QWidget;
    PFrm->setObjectName(QStringLiteral("PFrm"));
    PFrm->setAutoFillBackground(true);
    QPalette pal = PFrm->palette();
    pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    PFrm->setPalette(pal);
    PFrm->setMinimumSize(200, 120);
    PFrm->installEventFilter(this);
    PG = new SlipCanvas(PFrm);
    PG->setObjectName(QStringLiteral("PG"));
    PG->setVisible(false);  // until a format is open
    PG->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(PG, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (template_->state.name.isEmpty()) return;
        QMenu menu(this);
        connect(menu.addAction(QStringLiteral("更换背景图")), &QAction::triggered, this, [this] { ReplaceBackground(); });
        connect(menu.addAction(QStringLiteral("清除背景图")), &QAction::triggered, this, [this] { ClearBackground(); });
        menu.exec(PG->mapToGlobal(at));
    });
    canvasRow->addWidget(PFrm, 1);
    VS = new QScrollBar(Qt::Vertical);
    VS->setRange(0, 0);
    VS->setEnabled(false);
    canvasRow->addWidget(VS);
    v->addLayout(canvasRow, 1);
    PHS = new QScrollBar(Qt::Horizontal);
    PHS->setRange(0, 0);
    PHS->setEnabled(false);
    v->addWidget(PHS);
    connect(PHS, &QScrollBar::valueChanged, this, [this](int value) {
        fit_.left = ScrollOffset(fit_.width, FrameWidthTwips(), value);
        PG->move(Px(fit_.left), Px(fit_.top));
    });
    connect(VS, &QScrollBar::valueChanged, this, [this](int value) {
        fit_.top = ScrollOffset(fit_.height, FrameHeightTwips(), value);
        PG->move(Px(fit_.left), Px(fit_.top));
    });
    return panel;
}

void MainWindow::BuildMenus()
{
    QMenuBar* bar = menuBar();
    QMenu* print = bar->addMenu(QStringLiteral("打印(&P)"));
    Disabled(print, QStringLiteral("打印当前单据"));
    Disabled(print, QStringLiteral("打印所有单据"));

    QMenu* format = bar->addMenu(QStringLiteral("格式(&F)"));
    connect(format->addAction(QStringLiteral("新建格式")), &QAction::triggered, this, [this] {
        if (ops_->NewFormat()) ShowFormatState();
    });
    connect(format->addAction(QStringLiteral("选择格式")), &QAction::triggered, this, [this] {
        ops_->ChooseFormat(QString(), false);
        ShowFormatState();
    });
    QAction* save = format->addAction(QStringLiteral("保存格式"));
    connect(save, &QAction::triggered, this, [this] {
        ops_->PullBoxesInside();
        ops_->SaveFormat();
    });
    QAction* saveAs = format->addAction(QStringLiteral("另存格式"));
    connect(saveAs, &QAction::triggered, this, [this] {
        ops_->PullBoxesInside();
        if (ops_->SaveFormatAs(QString())) ShowFormatState();
    });
    formatActions << save << saveAs;
    connect(format->addAction(QStringLiteral("管理格式")), &QAction::triggered, this, [this] {
        ops_->ChooseFormat(QString(), false);
        ShowFormatState();
    });
    format->addSeparator();
    Disabled(format, QStringLiteral("导入格式"));
    Disabled(format, QStringLiteral("导出格式"));
    Disabled(format, QStringLiteral("下载格式"));

    mCtlSame = bar->addMenu(QStringLiteral("内容框设置(&C)"));
    QMenu* align = mCtlSame->addMenu(QStringLiteral("内容框对齐"));
    for (const char* c : {"左对齐", "右对齐", "顶端对齐", "底部对齐"}) Disabled(align, QString::fromUtf8(c));
    QMenu* sizes = mCtlSame->addMenu(QStringLiteral("内容框尺寸"));
    for (const char* c : {"统一宽度", "统一高度", "统一尺寸"}) Disabled(sizes, QString::fromUtf8(c));

    QMenu* set = bar->addMenu(QStringLiteral("设置"));
    auto toggle = [this, set](const QString& caption, bool SlipOptions::*field) {
        QAction* a = set->addAction(caption);
        a->setCheckable(true);
        connect(a, &QAction::toggled, this, [this, field](bool on) {
            if (!syncing_) template_->state.options.*field = on;
        });
        return a;
    };
    mSetPaper = toggle(QStringLiteral("自动设置纸张"), &SlipOptions::setPaper);
    mDiTuPrint = toggle(QStringLiteral("连同底图打印"), &SlipOptions::printBackground);
    mPrintRulers = toggle(QStringLiteral("打印标尺坐标"), &SlipOptions::printRulers);
    set->addSeparator();
    connect(set->addAction(QStringLiteral("设置换行特殊符")), &QAction::triggered, this, [this] { SetLineBreakMarker(); });
    Disabled(set, QStringLiteral("条码标准设置"));
    connect(set->addAction(QStringLiteral("货币符号设置")), &QAction::triggered, this, [this] { SetCurrencyChar(); });
    connect(set->addAction(QStringLiteral("登录密码设置")), &QAction::triggered, this, [this] {
        auto* dlg = new ModiPSD(this);
        dlg->setAttribute(Qt::WA_DeleteOnClose);
        dlg->show();
    });

    QMenu* tools = bar->addMenu(QStringLiteral("工具"));
    QAction* pull = tools->addAction(QStringLiteral("检查凭据外内容框"));
    connect(pull, &QAction::triggered, this, [this] { ops_->PullBoxesInside(); });
    formatActions << pull;
    connect(tools->addAction(QStringLiteral("压缩整理数据库")), &QAction::triggered, this, [] { CompactAppDatabase(); });

    QMenu* help = bar->addMenu(QStringLiteral("帮助(&H)"));
    Disabled(help, QStringLiteral("打印校准向导"));
    Disabled(help, QStringLiteral("使用说明"));
    Disabled(help, QStringLiteral("关于软件"));
}

void MainWindow::Start()
{
    EnsureAppFolder(QStringLiteral("Temp"));
    template_->lineBreakMarker = GetRegValue(RegRoot(), QStringLiteral("Para"), QStringLiteral("CrlfChr"), QStringLiteral("//"));
    template_->UnloadAllInputBoxes();
    QString name = LoadCurrentFormatState(template_->state.options.o2);
    SyncOptionsToWidgets();
    // A remembered format that has been deleted since is no format to open.
    if (!name.isEmpty() && !FormatOps::FormatExists(name)) name.clear();
    template_->state.name = name;
    FormatNameChanged();
    ShowFormatState();
    // The window fills the screen's work area.
    if (QScreen* sc = screen()) setGeometry(sc->availableGeometry());
    show();
    QApplication::processEvents();
    ops_->ChooseFormat(name, true);
    ShowFormatState();
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    const QString name = template_->state.name;
    if (!name.isEmpty()) {
        template_->SaveDefaultRecord(name);
        SaveCurrentFormatState(name, template_->state.options.o2);
    }
    e->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == LFMT[0] || watched == LFMT[1]) && event->type() == QEvent::MouseButtonDblClick) {
        ops_->ChooseFormat(QString(), false);
        ShowFormatState();
        return true;
    }
    if (watched == PFrm && event->type() == QEvent::Resize) {
        // A canvas shown at the frame's width follows the frame when the
        // window changes size; a zoomed one keeps its size.
        const auto* r = static_cast<QResizeEvent*>(event);
        const double oldWidth = r->oldSize().width() * kTwipsPerPixel;
        if (fit_.width > 0 && std::fabs(fit_.width - oldWidth) < kTwipsPerPixel && r->oldSize().width() > 0)
            QMetaObject::invokeMethod(this, [this] { Zm_Click(2); }, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

double MainWindow::FrameWidthTwips() const { return PFrm->width() * kTwipsPerPixel; }
double MainWindow::FrameHeightTwips() const { return PFrm->height() * kTwipsPerPixel; }
double MainWindow::CanvasWidthTwips() const { return fit_.width; }
double MainWindow::CanvasHeightTwips() const { return fit_.height; }

void MainWindow::ApplyCanvasGeometry()
{
    PG->setGeometry(Px(fit_.left), Px(fit_.top), qMax(1, Px(fit_.width)), qMax(1, Px(fit_.height)));
    template_->SetCanvasMetrics(fit_.width, FrameWidthTwips());
    PHS->setEnabled(fit_.hScrollEnabled);
    VS->setEnabled(fit_.vScrollEnabled);
}

void MainWindow::FitCanvas(double widthMm, double heightMm)
{
    fit_ = FitCanvasToFrame(widthMm, heightMm, FrameWidthTwips(), FrameHeightTwips());
    {
        const QSignalBlocker bh(PHS), bv(VS);
        PHS->setRange(0, fit_.hScrollMax);
        VS->setRange(0, fit_.vScrollMax);
    }
    ApplyCanvasGeometry();
    O2_Click(0);
    O2_Click(4);
}

void MainWindow::SetScroll(int hValue, int vValue)
{
    PHS->setValue(hValue);
    VS->setValue(vValue);
}

void MainWindow::Zm_Click(int index)
{
    ZoomCanvas(ZoomDelta(index, fit_.width, FrameWidthTwips()));
}

void MainWindow::ZoomCanvas(double delta)
{
    if (fit_.width <= 0) return;
    PG->setVisible(false);
    const ZoomResult z = ZoomCanvasGeometry(fit_, delta, FrameWidthTwips(), FrameHeightTwips());
    // The values typed into the boxes survive the rebuild.
    QVector<QPair<int, QString>> values;
    template_->ForEachBox([&](SlipBox* b) {
        if (b->Class <= kPictureBox) values.append({b->Index, template_->GetInputBoxValue(b)});
    });
    fit_ = z.fit;
    {
        const QSignalBlocker bh(PHS), bv(VS);
        PHS->setRange(0, fit_.hScrollMax);
        VS->setRange(0, fit_.vScrollMax);
        PHS->setValue(z.hValue);
        VS->setValue(z.vValue);
    }
    ApplyCanvasGeometry();
    template_->ReloadFormat(false);
    O2_Click(0);
    O2_Click(4);
    for (const auto& [index, value] : values) {
        SlipBox* b = template_->GetControlByIndex(index);
        if (!b) continue;
        if (b->Class == kPictureBox && value.isEmpty()) continue;
        // A saved text already holds real line breaks, not the marker.
        if (b->Class == kTextBox) b->SetText(value);
        else template_->SetInputBoxValue(b, value);
    }
    PG->setVisible(true);
}

void MainWindow::O2_Click(int index)
{
    const auto& o2 = template_->state.options.o2;
    switch (index) {
    case 0:
    case 4:
        PG->showRulers = o2[0] == 1;
        PG->showBackground = o2[4] == 1;
        PG->slipWidthMm = Val(template_->state.width);
        SetCaptionLabelsVisible(!PG->BackgroundShown());
        PG->update();
        break;
    case 2: {
        const bool e = o2[2] == 0;
        mCtlSame->setEnabled(e);
        COM2->setEnabled(false);   // the slip-size dialog is not in this program yet
        COM36->setEnabled(false);  // nor the margin calibration
        break;
    }
    default: break;
    }
}

void MainWindow::SetCaptionLabelsVisible(bool on)
{
    template_->ForEachBox([on](SlipBox* b) {
        if (b->CaptionLabel) b->CaptionLabel->setVisible(on);
    });
}

void MainWindow::SyncOptionsToWidgets()
{
    syncing_ = true;
    const SlipOptions& o = template_->state.options;
    for (int i = 0; i < 5; ++i) O2[i]->setChecked(o.o2[i] == 1);
    mSetPaper->setChecked(o.setPaper);
    mDiTuPrint->setChecked(o.printBackground);
    mPrintRulers->setChecked(o.printRulers);
    syncing_ = false;
}

void MainWindow::ShowFormatState()
{
    const FormatState& s = template_->state;
    LFMT[0]->setText(s.name);
    LFMT[0]->setToolTip(s.name.isEmpty() ? QStringLiteral("当前显示的单据格式名称（双击可选择其他格式）。") : s.name);
    Wid->setText(s.width);
    Hie->setText(s.height);
    M_X->setText(s.offsetX);
    M_Y->setText(s.offsetY);
    SyncOptionsToWidgets();
    O2_Click(2);
    const bool open = !s.name.isEmpty();
    for (QAction* a : formatActions) a->setEnabled(open);
    for (QWidget* w : formatButtons) w->setEnabled(open);
}

void MainWindow::FormatNameChanged()
{
    PG->background = LoadBackgroundPicture(template_->state.name);
    LFMT[0]->setText(template_->state.name);
    LFMT[0]->setToolTip(template_->state.name);
}

void MainWindow::ReplaceBackground()
{
    const QString chosen = ChooseFile(QStringLiteral("JPEG格式(*.jpg)|*.jpg"), false);
    if (!ReplaceBackgroundPicture(template_->state.name, chosen)) return;
    PG->background = LoadBackgroundPicture(template_->state.name);
    O2_Click(4);
}

void MainWindow::ClearBackground()
{
    if (!ClearBackgroundPicture(template_->state.name)) return;
    PG->background = QImage();
    O2_Click(4);
}

void MainWindow::SetCanvasVisible(bool on)
{
    PG->setVisible(on);
    if (on) ShowFormatState();
}

QString MainWindow::ShowFormatList()
{
    return RunFmtList(this, template_->state.name, ops_.get());
}

void MainWindow::SetLineBreakMarker()
{
    const QString current = GetRegValue(RegRoot(), QStringLiteral("Para"), QStringLiteral("CrlfChr"), QStringLiteral("//"));
    const auto answer = InputBox(QStringLiteral("请输入表示回车的表示字符串"), QString(), current);
    if (!answer || answer->isEmpty()) return;
    SaveRegValue(RegRoot(), QStringLiteral("Para"), QStringLiteral("CrlfChr"), *answer);
    template_->lineBreakMarker = *answer;
}

void MainWindow::SetCurrencyChar()
{
    const auto answer = InputBox(QStringLiteral("请输入您需要的货币符号\r\n(只允许输入一个字符，输入多个字符，只有第一个字符有效！)"),
                                 QStringLiteral("更换货币符号"), QString(template_->state.options.currencyChar));
    if (!answer || answer->isEmpty()) return;
    template_->state.options.currencyChar = answer->at(0);
}

} // namespace slip
