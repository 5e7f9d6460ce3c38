#pragma once
#include "storage/Params.h"
#include "model/SlipFormat.h"

#include <QDialog>
#include <array>

class QBoxLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace slip {

// What the slip size and print offset dialogs share: they edit the open
// format; OK checks the typed values and writes them, and a refused value
// keeps the dialog open; Cancel writes nothing. Opening another format
// closes the dialog without writing.
class SlipSettingDialog : public QDialog {
    Q_OBJECT
public:
    // The OK step: false when a value was refused (the operator is told).
    // Values equal to those already set change nothing.
    virtual bool Apply() = 0;
    // Whether the format was changed.
    bool Changed() const { return changed_; }

    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

protected:
    SlipSettingDialog(SlipFormat& format, QWidget* parent);
    // The OK and Cancel buttons, added to the end of the layout.
    void AddButtons(QBoxLayout* layout);

    SlipFormat& format_;
    bool changed_ = false;
};

// The slip size (caption "修改单据尺寸"): width and height in mm. A new size
// keeps every box where it is in mm (the window then brings back onto the
// slip the boxes a smaller slip leaves outside).
class SlipSizeDialog : public SlipSettingDialog {
    Q_OBJECT
public:
    explicit SlipSizeDialog(SlipFormat& format, QWidget* parent = nullptr);

    // Each field is read for the number it starts with; a size whose ratio
    // lies beyond 1:20 to 20:1, or with a side not above 0, is refused with
    // the ratio message.
    bool Apply() override;

    QLineEdit* widthEdit = nullptr;
    QLineEdit* heightEdit = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
};

// The print offsets (caption "输入打印页边距"), in mm, as the operator
// measures them on the calibration print: 10 means no shift; fractions and
// negative values are allowed.
class PrintMarginDialog : public SlipSettingDialog {
    Q_OBJECT
public:
    explicit PrintMarginDialog(SlipFormat& format, QWidget* parent = nullptr);

    // An offset that is no number is refused; any sign and size the
    // canvas can place is taken, beyond the slip too.
    bool Apply() override;

    QLineEdit* xEdit = nullptr;
    QLineEdit* yEdit = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
};

// The barcode standard picture boxes draw their barcodes in, for every
// format: 0 Code 39, 1 EAN-13.
QString BarcodeStandardParamName();  // "StrBarCodeStand"


// The barcode standard (caption "条码编码标准设置").
class BarcodeStandardDialog : public QDialog {
    Q_OBJECT
public:
    explicit BarcodeStandardDialog(QWidget* parent = nullptr);

    // Stores the option that is on; with none on, Code 39. False when it
    // could not be stored (the operator is told).
    bool ApplyStandard();

    std::array<QRadioButton*, 2> options{};
    QPushButton* okButton = nullptr;
};

} // namespace slip
