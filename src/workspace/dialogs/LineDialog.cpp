#include "workspace/dialogs/LineDialog.h"

#include "core/TextNumber.h"
#include "workspace/dialogs/DialogParts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace slip {

namespace {

Qt::PenStyle PenStyleOf(int code)
{
    switch (code) {
    case 2: return Qt::DashLine;
    case 3: return Qt::DotLine;
    case 4: return Qt::DashDotLine;
    case 5: return Qt::DashDotDotLine;
    case 1: return Qt::SolidLine;
    default: return Qt::NoPen;
    }
}

} // namespace

LineSample::LineSample(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(160, 36);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void LineSample::Show(double width, int style, const QColor& color)
{
    width_ = width;
    style_ = style;
    color_ = color;
    update();
}

void LineSample::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QPen pen(color_, std::clamp(double(RoundHalfEven(width_)), 1.0, double(height() - 4)), PenStyleOf(style_));
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.drawLine(QPointF(8, height() / 2.0), QPointF(width() - 8, height() / 2.0));
}

QStringList LineDialog::StyleItems()
{
    return {QStringLiteral("1 - 实线"), QStringLiteral("2 - 虚线"), QStringLiteral("3 - 点画线"),
            QStringLiteral("4 - 点虚线"), QStringLiteral("5 - 点点虚线")};
}

LineDialog::LineDialog(SlipFormat& format, QWidget* parent)
    : BoxPropertiesDialog(format, BoxKind::Line, QStringLiteral("线条属性修改"), parent)
{
    setObjectName(QStringLiteral("lineDialog"));
    auto* top = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    auto edit = [this](const char* name, Field field) {
        QLineEdit* e = FieldEdit(name, field);
        e->setMaximumWidth(kNumberFieldWidth);
        return e;
    };
    widthEdit = edit("widthEdit", LineWidth);
    startXEdit = edit("startXEdit", StartX);
    startYEdit = edit("startYEdit", StartY);
    endXEdit = edit("endXEdit", EndX);
    endYEdit = edit("endYEdit", EndY);
    styleList = new QComboBox;
    styleList->setObjectName(QStringLiteral("styleList"));
    for (int i = 0; i < 5; ++i) styleList->addItem(StyleItems()[i], i + 1);
    AddFormRow(grid, 0, {QStringLiteral("粗细："), widthEdit, QStringLiteral("线型："), styleList});
    AddFormRow(grid, 1, {QStringLiteral("起点X："), startXEdit, QStringLiteral("起点Y："), startYEdit});
    AddFormRow(grid, 2, {QStringLiteral("终点X："), endXEdit, QStringLiteral("终点Y："), endYEdit});
    top->addLayout(grid);

    auto* sampleBox = new QGroupBox(QStringLiteral("样式示例："));
    auto* sampleRow = new QHBoxLayout(sampleBox);
    sample = new LineSample;
    sampleRow->addWidget(sample, 1);
    colorButton = new QPushButton(QStringLiteral("颜色设置"));
    colorButton->setObjectName(QStringLiteral("colorButton"));
    sampleRow->addWidget(colorButton);
    top->addWidget(sampleBox);
    AddButtons(top);

    connect(widthEdit, &QLineEdit::textChanged, this, [this] { ShowSample(); });
    connect(styleList, &QComboBox::activated, this, [this] {
        ShowSample();
        Mark(Style);
    });
    connect(colorButton, &QPushButton::clicked, this, [this] {
        // A cancelled colour dialog is no edit: the selected lines keep theirs.
        const auto c = ChooseColor(this, color_);
        if (!c) return;
        color_ = *c;
        ShowSample();
        Mark(Color);
    });
}

void LineDialog::ShowSample()
{
    const int style = styleList->currentIndex() >= 0 ? styleList->currentData().toInt() : loadedStyle_;
    sample->Show(Val(widthEdit->text()), style, color_);
}

void LineDialog::LoadBox(const Box& b)
{
    color_ = b.color;
    loadedStyle_ = b.lineStyle;
    widthEdit->setText(NumberText(b.lineWidth));
    startXEdit->setText(MmText(b.line.x1()));
    startYEdit->setText(MmText(b.line.y1()));
    endXEdit->setText(MmText(b.line.x2()));
    endYEdit->setText(MmText(b.line.y2()));
    // A style no item stands for shows no item, and stays unless one is chosen.
    styleList->setCurrentIndex(styleList->findData(b.lineStyle));
    ShowSample();
}

bool LineDialog::CheckFields()
{
    return CheckNumberField(LineWidth, widthEdit, SizeRule(QStringLiteral("粗细"), QString())) &&
           CheckNumberField(StartX, startXEdit, PositionRule(QStringLiteral("起点X"))) &&
           CheckNumberField(StartY, startYEdit, PositionRule(QStringLiteral("起点Y"))) &&
           CheckNumberField(EndX, endXEdit, PositionRule(QStringLiteral("终点X"))) &&
           CheckNumberField(EndY, endYEdit, PositionRule(QStringLiteral("终点Y")));
}

void LineDialog::WriteMarked(Box& b)
{
    if (IsMarked(LineWidth)) b.lineWidth = Number(LineWidth);
    QPointF p1 = b.line.p1(), p2 = b.line.p2();
    if (IsMarked(StartX)) p1.setX(Number(StartX));
    if (IsMarked(StartY)) p1.setY(Number(StartY));
    if (IsMarked(EndX)) p2.setX(Number(EndX));
    if (IsMarked(EndY)) p2.setY(Number(EndY));
    b.line = QLineF(p1, p2);
    if (IsMarked(Style) && styleList->currentIndex() >= 0) b.lineStyle = styleList->currentData().toInt();
    if (IsMarked(Color)) b.color = color_;
}

} // namespace slip
