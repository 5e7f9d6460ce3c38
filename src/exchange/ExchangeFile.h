#pragma once
#include "core/ProgressReporter.h"
#include "core/Prompter.h"
#include "core/Units.h"
#include "exchange/TextFile.h"
#include "model/Box.h"
#include "model/FormatHeader.h"
#include "storage/BoxRecord.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace slip {

// A format travels between installations as an exchange file: a text file
// ending in ".tvq" with every record of the format on one line, and the
// format's background picture as a JPEG of the same base name beside it.
//
//   line 1   the magic line "<Tamberlow格式专用>"
//   line 2   the category line: the name when it holds "进账单", else "进账单_" + name
//   line 3…  one line per record (boxes, then the header record), 22 fields
//            joined by "】★【", in the stored field order (BoxRecordFields())
//
// Lines end in CR LF, the last one without. Numbers are plain decimal texts,
// the four font flags "True"/"False", a null field is empty. A CR LF inside the
// caption (LBL) is written "‖‖‖", inside the fixed text (Mem) "♂♂"; there is no
// other escaping. The text is GBK (GB18030 when a character has no GBK code);
// a reader also takes UTF-8, with or without a byte-order mark.
//
// The records are encoded by the same codec as the database's (EncodeBox,
// DecodeBox): a box read from an exchange file is the box that was exported.

QString ExchangeMagicLine();          // "<Tamberlow格式专用>"
QString ExchangeFieldSeparator();     // "】★【"
QString ExchangeLabelBreak();         // "‖‖‖"
QString ExchangeMemoBreak();          // "♂♂"
QString ExchangeFileFilter();         // "模板交换文件(*.tvq)|*.tvq"

// "工行进账单" stays; "工行" becomes "进账单_工行".
QString ExchangeCategoryLine(const QString& formatName);

// The path as the export writes it: ".tvq" is added unless the path already
// ends in it (any case). "D:/a.TVQ" stays, "D:/a.txt" becomes "D:/a.txt.tvq".
QString ExchangeFilePath(const QString& chosenPath);

// The picture that belongs to an exchange file: the file's base name (its name
// without the last extension) with ".jpg", in the same folder.
QString ExchangePicturePath(const QString& exchangePath);

// The format name an exchange file imports as: the file's own name without its
// last extension. Only the file name counts (a folder "a.b" cuts nothing), and
// dots inside the name stay: "工行.v2.tvq" gives "工行.v2". "" for ".tvq".
QString ExchangeNameFromPath(const QString& exchangePath);

// How a box is named to the operator: "文本框3“户名”" (kind, its number within
// the kind, the caption when it has one).
QString DescribeBox(const Box& box, int numberInKind);

// --- Writing -------------------------------------------------------------

// One record as its 22 exchange fields.
QStringList ExchangeFields(const BoxRecord& record);
// The record of a format's header: the header label, size, print offsets,
// the screen width its font sizes belong to and the option list.
BoxRecord HeaderRecord(const FormatHeader& header, int screenWidthTwips);

struct ExchangeText {
    QString text;
    // Boxes (and "单据整体格式参数" for the header) with a text that can't come
    // back as it was: it holds "】★【", or "‖‖‖"/"♂♂" (or a "‖"/"♂" right beside
    // a line break) where they would turn into line breaks. The file is still
    // written; the operator is told which boxes to check.
    QStringList unsafeBoxes;
};

// The whole exchange text of a format: boxes in the order given (references
// as they are), then the header record.
ExchangeText BuildExchangeText(const QString& formatName, const FormatHeader& header,
                               const std::vector<Box>& boxes, int screenWidthTwips);

// --- Reading -------------------------------------------------------------

// The record lines of an exchange text (from line 3 on) after the repair pass:
// from the last line up to the fourth, a line that is empty or has fewer than
// 21 fields is a piece of the line before it (a record broken by a CR LF inside
// a field) and is joined to it again with the CR LF restored. The first record
// line is never joined to the category line. A text with no CR LF at all but
// with LF is read by LF lines (a file passed through a Unix editor).
QStringList ExchangeLines(const QString& text);
QStringList ExchangeRecordLines(const QStringList& lines);

