#pragma once
#include <functional>
#include "batch/BatchDataSet.h"
#include "batch/ImportMap.h"
#include "model/SlipFormat.h"

#include <QMap>
#include <QString>
#include <QVector>

namespace slip {

// The boxes of the open format that an import fills (text, check and picture
// boxes, each kind in index order), with the Map strings stored for them by
// record ID. A stored Map string whose box is gone is left out. A box
// without a caption is named by ImportBoxName.
ImportMaps ImportBoxesOf(const SlipFormat& format, const QMap<qint32, QString>& storedMaps = {});

// The text shown for a box in the mapping list: its caption, or, for a box
// without one, its kind and number ("文本框2"), so every row names a box.
QString ImportBoxName(const ImportBox& box);

// Puts record `record` (from 1) of the batch on the slip: a text box gets its
// value with every line-break marker turned into "\n", a check box is ticked
// ("1") by a value that is not blank and cleared ("") otherwise, a picture
// box gets its path or barcode text as it is. Boxes are filled in column
// order (text, check, picture boxes, each by index). A box that has no column
// (added after the import) or that has been removed since is left alone; so
// is the value of a text box whose column the operator hid, while a hidden
// check or picture box column gives nothing at all.
//
// Each text box filled or passed over for being hidden is handed to `leave`
// at once, before the next box is filled, to be converted as if the operator
// had just left it: a sum sees the new values of the boxes before it. Answers
// those text boxes in order. A record outside the batch changes nothing and
// answers nothing.
QVector<BoxId> PutBatchRecordOnSlip(SlipFormat& format, const BatchDataSet& batch, int record,
                                    const QString& lineBreakMarker,
                                    const std::function<void(BoxId)>& leave = {});

// A stored value back in the form the slip holds: line-break markers as "\n".
QString UnmarkLineBreaks(const QString& value, const QString& lineBreakMarker);

} // namespace slip
