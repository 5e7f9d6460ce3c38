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
// record ID. A stored Map string whose box is gone is left out, and so is a
// text box without a caption: it holds the format's fixed text, which no
// batch changes. A check or picture box without a caption is named by
// ImportBoxName.
ImportMaps ImportBoxesOf(const SlipFormat& format, const QMap<qint32, QString>& storedMaps = {});

// The text shown for a box in the mapping list: its caption, or, for a box
// without one, its kind and number ("文本框2"), so every row names a box.
QString ImportBoxName(const ImportBox& box);

// Puts record `record` (from 1) of the batch on the slip, each value as
// SlipFormat::SetStoredValue takes it (a text box's line-break markers
// become line breaks, a check box is ticked by a value that is not blank, a
// picture box gets its path or barcode text as it is). Boxes are filled in
// column order (text, check, picture boxes, each by index). A record fills
// only the boxes its mapping names: a box the mapping left out, a box added
// since the import or removed since, keeps its value; so does the value of a
// text box whose column the operator hid, while a hidden check or picture
// box column gives nothing at all. A text box without caption holds the
// format's fixed text: a batch never changes it.
//
// Each text box filled or passed over for being hidden is handed to `leave`
// at once, before the next box is filled, to be converted as if the operator
// had just left it: a sum sees the new values of the boxes before it. Answers
// those text boxes in order. A record outside the batch changes nothing and
// answers nothing.
QVector<BoxId> PutBatchRecordOnSlip(SlipFormat& format, const BatchDataSet& batch, int record,
                                    const QString& lineBreakMarker,
                                    const std::function<void(BoxId)>& leave = {});

} // namespace slip
