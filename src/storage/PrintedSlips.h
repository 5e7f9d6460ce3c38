#pragma once
#include "model/SlipFormat.h"
#include "storage/HistoryStore.h"

#include <QHash>
#include <QString>
#include <QVector>

namespace slip {

// A slip's values as the history keeps them: a text box's line breaks as
// `lineBreak`, "1" for a ticked check box, a picture box's path or barcode
// text. Empty values, lines and labels, and boxes not saved yet (no record
// ID) are left out.
HistorySlip HistorySlipOf(const SlipFormat& format, const QHash<BoxId, QString>& values,
                          const QString& lineBreak = QStringLiteral("\r\n"));

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

// A stored value as a box of this kind holds it on the slip: in a text box
// CR LF, a lone CR and the line-break marker (when not empty) become a line
// break "\n"; a check box is ticked ("1") by any value that is not blank,
// else unticked (""); a picture box takes the picture path or barcode text
// as it is.
QString BoxValueFromHistory(BoxKind kind, const QString& stored, const QString& lineBreakMarker);

} // namespace slip
