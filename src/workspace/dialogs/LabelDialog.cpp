#include "workspace/dialogs/LabelDialog.h"

#include "core/TextNumber.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace slip {

LabelDialog::LabelDialog(SlipFormat& format, QWidget* parent)
    : BoxPropertiesDialog(format, BoxKind::Label, QStringLiteral("标签属性修改"), parent)
{
    setObjectName(QStringLiteral("labelDialog"));
    auto* top = new QVBoxLayout(this);
    auto edit = [](const char* name, const QString& tip) {
        auto* e = new QLineEdit;
        e->setObjectName(QString::fromLatin1(name));
        e->setToolTip(tip);
        return e;
    };
    auto* textRow = new QHBoxLayout;
    textRow->addWidget(new QLabel(QStringLiteral("内容：")));
    textEdit = edit("textEdit", QStringLiteral("输入框的提示标签内容。"));
    textRow->addWidget(textEdit, 1);
    top->addLayout(textRow);

    auto* place = new QGroupBox(QStringLiteral("内容框位置/大小(毫米)"));
    auto* placeGrid = new QGridLayout(place);
    xEdit = edit("xEdit", QStringLiteral("输入框的横向位置。"));
    yEdit = edit("yEdit", QStringLiteral("输入框的纵向位置。"));
    widthEdit = edit("widthEdit", QStringLiteral("输入框的横向宽度。"));
    heightEdit = edit("heightEdit", QStringLiteral("输入框的纵向高度。"));
    placeGrid->addWidget(new QLabel(QStringLiteral("横向坐标：")), 0, 0);
    placeGrid->addWidget(xEdit, 0, 1);
    placeGrid->addWidget(new QLabel(QStringLiteral("纵向坐标：")), 0, 2);
    placeGrid->addWidget(yEdit, 0, 3);
    placeGrid->addWidget(new QLabel(QStringLiteral("宽：")), 1, 0);
    placeGrid->addWidget(widthEdit, 1, 1);
    placeGrid->addWidget(new QLabel(QStringLiteral("高：")), 1, 2);
    placeGrid->addWidget(heightEdit, 1, 3);
    top->addWidget(place);

    auto* layoutBox = new QGroupBox(QStringLiteral("排版方式"));
    auto* layoutGrid = new QGridLayout(layoutBox);
    charSpacingEdit = edit("charSpacingEdit", QStringLiteral("输入框打印时的字间距。"));
    lineSpacingEdit = edit("lineSpacingEdit", QStringLiteral("输入框打印时的行间距。"));
    layoutGrid->addWidget(new QLabel(QStringLiteral("字间距：")), 0, 0);
    layoutGrid->addWidget(charSpacingEdit, 0, 1);
    layoutGrid->addWidget(new QLabel(QStringLiteral("行间距：")), 0, 2);
    layoutGrid->addWidget(lineSpacingEdit, 0, 3);
    auto* aligns = new QButtonGroup(layoutBox);
    const QString captions[3] = {QStringLiteral("居左"), QStringLiteral("居右"), QStringLiteral("居中")};
    auto* alignRow = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        alignButtons[i] = new QRadioButton(captions[i]);
        aligns->addButton(alignButtons[i], i);
        alignRow->addWidget(alignButtons[i]);
        connect(alignButtons[i], &QRadioButton::clicked, this, [this, i] {
            align_ = TextAlign(i);
            fontSample->ShowLook(look_, align_);
            Mark(Align);
        });
    }
    alignRow->addStretch();
    layoutGrid->addLayout(alignRow, 1, 0, 1, 4);
    top->addWidget(layoutBox);

    auto* fontBox = new QGroupBox(QStringLiteral("字体/字号/示例"));
    auto* fontRow = new QHBoxLayout(fontBox);
    fontSample = new FontSample;
    fontRow->addWidget(fontSample, 1);
    fontButton = new QPushButton(QStringLiteral("字体  设置"));
    fontButton->setObjectName(QStringLiteral("fontButton"));
    fontButton->setToolTip(QStringLiteral("修改输入框内的字体/字号/颜色等。"));
    fontRow->addWidget(fontButton);
    top->addWidget(fontBox);
    AddButtons(top);

    MarkOnEdit(textEdit, Text);
    MarkOnEdit(xEdit, X);
    MarkOnEdit(yEdit, Y);
    MarkOnEdit(widthEdit, Width);
    MarkOnEdit(heightEdit, Height);
    MarkOnEdit(charSpacingEdit, CharSpacing);
    MarkOnEdit(lineSpacingEdit, LineSpacing);
    connect(fontButton, &QPushButton::clicked, this, [this] {
        const std::optional<BoxLook> chosen = ChooseBoxLook(look_);
        if (!chosen) return;
        look_ = *chosen;
        fontSample->ShowLook(look_, align_);
        Mark(Look);
    });
}

void LabelDialog::LoadBox(const Box& b)
{
    textEdit->setText(b.caption);
    xEdit->setText(NumberText(b.rect.x()));
    yEdit->setText(NumberText(b.rect.y()));
    widthEdit->setText(NumberText(b.rect.width()));
    heightEdit->setText(NumberText(b.rect.height()));
    charSpacingEdit->setText(NumberText(b.charSpacingMm));
    lineSpacingEdit->setText(NumberText(b.lineSpacingMm));
    align_ = b.align;
    alignButtons[int(b.align)]->setChecked(true);
    look_ = LookOf(b);
    fontSample->ShowLook(look_, align_);
}

bool LabelDialog::CheckFields()
{
    const double w = SlipWidth(), h = SlipHeight();
    return CheckNumberField(X, xEdit, PositionRule(QStringLiteral("横向坐标"), w, true)) &&
           CheckNumberField(Y, yEdit, PositionRule(QStringLiteral("纵向坐标"), h, false)) &&
           CheckNumberField(Width, widthEdit, SizeRule(QStringLiteral("宽"), w, true)) &&
           CheckNumberField(Height, heightEdit, SizeRule(QStringLiteral("高"), h, false)) &&
           CheckNumberField(CharSpacing, charSpacingEdit, SpacingRule(QStringLiteral("字间距"), w, true)) &&
           CheckNumberField(LineSpacing, lineSpacingEdit, SpacingRule(QStringLiteral("行间距"), h, false));
}

void LabelDialog::WriteMarked(Box& b)
{
    if (IsMarked(Text)) b.caption = textEdit->text();
    if (IsMarked(X)) b.rect.moveLeft(Number(X));
    if (IsMarked(Y)) b.rect.moveTop(Number(Y));
    if (IsMarked(Width)) b.rect.setWidth(Number(Width));
    if (IsMarked(Height)) b.rect.setHeight(Number(Height));
    if (IsMarked(CharSpacing)) b.charSpacingMm = Number(CharSpacing);
    if (IsMarked(LineSpacing)) b.lineSpacingMm = Number(LineSpacing);
    if (IsMarked(Align)) b.align = align_;
    if (IsMarked(Look)) {
        b.font = look_.font;
        b.color = look_.color;
    }
}

} // namespace slip
