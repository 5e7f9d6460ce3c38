#include "entry/KeyFilter.h"

#include "entry/AmountText.h"

namespace slip {

bool IsNumericEntryCode(const DataType& type)
{
    const int f = type.Code();
    return (f >= 1 && f <= 99) || (f >= 105 && f <= 108) || (f >= 301 && f <= 399);
}

bool AcceptsTypedChar(const DataType& type, QChar c)
{
    if (!IsNumericEntryCode(type)) return true;
    const QChar h = HalfWidthNumberChar(c);
    return (h >= u'0' && h <= u'9') || h == u'.' || h == QChar(8);
}

QString FilterTypedText(const DataType& type, const QString& text)
{
    if (!IsNumericEntryCode(type)) return text;
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const QChar h = HalfWidthNumberChar(c);
        if ((h >= u'0' && h <= u'9') || h == u'.') out.append(h);
    }
    return out;
}

} // namespace slip
