#include "batch/GridExport.h"

#include "batch/CsvReader.h"
#include "batch/GridExportWorkbookCheck.h"
#include "storage/SavedFile.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryFile>
#include <QVector>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>
#include <optional>
#include <sys/resource.h>
#include <xlsxwriter.h>

namespace slip {

namespace {

const QString kSaveFailed = QStringLiteral("文件保存出错！");
const QString kNotReplaced = QStringLiteral("该文件无法覆盖，请确认该文件没被其他软件打开！");
const QString kNoData = QStringLiteral("表格中没有数据！");
constexpr int kTwipsPerSheetCharacter = 123;
constexpr int kFittedWidthMin = 4;
constexpr int kFittedWidthMax = 80;

// The rows and columns that go into the file, worked out once.
struct ExportPlan {
    QVector<int> columns;   // visible model columns, left to right
    int modelRows = 0;
    int visibleRows = 0;    // header row included
    int steps = 0;          // progress steps: one per model row and header row
};

ExportPlan PlanOf(const QAbstractItemModel& grid, const GridExportLayout& layout)
{
    ExportPlan plan;
    const int columns = grid.columnCount();
    for (int c = 0; c < columns; ++c)
        if (!layout.hiddenColumns.contains(c)) plan.columns << c;
    plan.modelRows = grid.rowCount();
    int hidden = 0;
    for (int r : layout.hiddenRows)
        if (r >= 0 && r < plan.modelRows) ++hidden;
    plan.visibleRows = plan.modelRows - hidden + (layout.headerRow ? 1 : 0);
    plan.steps = plan.modelRows + (layout.headerRow ? 1 : 0);
    return plan;
}

// Calls fn(isCaption, cells) for every visible row in file order; stops and
// answers false when fn does, or at a row that could not be read (`unread`
// then says why). Steps the progress once per model row, hidden ones too, so
// the bar runs evenly over the grid.
template <class RowFn>
bool ForEachExportRow(const QAbstractItemModel& grid, const GridExportLayout& layout,
                      const ExportPlan& plan, ProgressReporter& progress, QString& unread, RowFn fn)
{
    QVector<QString> cells(plan.columns.size());
    if (layout.headerRow) {
        for (int i = 0; i < plan.columns.size(); ++i)
            cells[i] = grid.headerData(plan.columns[i], Qt::Horizontal, Qt::DisplayRole).toString();
        if (!fn(true, cells)) return false;
        progress.Step(1, QStringLiteral("pages"));
    }
    for (int r = 0; r < plan.modelRows; ++r) {
        if (!layout.hiddenRows.contains(r)) {
            for (int i = 0; i < plan.columns.size(); ++i)
                cells[i] = grid.data(grid.index(r, plan.columns[i]), Qt::DisplayRole).toString();
            if (layout.unreadRow) unread = layout.unreadRow(r);
            if (!unread.isEmpty() || !fn(false, cells)) return false;
        }
        progress.Step(1, QStringLiteral("pages"));
    }
    return true;
}

GridExportResult Failed(const QString& error)
{
    GridExportResult out;
    out.error = error;
    return out;
}

// A file written with the rows and columns of the plan.
GridExportResult Written(const ExportPlan& plan)
{
    GridExportResult out;
    out.ok = true;
    out.rows = plan.visibleRows;
    out.columns = int(plan.columns.size());
    return out;
}

// The failure of a file that did not go where the old one is.
GridExportResult NotSaved(const SavedFileResult& saved)
{
    return Failed(saved.notReplaced ? kNotReplaced : kSaveFailed);
}

// The save's answer; `unencodable` when it stopped (stopWhenUnencodable) at a
// text the encoding lacks, `unread` when at a row that could not be read.
SavedFileResult WriteCsv(const QAbstractItemModel& grid, const QString& path, const GridExportLayout& layout,
                         const ExportPlan& plan, const char* encoding, bool stopWhenUnencodable,
                         ProgressReporter& progress, bool& unencodable, QString& unread)
{
    unencodable = false;
    QStringEncoder encoder(encoding);
    if (!encoder.isValid()) {
        SavedFileResult none;
        none.ok = false;
        return none;
    }
    progress.Start(QStringLiteral("正在导出数据至CSV格式文件……"), plan.steps);
    QString line;
    const SavedFileResult saved = SaveFile(path, [&](QIODevice& file) {
        return ForEachExportRow(grid, layout, plan, progress, unread, [&](bool, const QVector<QString>& cells) {
            line.clear();
            for (int i = 0; i < cells.size(); ++i) {
                if (i > 0) line += QLatin1Char(',');
                line += CsvField(cells[i]);
            }
            line += QLatin1String("\r\n");
            const QByteArray bytes = encoder.encode(line);
            if (encoder.hasError() && stopWhenUnencodable) {
                unencodable = true;
                return false;
            }
            return WriteWhole(file, bytes);
        });
    });
    progress.End();
    return saved;
}

// Display width of a text in sheet characters: East Asian characters take two.
int TextWidth(const QString& text)
{
    int width = 0;
    int lineWidth = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            width = std::max(width, lineWidth);
            lineWidth = 0;
            continue;
        }
        if (c.isLowSurrogate()) continue;
        lineWidth += c.unicode() >= 0x1100 ? 2 : 1;
    }
    return std::max(width, lineWidth);
}

