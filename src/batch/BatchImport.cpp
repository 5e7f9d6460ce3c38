#include "batch/BatchImport.h"

#include "batch/CsvReader.h"
#include "batch/Workbook.h"
#include "core/TextNumber.h"

#include <algorithm>
#include <limits>

namespace slip {

namespace {

const QString kReadTitle = QStringLiteral("正在读取EXCEL数据……");

// Cells of the CSV records: a record's fields are found once for all the
// boxes that read it (a record a map reads with an offset is read again
// later, so the last few are kept).
class CsvSource : public RecordSource {
public:
    CsvSource(const CsvTable& table, int lastColumn) : table_(table), lastColumn_(lastColumn) {}
    QString Cell(qint64 line, int column) const override
    {
        if (line < 1 || line > table_.RecordCount() || column < 1 || column > lastColumn_) return QString();
        const std::vector<quint32>& starts = FieldsOf(line);
        return size_t(column) <= starts.size() ? table_.FieldAt(starts[size_t(column - 1)]) : QString();
    }

private:
    const std::vector<quint32>& FieldsOf(qint64 line) const
    {
        for (const auto& [l, starts] : recent_)
            if (l == line) return starts;
        if (recent_.size() >= 8) recent_.erase(recent_.begin());
        recent_.push_back({line, table_.FieldStarts(line, lastColumn_)});
        return recent_.back().second;
    }

