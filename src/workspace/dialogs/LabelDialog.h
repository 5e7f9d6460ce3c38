#pragma once
#include "workspace/dialogs/RectBoxDialog.h"

namespace slip {

// The properties of a label (caption "标签属性修改"): its text (the caption
// field), position and size, spacing, alignment and font.
class LabelDialog : public RectBoxDialog {
    Q_OBJECT
public:
    explicit LabelDialog(SlipFormat& format, QWidget* parent = nullptr);
};

} // namespace slip
