#pragma once
#include "batch/BatchDataSet.h"
#include "workspace/ImportMapDialog.h"

#include <functional>
#include <optional>

class QWidget;

namespace slip {

class SlipFormat;

// The file dialog's filter for import files.
extern const QString kImportFileFilter;

// Asks for the file to import and, for any file but a CSV file, its
// worksheet. The path is kept exactly as chosen. Answers an unset source when
// the operator cancels either dialog; a file whose sheets can't be listed has
// its reason shown.
ImportSource SelectImportFile(QWidget* parent);

// Opens the mapping dialog on the source: first its preview is read (off the
// window's thread, with the progress window); a file that can't be read, or
// is of another kind than CSV or workbook, has the reason told over the
// dialog, and so has a CSV file read otherwise than the operator may think
// (the preview's notice). Answers the request when the operator confirmed with OK a file that
// can be imported; nothing on Cancel, here or in the progress.
std::optional<ImportRequest> ShowInputMap(QWidget* parent, const SlipFormat& format, const ImportSource& source,
                                          const QString& lineBreakMarker);

// Runs the import off the window's thread with the progress window, then puts
// what it read into the batch at once. On failure the reason is shown; on the
// progress window's Cancel nothing is said; either way the batch keeps what
// it held. True when replaced. `made` is told of the records as the import
// makes them; `alongside` runs on the import's thread with what a successful
// import read, before it is handed over.
bool ImportBatch(BatchDataSet& batch, const ImportSource& source, const ImportRequest& request,
                 const QString& lineBreakMarker, const RecordsMade& made = {},
                 const std::function<void(const ImportResult&)>& alongside = {});

} // namespace slip