    const CsvTable& table_;
    const int lastColumn_;
    mutable std::vector<std::pair<qint64, std::vector<quint32>>> recent_;
};

class SheetSource : public RecordSource {
public:
    explicit SheetSource(const SheetCells& cells) : cells_(cells) {}
    QString Cell(qint64 line, int column) const override
    {
        return line < 1 || line > std::numeric_limits<int>::max() ? QString() : cells_.Cell(int(line), column);
    }

private:
    const SheetCells& cells_;
};

// The boxes in column order with their parsed maps.
struct PreparedMaps {
    QVector<BatchColumn> columns;
    QVector<QVector<MapEntry>> entries;
};

PreparedMaps PrepareMaps(const ImportMaps& maps)
{
    PreparedMaps out;
    for (const ImportBox& box : MergeMapArrays(maps)) {
        QVector<MapEntry> entries = ParseMapString(NormalizeMapString(box.map));
        out.columns << BatchColumn{box.recordId, box.boxIndex, box.caption, MapsTheBox(box.map)};
        out.entries << std::move(entries);
    }
    return out;
}

// The source lines and columns the maps read over the whole range, and the
// last line.
CellsWanted WantedCells(const PreparedMaps& prepared, const ImportRange& range)
{
    CellsWanted wanted;
    const int count = RecordCount(range);
    for (const QVector<MapEntry>& entries : prepared.entries) {
        for (const MapEntry& e : entries) {
            if (e.literal) continue;
            wanted.columns.insert(e.column);
            for (int k = 1; k <= count; ++k) {
                const qint64 line = EntryLine(RecordFirstRow(range, k), e);
                if (line < 1 || line > std::numeric_limits<int>::max()) continue;
                wanted.rows.insert(int(line));
                wanted.lastRow = std::max(wanted.lastRow, int(line));
            }
        }
    }
    if (wanted.rows.isEmpty()) {  // nothing to read: only row 0, which no sheet has
        wanted.rows = {0};
        wanted.lastRow = 1;
    }
    return wanted;
}

ImportResult Failed(const QString& error)
{
    ImportResult r;
    r.error = error;
    return r;
}

// Records handed to RecordsMade at a time.
constexpr int kRecordsMadeAtATime = 1024;

// Evaluates every record of the range against the source.
ImportResult FillRecords(const PreparedMaps& prepared, const RecordSource& source, const ImportRange& range,
                         const QString& marker, ProgressReporter& progress, const RecordsMade& made)
{
    ImportResult out;
    const int count = RecordCount(range);
    progress.Start(kReadTitle, count);
    out.records.reserve(count);
    for (int k = 1; k <= count; ++k) {
        const qint64 line = RecordFirstRow(range, k);
        QStringList values;
        values.reserve(prepared.entries.size());
        for (const QVector<MapEntry>& entries : prepared.entries)
            values << EvaluateMap(entries, source, line, marker);
        out.records << values;
        progress.Step(1, QStringLiteral("pages"));
        if (made && (k % kRecordsMadeAtATime == 0 || k == count)) {
            const int from = (k - 1) / kRecordsMadeAtATime * kRecordsMadeAtATime;
            made(from, out.records.constData() + from, k - from);
        }
    }
    out.columns = prepared.columns;
    return out;
}

} // namespace

ImportFileKind ImportFileKindOf(const QString& path)
{
    if (path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) return ImportFileKind::Csv;
    if (path.endsWith(QStringLiteral(".xls"), Qt::CaseInsensitive)
        || path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        return ImportFileKind::Workbook;
    return ImportFileKind::Unsupported;
}

QString CheckImportRange(const ImportRange& range)
{
    if (qint64(range.endRow) - range.startRow > kMaxImportRows - 1)
        return QStringLiteral("一次性导入数据不得超过3万条记录，请重新设置！");
    return QString();
}

ImportRange ImportRangeFromTexts(const QString& startRow, const QString& endRow,
                                 const QString& linesPerRecord)
{
    auto whole = [](const QString& t) {
        const qint64 v = RoundHalfEven(std::clamp(Val(t), -1e12, 1e12));
        return int(std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    };
    ImportRange range{whole(startRow), whole(endRow), whole(linesPerRecord)};
    if (range.endRow < range.startRow) std::swap(range.startRow, range.endRow);
    return range;
}

int RecordCount(const ImportRange& range)
{
    if (range.linesPerRecord < 1 || range.endRow < range.startRow) return 0;
    const qint64 rows = qint64(range.endRow) - range.startRow + 1;
    return int((rows + range.linesPerRecord - 1) / range.linesPerRecord);
}

QString UnknownErrorText(int number)
{
    const QString n = number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
    return QStringLiteral("未知错误，错误号：") + n + QStringLiteral("　请检查输入值！");
}

ImportResult ImportCsvRows(const QString& path, const ImportRange& range, const ImportMaps& maps,
                           const QString& lineBreakMarker, ProgressReporter& progress, const RecordsMade& made)
{
    if (QString e = CheckImportRange(range); !e.isEmpty()) return Failed(e);
    if (range.linesPerRecord < 1 || ImportFileKindOf(path) != ImportFileKind::Csv) return Failed(CsvImportError());
    const PreparedMaps prepared = PrepareMaps(maps);
    // Only the records up to the last line a map reads are looked at.
    const CellsWanted wanted = WantedCells(prepared, range);
    const CsvFileTable file = ReadCsvRecords(path, qMax(1, wanted.lastRow));
    if (!file.ok()) return Failed(file.error);
    const int lastColumn = wanted.columns.isEmpty() ? 0 : *std::max_element(wanted.columns.begin(), wanted.columns.end());
    const CsvSource source(file.table, lastColumn);
    return FillRecords(prepared, source, range, lineBreakMarker, progress, made);
}

ImportResult ImportExcelRows(const QString& path, const QString& sheet, const ImportRange& range,
                             const ImportMaps& maps, const QString& lineBreakMarker,
                             ProgressReporter& progress, const RecordsMade& made)
{
    if (QString e = CheckImportRange(range); !e.isEmpty()) return Failed(e);
    if (range.linesPerRecord < 1) return Failed(UnknownErrorText(11));
    if (ImportFileKindOf(path) != ImportFileKind::Workbook) return Failed(WorkbookTypeError());
    const PreparedMaps prepared = PrepareMaps(maps);
    progress.Start(kReadTitle, 100);
    const SheetRead sheetRead = ReadWorksheet(path, sheet, WantedCells(prepared, range));
    if (!sheetRead.ok()) return Failed(sheetRead.error);
    const SheetSource source(sheetRead.cells);
    return FillRecords(prepared, source, range, lineBreakMarker, progress, made);
}

} // namespace slip