// A sheet column's width in characters: the grid's width where the layout
// gives one (whole characters, as a spreadsheet program takes them), else
// fitted to the widest text seen.
double SheetColumnWidth(const GridExportLayout& layout, int modelColumn, int fittedWidth)
{
    const auto given = layout.columnTwips.constFind(modelColumn);
    return given != layout.columnTwips.constEnd()
               ? double(*given / kTwipsPerSheetCharacter)
               : double(std::clamp(fittedWidth + 2, kFittedWidthMin, kFittedWidthMax));
}

// A workbook reads "_x" and four hex digits and "_" as an escaped character.
// The writer escapes control characters that way itself; a cell text that
// holds such a sequence literally gets its "_" escaped, so it reads back as
// written.
QString KeepLiteralEscapes(const QString& text)
{
    if (!text.contains(QLatin1String("_x"))) return text;
    static const QRegularExpression escape(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    QString out = text;
    out.replace(escape, QStringLiteral("_x005F_"));
    return out;
}

// Rows on their way from the model to the sheet. The model is read on the
// calling thread, which owns it; the workbook writer runs on a thread of its
// own, so reading the model and writing the sheet overlap. Rows are handed
// over in batches through a short queue, which bounds the memory in between.
class SheetRowWriter {
public:
    struct Row {
        bool caption = false;
        QVector<QString> cells;  // shared with the reader, never changed
    };

    SheetRowWriter(lxw_worksheet* sheet, lxw_format* captionFormat, lxw_format* cellFormat)
        : sheet_(sheet), captionFormat_(captionFormat), cellFormat_(cellFormat),
          thread_([this] { Run(); })
    {
    }
    ~SheetRowWriter() { Finish(); }
    SheetRowWriter(const SheetRowWriter&) = delete;
    SheetRowWriter& operator=(const SheetRowWriter&) = delete;

    // False once the writer has failed: the caller stops reading.
    bool Put(Row&& row)
    {
        pending_.push_back(std::move(row));
        if (pending_.size() >= kBatchRows) Hand(false);
        return !failed_;
    }

    // Hands over the last rows and waits for the writer. True when every row
    // was written.
    bool Finish()
    {
        if (thread_.joinable()) {
            Hand(true);
            thread_.join();
        }
        return !failed_;
    }

    lxw_row_t RowsWritten() const { return rows_; }

private:
    static constexpr size_t kBatchRows = 256;
    static constexpr size_t kQueuedBatches = 16;

    void Hand(bool last)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return queue_.size() < kQueuedBatches || failed_; });
        if (!pending_.empty()) queue_.push_back(std::move(pending_));
        pending_ = {};
        if (last) done_ = true;
        changed_.notify_all();
    }

    void Run()
    {
        for (;;) {
            std::vector<Row> batch;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return !queue_.empty() || done_; });
                if (queue_.empty()) return;
                batch = std::move(queue_.front());
                queue_.pop_front();
                changed_.notify_all();
            }
            if (failed_) continue;  // drain what is queued, write nothing more
            for (const Row& row : batch) {
                if (!WriteRow(row)) {
                    failed_ = true;
                    std::lock_guard lock(mutex_);
                    changed_.notify_all();
                    break;
                }
            }
        }
    }

    bool WriteRow(const Row& row)
    {
        lxw_format* format = row.caption ? captionFormat_ : cellFormat_;
        for (int i = 0; i < row.cells.size(); ++i) {
            const QString& cell = row.cells[i];
            lxw_error e;
            if (cell.isEmpty()) {
                e = worksheet_write_blank(sheet_, rows_, lxw_col_t(i), format);
            } else {
                QByteArray text = KeepLiteralEscapes(cell).toUtf8();
                text += '\t';
                e = worksheet_write_string(sheet_, rows_, lxw_col_t(i), text.constData(), format);
            }
            if (e != LXW_NO_ERROR) return false;
        }
        ++rows_;
        return true;
    }

    lxw_worksheet* sheet_;
    lxw_format* captionFormat_;
    lxw_format* cellFormat_;
    std::vector<Row> pending_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<Row>> queue_;
    bool done_ = false;
    std::atomic<bool> failed_{false};
    lxw_row_t rows_ = 0;  // written by the writer thread, read after Finish
    std::thread thread_;  // last: starts once everything above is set up
};

