#include "workspace/HistorySlips.h"

namespace slip {

QVector<HistoryBox> HistoryBoxesOf(const SlipFormat& format)
{
    QVector<HistoryBox> out;
    for (const Box& b : format.Boxes())
        if (b.id > 0) out.push_back({b.id, KindNumber(b.kind), b.caption});
    return out;
}

QHash<BoxId, QString> SlipValuesFromHistory(const SlipFormat& format, const QHash<qint64, QString>& stored,
                                            const std::function<bool(BoxId)>& listed,
                                            const QString& lineBreakMarker)
{
    QHash<BoxId, QString> out;
    for (const Box& b : format.Boxes()) {
        if (!HoldsValue(b.kind)) continue;
        out.insert(b.id, listed(b.id) ? BoxValueFromHistory(b.kind, stored.value(b.id), lineBreakMarker)
                                      : format.Value(b.id));
    }
    return out;
}

} // namespace slip
