#pragma once
#include "model/SlipFormat.h"

#include <functional>

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
// Each opens without blocking the window, one of a kind at a time (asking
// again brings the open one to the front). A dialog of the format is closed,
// writing nothing, when another format opens meanwhile.

// The slip size; `changed` runs once a new size was set.
void EditSlipSize(QWidget* parent, SlipFormat& format, std::function<void()> changed);
// The print offsets of the format.
void EditPrintMargins(QWidget* parent, SlipFormat& format);
// The barcode standard of every format (stored at once); `applied` runs once
// it is stored, to redraw the barcodes with StoredBarcodeStandard()
// (SlipDialogs.h).
void EditBarcodeStandard(QWidget* parent, std::function<void()> applied);

// The about dialog, without blocking.
void ShowAbout(QWidget* parent);

} // namespace slip
