#include "batch/BatchImport.h"

#include "batch/CsvReader.h"
#include "batch/Workbook.h"
#include "core/TextNumber.h"

#include <limits>

namespace slip {

namespace {

const QString kReadTitle = QStringLiteral("正在读取EXCEL数据……");

class CsvSource : public RecordSource {
public:
    explicit CsvSource(const QVector<QStringList>& records) : records_(records) {}
    QString Cell(int line, int column) const override
    {
        if (line < 1 || line > records_.size() || column < 1) return QString();
        const QStringList& r = records_[line - 1];
        return column <= r.size() ? r[column - 1] : QString();
    }

private:
    const QVector<QStringList>& records_;
};

class SheetSource : public RecordSource {
public:
    explicit SheetSource(const SheetCells& cells) : cells_(cells) {}
    QString Cell(int line, int column) const override { return cells_.Cell(line, column); }

private:
    const SheetCells& cells_;
};

// The boxes in column order with their parsed maps; error text on a bad entry.
struct PreparedMaps {
    QVector<BatchColumn> columns;
    QVector<QVector<MapEntry>> entries;
    int lastOffset = 0;  // deepest row offset used
    int lastColumn = 0;  // rightmost column used
    QString error;
};

PreparedMaps PrepareMaps(const ImportMaps& maps)
{
    PreparedMaps out;
    for (const ImportBox& box : MergeMapArrays(maps)) {
        out.columns << BatchColumn{box.recordId, box.boxIndex, box.caption};
        const ParsedMap parsed = ParseMapString(NormalizeMapString(box.map));
        if (!parsed.ok()) {
            out.error = BadMapEntryError(box.caption, parsed.badEntry);
            return out;
        }
        for (const MapEntry& e : parsed.entries) {
            if (e.literal) continue;
            out.lastOffset = std::max(out.lastOffset, e.offset);
            out.lastColumn = std::max(out.lastColumn, e.column);
        }
        out.entries << parsed.entries;
    }
    return out;
}

// Evaluates every record of the range against the source into the data set.
int FillRecords(BatchDataSet& set, const PreparedMaps& prepared, const RecordSource& source,
                const ImportRange& range, const QString& marker, ProgressReporter& progress)
{
    const int count = RecordCount(range);
    progress.Start(kReadTitle, count);
    QVector<QStringList> records;
    records.reserve(count);
    for (int k = 1; k <= count; ++k) {
        const int line = RecordFirstRow(range, k);
        QStringList values;
        values.reserve(prepared.entries.size());
        for (const QVector<MapEntry>& entries : prepared.entries)
            values << EvaluateMap(entries, source, line, marker);
        records << values;
        progress.Step(1, QStringLiteral("pages"));
    }
    set.Reset(prepared.columns, std::move(records));
    progress.End();
    return count;
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
    if (range.linesPerRecord < 1) return QStringLiteral("每条记录所占行数必须大于0，请重新设置！");
    if (range.startRow < 1) return QStringLiteral("开始行号必须大于0，请重新设置！");
    if (range.startRow > range.endRow) return QStringLiteral("开始行号不能大于截止行号，请重新设置！");
    if (range.endRow > kMaxRowNumber) return QStringLiteral("截止行号超出范围，请重新设置！");
    if (qint64(range.endRow) - range.startRow > kMaxImportRows - 1)
        return QStringLiteral("一次性导入数据不得超过3万条记录，请重新设置！");
    return QString();
}

ImportRange ImportRangeFromTexts(const QString& startRow, const QString& endRow,
                                 const QString& linesPerRecord)
{
    auto whole = [](const QString& t) {
        const qint64 v = RoundHalfEven(Val(t));
        return int(std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    };
    return ImportRange{whole(startRow), whole(endRow), whole(linesPerRecord)};
}

int RecordCount(const ImportRange& range)
{
    if (!CheckImportRange(range).isEmpty()) return 0;
    const int rows = range.endRow - range.startRow + 1;
    return (rows + range.linesPerRecord - 1) / range.linesPerRecord;
}

QString BadMapEntryError(const QString& caption, const QString& entry)
{
    return QStringLiteral("输入表格列号超界，请重新输入！\n") + caption + QStringLiteral("：") + entry;
}

ImportResult ImportCsvRows(BatchDataSet& set, const QString& path, const ImportRange& range,
                           const ImportMaps& maps, const QString& lineBreakMarker,
                           ProgressReporter& progress)
{
    ImportResult result;
    if (QString e = CheckImportRange(range); !e.isEmpty()) return {e, 0};
    if (ImportFileKindOf(path) != ImportFileKind::Csv) return {CsvImportError(), 0};
    const PreparedMaps prepared = PrepareMaps(maps);
    if (!prepared.error.isEmpty()) return {prepared.error, 0};
    const CsvFile file = ReadCsvRecords(path);
    if (!file.ok()) return {file.error, 0};
    const CsvSource source(file.records);
    result.records = FillRecords(set, prepared, source, range, lineBreakMarker, progress);
    return result;
}

ImportResult ImportExcelRows(BatchDataSet& set, const QString& path, const QString& sheet,
                             const ImportRange& range, const ImportMaps& maps,
                             const QString& lineBreakMarker, ProgressReporter& progress)
{
    ImportResult result;
    if (QString e = CheckImportRange(range); !e.isEmpty()) return {e, 0};
    if (ImportFileKindOf(path) != ImportFileKind::Workbook) return {WorkbookTypeError(), 0};
    const PreparedMaps prepared = PrepareMaps(maps);
    if (!prepared.error.isEmpty()) return {prepared.error, 0};
    // Only the rows and columns the maps can reach are read.
    const int lastRow = RecordFirstRow(range, RecordCount(range)) + std::max(0, prepared.lastOffset);
    progress.Start(kReadTitle, 100);
    const SheetRead sheetRead = ReadWorksheet(path, sheet, lastRow, std::max(1, prepared.lastColumn));
    if (!sheetRead.ok()) {
        progress.End();
        return {sheetRead.error, 0};
    }
    const SheetSource source(sheetRead.cells);
    result.records = FillRecords(set, prepared, source, range, lineBreakMarker, progress);
    return result;
}

} // namespace slip
