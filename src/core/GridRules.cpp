#include "core/GridRules.h"

#include "core/CommonHelpers.h"

#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cmath>

namespace slip {

namespace {
const QChar kAscendingMark = QChar(0x25B3);   // △
const QChar kDescendingMark = QChar(0x25BD);  // ▽
} // namespace

QString CaptionWithSortMark(const QString& caption, Qt::SortOrder order)
{
    return caption + (order == Qt::AscendingOrder ? kAscendingMark : kDescendingMark);
}

bool GridSortNumber(const QString& text, double& out)
{
    QString t = text.trimmed();
    t.remove(QLatin1Char(','));
    if (t.startsWith(kDefaultCurrencyChar) || t.startsWith(QLatin1Char('$'))) t.remove(0, 1);
    if (t.isEmpty()) return false;
    bool ok = false;
    out = t.toDouble(&ok);
    return ok && std::isfinite(out);
}

GridSortKey::GridSortKey(const QString& cell) : text(cell) { isNumber = GridSortNumber(cell, number); }

namespace {

enum class PlainForm { Number, Text, Other };

// A cell in a form GridSortNumber surely reads as a number (an optional
// sign, ASCII figures with commas anywhere, at most one point between
// figures) or surely not (empty, or beginning with a letter: no number,
// whitespace or currency sign begins so). Other forms are left to it.
PlainForm ReadPlainForm(QByteArrayView utf8, double& out)
{
    if (utf8.isEmpty()) return PlainForm::Text;
    const uchar first = uchar(utf8[0]);
    // Latin letters, and lead bytes of the CJK ideographs U+4000 to U+9FFF.
    if ((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z') || (first >= 0xE4 && first <= 0xE9))
        return PlainForm::Text;
    char figures[64];
    int n = 0;
    qsizetype i = 0;
    if (first == '+' || first == '-') {
        if (first == '-') figures[n++] = '-';
        i = 1;
    }
    bool point = false;
    char previous = 0;
    for (; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == ',') continue;
        if (c == '.') {
            if (point || !(previous >= '0' && previous <= '9')) return PlainForm::Other;
            point = true;
        } else if (c < '0' || c > '9') {
            return PlainForm::Other;
        }
        if (n == int(sizeof figures)) return PlainForm::Other;
        figures[n++] = c;
        previous = c;
    }
    if (!(previous >= '0' && previous <= '9')) return PlainForm::Other;
    // Correctly rounded, as the general reading is.
    const auto read = std::from_chars(figures, figures + n, out);
    if (read.ec != std::errc() || read.ptr != figures + n || !std::isfinite(out)) return PlainForm::Other;
    return PlainForm::Number;
}

} // namespace

GridSortKey GridSortKeyOfUtf8(QByteArrayView utf8)
{
    double number = 0;
    const PlainForm form = ReadPlainForm(utf8, number);
    GridSortKey key;
    if (form == PlainForm::Other) {
        key = GridSortKey(QString::fromUtf8(utf8));
    } else if (form == PlainForm::Number) {
        key.isNumber = true;
        key.number = number;
    } else {
        key.text = QString::fromUtf8(utf8);
    }
    if (key.isNumber) key.text.clear();
    return key;
}

int CompareGridKeys(const GridSortKey& a, const GridSortKey& b)
{
    if (a.isNumber && b.isNumber) return a.number < b.number ? -1 : (b.number < a.number ? 1 : 0);
    if (a.isNumber != b.isNumber) return a.isNumber ? -1 : 1;
    const int folded = QString::compare(a.text, b.text, Qt::CaseInsensitive);
    return folded != 0 ? folded : QString::compare(a.text, b.text, Qt::CaseSensitive);
}

QString DeleteRowsQuestion(QVector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QStringList runs;
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) ++j;
        runs << (i == j && rows.size() > 1 ? QStringLiteral("第%1").arg(rows[i])
                                           : QStringLiteral("第%1至第%2").arg(rows[i]).arg(rows[j]));
        i = j + 1;
    }
    return QStringLiteral("您确定要删除") + runs.join(QStringLiteral("、")) + QStringLiteral("行？");
}

} // namespace slip
