#include "batch/BatchNavigation.h"

namespace slip {

BatchRecordState ShowBatchRecord(const BatchDataSet& set)
{
    BatchRecordState s;
    const int count = set.RecordCount();
    s.value = 1;
    s.maximum = std::max(1, count);
    s.enabled = s.maximum >= 2;
    s.showFirst = count > 0;
    s.countText = QString::number(s.maximum);
    s.shownText = QString::number(s.value);
    return s;
}

std::optional<int> RecordAtScrollPosition(const BatchDataSet& set, int position)
{
    if (position < 1 || position > set.RecordCount()) return std::nullopt;
    return position;
}

QVector<SlipValue> FillSlipFromBatchRow(const BatchDataSet& set, int record)
{
    QVector<SlipValue> out;
    if (record < 1 || record > set.RecordCount()) return out;
    const QStringList values = set.RecordValues(record);
    for (int m = 0; m < set.BoxColumnCount(); ++m) {
        const BatchColumn& c = set.Column(m);
        if (!c.mapped) continue;
        const bool shown = set.ColumnShown(m);
        if (!shown && c.boxClass() != 0) continue;
        out << SlipValue{c.recordId, c.boxIndex, values.value(m), shown};
    }
    return out;
}

} // namespace slip
