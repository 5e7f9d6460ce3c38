#pragma once
#include "workspace/dialogs/BoxPropertiesDialog.h"

#include <array>

class QRadioButton;

namespace slip {

// What the check box and picture box dialogs share: the caption and the side
// it stands on, the position (and for pictures the size) and the font.
class CaptionedBoxDialog : public BoxPropertiesDialog {
    Q_OBJECT
public:
    enum Field { Caption, X, Y, Width, Height, Side, Look };

    QLineEdit* captionEdit = nullptr;
    std::array<QRadioButton*, 4> sideButtons{};
    CaptionSample* captionSample = nullptr;
    QLineEdit* xEdit = nullptr;
    QLineEdit* yEdit = nullptr;
    // Picture boxes only; null in the check box dialog.
    QLineEdit* widthEdit = nullptr;
    QLineEdit* heightEdit = nullptr;
    FontSample* fontSample = nullptr;
    QPushButton* fontButton = nullptr;

protected:
    CaptionedBoxDialog(SlipFormat& format, BoxKind kind, const QString& caption, bool withSize, QWidget* parent);
    void LoadBox(const Box& box) override;
    bool CheckFields() override;
    void WriteMarked(Box& box) override;

private:
    BoxLook look_;
};

// The properties of a check box (caption "修改可选框属性"). Its size is not
// edited.
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
