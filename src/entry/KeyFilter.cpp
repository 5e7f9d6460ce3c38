#include "entry/KeyFilter.h"

#include <cmath>

#include "entry/AmountText.h"

namespace slip {

bool IsNumericEntryCode(double code)
{
    if (!std::isfinite(code)) return false;
    const double f = std::trunc(code);
    return (f >= 1 && f <= 99) || (f >= 105 && f <= 108) || (f >= 301 && f <= 399);
}

bool AcceptsTypedChar(double code, QChar c)
{
    if (!IsNumericEntryCode(code)) return true;
    const QChar h = HalfWidthNumberChar(c);
    return (h >= u'0' && h <= u'9') || h == u'.' || h == QChar(8);
}

QString FilterTypedText(double code, const QString& text)
{
    if (!IsNumericEntryCode(code)) return text;
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const QChar h = HalfWidthNumberChar(c);
        if ((h >= u'0' && h <= u'9') || h == u'.') out.append(h);
    }
    return out;
}

} // namespace slip
