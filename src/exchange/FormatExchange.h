#pragma once
#include "core/ProgressReporter.h"
#include "core/Prompter.h"
#include "core/Units.h"
#include "exchange/TextFile.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace slip {

// Export and import of a stored format through an exchange file
// (ExchangeCodec.h), with its background picture beside it.

struct ExportResult {
    bool ok = false;
    bool cancelled = false;   // the operator kept an existing file: nothing written
    QString path;             // the exchange file actually written
    QString picturePath;      // the picture written beside it; "" when none
    QString error;            // why nothing was exported
    QString pictureError;     // the file is written but the picture could not be
    QStringList unsafeRows;   // see ExchangeText
    // What to tell the operator after a successful export: "格式：“name”导出完成！".
    QString message;
    // After it, when not "": a file written at another path than chosen, a
    // picture problem, unsafe rows.
    QString warning;
};

// Writes the rows of the stored format `name`, as the database holds them and
// in its order, as an exchange file at ExchangeFilePath(chosenPath). When the
// file (or a picture of the same base name) is there already, asks
// "文件：“path”已经存在，是否覆盖？" (No writes nothing). When the picture there
// is, or would become, another format's (BackgroundStore::PictureOwners), the
// question names those formats ("格式“A”、“B”"). First the format's picture
// goes beside the file, or an old picture of the same base name is removed
// when the format has none (or its copy failed: told in the warning), so that
// an import never takes it for this format's, not even after a kill; a picture
// that can't be removed ends the export there. Then the text goes through
// WriteTextFileRetry, which may fall back to path + "1": `path` tells where it
// went.
ExportResult ExportFormatFile(const QString& name, const QString& chosenPath, Prompter& prompter,
                              const TextWriteRetry& retry = {});

struct ImportOptions {
    // The name to import as; "" takes ExchangeNameFromPath (or, for a file
    // named only ".tvq", the category line).
    QString formatName;
    // The picture to import with; unset takes the one beside the file
    // (ExchangePicturePath), "" imports none.
    std::optional<QString> picture;
    // The screen the format is stored for: a file without a header record
    // gets the one a new format saved on that screen has.
    int screenWidthTwips = units::kDefaultScreenWidthTwips;
    TextReadRetry read;
};

struct FormatImportResult {
    bool ok = false;
    bool cancelled = false;   // the operator gave no name: nothing imported
    QString name;             // the new format
    QString error;            // for the operator when neither ok nor cancelled
    QString note;             // after success: a picture left out
    bool openNow = false;     // the operator wants the new format opened
};

// Imports an exchange file as a new format: its rows as they are, with new
// record IDs and the references between them (RCtl, SumID, SumID1; sign and
// fraction kept) carried over to those IDs; a reference to a row that is not
// in the file is dropped, as it would name a record of some other format here.
// Field 23 goes to RCtl1. A file without a header record gives the format a
// new format's (FormatStore::MendHeaders). The file is read and decoded off
// the window's thread. When the name is taken or can't be a format's name,
// asks for another ("格式：“name”已存在，请另取格式名！", title "格式名输入"); an
// empty answer or Cancel imports nothing. When the picture file the new
// format's picture (or its having none) would replace or remove is another
// format's (BackgroundStore::PictureFiles, PictureOwners), asks first, as the
// export does: "图片“path”是格式“A”、“B”的底图，将被替换，是否继续？" (or
// "将被删除"); No imports nothing. The picture is put in place first
// and the rows after it in one transaction, so no format from a file with a
// picture ever exists without it, not even after a kill; when the picture
// can't be put in place nothing is stored, and when the rows can't, the
// picture goes again: a failed import leaves the database as it was.
// Finally asks "格式“name”导入成功,立即调用此格式？".
FormatImportResult ImportFormatFile(const QString& path, Prompter& prompter, ProgressReporter& progress,
                                    const ImportOptions& options = {});

} // namespace slip
