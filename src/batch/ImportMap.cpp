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

namespace {

// Commas outside double quotes split; quotes stay in the parts.
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

} // namespace

QVector<MapEntry> ParseMapString(const QString& normalizedMap)
{
    QVector<MapEntry> entries;
    if (normalizedMap.isEmpty()) return entries;
    for (const QString& raw : SplitMapEntries(normalizedMap)) {
        QString entry = raw;
        entry.remove(QLatin1Char('\r'));
        entry.remove(QLatin1Char('\n'));
        entry = entry.trimmed();
        MapEntry e;
        if (entry.startsWith(QLatin1Char('"')) && entry.endsWith(QLatin1Char('"'))) {
            e.literal = true;
            e.text = entry.mid(1, entry.size() - 2);
            entries << e;
            continue;
        }
        QString reference = entry;
        const qsizetype plus = entry.lastIndexOf(QLatin1Char('+'));
        if (plus >= 0) {
            reference = entry.left(plus);
            e.offset = Val(entry.mid(plus + 1));
        }
        e.column = reference.trimmed().isEmpty() ? 0 : ColumnNumber(reference);
        if (e.column > 0) entries << e;
    }
    return entries;
}

qint64 EntryLine(qint64 line, const MapEntry& entry)
{
    const double l = double(line) + entry.offset;
    // Far outside any file either way: no line.
    if (!(l > -1e15 && l < 1e15)) return 0;
    return RoundHalfEven(l);
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

QString EvaluateMap(const QVector<MapEntry>& entries, const RecordSource& source, qint64 line,
                    const QString& lineBreakMarker)
{
    QString value;
    for (const MapEntry& e : entries)
        value += e.literal ? e.text : source.Cell(EntryLine(line, e), e.column);
    if (value.endsWith(QLatin1Char('\t'))) value.chop(1);
    return MarkLineBreaks(value, lineBreakMarker);
}

} // namespace slip
