// Reading .xlsx workbooks: the zip package through libzip, its XML parts with
// QXmlStreamReader. Only what an import needs is read: the sheet list, the
// shared strings, the cell number formats (to tell dates) and one sheet's cells.
// A package is small and its parts large: every part is inflated as it is
// parsed, never whole, and the reading stops where what was asked for ends;
// shared strings are read only as far as the cells kept need them.
#include "batch/WorkbookReaders.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QIODevice>
#include <QSet>
#include <QXmlStreamReader>
#include <zip.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace slip::workbook {

namespace {

// A part that inflates past this is no sheet of slips but a damaged or hostile
// package; so is a large part that inflates more than kMaxRatio times.
constexpr zip_uint64_t kMaxPartBytes = 128ULL * 1024 * 1024;
constexpr zip_uint64_t kRatioCheckedFrom = 16ULL * 1024 * 1024;
constexpr zip_uint64_t kMaxRatio = 100;
// The package's small parts (relationships, workbook, styles).
constexpr zip_uint64_t kMaxSmallPartBytes = 16ULL * 1024 * 1024;
// More cells than any import can use: the read is refused rather than fill
// the memory.
constexpr qsizetype kMaxCellsKept = 2000000;
// Rows of a sheet; a row number past it is no row.
constexpr int kMaxSheetRow = 1048576;

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

// One part inflated as the XML reader asks for it. Reading past the limits,
// a failed inflation or a wrong CRC (checked at the end) make it damaged.
class PartDevice : public QIODevice {
public:
    // Opens the part; Found() is false when the package lacks it.
    PartDevice(zip_t* z, QString name, zip_uint64_t limit)
    {
        while (name.startsWith(QLatin1Char('/'))) name.remove(0, 1);
        const zip_int64_t index = zip_name_locate(z, name.toUtf8().constData(), ZIP_FL_NOCASE);
        if (index < 0) return;
        found_ = true;
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(z, zip_uint64_t(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)
            || !(st.valid & ZIP_STAT_COMP_SIZE) || st.size > limit
            || (st.size > kRatioCheckedFrom && st.size / std::max<zip_uint64_t>(1, st.comp_size) > kMaxRatio)) {
            damaged_ = true;
            return;
        }
        limit_ = std::min(limit, st.size);
        file_ = zip_fopen_index(z, zip_uint64_t(index), 0);
        if (!file_) damaged_ = true;
        else open(QIODevice::ReadOnly);
    }
    ~PartDevice() override
    {
        if (file_) zip_fclose(file_);
    }
    bool Found() const { return found_; }
    bool Damaged() const { return damaged_; }
    bool isSequential() const override { return true; }

