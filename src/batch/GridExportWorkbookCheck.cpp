#include "batch/GridExportWorkbookCheck.h"

#include <QByteArray>
#include <QFile>
#include <cstring>
#include <zip.h>

namespace slip {

namespace {

const QByteArray kSheetPart = "xl/worksheets/sheet1.xml";
const QByteArray kRowEnd = "</row>";

bool Fail(QString* why, const QString& reason)
{
    if (why) *why = reason;
    return false;
}

// Collects what the check needs from a part's text while it is inflated:
// the root element's name from the start, the last bytes, and the number of
// row ends (counted across chunk borders).
struct PartScan {
    bool countRows = false;
    qint64 rowEnds = 0;
    QByteArray head;
    QByteArray tail;

    void Feed(const char* data, qsizetype n)
    {
        if (head.size() < 512) head.append(data, std::min<qsizetype>(n, 512 - head.size()));
        if (countRows) {
            // The previous tail's last bytes may hold the start of a row end.
            QByteArray window = tail.right(kRowEnd.size() - 1);
            window.append(data, std::min<qsizetype>(n, kRowEnd.size() - 1));
            rowEnds += window.count(kRowEnd);
            const char* p = data;
            const char* end = data + n;
            while ((p = static_cast<const char*>(memmem(p, size_t(end - p), kRowEnd.constData(), size_t(kRowEnd.size())))))
            {
                ++rowEnds;
                p += kRowEnd.size();
            }
        }
        tail.append(data, n);
        if (tail.size() > 256) tail = tail.right(256);
    }

    bool RootClosed() const
    {
        // The root is the first element that is not a declaration or a comment.
        qsizetype at = 0;
        while ((at = head.indexOf('<', at)) >= 0) {
            if (at + 1 < head.size() && head[at + 1] != '?' && head[at + 1] != '!') break;
            ++at;
        }
        if (at < 0) return false;
        qsizetype end = at + 1;
        while (end < head.size() && !strchr(" \t\r\n/>", head[end])) ++end;
        if (end >= head.size()) return false;
        const QByteArray name = head.mid(at + 1, end - at - 1);
        return tail.trimmed().endsWith("</" + name + ">");
    }
};

// Reads a part to its end, which makes libzip check its size and checksum.
bool ReadPart(zip_t* zip, zip_uint64_t index, zip_uint64_t size, PartScan& scan)
{
    zip_file_t* part = zip_fopen_index(zip, index, 0);
    if (!part) return false;
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    zip_uint64_t produced = 0;
    zip_int64_t got = 0;
    while ((got = zip_fread(part, buffer.data(), zip_uint64_t(buffer.size()))) > 0) {
        scan.Feed(buffer.constData(), got);
        produced += zip_uint64_t(got);
    }
    zip_fclose(part);
    return got == 0 && produced == size;
}

} // namespace

bool WorkbookFileIsComplete(const QString& path, qint64 sheetRows, QString* why)
{
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!zip) return Fail(why, QStringLiteral("no readable zip"));
    struct Closer {
        zip_t* z;
        ~Closer() { zip_discard(z); }
    } closer{zip};

    bool sawSheet = false;
    const zip_int64_t entries = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < entries; ++i) {
        zip_stat_t st;
        if (zip_stat_index(zip, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME) ||
            !(st.valid & ZIP_STAT_SIZE))
            return Fail(why, QStringLiteral("broken directory"));
        const QByteArray name(st.name);
        PartScan scan;
        scan.countRows = name == kSheetPart;
        if (!ReadPart(zip, zip_uint64_t(i), st.size, scan))
            return Fail(why, QStringLiteral("damaged part ") + QString::fromUtf8(name));
        if ((name.endsWith(".xml") || name.endsWith(".rels")) && !scan.RootClosed())
            return Fail(why, QStringLiteral("cut-off part ") + QString::fromUtf8(name));
        if (scan.countRows) {
            sawSheet = true;
            if (scan.rowEnds != sheetRows)
                return Fail(why, QStringLiteral("sheet holds %1 rows, not %2").arg(scan.rowEnds).arg(sheetRows));
        }
    }
    if (!sawSheet) return Fail(why, QStringLiteral("no worksheet"));
    return true;
}

} // namespace slip
