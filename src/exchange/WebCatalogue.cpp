#include "exchange/WebCatalogue.h"

#include "exchange/EventWait.h"
#include "exchange/ExchangeCodec.h"
#include "exchange/LocalNames.h"
#include "exchange/Server.h"
#include "exchange/TextFile.h"
#include "storage/Database.h"
#include "storage/Params.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace slip {

namespace {

// The first line of every format exchange file.

const QString kSelectColumns = QStringLiteral("SELECT ID, Clas, Name, fPath, pPath, Dat FROM 网站格式");
const QString kOrder = QStringLiteral(" ORDER BY Clas, Name");

QVector<WebFormatRecord> RecordsOf(const Recordset& rs)
{
    QVector<WebFormatRecord> out;
    out.reserve(rs.RecordCount());
    for (int r = 0; r < rs.RecordCount(); ++r) {
        WebFormatRecord e;
        e.id = rs.value(r, QStringLiteral("ID")).toLongLong();
        e.clas = rs.text(r, QStringLiteral("Clas"));
        e.name = rs.text(r, QStringLiteral("Name"));
        e.fPath = rs.text(r, QStringLiteral("fPath"));
        e.pPath = rs.text(r, QStringLiteral("pPath"));
        const QVariant d = rs.value(r, QStringLiteral("Dat"));
        if (!d.isNull()) e.date = QDate::fromString(d.toString().left(10), Qt::ISODate);
        out << e;
    }
    return out;
}

bool Holds(const WebFormatRecord& e, const QString& keyword)
{
    return e.name.contains(keyword, Qt::CaseSensitive) || e.clas.contains(keyword, Qt::CaseSensitive);
}

bool LooksLikePicture(const QByteArray& b)
{
    return b.startsWith("\xFF\xD8\xFF") || b.startsWith("\x89PNG\r\n\x1A\n") ||
           b.startsWith("GIF87a") || b.startsWith("GIF89a") || b.startsWith("BM");
}

bool LooksLikeExchangeFile(const QByteArray& b)
{
    return DecodeText(b).startsWith(ExchangeMagicLine());
}

} // namespace

QString CatalogueServerPath() { return QStringLiteral("/kvw/fmt.asp?key=进账单"); }

QString CatalogueMark() { return QStringLiteral("Finished"); }

QDate ParseCatalogueDate(const QString& text)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*(\\d{4})\\s*[-/.年]\\s*(\\d{1,2})\\s*[-/.月]\\s*(\\d{1,2})(?!\\d)"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch()) return QDate();
    return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

WebFormatList ParseWebFormatList(const QString& text)
{
    WebFormatList list;
    QStringList pieces = text.split(QStringLiteral("<br>"), Qt::KeepEmptyParts, Qt::CaseSensitive);
    pieces.removeLast();   // what follows the last "<br>" is no record line
    for (const QString& piece : pieces) {
        if (piece.trimmed().isEmpty()) continue;
        QStringList fields = piece.split(QLatin1Char('|'));
        if (fields.size() != 5) {
            ++list.skipped;
            continue;
        }
        for (QString& f : fields) f = f.trimmed();
        WebFormatRecord e;
        e.clas = fields[0];
        e.name = fields[1];
        e.fPath = fields[2];
        e.pPath = fields[3];
        e.date = ParseCatalogueDate(fields[4]);
        if (e.name.isEmpty() || !IsServerPath(e.fPath) || (!e.pPath.isEmpty() && !IsServerPath(e.pPath))) {
            ++list.skipped;
            continue;
        }
        list.records << e;
    }
    // An answer without a record line (no "<br>" at all, or only empty
    // pieces) is the server saying it offers nothing: the catalogue empties.
    // Lines that were all refused are a broken page, which must not wipe the
    // stored list.
    list.recognised = !list.records.isEmpty() || list.skipped == 0;
    return list;
}

bool ReplaceWebFormats(const QVector<WebFormatRecord>& records, QString* error)
{
    const QString failed = QStringLiteral("格式列表无法保存，原有列表未改变！");
    DbConnection conn;
    if (!conn.isOpen() || !conn.begin()) {
        if (error) *error = failed;
        return false;
    }
    bool ok = ExecuteSql(QStringLiteral("DELETE FROM 网站格式"), {}, &conn);
    for (const WebFormatRecord& e : records) {
        if (!ok) break;
        const QVariant date = e.date.isValid() ? QVariant(e.date.toString(Qt::ISODate)) : QVariant();
        ok = ExecuteSql(QStringLiteral("INSERT INTO 网站格式(Clas, Name, fPath, pPath, Dat) VALUES(?, ?, ?, ?, ?)"),
                        {e.clas, e.name, e.fPath, e.pPath, date}, &conn);
    }
    ok = ok && conn.commit();
    if (!ok) {
        conn.rollback();
        if (error) *error = failed;
    }
    return ok;
}

CatalogueRefresh DownWebFmt(std::chrono::milliseconds timeout, int attempts)
{
    CatalogueRefresh result;
    const HttpTextResult page = HttpGetTextRetry(CatalogueServerPath(), CatalogueMark(), timeout, attempts);
    if (!page.ok) {
        result.error = page.error;
        result.detail = page.detail;
        return result;
    }
    // Parsed and stored on a thread of its own: a long list never holds the
    // windows still.
    return RunOffThread([&] {
        const WebFormatList list = ParseWebFormatList(page.text);
        result.skipped = list.skipped;
        if (!list.recognised) {
            result.error = QStringLiteral("服务器的格式列表无法识别，原有列表未改变！");
            return result;
        }
        if (!ReplaceWebFormats(list.records, &result.error)) return result;
        result.ok = true;
        result.stored = int(list.records.size());
        return result;
    });
}

