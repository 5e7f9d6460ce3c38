#pragma once
#include "workspace/dialogs/BoxPropertiesDialog.h"

#include <array>

class QRadioButton;

namespace slip {

// The properties of a label (caption "标签属性修改"): its text, position and
// size, spacing, alignment and font.
class LabelDialog : public BoxPropertiesDialog {
    Q_OBJECT
public:
    enum Field { Text, X, Y, Width, Height, CharSpacing, LineSpacing, Align, Look };

    explicit LabelDialog(SlipFormat& format, QWidget* parent = nullptr);

    QLineEdit* textEdit = nullptr;
    QLineEdit* xEdit = nullptr;
    QLineEdit* yEdit = nullptr;
    QLineEdit* widthEdit = nullptr;
    QLineEdit* heightEdit = nullptr;
    QLineEdit* charSpacingEdit = nullptr;
    QLineEdit* lineSpacingEdit = nullptr;
    std::array<QRadioButton*, 3> alignButtons{};
    FontSample* fontSample = nullptr;
    QPushButton* fontButton = nullptr;

protected:
    void LoadBox(const Box& box) override;
    bool CheckFields() override;
    void WriteMarked(Box& box) override;

private:
    BoxLook look_;
    TextAlign align_ = TextAlign::Left;
};

} // namespace slip
