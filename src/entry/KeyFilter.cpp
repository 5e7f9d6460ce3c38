#include "entry/KeyFilter.h"

namespace slip {

bool IsNumericEntryCode(const DataType& type)
{
    const int f = type.Code();
    return (f >= 1 && f <= 99) || (f >= 105 && f <= 108);
}

namespace {

bool IsFigureOrPoint(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || u == u'.' || (u >= 0xFF10 && u <= 0xFF19) || u == 0xFF0E;  // ０-９ ．
}

} // namespace

bool AcceptsTypedChar(const DataType& type, QChar c)
{
    return !IsNumericEntryCode(type) || IsFigureOrPoint(c) || c == QChar(8);
}

QString FilterTypedText(const DataType& type, const QString& text)
{
    if (!IsNumericEntryCode(type)) return text;
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (IsFigureOrPoint(c)) out.append(c);
    return out;
}

} // namespace slip