    // The whole part, for the small ones.
    std::optional<QByteArray> ReadWhole()
    {
        if (!found_ || damaged_) return std::nullopt;
        QByteArray bytes = readAll();
        if (damaged_) return std::nullopt;
        return bytes;
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (!file_ || damaged_) return -1;
        const zip_int64_t n = zip_fread(file_, data, zip_uint64_t(maxSize));
        if (n < 0 || done_ + zip_uint64_t(n) > limit_) {
            damaged_ = true;
            return -1;
        }
        done_ += zip_uint64_t(n);
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    zip_file_t* file_ = nullptr;
    zip_uint64_t limit_ = 0;
    zip_uint64_t done_ = 0;
    bool found_ = false;
    bool damaged_ = false;
};

// The bytes of one small part; no value when the package lacks it. A part that
// is there but can't be read whole sets `damaged`.
std::optional<QByteArray> ReadPart(zip_t* z, const QString& name, bool& damaged)
{
    PartDevice part(z, name, kMaxSmallPartBytes);
    auto bytes = part.ReadWhole();
    if (part.Found() && !bytes) damaged = true;
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

// The shared strings of the given indexes, read only as far as the highest of
// them. No value on broken XML or when an index is missing.
std::optional<QHash<int, QString>> ReadSharedStrings(PartDevice& part, const QSet<int>& wanted)
{
    QHash<int, QString> strings;
    if (wanted.isEmpty()) return strings;
    const int last = *std::max_element(wanted.cbegin(), wanted.cend());
    QXmlStreamReader x(&part);
    int index = 0;
    while (!x.atEnd() && index <= last) {
        x.readNext();
        if (x.isStartElement() && x.name() == u"si") {
            if (wanted.contains(index)) strings.insert(index, ReadStringItem(x));
            else x.skipCurrentElement();
            ++index;
        }
    }
    if ((x.hasError() && index <= last) || part.Damaged() || strings.size() != wanted.size()) return std::nullopt;
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
        if (row > kMaxSheetRow) { row = 0; return; }
    }
}

struct SheetContext {
    const QVector<DateFormatUse>* styles;
    bool date1904;
};

QString CellText(QStringView type, const QString& value, const QString& inlineText, int style,
                 const SheetContext& ctx)
{
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

// A cell that names a shared string, resolved once the strings are read.
struct SharedCell {
    int row;
    int column;
    int index;
};

// Keeps the wanted cells of a worksheet part; cells naming a shared string
// are noted in `shared`. Stops after the last wanted row (rows come in order).
// False on broken XML, a damaged part, a shared string index that is no
// number, more cells than kMaxCellsKept, or a cancelled read.
bool ReadSheetCells(PartDevice& part, const SheetContext& ctx, const CellsWanted& wanted,
                    const ProgressReporter& progress, SheetCells& cells, QVector<SharedCell>& shared)
{
    QXmlStreamReader x(&part);
    bool damaged = false;
    int row = 0;
    int column = 0;
    int rowsRead = 0;
    qsizetype kept = 0;
    while (!x.atEnd() && !damaged) {
        x.readNext();
        if (!x.isStartElement()) continue;
        if (x.name() == u"row") {
            bool ok = false;
            const int r = x.attributes().value(QLatin1String("r")).toInt(&ok);
            row = ok && r > 0 ? r : row + 1;
            column = 0;
            if (row > kMaxSheetRow || (wanted.lastRow > 0 && row > wanted.lastRow)) break;
            if (++rowsRead % 1024 == 0 && progress.Cancelled()) return false;
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
            if (cellRow < 1 || cellRow > kMaxSheetRow || !wanted.Wants(cellRow, column)) continue;
            if (++kept > kMaxCellsKept) return false;
            if (type == u"s") {
                const int index = value.toInt(&ok);
                if (!ok || index < 0) damaged = true;
                else shared << SharedCell{cellRow, column, index};
            } else {
                cells.SetCell(cellRow, column, CellText(type, value, inlineText, style, ctx));
            }
        }
    }
    return !x.hasError() && !damaged && !part.Damaged();
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

SheetRead ReadXlsxSheet(const QString& path, const QString& sheet, const CellsWanted& wanted,
                        const ProgressReporter& progress)
{
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
    QVector<DateFormatUse> styles;
    if (!pkg->stylesPart.isEmpty()) {
        if (auto xml = ReadPart(zip->get(), pkg->stylesPart, damaged)) {
            auto parsed = ReadStyles(*xml);
            if (!parsed) damaged = true;
            else styles = std::move(*parsed);
        }
    }
    QVector<SharedCell> shared;
    if (!damaged) {
        PartDevice part(zip->get(), chosen->part, kMaxPartBytes);
        const SheetContext ctx{&styles, pkg->date1904};
        damaged = !part.Found() || !ReadSheetCells(part, ctx, wanted, progress, out.cells, shared);
    }
    if (!damaged && !shared.isEmpty()) {
        QSet<int> indexes;
        for (const SharedCell& c : shared) indexes.insert(c.index);
        PartDevice part(zip->get(), pkg->sharedStringsPart, kMaxPartBytes);
        const auto strings = pkg->sharedStringsPart.isEmpty() ? std::nullopt : ReadSharedStrings(part, indexes);
        if (!strings) damaged = true;
        else
            for (const SharedCell& c : shared) out.cells.SetCell(c.row, c.column, strings->value(c.index));
    }
    if (damaged) return {WorkbookDamagedError(), {}};
    return out;
}

} // namespace slip::workbook