// The record of one line's fields (21 to 23 of them). Numbers are read from the
// start of the field (Val), an empty field is null, a flag is set exactly when
// the field reads "true" in any case. False with a broken line: fewer than 21
// or more than 23 fields, or a number field with a line break inside it (what a
// truncated file joined to its last whole record looks like).
bool ExchangeRecord(const QStringList& fields, BoxRecord& out);

struct ExchangeContent {
    bool ok = false;
    QString error;             // for the operator when !ok
    QString categoryLine;
    FormatHeader header;       // name left empty
    // The screen width the file's font sizes belong to (the header's Color);
    // null when the header has none.
    QVariant screenWidth;
    // The boxes with the file's IDs; a line whose ID is missing, not a
    // positive whole number or already taken gets a temporary (negative) ID,
    // so references find the first line of an ID, as they always did.
    std::vector<Box> boxes;
    int skipped = 0;           // records of no known kind, left out
};

// Reads a whole exchange text. Refused ("无法识别此文件，请确认文件：“path”为进账单格式文件！"):
// a first line other than the magic line, fewer than three lines. Refused
// ("此格式不属于进账单，无法导入！"): a category line without "进账单". Refused
// ("格式文件有错！"): a broken record line, no header record, a slip size that
// is not positive, more boxes of one kind than a format may hold.
ExchangeContent ReadExchangeText(const QString& text, const QString& path);

// --- Export and import ---------------------------------------------------

struct ExportResult {
    bool ok = false;
    bool cancelled = false;   // the operator kept an existing file: nothing written
    QString path;             // the exchange file actually written
    QString picturePath;      // the picture written beside it; "" when none
    QString error;            // why nothing was exported
    QString pictureError;     // the file is written but the picture could not be
    QStringList unsafeBoxes;  // see ExchangeText
    // What to tell the operator after a successful export: "格式：“name”导出完成！",
    // the path written, and any picture problem or unsafe boxes.
    QString message;
};

// Writes the stored format `name` as an exchange file at ExchangeFilePath(chosenPath),
// with its picture beside it. When the file (or a picture of the same base
// name) is there already, asks "文件：“path”已经存在，是否覆盖？" (No writes
// nothing). The text is written with WriteTextFileRetry, which may fall back
// to path + "1": `path` tells where it went. Beside it the format's picture is
// written (through a temporary file), or an old picture of the same base name
// is removed when the format has none, so that an import never takes it for
// this format's. Fonts are written for the stored screen width, or for
// screenWidthTwips when the format has none.
ExportResult ExportFormatFile(const QString& name, const QString& chosenPath, Prompter& prompter,
                              int screenWidthTwips, const TextWriteRetry& retry = {});

struct ImportOptions {
    int screenWidthTwips = units::kDefaultScreenWidthTwips;   // the screen the fonts are shown on here
    // The name to import as; "" takes ExchangeNameFromPath (or, for a file
    // named only ".tvq", the category line).
    QString formatName;
    TextReadRetry read;
};

struct FormatImportResult {
    bool ok = false;
    bool cancelled = false;   // the operator gave no name: nothing imported
    QString name;             // the new format
    QString error;            // for the operator when neither ok nor cancelled
    QString note;             // after success: skipped records, a picture left out
    bool openNow = false;     // the operator wants the new format opened
};

// Imports an exchange file as a new format: new record IDs, references between
// its boxes carried over to them (a negated or multiplied sum keeps its sign and
// tenth; a reference to a box that is not in the file is dropped, as it would
// name a record of some other format here), the picture beside the file as the
// format's background picture. When the name is taken or can't be a format's
// name, asks for another ("格式：“name”已存在，请另取格式名！", title "格式名输入");
// an empty answer or Cancel imports nothing. The records go in with one
// transaction and the picture after them; when the picture can't be put in
// place the records are taken out again, so a failed import leaves the library
// as it was. Finally asks "格式“name”导入成功,立即调用此格式？".
FormatImportResult ImportFormatFile(const QString& path, Prompter& prompter, ProgressReporter& progress,
                              const ImportOptions& options = {});

} // namespace slip
