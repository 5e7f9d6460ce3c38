#include "workspace/dialogs/RectBoxDialog.h"

#include "core/TextNumber.h"
#include "workspace/dialogs/DialogParts.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace slip {

QLineEdit* RectBoxDialog::BuildCaptionEdit(const char* name)
{
    captionEdit = new QLineEdit;
    captionEdit->setObjectName(QString::fromLatin1(name));
    captionEdit->setToolTip(QStringLiteral("输入框的提示标签内容。"));
    connect(captionEdit, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (captionSample) captionSample->SetCaption(t);
        Mark(Caption);
    });
    return captionEdit;
}

QGroupBox* RectBoxDialog::BuildCaptionGroup()
{
    auto* g = new QGroupBox(QStringLiteral("标签内容/位置"));
    auto* grid = new QGridLayout(g);
    grid->addWidget(new QLabel(QStringLiteral("内容：")), 0, 0);
    grid->addWidget(BuildCaptionEdit("captionEdit"), 0, 1, 1, 2);
    auto* sides = new QButtonGroup(g);
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
    grid->addLayout(sideColumn, 1, 0, 1, 2);
    captionSample = new CaptionSample;
    grid->addWidget(captionSample, 1, 2);
    return g;
}

QGroupBox* RectBoxDialog::BuildPlaceGroup(bool withSize)
{
    auto* g = new QGroupBox(QStringLiteral("内容框位置/大小(毫米)"));
    auto* grid = new QGridLayout(g);
    xEdit = FieldEdit("xEdit", X, QStringLiteral("输入框的横向位置。"));
    yEdit = FieldEdit("yEdit", Y, QStringLiteral("输入框的纵向位置。"));
    AddFormRow(grid, 0, {QStringLiteral("横向坐标："), xEdit, QStringLiteral("纵向坐标："), yEdit});
    if (withSize) {
        widthEdit = FieldEdit("widthEdit", Width, QStringLiteral("输入框的横向宽度。"));
        heightEdit = FieldEdit("heightEdit", Height, QStringLiteral("输入框的纵向高度。"));
        AddFormRow(grid, 1, {QStringLiteral("宽："), widthEdit, QStringLiteral("高："), heightEdit});
    }
    return g;
}

QGroupBox* RectBoxDialog::BuildLayoutGroup()
{
    auto* g = new QGroupBox(QStringLiteral("排版方式"));
    auto* grid = new QGridLayout(g);
    charSpacingEdit = FieldEdit("charSpacingEdit", CharSpacing, QStringLiteral("输入框打印时的字间距。"));
    lineSpacingEdit = FieldEdit("lineSpacingEdit", LineSpacing, QStringLiteral("输入框打印时的行间距。"));
    AddFormRow(grid, 0, {QStringLiteral("字间距："), charSpacingEdit, QStringLiteral("行间距："), lineSpacingEdit});
    auto* aligns = new QButtonGroup(g);
    const QString captions[3] = {QStringLiteral("居左"), QStringLiteral("居右"), QStringLiteral("居中")};
    auto* row = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        alignButtons[i] = new QRadioButton(captions[i]);
        aligns->addButton(alignButtons[i], i);
        row->addWidget(alignButtons[i]);
        connect(alignButtons[i], &QRadioButton::clicked, this, [this, i] {
            align_ = TextAlign(i);
            fontSample->ShowLook(look_, align_);
            Mark(Align);
        });
    }
    row->addStretch();
    grid->addLayout(row, 1, 0, 1, 4);
    return g;
}

QGroupBox* RectBoxDialog::BuildFontGroup(const QString& title)
{
    auto* g = new QGroupBox(title);
    auto* row = new QHBoxLayout(g);
    fontSample = new FontSample;
    row->addWidget(fontSample, 1);
    fontButton = new QPushButton(QStringLiteral("字体  设置"));
    fontButton->setObjectName(QStringLiteral("fontButton"));
    fontButton->setToolTip(QStringLiteral("修改输入框内的字体/字号/颜色等。"));
    row->addWidget(fontButton);
    connect(fontButton, &QPushButton::clicked, this, [this] {
        const std::optional<BoxLook> chosen = ChooseBoxLook(look_);
        if (!chosen) return;
        look_ = *chosen;
        fontSample->ShowLook(look_, align_);
        Mark(Look);
    });
    return g;
}

void RectBoxDialog::NarrowNumberFields()
{
    for (QLineEdit* e : {xEdit, yEdit, widthEdit, heightEdit, charSpacingEdit, lineSpacingEdit})
        if (e) e->setMaximumWidth(kNumberFieldWidth);
}

void RectBoxDialog::LoadBox(const Box& b)
{
    captionEdit->setText(b.caption);
    if (captionSample) {
        captionSample->SetCaption(b.caption);
        captionSample->SetSide(b.captionSide);
        sideButtons[int(b.captionSide)]->setChecked(true);
    }
    xEdit->setText(MmText(b.rect.x()));
    yEdit->setText(MmText(b.rect.y()));
    if (widthEdit) {
        widthEdit->setText(MmText(b.rect.width()));
        heightEdit->setText(MmText(b.rect.height()));
    }
    if (charSpacingEdit) {
        charSpacingEdit->setText(MmText(b.charSpacingMm));
        lineSpacingEdit->setText(MmText(b.lineSpacingMm));
        align_ = b.align;
        // A stored code without a button of its own stays until one is chosen.
        if (int(b.align) >= 0 && int(b.align) < int(alignButtons.size())) alignButtons[int(b.align)]->setChecked(true);
    }
    look_ = LookOf(b);
    fontSample->ShowLook(look_, align_);
}

bool RectBoxDialog::CheckFields()
{
    if (!CheckNumberField(X, xEdit, PositionRule(QStringLiteral("横向坐标"))) ||
        !CheckNumberField(Y, yEdit, PositionRule(QStringLiteral("纵向坐标"))))
        return false;
    if (widthEdit && (!CheckNumberField(Width, widthEdit, SizeRule(QStringLiteral("宽"))) ||
                      !CheckNumberField(Height, heightEdit, SizeRule(QStringLiteral("高")))))
        return false;
    if (charSpacingEdit && (!CheckNumberField(CharSpacing, charSpacingEdit, PositionRule(QStringLiteral("字间距"))) ||
                            !CheckNumberField(LineSpacing, lineSpacingEdit, LineSpacingRule())))
        return false;
    return true;
}

void RectBoxDialog::WriteMarked(Box& b)
{
    // A field of a group the dialog did not build is never marked.
    if (IsMarked(Caption)) b.caption = captionEdit->text();
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
    if (IsMarked(Side)) {
        for (int i = 0; i < 4; ++i)
            if (sideButtons[i]->isChecked()) b.captionSide = CaptionSide(i);
    }
}

} // namespace slip
