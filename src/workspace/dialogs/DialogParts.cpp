#include "workspace/dialogs/DialogParts.h"

#include "core/TextNumber.h"
#include "core/Units.h"
#include "ui/Prompt.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace slip {

QString MmText(double mm) { return NumberText(units::RoundMm(mm)); }

void AddFormRow(QGridLayout* grid, int row, std::initializer_list<FormCell> cells)
{
    int column = 0;
    for (const FormCell& c : cells) grid->addWidget(c.field ? c.field : new QLabel(c.caption), row, column++);
}

QHBoxLayout* OkCancelRow(QPushButton*& ok, QPushButton*& cancel)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    ok = new QPushButton(QStringLiteral("确  定"));
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    cancel = new QPushButton(QStringLiteral("取  消"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

std::optional<double> CheckNumberEdit(QLineEdit* edit, const NumberRule& rule)
{
    QString problem;
    const std::optional<double> v = CheckTypedNumber(edit->text(), rule, problem);
    if (!v) {
        MsgBox(problem);
        edit->setFocus();
        edit->selectAll();
    }
    return v;
}

} // namespace slip
