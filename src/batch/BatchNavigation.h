#pragma once
#include "batch/BatchDataSet.h"

#include <QString>
#include <QVector>
#include <optional>

namespace slip {

// How the record controls stand after an import, a deletion or a clear: the
// scroll bar at record 1 with the record count as its maximum (1 when there
// are no records), enabled together with the print-all command only when
// there are two records or more; the labels show the count and the record.
struct BatchRecordState {
    int value = 1;
    int maximum = 1;
    bool enabled = false;      // scroll bar and print-all command
    bool showFirst = false;    // record 1 is to be put on the slip
    QString countText;         // "1" with no records
    QString shownText;
};
BatchRecordState ShowBatchRecord(const BatchDataSet& set);

// The record (from 1) a scroll position shows: the position itself when it
// names a record, no value otherwise (no records, or a position outside them).
std::optional<int> RecordAtScrollPosition(const BatchDataSet& set, int position);

// One value to put on the slip.
struct SlipValue {
    qint32 recordId = 0;  // the box it belongs to
    int boxIndex = 0;     // the box's index when imported (class from it)
    QString value;        // as stored: a line break is the line-break marker
    // False for a text box whose column the operator hid: the box keeps its
    // text but is still converted and its sums recomputed, as after typing.
    bool apply = true;
};

// What record `record` (from 1) puts on the slip, in the order the boxes are
// to be filled (text boxes, check boxes, picture boxes, each by index): one
// entry per box column, found by the box's record ID. A hidden check or
// picture box column gives no entry; a box with no column (added after the
// import) or whose column the mapping left out gets none and keeps its value. A record outside the set gives an
// empty list and the slip is left as it is.
QVector<SlipValue> FillSlipFromBatchRow(const BatchDataSet& set, int record);

} // namespace slip
