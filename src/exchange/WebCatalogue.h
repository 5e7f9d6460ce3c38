#pragma once
#include "core/ProgressReporter.h"
#include "exchange/Http.h"

#include <QDate>
#include <QString>
#include <QVector>
#include <chrono>

namespace slip {

// The template catalogue the vendor's server offers, kept in table 网站格式
// between runs. The window shows it, searches it, previews pictures and
// imports entries; this is the work behind it, without the window.

QString CatalogueServerPath();   // "/kvw/fmt.asp?key=进账单"
QString CatalogueMark();         // "Finished": a list without it is not taken

// One entry: a row of 网站格式 (id 0 for an entry not stored yet).
struct WebFormatRecord {
    qint64 id = 0;
    QString clas;    // category
    QString name;    // becomes the local format name
    QString fPath;   // exchange file on the server
    QString pPath;   // preview picture on the server; may be empty
    QDate date;      // last update; null when the list's text was no date
};

struct WebFormatList {
    bool recognised = false;   // false: nothing usable, the stored list stays
    QVector<WebFormatRecord> records;
    int skipped = 0;           // record lines left out
};

// The date of a list line: year, month and day separated by "-", "/" or "."
// (or 年 月 日), anything after the day (a time) ignored. Null otherwise.
QDate ParseCatalogueDate(const QString& text);

// Splits the accepted list text at "<br>" (lower case): every piece but the
// last is a record line, "Clas|Name|fPath|pPath|date" with exactly five
// fields, each trimmed of blanks and line breaks. Skipped: empty pieces, other
// field counts, an empty name, an fPath that is no server path (IsServerPath),
// a non-empty pPath that is none. An answer without a record line (no
// "<br>", whatever else it holds) is a catalogue without entries; a list whose
// every record line was skipped is not recognised: a broken page must not
// wipe the stored list.
WebFormatList ParseWebFormatList(const QString& text);

// Replaces every row of 网站格式 by `records` in one transaction: on any
// failure the old rows stay. *error receives a text for the operator.
bool ReplaceWebFormats(const QVector<WebFormatRecord>& records, QString* error = nullptr);

struct CatalogueRefresh {
    bool ok = false;
    QString error;     // the server-address error, NetworkErrorText() or a list error
    QString detail;
    int stored = 0;
    int skipped = 0;
};

// Fetches the list (HttpGetTextRetry with CatalogueMark()), parses it and,
// only when it parsed, replaces the table. Any failure leaves the table as it
// was.
CatalogueRefresh DownWebFmt(std::chrono::milliseconds timeout = std::chrono::seconds(60),
                            int attempts = 5);

// Every stored entry, by category and then name.
QVector<WebFormatRecord> LoadWebFmtList();

// The next entry of `rows` after `currentRow` whose name or category holds
// the keyword (case counts), wrapping round so the current row is tried last;
// -1 when none does or the keyword is empty.
int FindFmt(const QVector<WebFormatRecord>& rows, const QString& keyword, int currentRow);

// The last keyword, parameter "格式搜索".
QString LastSearchKeyword();
// False when it could not be stored; error (when given) then says why.
bool SaveSearchKeyword(const QString& keyword, QString* error = nullptr);

// --- Downloads into Temp ----------------------------------------------------

struct WebDownload {
    bool ok = false;
    QString path;     // the local file, inside DownloadFolder()
    QString error;
    bool fromCache = false;
    bool cancelled = false;  // the cancel check stopped it
};

// The local file of an entry's preview picture: the last "/" part of pPath,
// percent-decoded, refused when it is empty, "." or "..", or holds "/" or "\",
// otherwise made file-safe (FileSafeName). Empty when refused or when the
// entry has no picture.
QString PreviewPicturePath(const WebFormatRecord& entry);

// The preview picture, downloaded when it is not in Temp yet. A body that is
// no picture (JPEG, PNG, GIF, BMP) is not saved.
WebDownload DownloadPreviewPicture(const WebFormatRecord& entry, ProgressReporter& progress,
                                   std::chrono::milliseconds timeout = std::chrono::seconds(60),
                                   const CancelCheck& cancelled = {});

struct WebFormatDownload {
    bool ok = false;
    QString templatePath;   // the exchange file to import; empty unless ok
    QString picturePath;    // the picture beside it; empty when there is none
    QString error;
};

// The two local names of an entry: FileSafeName(name) + ".tvq" and + ".jpg"
// in Temp. Only the extension is added: a ".jpg" inside the name stays, so the
// import finds the picture beside the template. Empty when the name is empty
// or too long.
QString WebTemplatePath(const WebFormatRecord& entry);
QString WebPicturePath(const WebFormatRecord& entry);

// Downloads an entry's exchange file and picture into Temp for the import.
// ok only when a fresh exchange file (starting with its magic line) was
// written: a failed download never hands on a file, not even an older one of
// the same name; when the cancel check stopped it the error is
// OpenDownloadError of the template's path, as the import would find it. A
// picture that can't be had, cancelled or not, is no failure, but an older
// picture of the same name is removed so the import can't take it for this
// entry's.
WebFormatDownload DownloadWebFormat(const WebFormatRecord& entry, ProgressReporter& progress,
                                    std::chrono::milliseconds timeout = std::chrono::seconds(60),
                                    const CancelCheck& cancelled = {});

} // namespace slip
