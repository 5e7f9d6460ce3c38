#include "workspace/dialogs/CaptionedBoxDialogs.h"

#include <QGroupBox>
#include <QVBoxLayout>

namespace slip {

CaptionedBoxDialog::CaptionedBoxDialog(SlipFormat& format, BoxKind kind, const QString& caption, bool withSize,
                                       QWidget* parent)
    : RectBoxDialog(format, kind, caption, parent)
{
    auto* top = new QVBoxLayout(this);
    top->addWidget(BuildFontGroup(QStringLiteral("输入框")));
    top->addWidget(BuildPlaceGroup(withSize));
    top->addWidget(BuildCaptionGroup());
    NarrowNumberFields();
    AddButtons(top);
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
