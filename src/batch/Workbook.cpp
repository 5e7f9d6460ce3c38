#include "batch/Workbook.h"

#include "batch/CellText.h"
#include "batch/WorkbookReaders.h"
#include "core/TextNumber.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <algorithm>
#include <cmath>

namespace slip {

WorkbookKind DetectWorkbookKind(const QString& path)
{
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) return WorkbookKind::None;
    const QByteArray head = f.read(8);
    if (head == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) return WorkbookKind::Xls;
    if (head.startsWith(QByteArray("PK\x03\x04", 4))) return WorkbookKind::Xlsx;
    return WorkbookKind::None;
}

namespace {

bool ColumnBefore(const QPair<int, QString>& cell, int column) { return cell.first < column; }

} // namespace

QString SheetCells::Cell(int row, int column) const
{
    const auto r = rowCells_.constFind(row);
    if (r == rowCells_.cend()) return QString();
    const auto c = std::lower_bound(r->cbegin(), r->cend(), column, ColumnBefore);
    return c != r->cend() && c->first == column ? c->second : QString();
}

void SheetCells::SetCell(int row, int column, QString text)
{
    DropNuls(text);
    if (row < 1 || column < 1 || text.isEmpty()) return;
    QVector<QPair<int, QString>>& r = rowCells_[row];
    // Cells mostly come in column order: then this appends.
    const auto c = std::lower_bound(r.begin(), r.end(), column, ColumnBefore);
    if (c != r.end() && c->first == column) c->second = std::move(text);
    else r.insert(c, {column, std::move(text)});
}

namespace {

QString CheckedPath(const QString& path, WorkbookKind& kind)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || !info.isReadable()) return WorkbookOpenError();
    kind = DetectWorkbookKind(path);
    if (kind == WorkbookKind::None) return WorkbookTypeError();
    return QString();
}

} // namespace

SheetNames ListWorksheets(const QString& path)
{
    WorkbookKind kind = WorkbookKind::None;
    if (!CheckedPath(path, kind).isEmpty()) return {WorkbookDamagedError(), {}};
    SheetNames names =
        kind == WorkbookKind::Xls ? workbook::ListXlsSheets(path) : workbook::ListXlsxSheets(path);
    if (!names.ok()) names = {WorkbookDamagedError(), {}};
    return names;
}

SheetRead ReadWorksheet(const QString& path, const QString& sheet, const CellsWanted& wanted)
{
    WorkbookKind kind = WorkbookKind::None;
    if (QString e = CheckedPath(path, kind); !e.isEmpty()) return {e, {}};
    if (sheet.isEmpty()) return {SheetNameError(), {}};
    return kind == WorkbookKind::Xls ? workbook::ReadXlsSheet(path, sheet, wanted)
                                     : workbook::ReadXlsxSheet(path, sheet, wanted);
}

CellRange ReadSheetRange(const QString& path, const QString& sheet, int firstRow, int lastRow,
                         int firstColumn, int lastColumn)
{
    CellRange out;
    firstRow = std::max(1, firstRow);
    firstColumn = std::max(1, firstColumn);
    if (lastRow < firstRow || lastColumn < firstColumn) return out;
    SheetRead read = ReadWorksheet(path, sheet, {lastRow, lastColumn, {}, {}});
    if (!read.ok()) {
        out.error = read.error;
        return out;
    }
    for (int r = firstRow; r <= lastRow; ++r) {
        QStringList row;
        for (int c = firstColumn; c <= lastColumn; ++c) row << read.cells.Cell(r, c);
        out.rows << row;
    }
    return out;
}

QString SheetNumberText(double v)
{
    if (!std::isfinite(v)) return NumberText(v);
    if (v == std::floor(v) && std::fabs(v) < 1e16) return QString::number(qint64(v));
    const QString general = QString::number(v, 'g', 15);
    if (!general.contains(QLatin1Char('e'))) return general;
    // Very large or very small: the 15 significant digits written out in full,
    // since a slip has no use for 1.2E+20.
    QString e = QString::number(v, 'e', 14);
    const bool negative = e.startsWith(QLatin1Char('-'));
    if (negative) e.remove(0, 1);
    const qsizetype ePos = e.indexOf(QLatin1Char('e'));
    const int exponent = e.mid(ePos + 1).toInt();
    QString digits = e.left(ePos).remove(QLatin1Char('.'));
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0'))) digits.chop(1);
    const int point = exponent + 1;  // digits before the decimal point
    QString out;
    if (point <= 0) out = QStringLiteral("0.") + QString(-point, QLatin1Char('0')) + digits;
    else if (point >= digits.size()) out = digits + QString(point - digits.size(), QLatin1Char('0'));
    else out = digits.left(point) + QLatin1Char('.') + digits.mid(point);
    return negative ? QLatin1Char('-') + out : out;
}

QString SerialDateText(double serial, bool date1904, bool showDate, bool showTime)
{
    if (!std::isfinite(serial) || serial < 0 || serial > 2958465.99999 || (!showDate && !showTime))
        return SheetNumberText(serial);
    const qint64 seconds = std::llround(serial * 86400.0);
    const qint64 days = seconds / 86400;
    const int secOfDay = int(seconds % 86400);
    QString date;
    if (date1904) {
        date = QDate(1904, 1, 1).addDays(days).toString(QStringLiteral("yyyy-MM-dd"));
    } else if (days == 60) {
        date = QStringLiteral("1900-02-29");
    } else {
        // Before the phantom leap day the serial counts from 1899-12-31.
        date = (days < 60 ? QDate(1899, 12, 31) : QDate(1899, 12, 30)).addDays(days)
                   .toString(QStringLiteral("yyyy-MM-dd"));
    }
    const QString time = QTime(0, 0).addSecs(secOfDay).toString(QStringLiteral("HH:mm:ss"));
    if (!showDate) return time;
    if (!showTime) return date;
    return date + QLatin1Char(' ') + time;
}

DateFormatUse DateFormatOf(int numFmtId, const QString& formatCode)
{
    DateFormatUse use;
    if ((numFmtId >= 14 && numFmtId <= 17) || (numFmtId >= 27 && numFmtId <= 31) || numFmtId == 36
        || (numFmtId >= 50 && numFmtId <= 58)) {
        use.date = true;
        return use;
    }
    if ((numFmtId >= 18 && numFmtId <= 21) || (numFmtId >= 32 && numFmtId <= 35)
        || (numFmtId >= 45 && numFmtId <= 47)) {
        use.time = true;
        return use;
    }
    if (numFmtId == 22) {
        use.date = use.time = true;
        return use;
    }
    if (numFmtId < 164 && formatCode.isEmpty()) return use;  // another built-in format
    bool y = false, m = false, d = false, hs = false;
    for (qsizetype i = 0; i < formatCode.size(); ++i) {
        const QChar c = formatCode[i];
        if (c == u'"') {  // quoted text
            const qsizetype end = formatCode.indexOf(u'"', i + 1);
            if (end < 0) break;
            i = end;
        } else if (c == u'[') {  // colour, locale, condition, elapsed time
            const qsizetype end = formatCode.indexOf(u']', i + 1);
            if (end < 0) break;
            i = end;
        } else if (c == u'\\' || c == u'_' || c == u'*') {  // escaped or padding character
            ++i;
        } else {
            switch (c.toLower().unicode()) {
            case u'y': y = true; break;
            case u'm': m = true; break;
            case u'd': d = true; break;
            case u'h':
            case u's': hs = true; break;
            default: break;
            }
        }
    }
    use.date = y || d || (m && !hs);
    use.time = hs;
    return use;
}

} // namespace slip
