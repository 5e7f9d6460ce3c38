#pragma once
#include "model/SlipFormat.h"
#include "storage/HistoryTableModel.h"
#include "storage/PrintedSlips.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <functional>

namespace slip {

// The boxes of the open format as the history list lays them out: every box
// saved with the format (record ID above 0) with its kind and caption. A box
// not saved yet has no stored values and gets no column.
QVector<HistoryBox> HistoryBoxesOf(const SlipFormat& format);

// The values one stored slip gives the slip on the canvas: every box that
// takes a value and is listed (has a column in the history list) gets the
// stored value, or is emptied when the slip holds none for it; a box that
// is not listed keeps what the slip shows now. Lines and labels take no
// value and are left out.
QHash<BoxId, QString> SlipValuesFromHistory(const SlipFormat& format, const QHash<qint64, QString>& stored,
                                            const std::function<bool(BoxId)>& listed,
                                            const QString& lineBreakMarker);

} // namespace slip
