#include "print/PrintJobs.h"

#include "print/SlipPrinter.h"

namespace slip {

QString PrintProgressTitle() { return QStringLiteral("正在打印单据……"); }

QString PrintOutcomeMessage(const PrintOutcome& o, bool saveHistory)
{
    const QString reason = o.error.isEmpty() ? QString() : QStringLiteral("\n") + o.error;
    switch (o.status) {
    case PrintStatus::Cancelled: return QString();
    case PrintStatus::Failed:
        return saveHistory ? QStringLiteral("打印失败，没有打印任何单据，也没有保存到历史记录。") + reason
                           : QStringLiteral("打印失败，没有打印任何单据。") + reason;
    case PrintStatus::Interrupted:
        return saveHistory
            ? QStringLiteral("打印中断：%1张单据中已打印%2张，已保存到历史记录%3张。").arg(o.slips).arg(o.printed).arg(o.stored)
                + reason
            : QStringLiteral("打印中断：%1张单据中已打印%2张。").arg(o.slips).arg(o.printed) + reason;
    case PrintStatus::Printed:
        if (saveHistory && o.stored == 0 && !o.error.isEmpty())
            return QStringLiteral("单据已打印，但没有保存到历史记录。") + reason;
        return QString();
    }
    return QString();
}

PrintOutcome PrintSlipJob(PrintServices& services, const SlipFormat& format, BatchSlipSource& records,
                          const SlipPrintSettings& settings, bool saveHistory, bool showProgress)
{
    SlipPrinter& printer = services.printer;
    PrintOutcome out;
    out.slips = records.Count();
    if (out.slips <= 0) {
        out.status = PrintStatus::Printed;
        return out;
    }
    if (showProgress) services.progress.Start(PrintProgressTitle(), out.slips);

    // The page is the same for every slip of the job; the offsets are the
    // format's, which nothing changes while the run goes on.
    const PagePlacement page = SetUpSlipPage(printer, format, services.prompter);
    PrinterFontFitter fitter(PrintFrame(format, settings), settings.screenWidth);
    const double shiftX = PrintShiftMm(format.Header().offsetXMm);
    const double shiftY = PrintShiftMm(format.Header().offsetYMm);

    QVector<SlipValues> printed;
    printed.reserve(out.slips);
    QString stoppedBecause;
    for (int r = 1; r <= out.slips; ++r) {
        const std::optional<SlipValues> values = records.Values(r);
        if (!values) {
            stoppedBecause = QStringLiteral("第%1张单据的数据已无法读取。").arg(r);
            break;
        }
        PrintSlipPage(printer, format, *values, shiftX, shiftY, page, settings, fitter, services.prompter);
        // Ends the slip's page; the next one begins with the next slip.
        if (printer.JobFailed() || !printer.NewPage()) {
            stoppedBecause = printer.LastError();
            break;
        }
        printed << *values;
        if (showProgress) services.progress.Step(1, QStringLiteral("pages"));
    }

    if (!printed.isEmpty() && saveHistory && services.keepPending) services.keepPending(format.Name(), printed);
    if (printed.isEmpty()) {
        printer.KillDoc();
        out.status = PrintStatus::Failed;
        out.error = stoppedBecause;
    } else if (!printer.EndDoc()) {
        // The print system took none of the job.
        if (saveHistory && services.dropPending) services.dropPending();
        out.status = PrintStatus::Failed;
        out.error = printer.LastError();
    } else {
        out.printed = int(printed.size());
        out.status = out.printed == out.slips ? PrintStatus::Printed : PrintStatus::Interrupted;
        out.error = stoppedBecause;
        if (saveHistory && services.saveHistory) {
            const HistorySaveOutcome saved = services.saveHistory(format.Name(), printed);
            if (saved.ok) {
                out.stored = saved.stored;
            } else {
                out.stored = 0;
                out.error = out.error.isEmpty() ? saved.error : out.error + QLatin1Char('\n') + saved.error;
            }
        }
    }
    if (showProgress) services.progress.End();
    const QString message = PrintOutcomeMessage(out, saveHistory);
    if (!message.isEmpty()) services.prompter.Tell(message);
    return out;
}

PrintOutcome PrintBill(PrintServices& services, const SlipFormat& format, const SlipPrintSettings& settings)
{
    PrintOutcome out;
    out.slips = 1;
    if (!services.selectPrinter || services.selectPrinter().isEmpty()) {
        out.status = PrintStatus::Cancelled;
        return out;
    }
    SlipValueList one({format.Values()});
    return PrintSlipJob(services, format, one, settings, true, false);
}

PrintOutcome PrintAllBills(PrintServices& services, SlipFormat& format, BatchSlipSource& records,
                           const SlipPrintSettings& settings)
{
    PrintOutcome out;
    out.slips = records.Count();
    if (!services.selectPrinter || services.selectPrinter().isEmpty()) {
        out.status = PrintStatus::Cancelled;
        return out;
    }
    // A source may put each record on the canvas to read it; the canvas shows
    // the slip it showed before once the run is over.
    const QHash<BoxId, QString> shown = format.Values();
    out = PrintSlipJob(services, format, records, settings, true, true);
    if (format.Values() != shown)
        for (const Box& b : format.Boxes()) format.SetValue(b.id, shown.value(b.id));
    return out;
}

} // namespace slip
