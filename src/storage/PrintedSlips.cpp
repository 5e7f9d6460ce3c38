#include "storage/PrintedSlips.h"

#include <utility>

namespace slip {

HistorySlip HistorySlipOf(const SlipFormat& format, const QHash<BoxId, QString>& values)
{
    HistorySlip slip;
    for (const Box& b : format.Boxes()) {
        if (b.id <= 0 || !HoldsValue(b.kind)) continue;
        const QString v = BoxValueOf(b.kind, values.value(b.id));
        if (!v.isEmpty()) slip << HistoryValue{b.id, v};
    }
    return slip;
}

HistoryBatchSaveResult StorePrintedSlips(const SlipFormat& format, const QString& formatName,
                                        const QVector<QHash<BoxId, QString>>& slips)
{
    QVector<HistorySlip> stored;
    stored.reserve(slips.size());
    for (const auto& v : slips) stored << HistorySlipOf(format, v);
    return SaveHistorySlips(formatName, stored);
}

void PrintRunHistory::Keep(const QString& formatName, const QVector<QHash<BoxId, QString>>& slips)
{
    QVector<HistorySlip> kept;
    kept.reserve(slips.size());
    for (const auto& v : slips) kept << HistorySlipOf(format_, v);
    // Not kept (the database refused): the slips are stored when the job is taken, as before.
    run_ = KeepPendingSlips(formatName, kept).run;
}

HistoryBatchSaveResult PrintRunHistory::Store(const QString& formatName, const QVector<QHash<BoxId, QString>>& slips)
{
    if (run_ == 0) return StorePrintedSlips(format_, formatName, slips);
    const qint64 run = std::exchange(run_, 0);
    return ConfirmPendingSlips(run);
}

void PrintRunHistory::Drop()
{
    if (run_ != 0) DropPendingSlips(std::exchange(run_, 0));
}

} // namespace slip