QVector<WebFormatRecord> LoadWebFmtList()
{
    return RecordsOf(OpenRecordset(kSelectColumns + kOrder));
}

int FindFmt(const QVector<WebFormatRecord>& rows, const QString& keyword, int currentRow)
{
    const int n = int(rows.size());
    if (keyword.isEmpty() || n == 0) return -1;
    int r = currentRow + 1;
    for (int i = 0; i < n; ++i, ++r) {
        if (r >= n || r < 0) r = 0;
        if (Holds(rows[r], keyword)) return r;
    }
    return -1;
}

QString LastSearchKeyword() { return GetParam(QStringLiteral("格式搜索")); }

bool SaveSearchKeyword(const QString& keyword, QString* error)
{
    return SetParam(QStringLiteral("格式搜索"), keyword, error);
}

QString PreviewPicturePath(const WebFormatRecord& entry)
{
    if (entry.pPath.isEmpty() || !IsServerPath(entry.pPath)) return QString();
    const QString last = entry.pPath.section(QLatin1Char('/'), -1);
    const QString decoded = QUrl::fromPercentEncoding(last.toUtf8());
    if (decoded.isEmpty() || decoded == QLatin1String(".") || decoded == QLatin1String("..") ||
        decoded.contains(QLatin1Char('/')) || decoded.contains(QLatin1Char('\\')))
        return QString();
    return PathInside(DownloadFolder(), FileSafeName(decoded));
}

WebDownload DownloadPreviewPicture(const WebFormatRecord& entry, ProgressReporter& progress,
                                   std::chrono::milliseconds timeout, const CancelCheck& cancelled)
{
    WebDownload result;
    result.path = PreviewPicturePath(entry);
    if (result.path.isEmpty()) {
        result.error = entry.pPath.isEmpty() ? QStringLiteral("此格式暂无图片！")
                                             : QStringLiteral("图片路径“") + entry.pPath +
                                                   QStringLiteral("”无效！");
        return result;
    }
    if (QFileInfo(result.path).isFile()) {
        result.ok = true;
        result.fromCache = true;
        return result;
    }
    const HttpFileResult file =
        HttpDownloadFile(entry.pPath, result.path, timeout, progress, cancelled, LooksLikePicture);
    result.ok = file.ok;
    result.error = file.error;
    result.cancelled = file.cancelled;
    if (!file.ok) result.path.clear();
    return result;
}

QString WebTemplatePath(const WebFormatRecord& entry)
{
    return PathInside(DownloadFolder(), FileSafeName(entry.name) + QStringLiteral(".tvq"));
}

QString WebPicturePath(const WebFormatRecord& entry)
{
    return PathInside(DownloadFolder(), FileSafeName(entry.name) + QStringLiteral(".jpg"));
}

WebFormatDownload DownloadWebFormat(const WebFormatRecord& entry, ProgressReporter& progress,
                                    std::chrono::milliseconds timeout, const CancelCheck& cancelled)
{
    WebFormatDownload result;
    if (ServerAddress().isEmpty()) {
        result.error = NoServerAddressError();
        return result;
    }
    if (!IsServerPath(entry.fPath) || (!entry.pPath.isEmpty() && !IsServerPath(entry.pPath))) {
        result.error = QStringLiteral("格式“") + entry.name + QStringLiteral("”的下载路径无效！");
        return result;
    }
    if (DownloadFolder().isEmpty()) {
        result.error = QStringLiteral("下载文件夹Temp无法使用！");
        return result;
    }
    const QString templatePath = WebTemplatePath(entry);
    const QString picturePath = WebPicturePath(entry);
    if (entry.name.trimmed().isEmpty() || templatePath.isEmpty() || picturePath.isEmpty()) {
        result.error = QStringLiteral("格式名称“") + entry.name + QStringLiteral("”无法用作文件名！");
        return result;
    }

    const HttpFileResult file = HttpDownloadFile(entry.fPath, templatePath, timeout, progress, cancelled,
                                                 LooksLikeExchangeFile);
    if (!file.ok) {
        result.error = file.detail == QStringLiteral("内容无法识别")
                           ? QStringLiteral("下载的文件不是进账单格式文件！")
                           : QStringLiteral("格式“") + entry.name + QStringLiteral("”下载失败：") + file.error;
        if (file.error == NoServerAddressError()) result.error = file.error;
        if (file.cancelled) result.error = OpenDownloadError(templatePath);
        return result;
    }

    bool havePicture = false;
    if (!entry.pPath.isEmpty()) {
        const HttpFileResult picture =
            HttpDownloadFile(entry.pPath, picturePath, timeout, progress, cancelled, LooksLikePicture);
        havePicture = picture.ok;
    }
    if (!havePicture && (QFileInfo::exists(picturePath) || QFileInfo(picturePath).isSymLink()))
        QFile::remove(picturePath);

    result.ok = true;
    result.templatePath = templatePath;
    result.picturePath = havePicture ? picturePath : QString();
    return result;
}

} // namespace slip
