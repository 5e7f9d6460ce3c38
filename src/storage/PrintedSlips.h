#pragma once
#include "model/SlipFormat.h"
#include "storage/HistoryStore.h"

#include <QHash>
#include <QString>
#include <QVector>

namespace slip {

// A slip's values as the history keeps them: a text box's line breaks as
// CR LF, "1" for a ticked check box, a picture box's path or barcode text.
// Empty values, lines and labels, and boxes not saved yet (no record ID) are
// left out.
HistorySlip HistorySlipOf(const SlipFormat& format, const QHash<BoxId, QString>& values);

// Printed slips of a format stored as new history slips, all in one
// transaction (see SaveHistorySlips).
HistoryBatchSaveResult StorePrintedSlips(const SlipFormat& format, const QString& formatName,
                                        const QVector<QHash<BoxId, QString>>& slips);

} // namespace slip