// --- Excel 97-2003 workbooks ------------------------------------------------
// Written by slip-xls-writer.py (beside the program) with Debian's Python and
// its xlwt module, in a process of its own under a time and memory limit:
// the grid goes to it as JSON on its standard input, the workbook comes out
// in a temporary file that replaces the old one only when whole.

const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kXlsWriterName = QStringLiteral("slip-xls-writer.py");
constexpr int kXlsMaxRows = 65536;
constexpr int kXlsMaxColumns = 256;
constexpr int kXlsMaxCellText = 32767;
constexpr qint64 kXlsWriterTimeLimitMs = 180000;
constexpr rlim_t kXlsWriterMemoryLimit = 2048ULL * 1024 * 1024;

// Runs the writer on `input` into `path`; true when it wrote `rows` rows into
// a whole workbook. The window's events go on meanwhile.
bool RunXlsWriter(const QByteArray& input, const QString& path, int rows)
{
    const QString script = QCoreApplication::applicationDirPath() + QLatin1Char('/') + kXlsWriterName;
    if (!QFileInfo(script).isFile() || !QFileInfo(kPython).isExecutable()) return false;
    QProcess writer;
    writer.setProgram(kPython);
    // -I: the operator's Python settings and packages play no part.
    writer.setArguments({QStringLiteral("-I"), script, path});
    writer.setStandardErrorFile(QProcess::nullDevice());
    writer.setChildProcessModifier([] {
        const rlimit memory{kXlsWriterMemoryLimit, kXlsWriterMemoryLimit};
        setrlimit(RLIMIT_AS, &memory);
        const rlimit seconds{kXlsWriterTimeLimitMs / 1000, kXlsWriterTimeLimitMs / 1000 + 1};
        setrlimit(RLIMIT_CPU, &seconds);
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
    });
    QEventLoop loop;
    bool stopped = false;
    QObject::connect(&writer, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&writer, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        stopped = true;
        writer.kill();
    });
    writer.start();
    if (!writer.waitForStarted(10000)) return false;
    writer.write(input);
    writer.closeWriteChannel();
    deadline.start(int(kXlsWriterTimeLimitMs));
    if (writer.state() != QProcess::NotRunning) loop.exec();
    if (writer.state() != QProcess::NotRunning) {
        writer.kill();
        writer.waitForFinished();
    }
    if (stopped) return false;
    const QByteArray answer = writer.readAllStandardOutput().trimmed();
    if (writer.exitStatus() != QProcess::NormalExit || writer.exitCode() != 0 ||
        answer != "ok " + QByteArray::number(rows))
        return false;
    // A compound document, as every Excel 97-2003 workbook is.
    QFile written(path);
    return written.open(QIODevice::ReadOnly) && written.read(8) == QByteArray::fromHex("d0cf11e0a1b11ae1");
}

} // namespace

QString CsvField(const QString& cellText)
{
    QString field = cellText;
    field += QLatin1Char('\t');
    // A lone CR or LF is quoted as well as CR LF: unquoted it would end the
    // line, and the file would read back with the row cut in two. A control
    // character is quoted too: the import reads one only inside quotes.
    const bool quote = std::any_of(field.cbegin(), field.cend(), [](QChar c) {
        return c == u',' || c == u'"' || c == u'\r' || c == u'\n' || IsCsvControl(c.unicode());
    });
    field.replace(QLatin1Char('"'), QLatin1String("\"\""));
    if (quote) field = QLatin1Char('"') + field + QLatin1Char('"');
    return field;
}

