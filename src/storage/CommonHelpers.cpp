#include "storage/CommonHelpers.h"

#include "storage/TextNumber.h"

namespace slip {

double ParseAmount(const QString& text, QChar currencyChar)
{
    QString t = text;
    if (!currencyChar.isNull()) t.remove(currencyChar);
    t.remove(kDefaultCurrencyChar);
    t.remove(QLatin1Char('$'));
    t.remove(QLatin1Char(','));
    if (t.endsWith(QLatin1Char('%'))) {
        t.remove(QLatin1Char('%'));
        return Val(t) / 100.0;
    }
    return Val(t);
}

} // namespace slip
