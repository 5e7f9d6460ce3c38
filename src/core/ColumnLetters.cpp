#include "core/ColumnLetters.h"

#include <algorithm>

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

int ColumnNumber(const QString& letters)
{
    const QString s = letters.trimmed().toUpper();
    if (s.isEmpty() || s.size() > 2) return 0;
    int n = s.back().unicode() - 64;
    if (s.size() == 2) n += (s.front().unicode() - 64) * 26;
    return std::max(1, n);
}

} // namespace slip
