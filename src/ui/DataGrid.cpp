#include "ui/DataGrid.h"

#include "core/CommonHelpers.h"
#include "core/Units.h"
#include "storage/Database.h"
#include "storage/Params.h"
#include "ui/Progress.h"
#include "ui/Prompt.h"
#include "core/TextNumber.h"

#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QFontMetrics>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <vector>

namespace slip {

namespace {

const QChar kAscendingMark = QChar(0x25B3);   // △
const QChar kDescendingMark = QChar(0x25BD);  // ▽

enum class FieldKind { Text, Date, Boolean, Double };

FieldKind KindOfDeclaredType(const QString& declared)
{
    const QString t = declared.toUpper();
    if (t.contains(QLatin1String("BOOL")) || t == QLatin1String("BIT") || t == QLatin1String("YESNO"))
        return FieldKind::Boolean;
    if (t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME"))) return FieldKind::Date;
    for (const char* n : {"DOUBLE", "REAL", "FLOAT", "SINGLE", "NUMERIC", "DECIMAL", "CURRENCY", "MONEY"})
        if (t.contains(QLatin1String(n))) return FieldKind::Double;
    return FieldKind::Text;
}

// Declared column types of a table; the grid shows values by them because
// SQLite itself keeps dates as texts and Booleans as numbers.
QHash<QString, FieldKind> DeclaredKinds(const QString& table)
{
    QHash<QString, FieldKind> kinds;
    DbConnection conn;
    if (!conn.isOpen()) return kinds;
    const Recordset rs = OpenRecordset(QStringLiteral("PRAGMA table_info(") + QuoteIdentifier(table)
                                           + QLatin1Char(')'),
                                       {}, &conn);
    for (int r = 0; r < rs.RecordCount(); ++r)
        kinds.insert(rs.text(r, QStringLiteral("name")), KindOfDeclaredType(rs.text(r, QStringLiteral("type"))));
    return kinds;
}

QString DateText(const QVariant& v)
{
    if (v.typeId() == QMetaType::QDate) return v.toDate().toString(QStringLiteral("yyyy.MM.dd"));
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().date().toString(QStringLiteral("yyyy.MM.dd"));
    const QString s = v.toString().trimmed();
    QString day = s.section(QLatin1Char(' '), 0, 0).section(QLatin1Char('T'), 0, 0);
    for (const char* f : {"yyyy-MM-dd", "yyyy-M-d", "yyyy/M/d", "yyyy.M.d"}) {
        const QDate d = QDate::fromString(day, QLatin1String(f));
        if (d.isValid()) return d.toString(QStringLiteral("yyyy.MM.dd"));
    }
    return s;
}

QString DoubleText(const QVariant& v)
{
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d)) return v.toString();
    const double hundredths = d * 100.0;
    // Beyond 2^53 a double has no fraction left to round.
    const double rounded = std::fabs(hundredths) < 9.0e15 ? double(RoundHalfEven(hundredths)) / 100.0 : d;
    return QString::number(rounded, 'g', 15);
}

QString FieldText(const QVariant& v, FieldKind kind)
{
    if (!v.isValid() || v.isNull()) return {};
    switch (kind) {
    case FieldKind::Date: return DateText(v);
    case FieldKind::Boolean: return CheckMarkText(v);
    case FieldKind::Double: return DoubleText(v);
    case FieldKind::Text: break;
    }
    if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

int TextWidthTwips(const QFontMetrics& fm, const QString& text)
{
    if (text.isEmpty()) return 0;
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = qMax(widest, fm.horizontalAdvance(line));
    return int(widest * units::kTwipsPerPixel);
}

QString StripMarks(QString caption)
{
    caption.remove(kAscendingMark);
    caption.remove(kDescendingMark);
    return caption;
}

// A cell text read as a number for sorting: amounts may carry a currency
// sign and thousands separators.
bool SortNumber(const QString& text, double& out)
{
    QString t = text.trimmed();
    t.remove(QLatin1Char(','));
    if (t.startsWith(kDefaultCurrencyChar) || t.startsWith(QLatin1Char('$'))) t.remove(0, 1);
    if (t.isEmpty()) return false;
    bool ok = false;
    out = t.toDouble(&ok);
    return ok && std::isfinite(out);
}

void RenumberRunningColumn(GridModel& grid)
{
    const int col = grid.FixedCols() - 1;
    if (col < 0) return;
    for (int r = grid.FixedRows(), n = 1; r < grid.Rows(); ++r, ++n)
        grid.SetTextMatrix(r, col, QString::number(n));
}

} // namespace

void SetupGridColumns(GridModel& grid, const QStringList& fields, const QStringList& captions)
{
    if (fields.size() != captions.size()) return;
    grid.SetRows(0);
    grid.SetCols(int(fields.size()));
    grid.SetRows(kGridFixedRows + 1);
    grid.SetFixedCols(2);
    grid.SetFixedRows(kGridFixedRows);
    grid.SetRows(kGridFixedRows);
    grid.SetRowHeight(0, 0);
    for (int c = 0; c < fields.size(); ++c) {
        grid.SetTextMatrix(0, c, fields[c]);
        grid.SetTextMatrix(1, c, captions[c]);
    }
}

void FillGridFromQuery(GridModel& grid, const QString& condition, const QVariantList& params,
                       const QString& order)
{
    grid.SetRows(grid.FixedRows());
    QString sql = QStringLiteral("SELECT * FROM ") + QuoteIdentifier(grid.Tag);
    if (!condition.isEmpty()) sql += QStringLiteral(" WHERE ") + condition;
    if (!order.isEmpty()) sql += QStringLiteral(" ORDER BY ") + order;

    const int captionRow = grid.FixedRows() - 1;
    for (int c = 0; c < grid.Cols() && captionRow >= 0; ++c) {
        if (grid.TextMatrix(captionRow, c) == kRunningNumberCaption) {
            grid.SetFixedCols(c + 1);
            break;
        }
    }

    const Recordset rs = OpenRecordset(sql, params);
    if (!rs.ok) MsgBox(rs.error, PromptIcon::Critical);
    if (rs.ok && !rs.isEmpty()) {
        const QHash<QString, FieldKind> kinds = DeclaredKinds(grid.Tag);
        QHash<QString, QString> lookups;  // "table:id:field" -> text, read once per fill
        const int first = grid.FixedRows();
        const int runningCol = grid.FixedCols() - 1;
        grid.SetRows(first + rs.RecordCount());
        for (int i = 0; i < rs.RecordCount(); ++i) {
            const int row = first + i;
            for (int c = 0; c < grid.Cols(); ++c) {
                const QString rule = grid.TextMatrix(0, c);
                if (rule.isEmpty()) {
                    if (c == runningCol) grid.SetTextMatrix(row, c, QString::number(i + 1));
                    continue;
                }
                if (rule.contains(QLatin1Char(':'))) {
                    const QStringList parts = rule.split(QLatin1Char(':'));
                    if (parts.size() < 3) continue;
                    const QVariant id = rs.value(i, parts[1]);
                    if (!id.isValid() || id.isNull()) continue;
                    const QString key = parts[0] + QLatin1Char(':') + id.toString() + QLatin1Char(':') + parts[2];
                    auto it = lookups.find(key);
                    if (it == lookups.end()) {
                        const QVariant v = GetFieldById(parts[0], id.toLongLong(), parts[2]);
                        it = lookups.insert(key, v.isNull() ? QString() : v.toString());
                    }
                    grid.SetTextMatrix(row, c, *it);
                    continue;
                }
                if (rule == QLatin1String("Color")) {
                    const QVariant v = rs.value(i, rule);
                    if (!v.isValid() || v.isNull()) continue;
                    qint32 colour = qint32(v.toLongLong());
                    SetGridCellColor(grid, row, c, colour, false);
                    continue;
                }
                const QVariant v = rs.value(i, rule);
                if (!v.isValid()) continue;  // no such field: the cell stays empty
                grid.SetTextMatrix(row, c, FieldText(v, kinds.value(rule, FieldKind::Text)));
            }
        }
    }
    AutoSizeGridColumns(grid, kGridFixedRows, true);
}

void AutoSizeGridColumns(GridModel& grid, int firstDataRow, bool allowProgress)
{
    AutoSizeGridColumns(QApplication::font(), grid, firstDataRow, allowProgress);
}

void AutoSizeGridColumns(const QFont& measureFont, GridModel& grid, int firstDataRow, bool allowProgress)
{
    const int rows = grid.Rows();
    const int cols = grid.Cols();
    const bool progress = allowProgress && rows > 200;
    if (progress) ProgressStart(QStringLiteral("正在做交易数据表格进行格式设置……"), cols, 0);
    const int from = rows <= grid.FixedRows() ? 0 : qMax(0, firstDataRow);
    const int lastFixed = grid.FixedCols() - 1;
    const int gridWidth = grid.property(kGridWidthProperty).toInt();
    const QFontMetrics fm(measureFont);
    for (int c = 0; c < cols; ++c) {
        if (c < lastFixed) {
            grid.SetColWidth(c, 0);
        } else {
            int w = 0;
            for (int r = from; r < rows; ++r) w = qMax(w, TextWidthTwips(fm, grid.TextMatrix(r, c)));
            if (w != 0 && grid.FixedRows() > 0)
                w = qMax(w, TextWidthTwips(fm, grid.TextMatrix(grid.FixedRows() - 1, c)));
            w = w != 0 ? w + 100 : 50;
            if (gridWidth > 0) w = qMin(w, gridWidth / 2);
            grid.SetColWidth(c, w);
        }
        if (progress) ProgressStep(1, QStringLiteral("pages"));
    }
    if (progress) ProgressEnd();
}

void GridHeaderClick(GridModel& grid, double x, double y, int leftCol)
{
    int fixedHeight = 0;
    for (int r = 0; r < grid.FixedRows(); ++r) fixedHeight += grid.RowHeight(r);
    if (y >= fixedHeight) return;
    int sum = 0;
    for (int c = 0; c < grid.FixedCols(); ++c) sum += grid.ColWidth(c);
    if (x <= sum) {
        AutoSizeGridColumns(grid, kGridFixedRows, true);
        return;
    }
    for (int c = qMax(leftCol, grid.FixedCols()); c < grid.Cols(); ++c) {
        sum += grid.ColWidth(c);
        if (sum > x) {
            SortGridByColumn(grid, c);
            return;
        }
    }
}

namespace {

// A cell's sort key, read once per sort rather than once per comparison.
struct SortKey {
    bool isNumber = false;
    double number = 0;
    QString text;
    explicit SortKey(const QString& t) : text(t) { isNumber = SortNumber(t, number); }
};

int CompareKeys(const SortKey& a, const SortKey& b)
{
    if (a.isNumber && b.isNumber) return a.number < b.number ? -1 : (b.number < a.number ? 1 : 0);
    if (a.isNumber != b.isNumber) return a.isNumber ? -1 : 1;
    const int folded = QString::compare(a.text, b.text, Qt::CaseInsensitive);
    return folded != 0 ? folded : QString::compare(a.text, b.text, Qt::CaseSensitive);
}

} // namespace

int CompareGridTexts(const QString& a, const QString& b)
{
    return CompareKeys(SortKey(a), SortKey(b));
}

void SortGridByColumn(GridModel& grid, int col)
{
    if (col < 0 || col >= grid.Cols()) return;
    const int captionRow = grid.FixedRows() - 1;
    bool descending = false;
    if (captionRow >= 0) {
        for (int c = grid.FixedCols(); c < grid.Cols(); ++c)
            if (c != col) grid.SetTextMatrix(captionRow, c, StripMarks(grid.TextMatrix(captionRow, c)));
        const QString caption = grid.TextMatrix(captionRow, col);
        if (caption.endsWith(kAscendingMark)) {
            grid.SetTextMatrix(captionRow, col, StripMarks(caption) + kDescendingMark);
            descending = true;
        } else if (caption.endsWith(kDescendingMark)) {
            grid.SetTextMatrix(captionRow, col, StripMarks(caption) + kAscendingMark);
        } else {
            grid.SetTextMatrix(captionRow, col, caption + kAscendingMark);
        }
    }
    grid.Col = col;

    const int first = grid.FixedRows();
    const int count = grid.Rows() - first;
    QVector<int> order(count);
    std::vector<SortKey> keys;
    keys.reserve(count);
    for (int i = 0; i < count; ++i) {
        order[i] = i;
        keys.emplace_back(grid.TextMatrix(first + i, col));
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int cmp = CompareKeys(keys[a], keys[b]);
        return descending ? cmp > 0 : cmp < 0;
    });
    grid.ReorderDataRows(order);
    RenumberRunningColumn(grid);
}

