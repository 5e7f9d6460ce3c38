#pragma once
#include "storage/Params.h"
#include "model/SlipFormat.h"

#include <QDialog>
#include <array>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace slip {

// The longest side a slip may have, in mm.
inline constexpr double kMaxSlipMm = 5000;

// The slip size (caption "修改单据尺寸"): width and height in mm. A new size
// keeps every box where it is in mm, and brings back onto the slip the boxes
// the smaller slip would leave outside.
class SlipSizeDialog : public QDialog {
    Q_OBJECT
public:
    explicit SlipSizeDialog(SlipFormat& format, QWidget* parent = nullptr);

    // The accept step. A value that is no number, not above 0, too large, or
    // a ratio beyond 1:20 to 20:1 is refused with a message and the dialog
    // stays open. The size already set changes nothing.
    bool ApplySize();
    // Whether the size was changed.
    bool Changed() const { return changed_; }

    QLineEdit* widthEdit = nullptr;
    QLineEdit* heightEdit = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    SlipFormat& format_;
    bool changed_ = false;
};

// The print offsets (caption "输入打印页边距"), in mm, as the operator
// measures them on the calibration print: 10 means no shift; fractions and
// negative values are allowed.
class PrintMarginDialog : public QDialog {
    Q_OBJECT
public:
    explicit PrintMarginDialog(SlipFormat& format, QWidget* parent = nullptr);

    // The accept step: an offset that is no number, or larger either way
    // than the slip, is refused with a message and the dialog stays open.
    bool ApplyOffsets();
    bool Changed() const { return changed_; }

    QLineEdit* xEdit = nullptr;
    QLineEdit* yEdit = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    SlipFormat& format_;
    bool changed_ = false;
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
