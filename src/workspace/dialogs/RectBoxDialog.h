#pragma once
#include "workspace/dialogs/BoxPropertiesDialog.h"

#include <array>

class QGroupBox;
class QRadioButton;

namespace slip {

// What the dialogs of the boxes placed by a rectangle share (labels, text,
// check and picture boxes): the caption and the side it stands on, position
// and size, spacing and alignment, and the font. Each dialog builds the
// groups it shows, in its own arrangement; the fields of a group it does not
// build stay null and are never loaded, checked or written.
class RectBoxDialog : public BoxPropertiesDialog {
    Q_OBJECT
public:
    // The fields of the shared groups; a dialog numbers its own from OwnFields.
    enum Field { Caption, X, Y, Width, Height, CharSpacing, LineSpacing, Align, Look, Side, OwnFields };

    QLineEdit* captionEdit = nullptr;
    std::array<QRadioButton*, 4> sideButtons{};
    CaptionSample* captionSample = nullptr;
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
    using BoxPropertiesDialog::BoxPropertiesDialog;

    // The caption field alone (the label dialog places it in a row of its own).
    QLineEdit* BuildCaptionEdit(const char* name);
    // "标签内容/位置": the caption field, the four sides and the sample.
    QGroupBox* BuildCaptionGroup();
    // "内容框位置/大小(毫米)": x and y, and width and height when withSize.
    QGroupBox* BuildPlaceGroup(bool withSize);
    // "排版方式": character and line spacing, and the alignment.
    QGroupBox* BuildLayoutGroup();
    // The font sample with its button, under `title`. Without the layout
    // group the sample shows the text left-aligned.
    QGroupBox* BuildFontGroup(const QString& title);
    // Keeps the number fields built so far no wider than a number needs.
    void NarrowNumberFields();

    void LoadBox(const Box& box) override;
    bool CheckFields() override;
    void WriteMarked(Box& box) override;

private:
    BoxLook look_;
    TextAlign align_ = TextAlign::Left;
};

} // namespace slip
