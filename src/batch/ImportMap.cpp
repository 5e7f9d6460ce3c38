#include "batch/ImportMap.h"

#include "core/ColumnLetters.h"
#include "core/TextNumber.h"

#include <algorithm>

namespace slip {

QVector<ImportBox> MergeMapArrays(const ImportMaps& maps)
{
    QVector<ImportBox> merged;
    merged.reserve(maps.textBoxes.size() + maps.checkBoxes.size() + maps.pictureBoxes.size());
    for (const QVector<ImportBox>* cls : {&maps.textBoxes, &maps.checkBoxes, &maps.pictureBoxes}) {
        QVector<ImportBox> sorted = *cls;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const ImportBox& a, const ImportBox& b) { return a.boxIndex < b.boxIndex; });
        merged += sorted;
    }
    return merged;
}

QString NormalizeMapString(QString map)
{
    map.replace(QChar(0x201D), QLatin1Char('"'));
    map.replace(QChar(0x201C), QLatin1Char('"'));
    map.replace(QChar(0xFF0C), QLatin1Char(','));
    map = map.trimmed();
    if (map.startsWith(QLatin1Char(','))) map.remove(0, 1);
    if (map.endsWith(QLatin1Char(','))) map.chop(1);
    return map;
}

void NormalizeMapStrings(QStringList& maps)
{
    for (QString& m : maps) m = NormalizeMapString(m);
}

QStringList SplitMapEntries(const QString& map)
{
    QStringList parts;
    QString part;
    bool quoted = false;
    for (QChar c : map) {
        if (c == u'"') quoted = !quoted;
        if (c == u',' && !quoted) {
            parts << part;
            part.clear();
        } else {
            part += c;
        }
    }
    parts << part;
    return parts;
}

ParsedMap ParseMapString(const QString& normalizedMap)
{
    ParsedMap out;
    if (normalizedMap.isEmpty()) return out;
    for (const QString& raw : SplitMapEntries(normalizedMap)) {
        QString entry = raw;
        entry.remove(QLatin1Char('\r'));
        entry.remove(QLatin1Char('\n'));
        entry = entry.trimmed();
        if (entry.isEmpty()) continue;
        MapEntry e;
        if (entry.startsWith(QLatin1Char('"'))) {
            if (entry.size() < 2 || !entry.endsWith(QLatin1Char('"'))) {
                out.badEntry = entry;
                return out;
            }
            e.literal = true;
            e.text = entry.mid(1, entry.size() - 2);
            out.entries << e;
            continue;
        }
        QString reference = entry;
        const qsizetype plus = entry.lastIndexOf(QLatin1Char('+'));
        if (plus >= 0) {
            reference = entry.left(plus).trimmed();
            bool ok = false;
            const double offset = entry.mid(plus + 1).trimmed().toDouble(&ok);
            if (!ok || offset > 1e6 || offset < -1e6) {
                out.badEntry = entry;
                return out;
            }
            if (reference.isEmpty()) continue;  // a bare "+n" names no column
            e.offset = int(RoundHalfEven(offset));
        }
        const std::optional<int> column = ColumnNumber(reference);
        if (!column) {
            out.badEntry = entry;
            return out;
        }
        e.column = *column;
        out.entries << e;
    }
    return out;
}

QString MarkLineBreaks(const QString& text, const QString& lineBreakMarker)
{
    if (lineBreakMarker.isEmpty()) return text;
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) return text;
    QString t = text;
    t.replace(QStringLiteral("\r\n"), lineBreakMarker);
    t.replace(QLatin1Char('\r'), lineBreakMarker);
    t.replace(QLatin1Char('\n'), lineBreakMarker);
    return t;
}

QString EvaluateMap(const QVector<MapEntry>& entries, const RecordSource& source, int line,
                    const QString& lineBreakMarker)
{
    QString value;
    for (const MapEntry& e : entries) {
        if (e.literal) {
            value += e.text;
            continue;
        }
        QString cell = source.Cell(line + e.offset, e.column);
        if (cell.endsWith(QLatin1Char('\t'))) cell.chop(1);
        value += cell;
    }
    return MarkLineBreaks(value, lineBreakMarker);
}

} // namespace slip