QString SafeSheetName(const QString& name)
{
    QString safe;
    for (const QChar c : name) {
        const bool forbidden = QStringLiteral("[]:*?/\\").contains(c) || c.unicode() < 0x20;
        safe += forbidden ? QLatin1Char('_') : c;
    }
    // A sheet name may not begin or end with an apostrophe.
    if (safe.startsWith(QLatin1Char('\''))) safe[0] = QLatin1Char('_');
    if (safe.size() > 31) safe.truncate(31);
    if (!safe.isEmpty() && safe.back().isHighSurrogate()) safe.chop(1);
    if (safe.endsWith(QLatin1Char('\''))) safe[safe.size() - 1] = QLatin1Char('_');
    if (safe.isEmpty()) safe = QStringLiteral("Sheet1");
    return safe;
}

bool GridHasData(const QAbstractItemModel& grid, const GridExportLayout& layout)
{
    return grid.columnCount() > 0 && (grid.rowCount() > 0 || layout.headerRow);
}

bool ExportsAsCsv(const QString& path)
{
    return path.right(3).toLower() == QLatin1String("csv");
}

GridExportResult ExportGridToCsv(const QAbstractItemModel& grid, const QString& path,
                                 const GridExportLayout& layout, ProgressReporter& progress)
{
    if (!GridHasData(grid, layout)) return Failed(kNoData);
    const ExportPlan plan = PlanOf(grid, layout);
    // GBK is what a spreadsheet on a Chinese system reads without being told;
    // a text GBK can't hold (rare characters, emoji) makes the whole file
    // GB18030, its superset, rather than lose the character.
    bool unencodable = false;
    QString unread;
    SavedFileResult saved = WriteCsv(grid, path, layout, plan, "GBK", true, progress, unencodable, unread);
    if (!saved && unencodable)
        saved = WriteCsv(grid, path, layout, plan, "GB18030", false, progress, unencodable, unread);
    if (!unread.isEmpty()) return Failed(unread);
    if (!saved) return NotSaved(saved);
    return Written(plan);
}

GridExportResult ExportGridToExcel(const QAbstractItemModel& grid, const QString& path,
                                   const QString& sheetName, const GridExportLayout& layout,
                                   ProgressReporter& progress)
{
    if (!GridHasData(grid, layout)) return Failed(kNoData);
    const ExportPlan plan = PlanOf(grid, layout);
    if (plan.visibleRows > LXW_ROW_MAX || plan.columns.size() > LXW_COL_MAX) return Failed(kSaveFailed);

    // The workbook is written to a temporary file first, checked, and then
    // saved under the target's name in one step, so a failure leaves the old
    // file whole.
    QTemporaryFile temp(QDir::tempPath() + QStringLiteral("/slip-export-XXXXXX.xlsx"));
    if (!temp.open()) return Failed(kSaveFailed);
    const QString tempPath = temp.fileName();
    temp.close();

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;  // rows go to disk as they are written
    lxw_workbook* book = workbook_new_opt(QFile::encodeName(tempPath).constData(), &options);
    if (!book) return Failed(kSaveFailed);
    lxw_worksheet* sheet = workbook_add_worksheet(book, SafeSheetName(sheetName).toUtf8().constData());
    lxw_format* captionFormat = workbook_add_format(book);
    lxw_format* cellFormat = workbook_add_format(book);
    bool ok = sheet && captionFormat && cellFormat;
    if (ok) {
        format_set_bold(captionFormat);
        format_set_bg_color(captionFormat, 0xFFC080);
        format_set_border(captionFormat, LXW_BORDER_THIN);
        format_set_border(cellFormat, LXW_BORDER_THIN);
    }

    QVector<int> fitted(plan.columns.size(), 0);
    QVector<bool> fit(plan.columns.size());
    for (int i = 0; i < plan.columns.size(); ++i) fit[i] = !layout.columnTwips.contains(plan.columns[i]);
    lxw_row_t sheetRow = 0;
    QString unread;
    if (ok) {
        progress.Start(QStringLiteral("正在将数据导出到EXCEL文件 …"), plan.steps);
        SheetRowWriter writer(sheet, captionFormat, cellFormat);
        const bool read = ForEachExportRow(grid, layout, plan, progress, unread,
                                           [&](bool caption, const QVector<QString>& cells) {
            for (int i = 0; i < cells.size(); ++i)
                if (fit[i] && !cells[i].isEmpty()) fitted[i] = std::max(fitted[i], TextWidth(cells[i]));
            return writer.Put({caption, cells});
        });
        ok = writer.Finish() && read;
        sheetRow = writer.RowsWritten();
        progress.End();
    }
    if (ok) {
        for (int i = 0; i < plan.columns.size(); ++i)
            worksheet_set_column(sheet, lxw_col_t(i), lxw_col_t(i),
                                 SheetColumnWidth(layout, plan.columns[i], fitted[i]), nullptr);
    }
    // Closing writes the file and frees the workbook whether or not all went well.
    const lxw_error closed = workbook_close(book);
    if (!unread.isEmpty()) return Failed(unread);
    ok = ok && closed == LXW_NO_ERROR && WorkbookFileIsComplete(tempPath, qint64(sheetRow));
    if (!ok) return Failed(kSaveFailed);
    if (const SavedFileResult saved = SaveCopy(tempPath, path); !saved) return NotSaved(saved);
    return Written(plan);
}

