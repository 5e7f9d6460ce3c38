#include "core/GridRules.h"

#include "core/CommonHelpers.h"

#include <QStringList>
#include <algorithm>
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
