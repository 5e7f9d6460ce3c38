#pragma once
#include "model/SlipFormat.h"
#include "storage/HistoryStore.h"

#include <QHash>
#include <QString>
#include <QVector>

namespace slip {

// A slip's values as the history keeps them, as the boxes hold them
// (BoxValueOf: a text box's line breaks as CR LF, "1" for a ticked check
// box, a picture box's path or barcode text), whichever command stores the
// slip. Empty values, lines and labels, and boxes not saved yet (no record
// ID) are left out.
HistorySlip HistorySlipOf(const SlipFormat& format, const QHash<BoxId, QString>& values);

// Printed slips of a format stored as new history slips, all in one
// transaction (see SaveHistorySlips).
HistoryBatchSaveResult StorePrintedSlips(const SlipFormat& format, const QString& formatName,
                                        const QVector<QHash<BoxId, QString>>& slips);

// The history side of one print run of a format: the printed slips kept as
// pending before the job is sent, stored as printed once the print system
// took it (in the same transaction that ends their pending state), dropped
// when it did not. Slips stored without having been kept are stored at once.
class PrintRunHistory {
public:
    explicit PrintRunHistory(const SlipFormat& format) : format_(format) {}
    void Keep(const QString& formatName, const QVector<QHash<BoxId, QString>>& slips);
    HistoryBatchSaveResult Store(const QString& formatName, const QVector<QHash<BoxId, QString>>& slips);
    void Drop();

private:
    const SlipFormat& format_;
    qint64 run_ = 0;
};

} // namespace slip
