#include "workspace/dialogs/LabelDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace slip {

LabelDialog::LabelDialog(SlipFormat& format, QWidget* parent)
    : RectBoxDialog(format, BoxKind::Label, QStringLiteral("标签属性修改"), parent)
{
    setObjectName(QStringLiteral("labelDialog"));
    auto* top = new QVBoxLayout(this);
    auto* textRow = new QHBoxLayout;
    textRow->addWidget(new QLabel(QStringLiteral("内容：")));
    textRow->addWidget(BuildCaptionEdit("textEdit"), 1);
    top->addLayout(textRow);
    top->addWidget(BuildPlaceGroup(true));
    top->addWidget(BuildLayoutGroup());
    top->addWidget(BuildFontGroup(QStringLiteral("字体/字号/示例")));
    AddButtons(top);
}

} // namespace slip
