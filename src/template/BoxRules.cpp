#include "template/BoxRules.h"

#include <cmath>

namespace slip {

int ClassOfIndex(int index)
{
    if (index < 1) return -1;
    const int c = index / 1000;
    const int n = index % 1000;
    if (!IsValidBoxClass(c) || n == 0) return -1;
    return c;
}

int DirTextToCode(const QString& text)
{
    if (text == QStringLiteral("上方")) return 0;
    if (text == QStringLiteral("左边")) return 1;
    if (text == QStringLiteral("右边")) return 2;
    if (text == QStringLiteral("下方")) return 3;
    return 0;
}

QString DirCodeToText(int code)
{
    switch (code) {
    case 0: return QStringLiteral("上方");
    case 1: return QStringLiteral("左边");
    case 2: return QStringLiteral("右边");
    case 3: return QStringLiteral("下方");
    default: return QString();
    }
}

double PackAlignSpacing(double spacingMm, int alignment)
{
    const double v = alignment * 1000.0 + std::fabs(spacingMm);
    return spacingMm < 0 ? -v : v;
}

CashLook TextBoxLookForCash(double cash)
{
    CashLook look;
    const double c = std::nearbyint(cash);
    look.borderStyle = ((c >= 1 && c <= 99) || (c >= 201 && c <= 399)) ? 1 : 0;
    const double f = std::trunc(cash);
    if ((f >= 1 && f <= 99) || (f >= 301 && f <= 399) || f == 114 || f == 121) look.alignment = 1;
    return look;
}

double RemapReference(double value, const QHash<qint64, qint64>& oldToNew)
{
    if (value == 0 || !std::isfinite(value)) return value;
    // Plain references first, then negated ones; whole IDs before those
    // carrying the tenth of a negated sum term.
    for (double tenth : {0.0, 0.1}) {
        for (int sign : {1, -1}) {
            const double id = sign * value - tenth;
            const double whole = std::nearbyint(id);
            if (std::fabs(id - whole) > 1e-6) continue;
            const auto it = oldToNew.constFind(qint64(whole));
            if (it == oldToNew.constEnd()) continue;
            return sign * (double(it.value()) + tenth);
        }
    }
    return value;
}


} // namespace slip
