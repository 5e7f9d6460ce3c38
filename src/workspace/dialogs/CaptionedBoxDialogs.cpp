#include "workspace/dialogs/CaptionedBoxDialogs.h"

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

CaptionedBoxDialog::CaptionedBoxDialog(SlipFormat& format, BoxKind kind, const QString& caption, bool withSize,
                                       QWidget* parent)
    : BoxPropertiesDialog(format, kind, caption, parent)
{
    auto* top = new QVBoxLayout(this);
    auto edit = [](const char* name, const QString& tip) {
        auto* e = new QLineEdit;
        e->setObjectName(QString::fromLatin1(name));
        e->setToolTip(tip);
        e->setMaximumWidth(90);
        return e;
    };

    auto* fontBox = new QGroupBox(QStringLiteral("输入框"));
    auto* fontRow = new QHBoxLayout(fontBox);
    fontSample = new FontSample;
    fontRow->addWidget(fontSample, 1);
    fontButton = new QPushButton(QStringLiteral("字体  设置"));
    fontButton->setObjectName(QStringLiteral("fontButton"));
    fontButton->setToolTip(QStringLiteral("修改输入框内的字体/字号/颜色等。"));
    fontRow->addWidget(fontButton);
    top->addWidget(fontBox);

    auto* place = new QGroupBox(QStringLiteral("内容框位置/大小(毫米)"));
    auto* placeGrid = new QGridLayout(place);
    xEdit = edit("xEdit", QStringLiteral("输入框的横向位置。"));
    yEdit = edit("yEdit", QStringLiteral("输入框的纵向位置。"));
    placeGrid->addWidget(new QLabel(QStringLiteral("横向坐标：")), 0, 0);
    placeGrid->addWidget(xEdit, 0, 1);
    placeGrid->addWidget(new QLabel(QStringLiteral("纵向坐标：")), 0, 2);
    placeGrid->addWidget(yEdit, 0, 3);
    if (withSize) {
        widthEdit = edit("widthEdit", QStringLiteral("输入框的横向宽度。"));
        heightEdit = edit("heightEdit", QStringLiteral("输入框的纵向高度。"));
        placeGrid->addWidget(new QLabel(QStringLiteral("宽：")), 1, 0);
        placeGrid->addWidget(widthEdit, 1, 1);
        placeGrid->addWidget(new QLabel(QStringLiteral("高：")), 1, 2);
        placeGrid->addWidget(heightEdit, 1, 3);
        MarkOnEdit(widthEdit, Width);
        MarkOnEdit(heightEdit, Height);
    }
    top->addWidget(place);

    auto* captionBox = new QGroupBox(QStringLiteral("标签内容/位置"));
    auto* captionGrid = new QGridLayout(captionBox);
    captionGrid->addWidget(new QLabel(QStringLiteral("内容：")), 0, 0);
    captionEdit = edit("captionEdit", QStringLiteral("输入框的提示标签内容。"));
    captionEdit->setMaximumWidth(QWIDGETSIZE_MAX);
    captionGrid->addWidget(captionEdit, 0, 1, 1, 2);
    auto* sides = new QButtonGroup(captionBox);
    const QString captions[4] = {QStringLiteral("控件上边"), QStringLiteral("控件左边"), QStringLiteral("控件右边"),
                                 QStringLiteral("控件下边")};
    auto* sideColumn = new QVBoxLayout;
    for (int i = 0; i < 4; ++i) {
        sideButtons[i] = new QRadioButton(captions[i]);
        sideButtons[i]->setToolTip(QStringLiteral("输入框的提示标签所在位置。"));
        sides->addButton(sideButtons[i], i);
        sideColumn->addWidget(sideButtons[i]);
        connect(sideButtons[i], &QRadioButton::clicked, this, [this, i] {
            captionSample->SetSide(CaptionSide(i));
            Mark(Side);
        });
    }
    captionGrid->addLayout(sideColumn, 1, 0, 1, 2);
    captionSample = new CaptionSample;
    captionGrid->addWidget(captionSample, 1, 2);
    top->addWidget(captionBox);
    AddButtons(top);

    connect(captionEdit, &QLineEdit::textEdited, this, [this](const QString& t) {
        captionSample->SetCaption(t);
        Mark(Caption);
    });
    MarkOnEdit(xEdit, X);
    MarkOnEdit(yEdit, Y);
    connect(fontButton, &QPushButton::clicked, this, [this] {
        const std::optional<BoxLook> chosen = ChooseBoxLook(look_);
        if (!chosen) return;
        look_ = *chosen;
        fontSample->ShowLook(look_, TextAlign::Left);
        Mark(Look);
    });
}

void CaptionedBoxDialog::LoadBox(const Box& b)
{
    captionEdit->setText(b.caption);
    captionSample->SetCaption(b.caption);
    sideButtons[int(b.captionSide)]->setChecked(true);
    captionSample->SetSide(b.captionSide);
    xEdit->setText(NumberText(b.rect.x()));
    yEdit->setText(NumberText(b.rect.y()));
    if (widthEdit) widthEdit->setText(NumberText(b.rect.width()));
    if (heightEdit) heightEdit->setText(NumberText(b.rect.height()));
    look_ = LookOf(b);
    fontSample->ShowLook(look_, TextAlign::Left);
}

bool CaptionedBoxDialog::CheckFields()
{
    const double w = SlipWidth(), h = SlipHeight();
    if (!CheckNumberField(X, xEdit, PositionRule(QStringLiteral("横向坐标"), w, true)) ||
        !CheckNumberField(Y, yEdit, PositionRule(QStringLiteral("纵向坐标"), h, false)))
        return false;
    if (!widthEdit) return true;
    return CheckNumberField(Width, widthEdit, SizeRule(QStringLiteral("宽"), w, true)) &&
           CheckNumberField(Height, heightEdit, SizeRule(QStringLiteral("高"), h, false));
}

void CaptionedBoxDialog::WriteMarked(Box& b)
{
    if (IsMarked(Caption)) b.caption = captionEdit->text();
    if (IsMarked(X)) b.rect.moveLeft(Number(X));
    if (IsMarked(Y)) b.rect.moveTop(Number(Y));
    if (IsMarked(Width)) b.rect.setWidth(Number(Width));
    if (IsMarked(Height)) b.rect.setHeight(Number(Height));
    if (IsMarked(Side)) {
        for (int i = 0; i < 4; ++i)
            if (sideButtons[i]->isChecked()) b.captionSide = CaptionSide(i);
    }
    if (IsMarked(Look)) {
        b.font = look_.font;
        b.color = look_.color;
    }
}

CheckBoxDialog::CheckBoxDialog(SlipFormat& format, QWidget* parent)
    : CaptionedBoxDialog(format, BoxKind::Check, QStringLiteral("修改可选框属性"), false, parent)
{
    setObjectName(QStringLiteral("checkBoxDialog"));
}

PictureBoxDialog::PictureBoxDialog(SlipFormat& format, QWidget* parent)
    : CaptionedBoxDialog(format, BoxKind::Picture, QStringLiteral("添加/修改图像框"), true, parent)
{
    setObjectName(QStringLiteral("pictureBoxDialog"));
}

} // namespace slip
