#pragma once
#include "batch/BatchDataSet.h"
#include "workspace/ImportMapDialog.h"

#include <optional>

class QWidget;

namespace slip {

class SlipFormat;

// The file dialog's filter for import files.
extern const QString kImportFileFilter;

// Asks for the file to import and, for a workbook, its worksheet. The path is
// kept exactly as chosen. Answers an unset source when the operator cancels
// either dialog or picks a file of another kind (then told so); a workbook
// that can't be read has its reason shown.
ImportSource SelectImportFile(QWidget* parent);

// Opens the mapping dialog on the source: first its preview is read (off the
// window's thread, with the progress window), and a file that can't be read
// is refused with the reason and no dialog. Answers the request when the
// operator confirmed with OK; nothing on Cancel, here or in the progress.
std::optional<ImportRequest> ShowInputMap(QWidget* parent, const SlipFormat& format, const ImportSource& source,
                                          const QString& lineBreakMarker);

// Runs the import off the window's thread with the progress window, then puts
// what it read into the batch at once. On failure the reason is shown; on the
// progress window's Cancel nothing is said; either way the batch keeps what
// it held. True when replaced.
bool ImportBatch(BatchDataSet& batch, const ImportSource& source, const ImportRequest& request,
                 const QString& lineBreakMarker);

} // namespace slip
