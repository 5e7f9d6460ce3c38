#include "workspace/HistorySlips.h"

namespace slip {

QVector<HistoryBox> HistoryBoxesOf(const SlipFormat& format)
{
    QVector<HistoryBox> out;
    for (const Box& b : format.Boxes())
        if (b.id > 0) out.push_back({b.id, KindNumber(b.kind), b.caption});
    return out;
}

QString BoxValueFromHistory(BoxKind kind, const QString& stored, const QString& lineBreakMarker)
{
    switch (kind) {
    case BoxKind::Text: {
        QString text = stored;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        if (!lineBreakMarker.isEmpty()) text.replace(lineBreakMarker, QStringLiteral("\n"));
        return text;
    }
    case BoxKind::Check: return stored.trimmed().isEmpty() ? QString() : QStringLiteral("1");
    case BoxKind::Picture: return stored;
    default: return QString();
    }
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
