#pragma once
#include "core/Prompter.h"

#include <QList>
#include <QPageSize>
#include <QString>
#include <QtGlobal>

namespace slip {

class SlipPrinter;

// The name the slip size is given as a paper size of the printer.
QString SlipPaperName();

// A paper size in thousandths of a millimetre, width and height.
struct FormSize {
    qint64 cx = 0;
    qint64 cy = 0;
};
FormSize FormSizeOf(double widthMm, double heightMm);
FormSize FormSizeOf(const QPageSize& size);

// A paper size a printer offers: its name, its exact size and the page size
// it is printed on (whole points on some devices: within 0.2 mm).
struct PaperForm {
    QString name;
    FormSize size;
    QPageSize page;
};
PaperForm PaperFormOf(const QPageSize& page);

// The paper sizes a printer offers: its own (every standard size for PDF
// output), then the ones the program added during this run.
QList<PaperForm> PrinterForms(const SlipPrinter& printer);

// Position (from 1) of the first paper size of exactly this width and height,
// with its name; -1 and "" when there is none.
int FindFormBySize(const QList<PaperForm>& forms, FormSize size, QString& name);

// Adds a paper size of the given name (replacing an older one of that name)
// to the printer; "None", after telling the operator through prompter, when
// it can't: a printer that takes no paper of its own size refuses the right
// to add one ("对打印机“…”您没有权限添加自定义纸张!"), a size no paper can
// have is told by its error number (EINVAL).
QString AddCustomForm(const SlipPrinter& printer, FormSize size, const QString& formName, Prompter& prompter);

// Makes the printer print on paper of the slip's size: a paper size of exactly
// that size when the printer has one (formName becomes its name), else a
// paper size formName of that size is added. A printer that refuses it keeps
// its paper (the operator is told). False only when the printer can't be used
// at all. Through a spooler the job asks for the paper so that page and paper
// agree to the point (SpoolerPageSize).
bool SetCustomPaper(SlipPrinter& printer, QString& formName, double widthMm, double heightMm, Prompter& prompter);

} // namespace slip