GridExportResult ExportGridToXls(const QAbstractItemModel& grid, const QString& path, const QString& sheetName,
                                 const GridExportLayout& layout, ProgressReporter& progress)
{
    if (!GridHasData(grid, layout)) return Failed(kNoData);
    const ExportPlan plan = PlanOf(grid, layout);
    if (plan.visibleRows > kXlsMaxRows || plan.columns.size() > kXlsMaxColumns)
        return Failed(QStringLiteral("Excel 97-2003工作簿（.xls）最多容纳65536行、256列，"
                                     "这些数据请导出为.xlsx或.csv文件！"));
    progress.Start(QStringLiteral("正在将数据导出到EXCEL文件 …"), plan.steps);
    QJsonArray rows;
    QVector<int> fitted(plan.columns.size(), 0);
    bool fits = true;
    QString unread;
    ForEachExportRow(grid, layout, plan, progress, unread, [&](bool, const QVector<QString>& cells) {
        QJsonArray row;
        for (int i = 0; i < cells.size(); ++i) {
            const QString& text = cells[i];
            if (text.size() >= kXlsMaxCellText) fits = false;
            if (!text.isEmpty()) fitted[i] = std::max(fitted[i], TextWidth(text));
            row.append(text.isEmpty() ? QString() : text + QLatin1Char('\t'));
        }
        rows.append(row);
        return fits;
    });
    if (!unread.isEmpty() || !fits) {
        progress.End();
        return Failed(!unread.isEmpty() ? unread
                                        : QStringLiteral("有单元格的文字超过32766个字符，Excel 97-2003工作簿（.xls）容纳不下，"
                                                         "这些数据请导出为.xlsx或.csv文件！"));
    }
    QJsonArray widths;
    for (int i = 0; i < plan.columns.size(); ++i) widths.append(SheetColumnWidth(layout, plan.columns[i], fitted[i]));
    QJsonObject book;
    book.insert(QStringLiteral("sheet"), SafeSheetName(sheetName));
    book.insert(QStringLiteral("captionRows"), layout.headerRow ? 1 : 0);
    book.insert(QStringLiteral("widths"), widths);
    book.insert(QStringLiteral("rows"), rows);
    const QByteArray input = QJsonDocument(book).toJson(QJsonDocument::Compact);
    rows = QJsonArray();
    book = QJsonObject();

    QTemporaryFile temp(QDir::tempPath() + QStringLiteral("/slip-export-XXXXXX.xls"));
    if (!temp.open()) {
        progress.End();
        return Failed(kSaveFailed);
    }
    const QString tempPath = temp.fileName();
    temp.close();
    const bool written = RunXlsWriter(input, tempPath, plan.visibleRows);
    progress.End();
    if (!written) return Failed(kSaveFailed);
    if (const SavedFileResult saved = SaveCopy(tempPath, path); !saved) return NotSaved(saved);
    return Written(plan);
}

GridExportResult ExportGridToFile(const QAbstractItemModel& grid, const QString& path,
                                  const QString& sheetName, const GridExportLayout& layout,
                                  ProgressReporter& progress)
{
    GridExportResult result;
    if (ExportsAsCsv(path)) result = ExportGridToCsv(grid, path, layout, progress);
    else if (QFileInfo(path).suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0)
        result = ExportGridToExcel(grid, path, sheetName, layout, progress);
    else result = ExportGridToXls(grid, path, sheetName, layout, progress);
    result.path = path;
    return result;
}

} // namespace slip
