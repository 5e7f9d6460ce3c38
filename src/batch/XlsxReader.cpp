// Reading .xlsx workbooks: the zip package through libzip, its XML parts with
// QXmlStreamReader. Only what an import needs is read: the sheet list, the
// shared strings, the cell number formats (to tell dates) and one sheet's cells.
#include "batch/WorkbookReaders.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QXmlStreamReader>
#include <zip.h>

#include <memory>
#include <optional>

namespace slip::workbook {

namespace {

// A part larger than this is no sheet of slips but a damaged or hostile package.
constexpr zip_uint64_t kMaxPartBytes = 512ULL * 1024 * 1024;

const QString kRelNs = QStringLiteral(
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships");

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;

std::optional<ZipPtr> OpenPackage(const QString& path, QString& error)
{
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!z) {
        error = (code == ZIP_ER_OPEN || code == ZIP_ER_READ || code == ZIP_ER_NOENT || code == ZIP_ER_MEMORY)
                    ? WorkbookOpenError()
                    : WorkbookDamagedError();
        return std::nullopt;
    }
    return ZipPtr(z);
}

// The bytes of one part; no value when the package lacks it. A part that is
// there but can't be read whole sets `damaged`.
std::optional<QByteArray> ReadPart(zip_t* z, QString name, bool& damaged)
{
    while (name.startsWith(QLatin1Char('/'))) name.remove(0, 1);
    const zip_int64_t index = zip_name_locate(z, name.toUtf8().constData(), ZIP_FL_NOCASE);
    if (index < 0) return std::nullopt;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(z, zip_uint64_t(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)
        || st.size > kMaxPartBytes) {
        damaged = true;
        return std::nullopt;
    }
    zip_file_t* f = zip_fopen_index(z, zip_uint64_t(index), 0);
    if (!f) {
        damaged = true;
        return std::nullopt;
    }
    QByteArray bytes;
    bytes.resize(qsizetype(st.size));
    zip_uint64_t done = 0;
    while (done < st.size) {
        const zip_int64_t n = zip_fread(f, bytes.data() + done, st.size - done);
        if (n <= 0) break;
        done += zip_uint64_t(n);
    }
    // Reading on to the end is what makes libzip check the CRC.
    char probe;
    const bool clean = done == st.size && zip_fread(f, &probe, 1) == 0;
    zip_fclose(f);
    if (!clean) {
        damaged = true;
        return std::nullopt;
    }
    return bytes;
}

// A relationship target as a part name: relative to the folder of the part
// whose relationships name it, or absolute from the package root.
QString ResolveTarget(const QString& sourcePart, const QString& target)
{
    if (target.startsWith(QLatin1Char('/'))) return QDir::cleanPath(target).mid(1);
    const qsizetype slash = sourcePart.lastIndexOf(QLatin1Char('/'));
    const QString base = slash < 0 ? QString() : sourcePart.left(slash + 1);
    QString p = QDir::cleanPath(QStringLiteral("/") + base + target);
    return p.mid(1);
}

QString RelsPartOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

struct Relationship {
    QString type;
    QString target;  // resolved part name
};

// Relationships of a part, by Id. No value on broken XML.
std::optional<QHash<QString, Relationship>> ReadRelationships(const QByteArray& xml, const QString& sourcePart)
{
    QHash<QString, Relationship> rels;
    QXmlStreamReader x(xml);
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == u"Relationship") {
            const auto a = x.attributes();
            if (a.value(QLatin1String("TargetMode")) != u"External")
                rels.insert(a.value(QLatin1String("Id")).toString(),
                            {a.value(QLatin1String("Type")).toString(), ResolveTarget(sourcePart, a.value(QLatin1String("Target")).toString())});
        }
    }
    if (x.hasError()) return std::nullopt;
    return rels;
}

bool TypeIs(const QString& type, QStringView last)
{
    return type.endsWith(QLatin1Char('/') + last.toString());
}

