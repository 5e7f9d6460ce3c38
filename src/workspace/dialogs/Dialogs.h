#pragma once
#include "model/SlipFormat.h"

class QWidget;

namespace slip {

class BoxPropertiesDialog;
class TextBoxDialog;
class LineDialog;
class LabelDialog;
class CheckBoxDialog;
class PictureBoxDialog;

// --- Box properties ------------------------------------------------------------
// Each opens the property dialog of a box without blocking and answers it
// (null when the format has no such box of that kind). One dialog per kind is
// open at a time: opening another box of the kind points the open dialog at
// it (unsaved edits are dropped); opening the box it already shows only
// raises it. The dialog deletes itself when closed, and emits closedOn(id)
// first, so that the caller can treat the box as left by the operator
// (convert its value, recompute sums).

// By the box's kind: text, check, picture, line or label.
BoxPropertiesDialog* OpenBoxProperties(QWidget* parent, SlipFormat& format, BoxId id);
TextBoxDialog* EditCtl(QWidget* parent, SlipFormat& format, BoxId id);
CheckBoxDialog* ProChk(QWidget* parent, SlipFormat& format, BoxId id);
PictureBoxDialog* ProPic(QWidget* parent, SlipFormat& format, BoxId id);
LineDialog* ProLine(QWidget* parent, SlipFormat& format, BoxId id);
LabelDialog* ProLBL(QWidget* parent, SlipFormat& format, BoxId id);

// --- The slip's settings ---------------------------------------------------------
// Each waits for the operator and answers whether anything changed.

// The slip size; boxes beyond the new slip are brought back onto it.
bool EditSlipSize(QWidget* parent, SlipFormat& format);
// The print offsets of the format.
bool EditPrintMargins(QWidget* parent, SlipFormat& format);
// The barcode standard of every format (stored at once). The caller redraws
// the barcodes with StoredBarcodeStandard() (SlipDialogs.h).
bool EditBarcodeStandard(QWidget* parent);

// The about dialog, without blocking.
void ShowAbout(QWidget* parent);

} // namespace slip
