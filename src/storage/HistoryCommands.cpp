#include "storage/HistoryCommands.h"

#include "core/GridRules.h"
#include "storage/PrintedSlips.h"

namespace slip {

QVector<HistoryBox> HistoryBoxesOf(const SlipFormat& format)
{
    QVector<HistoryBox> out;
    for (const Box& b : format.Boxes())
        if (b.id > 0) out.push_back({b.id, KindNumber(b.kind), b.caption});
    return out;
}

bool HistoryListIsCurrent(const HistoryTableModel& list, const SlipFormat& format)
{
    if (list.Format() != (format.IsOpen() ? format.Name() : QString())) return false;
    auto keys = [](const QVector<HistoryBox>& boxes) {
        QStringList out;
        for (const HistoryBox& b : boxes) out << QStringLiteral("%1/%2/%3").arg(b.id).arg(b.boxClass).arg(b.caption);
        out.sort();
        return out;
    };
    return keys(list.Boxes()) == keys(HistoryBoxesOf(format));
}

HistoryRowSlip SlipOfHistoryRow(const SlipFormat& format, const HistoryTableModel& list, int row,
                                const QString& lineBreakMarker)
{
    HistoryRowSlip out;
    const HistorySlipValues read = ReadHistorySlip(list.Format(), list.SlipNumber(row));
    if (!read.ok) {
        out.error = read.error;
        return out;
    }
    if (!read.found) {
        // Deleted since the list was read: an empty slip is no reprint of it.
        out.error = QStringLiteral("第%1行的历史记录已不存在！").arg(row + 1);
        return out;
    }
    for (const Box& b : format.Boxes()) {
        if (!HoldsValue(b.kind)) continue;
        out.values.insert(b.id, list.ColumnOfBox(b.id) >= 0
                                    ? BoxValueOf(b.kind, read.values.value(b.id), lineBreakMarker)
                                    : format.Value(b.id));
    }
    out.ok = true;
    return out;
}

QString DeleteHistoryRowsQuestion(const QVector<int>& rows)
{
    QVector<int> numbers;
    for (int r : rows) numbers << r + 1;
    return DeleteRowsQuestion(numbers);
}

HistoryDeleteResult DeleteHistoryListRows(HistoryTableModel& list, const QVector<int>& rows)
{
    QVector<qint64> numbers;
    for (int r : rows) numbers << list.SlipNumber(r);
    const HistoryDeleteResult result = DeleteHistoryRows(list.Format(), numbers);
    if (result.ok) list.RemoveSlips(result.deleted);
    return result;
}

HistoryDeleteResult DeleteAllHistoryListRows(HistoryTableModel& list)
{
    const HistoryDeleteResult result = DeleteAllHistory(list.Format());
    if (result.ok) list.RemoveSlips(result.deleted);
    return result;
}

} // namespace slip
