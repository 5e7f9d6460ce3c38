#include "workspace/dialogs/SlipDialogs.h"

#include "core/TextNumber.h"
#include "model/SettingAnswers.h"
#include "storage/Params.h"
#include "ui/Prompt.h"
#include "ui/WindowPos.h"
#include "ui/WindowHelpers.h"
#include "workspace/dialogs/DialogParts.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace slip {

namespace {

// The calibration print in small: a page corner with the black block and the
// two margins the operator measures.
class CalibrationPicture : public QWidget {
public:
    CalibrationPicture()
    {
        setFixedSize(150, 130);
        setToolTip(QStringLiteral("校准黑块示例"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF page(10, 10, width() - 20, height() - 20);
        p.fillRect(page, Qt::white);
        p.setPen(QPen(Qt::gray, 1));
        p.drawRect(page);
        const QRectF block(page.left() + 42, page.top() + 38, 30, 24);
        p.fillRect(block, Qt::black);
        p.setPen(QPen(Qt::darkBlue, 1));
        auto arrow = [&p](QPointF a, QPointF b) {
            p.drawLine(a, b);
            const QPointF d = (b - a) / QLineF(a, b).length() * 4;
            const QPointF n(-d.y(), d.x());
            for (QPointF end : {a, b}) {
                const QPointF back = end == a ? end + d : end - d;
                p.drawLine(end, back + n);
                p.drawLine(end, back - n);
            }
        };
        const double midY = block.center().y(), midX = block.center().x();
        arrow(QPointF(page.left() + 1, midY), QPointF(block.left() - 1, midY));
        arrow(QPointF(midX, page.top() + 1), QPointF(midX, block.top() - 1));
        QFont f = font();
        f.setPointSizeF(7.5);
        p.setFont(f);
        p.setPen(Qt::darkBlue);
        p.drawText(QRectF(page.left(), midY + 2, block.left() - page.left(), 14), Qt::AlignCenter,
                   QStringLiteral("横向"));
        p.drawText(QRectF(midX + 3, page.top(), 40, block.top() - page.top()), Qt::AlignVCenter | Qt::AlignLeft,
                   QStringLiteral("纵向"));
    }
};

} // namespace

// --- Shared ------------------------------------------------------------------

SlipSettingDialog::SlipSettingDialog(SlipFormat& format, QWidget* parent) : QDialog(parent), format_(format)
{
    // Its values belong to the format it was opened on: another format (or
    // the same one read again) closes it unwritten.
    connect(&format_, &SlipFormat::loaded, this, &QDialog::reject);
}

void SlipSettingDialog::AddButtons(QBoxLayout* layout)
{
    layout->addLayout(OkCancelRow(okButton, cancelButton));
    connect(okButton, &QPushButton::clicked, this, [this] { Apply(); });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

// --- Slip size ---------------------------------------------------------------

SlipSizeDialog::SlipSizeDialog(SlipFormat& format, QWidget* parent) : SlipSettingDialog(format, parent)
{
    setObjectName(QStringLiteral("slipSizeDialog"));
    setWindowTitle(QStringLiteral("修改单据尺寸"));
    auto* top = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    widthEdit = new QLineEdit(MmText(format.Header().widthMm));
    heightEdit = new QLineEdit(MmText(format.Header().heightMm));
    widthEdit->setObjectName(QStringLiteral("widthEdit"));
    heightEdit->setObjectName(QStringLiteral("heightEdit"));
    AddFormRow(grid, 0, {QStringLiteral("单据宽度："), widthEdit, QStringLiteral("毫米")});
    AddFormRow(grid, 1, {QStringLiteral("单据高度："), heightEdit, QStringLiteral("毫米")});
    top->addLayout(grid);
    AddButtons(top);
    // Wide enough for the caption in the title bar.
    setMinimumWidth(300);
}

void SlipSizeDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    CenterForm(this);
}

bool SlipSizeDialog::Apply()
{
    const SlipSizeAnswer size = SlipSizeFromAnswer(widthEdit->text(), heightEdit->text());
    if (!size.take) {
        MsgBox(size.error);
        return false;
    }
    const FormatHeader& header = format_.Header();
    if (header.widthMm != size.widthMm || header.heightMm != size.heightMm) {
        // Boxes keep their places in mm.
        format_.SetSlipSize(size.widthMm, size.heightMm);
        changed_ = true;
    }
    accept();
    return true;
}

// --- Print margins -----------------------------------------------------------

PrintMarginDialog::PrintMarginDialog(SlipFormat& format, QWidget* parent) : SlipSettingDialog(format, parent)
{
    setObjectName(QStringLiteral("printMarginDialog"));
    setWindowTitle(QStringLiteral("输入打印页边距"));
    auto* top = new QVBoxLayout(this);
    auto* upper = new QHBoxLayout;
    auto* text = new QLabel(QStringLiteral("请在下列输入框中填入打印内容需要移动的距离，如需向反方向移动，请填写负数。\n\n"
                                           "【通常情况下，只需打印出如右图的校准黑块，量出横向边距和纵向边距填入输入框即可，数字可填写小数】"));
    text->setWordWrap(true);
    text->setMinimumWidth(260);
    upper->addWidget(text, 1);
    upper->addWidget(new CalibrationPicture);
    top->addLayout(upper);

    auto* grid = new QGridLayout;
    xEdit = new QLineEdit(MmText(format.Header().offsetXMm));
    yEdit = new QLineEdit(MmText(format.Header().offsetYMm));
    xEdit->setObjectName(QStringLiteral("xEdit"));
    yEdit->setObjectName(QStringLiteral("yEdit"));
    xEdit->setToolTip(QStringLiteral("横向打印页边距。"));
    yEdit->setToolTip(QStringLiteral("纵向打印页边距。"));
    xEdit->setMaximumWidth(90);
    yEdit->setMaximumWidth(90);
    AddFormRow(grid, 0, {QStringLiteral("向左移"), xEdit, QStringLiteral("毫米（横向边距）")});
    AddFormRow(grid, 1, {QStringLiteral("向上移"), yEdit, QStringLiteral("毫米（纵向边距）")});
    grid->setColumnStretch(3, 1);
    top->addLayout(grid);
    AddButtons(top);
    SetTopmost(this);
}

void PrintMarginDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // Centred on the whole screen.
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect area = s->geometry();
        move(area.left() + (area.width() - frameGeometry().width()) / 2,
             area.top() + (area.height() - frameGeometry().height()) / 2);
    }
}

