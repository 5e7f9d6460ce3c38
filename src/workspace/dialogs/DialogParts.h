#pragma once
#include "workspace/dialogs/FieldChecks.h"

#include <optional>

class QHBoxLayout;
class QLineEdit;
class QPushButton;

namespace slip {

// A length in millimetres as a field shows it: to three decimals.
QString MmText(double mm);

// Pieces the box property dialogs and the slip setting dialogs share.

// A row with the OK ("确  定", the default button) and Cancel ("取  消")
// buttons at its right end.
QHBoxLayout* OkCancelRow(QPushButton*& ok, QPushButton*& cancel);

// The number typed into a field, checked against its rule. On a refusal the
// operator is told why, the field is focused with its text selected, and no
// value is answered.
std::optional<double> CheckNumberEdit(QLineEdit* edit, const NumberRule& rule);

} // namespace slip