int GridRowAtY(const GridModel& grid, double y)
{
    double sum = grid.RowHeight(1);
    int r = qMax(grid.TopRow, grid.FixedRows());
    while (r < grid.Rows() && sum <= y) sum += grid.RowHeight(r++);
    return r - 1;
}

bool DeleteGridRows(GridModel& grid, int& first, int& last, bool ask)
{
    const int fixed = grid.FixedRows();
    const int rows = grid.Rows();
    if (rows <= fixed) return false;
    OrderPair(last, first);
    first = qMax(first, fixed);
    last = qMin(last, rows - 1);
    // A range that lies wholly outside the data rows deletes nothing.
    if (first > last) return false;
    if (ask) {
        const QString question = QStringLiteral("您确定要删除第%1至第%2行？")
                                     .arg(first - fixed + 1)
                                     .arg(last - fixed + 1);
        if (!ConfirmLoss(question)) return false;
    }
    const int count = last - first + 1;
    const int runningCol = grid.FixedCols() - 1;
    for (int r = first; r < rows - count; ++r) {
        for (int c = 0; c < grid.Cols(); ++c) {
            if (c == runningCol) continue;
            // Colours travel with their row, so a marked row's mark leaves with it.
            grid.SetTextMatrix(r, c, grid.TextMatrix(r + count, c));
            grid.SetCellBackColor(r, c, grid.CellBackColor(r + count, c));
            grid.SetCellForeColor(r, c, grid.CellForeColor(r + count, c));
        }
    }
    grid.SetRows(rows - count);
    return true;
}

