#include "core/CommonHelpers.h"

#include "core/TextNumber.h"

#include <QStringList>
#include <cmath>
#include <cstring>
#include <limits>

namespace slip {

QString FormatDuration(qint64 seconds)
{
    qint64 d = 0, h = 0, m = 0, s = 0;
    if (seconds > 0) {
        s = seconds % 60;
        m = seconds / 60 % 60;
        h = seconds / 3600 % 24;
        d = seconds / 86400;
    }
    QString text = QStringLiteral("%1:%2:%3:%4").arg(d).arg(h).arg(m).arg(s);
    for (int i = 0; i < 2 && text.startsWith(QLatin1String("0:")); ++i) text.remove(0, 2);
    return text;
}

QString CheckMarkText(const QVariant& value)
{
    if (!value.isValid() || value.isNull()) return {};
    switch (value.typeId()) {
    case QMetaType::Bool: return CheckMarkText(value.toBool());
    case QMetaType::QString: {
        const QString t = value.toString().trimmed();
        if (t.isEmpty()) return {};
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return {};
        bool isNumber = false;
        const double n = t.toDouble(&isNumber);
        if (isNumber) return CheckMarkText(n != 0);
        return CheckMarkText(true);
    }
    default: {
        bool isNumber = false;
        const double n = value.toDouble(&isNumber);
        if (isNumber) return CheckMarkText(n != 0);
        return CheckMarkText(true);
    }
    }
}

QString SystemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString WithSystemText(const QString& what, const QString& system)
{
    return system.trimmed().isEmpty() ? what : what + QStringLiteral("（") + system.trimmed() + QStringLiteral("）");
}

} // namespace slip
