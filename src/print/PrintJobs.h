#pragma once
#include "core/ProgressReporter.h"
#include "core/Prompter.h"
#include "model/SlipFormat.h"
#include "print/SlipContents.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <functional>
#include <optional>

namespace slip {

class SlipPrinter;

// The values of one slip: what each box holds, as the canvas holds it.
using SlipValues = QHash<BoxId, QString>;

// What the history store answers when printed slips are handed to it.
struct HistorySaveOutcome {
    bool ok = false;
    int stored = 0;   // slips stored (a slip without any value stores nothing)
    QString error;
};
// Stores slips of a format as new history slips, all or none.
using HistorySaver = std::function<HistorySaveOutcome(const QString& format, const QVector<SlipValues>& slips)>;

// Lets the operator choose the printer; the chosen printer's name (it is then
// the printer the job prints on), or "" when the choice was cancelled.
using PrinterChooser = std::function<QString()>;

// What a print run works with.
struct PrintServices {
    SlipPrinter& printer;
    Prompter& prompter;
    ProgressReporter& progress;
    PrinterChooser selectPrinter;
    HistorySaver saveHistory;
};

// The records of a batch, each the values of one slip.
class BatchSlipSource {
public:
    virtual ~BatchSlipSource() = default;
    virtual int Count() const = 0;
    // Record r, from 1; nothing when it can no longer be read.
    virtual std::optional<SlipValues> Values(int record) = 0;
};

// A batch held as a list.
class SlipValueList : public BatchSlipSource {
public:
    explicit SlipValueList(QVector<SlipValues> records) : records_(std::move(records)) {}
    int Count() const override { return int(records_.size()); }
    std::optional<SlipValues> Values(int record) override
    {
        if (record < 1 || record > records_.size()) return std::nullopt;
        return records_.at(record - 1);
    }

private:
    QVector<SlipValues> records_;
};

enum class PrintStatus {
    Printed,      // every slip printed (and stored when asked)
    Cancelled,    // the printer choice was cancelled: nothing printed or stored
    Failed,       // the print system took nothing: nothing stored
    Interrupted,  // the run stopped part-way: the slips printed are stored
};

struct PrintOutcome {
    PrintStatus status = PrintStatus::Failed;
    int slips = 0;    // slips the run was to print
    int printed = 0;  // pages the print system took
    int stored = 0;   // new history slips
    // Why the run stopped, or why the history could not take the slips.
    QString error;
    bool Done() const { return status == PrintStatus::Printed; }
};

// The message an outcome gives the operator; "" when all went as asked.
QString PrintOutcomeMessage(const PrintOutcome& outcome, bool saveHistory);

// The title of the progress of a batch.
QString PrintProgressTitle();

// One job of one page per record on the printer as it is (no printer choice),
// each record printed as the format's slip with the print offsets of the
// format (less 10 mm) and its print toggles. Pages are ended one by one, so n
// records give n pages and no more. A slip enters the history only once the
// print system has taken the job, all printed slips in one go; a job the print
// system did not take stores nothing. A record that can't be read, or a page
// the printer refuses, ends the run there: the slips before it are sent and
// stored. The operator hears of every run that did not print and store all it
// was to. With `progress` the run shows its pages.
PrintOutcome PrintSlipJob(PrintServices& services, const SlipFormat& format, BatchSlipSource& records,
                          const SlipPrintSettings& settings, bool saveHistory, bool showProgress);

// The slip the canvas shows, as one job of one page on a printer the operator
// chooses, stored in the history once printed. Cancelling the choice prints
// and stores nothing and answers Cancelled.
PrintOutcome PrintBill(PrintServices& services, const SlipFormat& format, const SlipPrintSettings& settings);

// Every record of a batch as one job with one page per record, after the
// operator chose the printer (cancelling prints nothing, shows no progress and
// stores nothing). Each printed record becomes one history slip. The format's
// values are as before afterwards: the canvas shows the record it showed.
PrintOutcome PrintAllBills(PrintServices& services, SlipFormat& format, BatchSlipSource& records,
                           const SlipPrintSettings& settings);

} // namespace slip