bool ClearGridRecords(GridModel& grid, bool ask, const std::function<void(GridModel&)>& refresh)
{
    if (ask && !ConfirmLoss(QStringLiteral("您确定要清除所有记录？")))
        return false;
    grid.SetRows(grid.FixedRows());
    if (refresh) refresh(grid);
    return true;
}

void SetGridRowForeColor(GridModel& grid, int row, qint32 colour)
{
    if (row < 0 || row >= grid.Rows()) return;
    for (int c = 0; c < grid.Cols(); ++c) grid.SetCellForeColor(row, c, colour);
}

void SetGridRowBackColor(GridModel& grid, int row, qint32 colour)
{
    if (row < grid.FixedRows() || row >= grid.Rows()) return;
    for (int c = grid.FixedCols(); c < grid.Cols(); ++c) grid.SetCellBackColor(row, c, colour);
}

void ResetGridColors(GridModel& grid, qint32 colour)
{
    for (int r = grid.FixedRows(); r < grid.Rows(); ++r)
        for (int c = 0; c < grid.Cols(); ++c) grid.SetCellForeColor(r, c, colour);
}

qint32 GetGridCellColor(const GridModel& grid, int row, int col, bool fore)
{
    const qint32 v = fore ? grid.CellForeColor(row, col) : grid.CellBackColor(row, col);
    return v == GridModel::kStoredBlack ? 0 : v;
}

void SetGridCellColor(GridModel& grid, int row, int col, qint32& colour, bool fore)
{
    if (colour == 0) colour = GridModel::kStoredBlack;
    if (fore) grid.SetCellForeColor(row, col, colour);
    else grid.SetCellBackColor(row, col, colour);
}

} // namespace slip