// Text in OOXML may carry characters XML can't hold as _xHHHH_.
QString DecodeEscapes(QString s)
{
    qsizetype i = s.indexOf(QStringLiteral("_x"));
    if (i < 0) return s;
    QString out;
    out.reserve(s.size());
    qsizetype from = 0;
    while (i >= 0) {
        bool ok = false;
        const ushort code = i + 7 <= s.size() && s[i + 6] == u'_' ? s.mid(i + 2, 4).toUShort(&ok, 16) : 0;
        if (ok) {
            out += QStringView(s).mid(from, i - from);
            out += QChar(code);
            from = i + 7;
            i = s.indexOf(QStringLiteral("_x"), from);
        } else {
            i = s.indexOf(QStringLiteral("_x"), i + 1);
        }
    }
    out += QStringView(s).mid(from);
    return out;
}

// The text of a string item (<si> or <is>): its runs joined, phonetic hints
// (<rPh>) left out. The reader stands on the item's start element.
QString ReadStringItem(QXmlStreamReader& x)
{
    QString text;
    const QString end = x.name().toString();
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement()) {
            if (x.name() == u"rPh") x.skipCurrentElement();
            else if (x.name() == u"t") text += x.readElementText();
        } else if (x.isEndElement() && x.name() == end) {
            break;
        }
    }
    return DecodeEscapes(text);
}

struct Package {
    struct Sheet {
        QString name;
        QString part;
        bool worksheet = false;
    };
    QVector<Sheet> sheets;
    bool date1904 = false;
    QString sharedStringsPart;
    QString stylesPart;
};

// The workbook part and what it names. Sets error on failure.
std::optional<Package> ReadPackage(zip_t* z, QString& error)
{
    bool damaged = false;
    QString workbookPart = QStringLiteral("xl/workbook.xml");
    if (auto rootRels = ReadPart(z, QStringLiteral("_rels/.rels"), damaged)) {
        auto rels = ReadRelationships(*rootRels, QString());
        if (!rels) {
            error = WorkbookDamagedError();
            return std::nullopt;
        }
        for (const Relationship& r : *rels)
            if (TypeIs(r.type, u"officeDocument")) workbookPart = r.target;
    }
    const auto workbookXml = ReadPart(z, workbookPart, damaged);
    if (!workbookXml) {
        error = damaged ? WorkbookDamagedError() : WorkbookTypeError();
        return std::nullopt;
    }
    QHash<QString, Relationship> rels;
    if (auto relsXml = ReadPart(z, RelsPartOf(workbookPart), damaged)) {
        auto parsed = ReadRelationships(*relsXml, workbookPart);
        if (!parsed) {
            error = WorkbookDamagedError();
            return std::nullopt;
        }
        rels = *parsed;
    }
    if (damaged) {
        error = WorkbookDamagedError();
        return std::nullopt;
    }

    Package pkg;
    for (const Relationship& r : rels) {
        if (TypeIs(r.type, u"sharedStrings")) pkg.sharedStringsPart = r.target;
        else if (TypeIs(r.type, u"styles")) pkg.stylesPart = r.target;
    }
    QXmlStreamReader x(*workbookXml);
    while (!x.atEnd()) {
        x.readNext();
        if (!x.isStartElement()) continue;
        const auto a = x.attributes();
        if (x.name() == u"workbookPr") {
            const auto v = a.value(QLatin1String("date1904"));
            pkg.date1904 = v == u"1" || v == u"true";
        } else if (x.name() == u"sheet") {
            Package::Sheet s;
            s.name = a.value(QLatin1String("name")).toString();
            QString id = a.value(kRelNs, QLatin1String("id")).toString();
            if (id.isEmpty()) id = a.value(QLatin1String("r:id")).toString();
            const auto it = rels.constFind(id);
            if (it != rels.constEnd()) {
                s.part = it->target;
                s.worksheet = TypeIs(it->type, u"worksheet");
            }
            pkg.sheets << s;
        }
    }
    if (x.hasError()) {
        error = WorkbookDamagedError();
        return std::nullopt;
    }
    return pkg;
}

