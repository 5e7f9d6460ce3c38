#include "core/ColumnLetters.h"

namespace slip {

QString ColumnLetters(int n)
{
    if (n < 1 || n > 702) return QString();
    const int q = (n - 1) / 26;
    const int r = n - 26 * q;
    QString s;
    if (q > 0) s += QChar(u'A' + q - 1);
    s += QChar(u'A' + r - 1);
    return s;
}

std::optional<int> ColumnNumber(const QString& letters)
{
    const QString s = letters.trimmed().toUpper();
    if (s.isEmpty() || s.size() > 2) return std::nullopt;
    int n = 0;
    for (QChar c : s) {
        if (c < u'A' || c > u'Z') return std::nullopt;
        n = n * 26 + (c.unicode() - u'A' + 1);
    }
    return n;
}

} // namespace slip
