#include "storage/PrintedSlips.h"

namespace slip {

HistorySlip HistorySlipOf(const SlipFormat& format, const QHash<BoxId, QString>& values)
{
    HistorySlip slip;
    for (const Box& b : format.Boxes()) {
        if (b.id <= 0 || !HoldsValue(b.kind)) continue;
        QString v = values.value(b.id);
        switch (b.kind) {
        case BoxKind::Text:
            v.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            v.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
            break;
        case BoxKind::Check:
            v = v.trimmed().isEmpty() || v.trimmed() == QStringLiteral("0") ? QString() : QStringLiteral("1");
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

} // namespace slip