// Per cell style (index of <cellXfs>), whether its number format is a date.
std::optional<QVector<DateFormatUse>> ReadStyles(const QByteArray& xml)
{
    QHash<int, QString> codes;
    QVector<int> xfFormats;
    QXmlStreamReader x(xml);
    bool inCellXfs = false;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement()) {
            const auto a = x.attributes();
            if (x.name() == u"numFmt") codes.insert(a.value(QLatin1String("numFmtId")).toInt(), a.value(QLatin1String("formatCode")).toString());
            else if (x.name() == u"cellXfs") inCellXfs = true;
            else if (x.name() == u"xf" && inCellXfs) xfFormats << a.value(QLatin1String("numFmtId")).toInt();
        } else if (x.isEndElement() && x.name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
    if (x.hasError()) return std::nullopt;
    QVector<DateFormatUse> uses;
    uses.reserve(xfFormats.size());
    for (int id : xfFormats) uses << DateFormatOf(id, codes.value(id));
    return uses;
}

std::optional<QStringList> ReadSharedStrings(const QByteArray& xml)
{
    QStringList strings;
    QXmlStreamReader x(xml);
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == u"si") strings << ReadStringItem(x);
    }
    if (x.hasError()) return std::nullopt;
    return strings;
}

// Column and row of a reference such as "AB12"; 0 for a part that is missing.
void ParseCellRef(QStringView ref, int& column, int& row)
{
    column = 0;
    row = 0;
    qsizetype i = 0;
    for (; i < ref.size(); ++i) {
        const char16_t c = ref[i].unicode();
        if (c >= u'A' && c <= u'Z') column = column * 26 + (c - u'A' + 1);
        else if (c >= u'a' && c <= u'z') column = column * 26 + (c - u'a' + 1);
        else break;
        if (column > 16384) { column = 0; return; }
    }
    for (; i < ref.size(); ++i) {
        const char16_t c = ref[i].unicode();
        if (c < u'0' || c > u'9') { row = 0; return; }
        row = row * 10 + (c - u'0');
        if (row > 1048576) { row = 0; return; }
    }
}

struct SheetContext {
    const QStringList* shared;
    const QVector<DateFormatUse>* styles;
    bool date1904;
};

QString CellText(QStringView type, const QString& value, const QString& inlineText, int style,
                 const SheetContext& ctx, bool& damaged)
{
    if (type == u"s") {
        bool ok = false;
        const int i = value.toInt(&ok);
        if (!ok || i < 0 || i >= ctx.shared->size()) {
            damaged = true;
            return QString();
        }
        return ctx.shared->at(i);
    }
    if (type == u"inlineStr") return inlineText;
    if (type == u"str" || type == u"e") return DecodeEscapes(value);
    if (type == u"b") return value.trimmed() == u"1" || value.trimmed() == u"true" ? QStringLiteral("TRUE")
                                                                                    : QStringLiteral("FALSE");
    if (type == u"d") {  // an ISO 8601 date stored as such
        const QString v = value.trimmed();
        const qsizetype t = v.indexOf(QLatin1Char('T'));
        if (t < 0) return v;
        const QString time = v.mid(t + 1).left(8);
        return time == u"00:00:00" ? v.left(t) : v.left(t) + QLatin1Char(' ') + time;
    }
    if (value.isEmpty()) return QString();
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok) return value;
    if (style >= 0 && style < ctx.styles->size()) {
        const DateFormatUse use = ctx.styles->at(style);
        if (use.any()) return SerialDateText(d, ctx.date1904, use.date, use.time);
    }
    return SheetNumberText(d);
}

