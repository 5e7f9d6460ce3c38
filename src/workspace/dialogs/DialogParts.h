#pragma once
#include "workspace/dialogs/FieldChecks.h"

#include <QString>
#include <initializer_list>
#include <optional>

class QGridLayout;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace slip {

// A length in millimetres as a field shows it: to three decimals.
QString MmText(double mm);

// Pieces the box property dialogs and the slip setting dialogs share.

// A row with the OK ("确  定", the default button) and Cancel ("取  消")
// buttons at its right end.
QHBoxLayout* OkCancelRow(QPushButton*& ok, QPushButton*& cancel);

// One cell of a form's row: a caption, or a field.
struct FormCell {
    FormCell(const QString& text) : caption(text) {}
    FormCell(QWidget* w) : field(w) {}
    QString caption;
    QWidget* field = nullptr;
};
// Puts the cells side by side in a row of a form grid, from its first column.
void AddFormRow(QGridLayout* grid, int row, std::initializer_list<FormCell> cells);

// The number typed into a field, checked against its rule. On a refusal the
// operator is told why, the field is focused with its text selected, and no
// value is answered.
std::optional<double> CheckNumberEdit(QLineEdit* edit, const NumberRule& rule);

} // namespace slip
