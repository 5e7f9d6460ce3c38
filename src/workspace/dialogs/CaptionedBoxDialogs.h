#pragma once
#include "workspace/dialogs/RectBoxDialog.h"

namespace slip {

// What the check box and picture box dialogs share: the caption and the side
// it stands on, the position (and for pictures the size) and the font.
class CaptionedBoxDialog : public RectBoxDialog {
    Q_OBJECT
protected:
    CaptionedBoxDialog(SlipFormat& format, BoxKind kind, const QString& caption, bool withSize, QWidget* parent);
};

// The properties of a check box (caption "修改可选框属性"). Its size is not
// edited (widthEdit and heightEdit stay null).
class CheckBoxDialog : public CaptionedBoxDialog {
    Q_OBJECT
public:
    explicit CheckBoxDialog(SlipFormat& format, QWidget* parent = nullptr);
};

// The properties of a picture box (caption "添加/修改图像框"). The canvas
// draws its picture or barcode again at the new size.
class PictureBoxDialog : public CaptionedBoxDialog {
    Q_OBJECT
public:
    explicit PictureBoxDialog(SlipFormat& format, QWidget* parent = nullptr);
};

} // namespace slip
