#include "storage/PrintedSlips.h"

namespace slip {

HistorySlip HistorySlipOf(const SlipFormat& format, const QHash<BoxId, QString>& values, const QString& lineBreak)
{
    HistorySlip slip;
    for (const Box& b : format.Boxes()) {
        if (b.id <= 0 || !HoldsValue(b.kind)) continue;
        QString v = values.value(b.id);
        switch (b.kind) {
        case BoxKind::Text:
            v.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            v.replace(QLatin1Char('\n'), lineBreak);
            break;
        case BoxKind::Check:
            v = IsTicked(v) ? QStringLiteral("1") : QString();
            break;
        default: break;
        }
        if (!v.isEmpty()) slip << HistoryValue{b.id, v};
    }
    return slip;
}

HistoryBatchSaveResult StorePrintedSlips(const SlipFormat& format, const QString& formatName,
                                        const QVector<QHash<BoxId, QString>>& slips)
{
    QVector<HistorySlip> stored;
    stored.reserve(slips.size());
    for (const auto& v : slips) stored << HistorySlipOf(format, v);
    return SaveHistorySlips(formatName, stored);
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

} // namespace slip