bool PrintMarginDialog::Apply()
{
    const FormatHeader& header = format_.Header();
    const std::optional<double> x = CheckNumberEdit(xEdit, PositionRule(QStringLiteral("横向边距")));
    if (!x) return false;
    const std::optional<double> y = CheckNumberEdit(yEdit, PositionRule(QStringLiteral("纵向边距")));
    if (!y) return false;
    if (header.offsetXMm != *x || header.offsetYMm != *y) {
        format_.SetPrintOffsets(*x, *y);
        changed_ = true;
    }
    accept();
    return true;
}

// --- Barcode standard --------------------------------------------------------

QString BarcodeStandardParamName() { return QStringLiteral("StrBarCodeStand"); }

namespace {

// The stored standard as its option: 0, 1, or -1 for a value that is neither.
int StoredStandardOption()
{
    const QString text = ParamOrTell(BarcodeStandardParamName());
    const qint64 k = RoundHalfEven(Val(text));
    return k == 0 || k == 1 ? int(k) : -1;
}

} // namespace

BarcodeStandardDialog::BarcodeStandardDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("barcodeStandardDialog"));
    setWindowTitle(QStringLiteral("条码编码标准设置"));
    auto* top = new QVBoxLayout(this);
    auto* group = new QButtonGroup(this);
    options[0] = new QRadioButton(QStringLiteral(" 39码"));
    options[1] = new QRadioButton(QStringLiteral(" EAN-13码"));
    for (int i = 0; i < 2; ++i) {
        group->addButton(options[i], i);
        top->addWidget(options[i]);
    }
    const int stored = StoredStandardOption();
    if (stored >= 0) options[stored]->setChecked(true);
    okButton = new QPushButton(QStringLiteral("确     定"));
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    top->addWidget(okButton, 0, Qt::AlignHCenter);
    setMinimumWidth(280);
    connect(okButton, &QPushButton::clicked, this, [this] { ApplyStandard(); });
}

bool BarcodeStandardDialog::ApplyStandard()
{
    const int k = options[1]->isChecked() ? 1 : 0;
    if (!SetParamOrTell(BarcodeStandardParamName(), QString::number(k))) return false;
    accept();
    return true;
}

} // namespace slip