// Fills cells from a worksheet part, rows 1..lastRow and columns 1..lastColumn
// (0: all). False on broken XML or a cell that names a missing shared string.
bool ReadSheetCells(const QByteArray& xml, const SheetContext& ctx, int lastRow, int lastColumn,
                    SheetCells& cells)
{
    QXmlStreamReader x(xml);
    bool damaged = false;
    int row = 0;
    int column = 0;
    while (!x.atEnd() && !damaged) {
        x.readNext();
        if (!x.isStartElement()) continue;
        if (x.name() == u"row") {
            bool ok = false;
            const int r = x.attributes().value(QLatin1String("r")).toInt(&ok);
            row = ok && r > 0 ? r : row + 1;
            column = 0;
            if (lastRow > 0 && row > lastRow) break;  // rows come in order
        } else if (x.name() == u"c") {
            const auto a = x.attributes();
            int refColumn = 0, refRow = 0;
            ParseCellRef(a.value(QLatin1String("r")), refColumn, refRow);
            column = refColumn > 0 ? refColumn : column + 1;
            const int cellRow = refRow > 0 ? refRow : row;
            const QString type = a.value(QLatin1String("t")).toString();
            bool ok = false;
            int style = a.value(QLatin1String("s")).toInt(&ok);
            if (!ok) style = 0;
            QString value, inlineText;
            while (!x.atEnd()) {
                x.readNext();
                if (x.isStartElement()) {
                    if (x.name() == u"v") value = x.readElementText();
                    else if (x.name() == u"is") inlineText = ReadStringItem(x);
                    else x.skipCurrentElement();
                } else if (x.isEndElement() && x.name() == u"c") {
                    break;
                }
            }
            if (lastColumn > 0 && column > lastColumn) continue;
            if (lastRow > 0 && cellRow > lastRow) continue;
            cells.SetCell(cellRow, column, CellText(type, value, inlineText, style, ctx, damaged));
        }
    }
    return !x.hasError() && !damaged;
}

} // namespace

SheetNames ListXlsxSheets(const QString& path)
{
    SheetNames out;
    auto zip = OpenPackage(path, out.error);
    if (!zip) return out;
    auto pkg = ReadPackage(zip->get(), out.error);
    if (!pkg) return out;
    for (const Package::Sheet& s : pkg->sheets)
        if (s.worksheet) out.names << s.name;
    return out;
}

SheetRead ReadXlsxSheet(const QString& path, const QString& sheet, int lastRow, int lastColumn,
                        const ProgressReporter& progress)
{
    (void)progress;
    SheetRead out;
    auto zip = OpenPackage(path, out.error);
    if (!zip) return out;
    auto pkg = ReadPackage(zip->get(), out.error);
    if (!pkg) return out;
    const Package::Sheet* chosen = nullptr;
    for (const Package::Sheet& s : pkg->sheets)
        if (s.worksheet && s.name == sheet) chosen = &s;
    if (!chosen) {
        out.error = SheetNameError();
        return out;
    }
    bool damaged = false;
    QStringList shared;
    if (!pkg->sharedStringsPart.isEmpty()) {
        if (auto xml = ReadPart(zip->get(), pkg->sharedStringsPart, damaged)) {
            auto parsed = ReadSharedStrings(*xml);
            if (!parsed) damaged = true;
            else shared = std::move(*parsed);
        }
    }
    QVector<DateFormatUse> styles;
    if (!pkg->stylesPart.isEmpty()) {
        if (auto xml = ReadPart(zip->get(), pkg->stylesPart, damaged)) {
            auto parsed = ReadStyles(*xml);
            if (!parsed) damaged = true;
            else styles = std::move(*parsed);
        }
    }
    const auto sheetXml = ReadPart(zip->get(), chosen->part, damaged);
    if (damaged || !sheetXml) {
        out.error = WorkbookDamagedError();
        return out;
    }
    const SheetContext ctx{&shared, &styles, pkg->date1904};
    if (!ReadSheetCells(*sheetXml, ctx, lastRow, lastColumn, out.cells)) {
        out.error = WorkbookDamagedError();
        out.cells = SheetCells();
    }
    return out;
}

} // namespace slip::workbook
