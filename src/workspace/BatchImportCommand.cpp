#include "workspace/BatchImportCommand.h"

#include "batch/CsvReader.h"
#include "batch/Workbook.h"
#include "model/SlipFormat.h"
#include "ui/FileDialogs.h"
#include "ui/Progress.h"
#include "ui/Prompt.h"
#include "ui/WindowHelpers.h"
#include "workspace/WorksheetChooser.h"

#include <QPointer>
#include <QThreadPool>

#include <malloc.h>

namespace slip {

const QString kImportFileFilter = QStringLiteral(
    "Microsoft Office Excel 工作簿(*.xls)|*.xls|CSV (逗号分隔)(*.csv)|*.csv|"
    "Microsoft Office Excel 工作簿(*.xlsx)|*.xlsx");

ImportSource SelectImportFile(QWidget* parent)
{
    ImportSource source;
    const QString path = ChooseFile(kImportFileFilter, false);
    if (path.isEmpty()) return source;
    const ImportFileKind kind = ImportFileKindOf(path);
    // Every file but a CSV file goes to the worksheet chooser: one that is
    // no workbook is told there; a workbook under another name is refused by
    // the mapping dialog's preview.
    if (kind != ImportFileKind::Csv) {
        const QString sheet = ChooseWorksheet(parent, path);
        if (sheet.isEmpty()) return source;
        source.sheet = sheet;
    }
    source.path = path;
    source.kind = kind;
    return source;
}

std::optional<ImportRequest> ShowInputMap(QWidget* parent, const SlipFormat& format, const ImportSource& source,
                                          const QString& lineBreakMarker)
{
    if (!source.IsSet() || !format.IsOpen()) return std::nullopt;
    ImportPreview preview;
    if (!RunWithProgress([&](ProgressReporter& progress) { preview = LoadImportPreview(source, progress); }))
        preview.error = source.kind == ImportFileKind::Csv ? CsvImportError() : WorkbookDamagedError();
    // A file that can't be read still gets the dialog, with the reason: the
    // mapping can be typed or mended all the same. A file that is read but
    // not as the operator may think has that told the same way.
    ImportMapDialog dialog(format, source, preview.rows, lineBreakMarker, parent,
                           preview.ok() ? preview.notice : preview.error);
    CenterForm(&dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Request();
}

namespace {

// Imports take turns on two threads. The memory pool of the thread that made
// the batch on show holds its records; a new import there would have its
// many short-lived values fitted in between them, slowly (30,000 workbook
// rows took a fifth longer). The thread whose import went into the batch is
// marked as holding it.
struct ImportThreads {
    QPointer<QThreadPool> thread[2];
    int holder = 1;  // the thread whose records are on show
    int Next() const { return 1 - holder; }
    QThreadPool* Of(int turn)
    {
        if (!thread[turn]) thread[turn] = NewWorkThread();
        return thread[turn];
    }
};

ImportThreads& Threads()
{
    static ImportThreads threads;
    return threads;
}

} // namespace

bool ImportBatch(BatchDataSet& batch, const ImportSource& source, const ImportRequest& request,
                 const QString& lineBreakMarker, const RecordsMade& made,
                 const std::function<void(const ImportResult&)>& alongside)
{
    ImportResult result;
    const int turn = Threads().Next();
    const bool ran = RunWithProgress([&](ProgressReporter& progress) {
        if (source.kind == ImportFileKind::Csv)
            result = ImportCsvRows(source.path, request.range, request.maps, lineBreakMarker, progress, made);
        else if (source.kind == ImportFileKind::Workbook)
            result = ImportExcelRows(source.path, source.sheet, request.range, request.maps, lineBreakMarker,
                                     progress, made);
        else
            result.error = UnsupportedImportFileError();
        if (alongside && result.ok()) alongside(result);
    }, Threads().Of(turn));
    if (!ran) result.error = source.kind == ImportFileKind::Csv ? CsvImportError() : WorkbookDamagedError();
    if (!result.ok()) {
        MsgBox(result.error);
        return false;
    }
    QVector<QStringList> previous = batch.Reset(std::move(result.columns), std::move(result.records));
    Threads().holder = turn;
    result = {};
    // The previous batch is freed off the window's thread: tens of thousands
    // of values take a while. The import's thread built the records in a
    // memory pool of its own; what was freed there is handed back, or every
    // import would leave the program larger.
    QThreadPool::globalInstance()->start([previous = std::move(previous)]() mutable {
        previous = {};
        malloc_trim(0);
    });
    return true;
}

} // namespace slip
