#pragma once
#include "storage/BoxRecord.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace slip {

// A format travels between installations as an exchange file: a text file
// ending in ".tvq" with every stored row of the format on one line, and the
// format's background picture as a JPEG of the same base name beside it.
//
//   line 1   the magic line "<Tamberlow格式专用>"
//   line 2   the category line: the name when it holds "进账单", else "进账单_" + name
//   line 3…  one line per row (boxes and the header record, in the order the
//            database gives them), 22 fields joined by "】★【", in the stored
//            field order (BoxRecordFields())
//
// Lines end in CR LF, the last one without. Numbers are plain decimal texts,
// flags "True"/"False", a null field is empty. A CR LF inside the caption
// (LBL) is written "‖‖‖", inside the memo (Mem) "♂♂"; there is no other
// escaping. This is the text alone: no database, no file.

QString ExchangeMagicLine();          // "<Tamberlow格式专用>"
QString ExchangeFieldSeparator();     // "】★【"
QString ExchangeFileFilter();         // "进账单格式(*.tvq)|*.tvq"

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

// One row of table Fmt as it travels: its 22 fields, and the optional 23rd
// (RCtl1), which only the reader knows.
struct ExchangeRow {
    BoxRecord fields;
    QVariant extra;   // field 23; null when the line had none
    int line = 0;     // the file line the row starts on (reading only)
};

struct ExchangeText {
    QString text;
    // Lines ("第3行“户名”") with a text that can't come back as it was: it
    // holds "】★【", or "‖‖‖"/"♂♂" (or a "‖"/"♂" beside a line break) where
    // they would turn into line breaks. The file is still written; the
    // operator is told which rows to check.
    QStringList unsafeRows;
};

// The exchange text of a format's rows, each written as it is held.
ExchangeText EncodeExchangeText(const QString& formatName, const QVector<ExchangeRow>& rows);

struct ExchangeContent {
    bool ok = false;
    QString error;             // for the operator when !ok
    QString categoryLine;
    QVector<ExchangeRow> rows; // in file order, the header record among them
};

// Reads a whole exchange text in time linear in its length. First the repair
// pass: from the last line up to the fourth, a line that is empty or has fewer
// than 21 fields is a piece of the line before it (a record broken by a CR LF
// inside a field) and is joined to it again with the CR LF restored; the
// first record line is never joined to the category line. A text without CR
// LF but with LF is read by LF lines.
//
// Refused with "无法识别此文件，请确认文件：“path”为进账单格式文件！": a first line
// other than the magic line, fewer than three lines. With "此格式不属于进账单，
// 无法导入！": a category line without "进账单". With "格式文件有错！": a line
// of fewer than 21 fields, a number field with a line break
// (a cut-off file joined to its last record), a number out of its field's
// range, a header record whose slip size is not positive, more boxes of one
// kind than a format may hold. Fields after the 23rd are ignored. A file
// without a header record is read too (the import stores one,
// FormatStore::MendHeaders).
ExchangeContent DecodeExchangeText(const QString& text, const QString& path);

} // namespace slip
