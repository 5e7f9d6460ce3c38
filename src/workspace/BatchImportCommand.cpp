#include "workspace/BatchImportCommand.h"

#include "model/SlipFormat.h"
#include "ui/FileDialogs.h"
#include "ui/Progress.h"
#include "ui/Prompt.h"
#include "ui/WindowHelpers.h"
#include "workspace/WorksheetChooser.h"

namespace slip {

// Upper-case names too: a file dialog on a system that tells letter cases
// apart would otherwise hide DATA.XLS.
const QString kImportFileFilter = QStringLiteral(
    "数据表格(*.xls;*.xlsx;*.csv)|*.xls;*.xlsx;*.csv;*.XLS;*.XLSX;*.CSV|"
    "Excel工作簿(*.xls;*.xlsx)|*.xls;*.xlsx;*.XLS;*.XLSX|"
    "CSV文件(*.csv)|*.csv;*.CSV|所有文件(*.*)|*.*");

ImportSource SelectImportFile(QWidget* parent)
{
    ImportSource source;
    const QString path = ChooseFile(kImportFileFilter, false);
    if (path.isEmpty()) return source;
    const ImportFileKind kind = ImportFileKindOf(path);
    if (kind == ImportFileKind::Unsupported) {
        MsgBox(UnsupportedImportFileError(), PromptIcon::Warning);
        return source;
    }
    if (kind == ImportFileKind::Workbook) {
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
    const ImportPreview preview = LoadImportPreview(source);
    if (!preview.ok()) {
        MsgBox(preview.error, PromptIcon::Critical);
        return std::nullopt;
    }
    ImportMapDialog dialog(format, source, preview.rows, lineBreakMarker, parent);
    CenterForm(&dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Request();
}

bool ImportBatch(BatchDataSet& batch, const ImportSource& source, const ImportRequest& request,
                 const QString& lineBreakMarker)
{
    WindowProgress progress;
    ImportResult result;
    if (source.kind == ImportFileKind::Csv)
        result = ImportCsvRows(batch, source.path, request.range, request.maps, lineBreakMarker, progress);
    else if (source.kind == ImportFileKind::Workbook)
        result = ImportExcelRows(batch, source.path, source.sheet, request.range, request.maps, lineBreakMarker,
                                 progress);
    else
        result.error = UnsupportedImportFileError();
    progress.End();
    if (!result.ok()) {
        MsgBox(result.error, PromptIcon::Critical);
        return false;
    }
    return true;
}

} // namespace slip
