#include "print/PaperForm.h"

#include "print/SlipPrinter.h"
#include "core/TextNumber.h"

#include <QHash>
#include <cerrno>
#include <QPrinter>

namespace slip {

namespace {

// Paper sizes added during this run, by printer.
QHash<QString, QList<PaperForm>>& AddedForms()
{
    static QHash<QString, QList<PaperForm>> forms;
    return forms;
}

QString DeviceKey(const SlipPrinter& printer)
{
    return (printer.IsPdfOutput() ? QStringLiteral("pdf:") : QStringLiteral("printer:"))
        + printer.DeviceName();
}

QList<PaperForm> StandardForms()
{
    QList<PaperForm> forms;
    for (int id = 0; id <= int(QPageSize::LastPageSize); ++id) {
        const QPageSize size{QPageSize::PageSizeId(id)};
        if (size.isValid() && QPageSize::PageSizeId(id) != QPageSize::Custom) forms << PaperFormOf(size);
    }
    return forms;
}

bool Usable(const SlipPrinter& printer)
{
    if (printer.IsPdfOutput()) return !printer.DeviceName().isEmpty();
    if (printer.DeviceName().isEmpty()) return false;
    QPrinter probe(QPrinter::HighResolution);
    return Printers().Connect(probe, printer.DeviceName());
}

} // namespace

QString SlipPaperName() { return QStringLiteral("Sorvelin格式"); }

FormSize FormSizeOf(double widthMm, double heightMm)
{
    return FormSize{RoundHalfEven(widthMm * 1000), RoundHalfEven(heightMm * 1000)};
}

FormSize FormSizeOf(const QPageSize& size)
{
    const QSizeF mm = size.size(QPageSize::Millimeter);
    return FormSizeOf(mm.width(), mm.height());
}

PaperForm PaperFormOf(const QPageSize& page) { return PaperForm{page.name(), FormSizeOf(page), page}; }

QList<PaperForm> PrinterForms(const SlipPrinter& printer)
{
    QList<PaperForm> forms;
    if (printer.IsPdfOutput()) {
        forms = StandardForms();
    } else if (!printer.DeviceName().isEmpty()) {
        for (const QPageSize& p : Printers().PageSizes(printer.DeviceName())) forms << PaperFormOf(p);
    }
    forms += AddedForms().value(DeviceKey(printer));
    return forms;
}

int FindFormBySize(const QList<PaperForm>& forms, FormSize size, QString& name)
{
    name.clear();
    for (qsizetype i = 0; i < forms.size(); ++i) {
        if (forms[i].size.cx == size.cx && forms[i].size.cy == size.cy) {
            name = forms[i].name;
            return int(i + 1);
        }
    }
    return -1;
}

QString AddCustomForm(const SlipPrinter& printer, FormSize size, const QString& formName, Prompter& prompter)
{
    QList<PaperForm>& added = AddedForms()[DeviceKey(printer)];
    added.removeIf([&](const PaperForm& f) { return f.name == formName; });
    const bool accepts = printer.IsPdfOutput() || Printers().AcceptsCustomPageSize(printer.DeviceName());
    const QPageSize page(QSizeF(size.cx / 1000.0, size.cy / 1000.0), QPageSize::Millimeter, formName,
                         QPageSize::ExactMatch);
    if (!accepts) {
        prompter.Ask(QStringLiteral("对打印机“") + printer.DeviceName() + QStringLiteral("”您没有权限添加自定义纸张!"),
                     PromptButtons::Ok, PromptIcon::Warning, QStringLiteral("设置错误！"));
        return QStringLiteral("None");
    }
    if (size.cx <= 0 || size.cy <= 0 || !page.isValid()) {
        prompter.Ask(QStringLiteral("错误号: ") + QString::number(EINVAL), PromptButtons::Ok, PromptIcon::None,
                     QStringLiteral("添加自定义纸张错误！"));
        return QStringLiteral("None");
    }
    // Kept by its exact size: the page size itself may be rounded to whole
    // points, and the next slip of this size must find this paper again.
    added << PaperForm{formName, size, page};
    return formName;
}

bool SetCustomPaper(SlipPrinter& printer, QString& formName, double widthMm, double heightMm, Prompter& prompter)
{
    if (!Usable(printer)) return false;
    const FormSize size = FormSizeOf(widthMm, heightMm);
    QString found;
    int position = FindFormBySize(PrinterForms(printer), size, found);
    if (position < 0) {
        AddCustomForm(printer, size, formName, prompter);
        position = FindFormBySize(PrinterForms(printer), size, found);
    } else {
        formName = found;
    }
    // A refused size leaves the printer on the paper it had.
    if (position < 1) return true;
    const QPageSize paper = PrinterForms(printer)[position - 1].page;
    if (!printer.SetPaper(paper))
        prompter.Tell(PaperRefusedMessage(printer.DeviceName(), paper));
    return true;
}

} // namespace slip
