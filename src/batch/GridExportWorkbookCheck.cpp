#include "batch/GridExportWorkbookCheck.h"

#include <QByteArray>
#include <QFile>
#include <cstring>
#include <zlib.h>

namespace slip {

namespace {

constexpr quint32 kEndOfDirectory = 0x06054b50;
constexpr quint32 kDirectoryEntry = 0x02014b50;
constexpr quint32 kLocalHeader = 0x04034b50;
const QByteArray kSheetPart = "xl/worksheets/sheet1.xml";
const QByteArray kRowEnd = "</row>";

quint16 U16(const uchar* p) { return quint16(p[0] | (p[1] << 8)); }
quint32 U32(const uchar* p) { return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24); }

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

bool InflatePart(const uchar* data, quint32 compressedSize, int method, quint32 size, quint32 crc,
                 PartScan& scan)
{
    quint32 sum = crc32(0, nullptr, 0);
    qint64 produced = 0;
    if (method == 0) {
        if (compressedSize != size) return false;
        scan.Feed(reinterpret_cast<const char*>(data), size);
        sum = crc32(sum, data, size);
        produced = size;
    } else if (method == Z_DEFLATED) {
        z_stream s{};
        if (inflateInit2(&s, -MAX_WBITS) != Z_OK) return false;
        s.next_in = const_cast<uchar*>(data);
        s.avail_in = compressedSize;
        QByteArray buffer(256 * 1024, Qt::Uninitialized);
        int rc = Z_OK;
        while (rc == Z_OK) {
            s.next_out = reinterpret_cast<uchar*>(buffer.data());
            s.avail_out = uInt(buffer.size());
            rc = inflate(&s, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END) break;
            const uInt got = uInt(buffer.size()) - s.avail_out;
            sum = crc32(sum, reinterpret_cast<const uchar*>(buffer.constData()), got);
            scan.Feed(buffer.constData(), got);
            produced += got;
            if (rc == Z_OK && got == 0 && s.avail_in == 0) break;  // input ended early
        }
        inflateEnd(&s);
        if (rc != Z_STREAM_END) return false;
    } else {
        return false;
    }
    return produced == size && sum == crc;
}

} // namespace

bool WorkbookFileIsComplete(const QString& path, qint64 sheetRows, QString* why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Fail(why, QStringLiteral("unreadable"));
    const qint64 length = file.size();
    if (length < 22) return Fail(why, QStringLiteral("too short for a zip"));
    const uchar* zip = file.map(0, length);
    if (!zip) return Fail(why, QStringLiteral("cannot be mapped"));

    // The end record sits in the last 22 bytes plus a comment of up to 64 KiB.
    qint64 eocd = -1;
    for (qint64 at = length - 22; at >= 0 && at >= length - 22 - 65535; --at)
        if (U32(zip + at) == kEndOfDirectory) {
            eocd = at;
            break;
        }
    if (eocd < 0) return Fail(why, QStringLiteral("no zip directory"));
    const quint16 entries = U16(zip + eocd + 10);
    const quint32 dirSize = U32(zip + eocd + 12);
    const quint32 dirOffset = U32(zip + eocd + 16);
    if (quint64(dirOffset) + dirSize > quint64(eocd)) return Fail(why, QStringLiteral("directory out of bounds"));

    bool sawSheet = false;
    qint64 at = dirOffset;
    for (int i = 0; i < entries; ++i) {
        if (at + 46 > eocd || U32(zip + at) != kDirectoryEntry) return Fail(why, QStringLiteral("broken directory"));
        const uchar* e = zip + at;
        const int method = U16(e + 10);
        const quint32 crc = U32(e + 16);
        const quint32 compressed = U32(e + 20);
        const quint32 size = U32(e + 24);
        const quint16 nameLength = U16(e + 28);
        const quint16 extraLength = U16(e + 30);
        const quint16 commentLength = U16(e + 32);
        const quint32 local = U32(e + 42);
        if (at + 46 + nameLength > eocd) return Fail(why, QStringLiteral("broken directory"));
        const QByteArray name(reinterpret_cast<const char*>(e + 46), nameLength);
        at += 46 + nameLength + extraLength + commentLength;

        if (quint64(local) + 30 > quint64(length) || U32(zip + local) != kLocalHeader)
            return Fail(why, QStringLiteral("broken entry ") + QString::fromUtf8(name));
        const quint64 dataAt = quint64(local) + 30 + U16(zip + local + 26) + U16(zip + local + 28);
        if (dataAt + compressed > quint64(length))
            return Fail(why, QStringLiteral("entry out of bounds ") + QString::fromUtf8(name));

        PartScan scan;
        scan.countRows = name == kSheetPart;
        if (!InflatePart(zip + dataAt, compressed, method, size, crc, scan))
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
