#pragma once
#include "model/SlipFormat.h"
#include "storage/HistoryStore.h"
#include "storage/HistoryTableModel.h"

#include <QHash>
#include <QString>
#include <QVector>

namespace slip {

// The commands of the history list, without any window: what the list of
// the open format shows, the slip a row puts on the canvas, and deleting
// rows. The panel asks the operator and shows the answers.

// The boxes of the open format as the history list lays them out: every box
// saved with the format (record ID above 0) with its kind and caption. A box
// not saved yet has no stored values and gets no column.
QVector<HistoryBox> HistoryBoxesOf(const SlipFormat& format);

// True when the list shows the open format's slips with its present boxes
// (else it is to be read again).
bool HistoryListIsCurrent(const HistoryTableModel& list, const SlipFormat& format);

struct HistoryRowSlip {
    bool ok = false;
    QHash<BoxId, QString> values;  // what the boxes of the canvas take
    QString error;                 // the text to show when ok is false
};

// The values the slip of a list row gives the canvas: every box that takes a
// value and has a column gets the stored value, or is emptied when the slip
// holds none for it; a box without a column keeps what the canvas shows. A
// slip deleted since the list was read is "第n行的历史记录已不存在！".
HistoryRowSlip SlipOfHistoryRow(const SlipFormat& format, const HistoryTableModel& list, int row,
                                const QString& lineBreakMarker);

// The question asked before rows of the list (from 0) are deleted.
QString DeleteHistoryRowsQuestion(const QVector<int>& rows);

// Deletes the slips of these rows (under the format the list was read for,
// whatever is open by now) and drops them from the list. A failure changes
// neither.
HistoryDeleteResult DeleteHistoryListRows(HistoryTableModel& list, const QVector<int>& rows);
// Deletes every slip of the list's format and empties the list.
HistoryDeleteResult DeleteAllHistoryListRows(HistoryTableModel& list);

} // namespace slip
