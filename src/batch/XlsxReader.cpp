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
#include <expat.h>
#include <zip.h>

#include <algorithm>
#include <cstring>
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

// Column and row of a reference such as "AB12" in UTF-8.
void ParseCellRef(const char* ref, int& column, int& row)
{
    ParseCellRef(QString::fromLatin1(ref).left(16), column, row);
}

// An expat parser over one part: the derived class gets OnStart and OnEnd with
// local element names, and character data goes to the buffer `collect_`
// points at. The large parts are read with expat, which parses them several
// times faster than the stream reader.
template <typename Derived> class ExpatParser {
public:
    ExpatParser() : parser_(XML_ParserCreateNS(nullptr, '|'))
    {
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &ExpatParser::Start, &ExpatParser::End);
        XML_SetCharacterDataHandler(parser_, &ExpatParser::Text);
    }
    ~ExpatParser() { XML_ParserFree(parser_); }
    ExpatParser(const ExpatParser&) = delete;
    ExpatParser& operator=(const ExpatParser&) = delete;

protected:
    // Feeds the part through; false on broken XML, a damaged part or a stop
    // that failed the reading.
    bool Parse(PartDevice& part)
    {
        if (!parser_) return false;
        constexpr int kChunk = 256 * 1024;
        for (;;) {
            void* buffer = XML_GetBuffer(parser_, kChunk);
            if (!buffer) return false;
            const qint64 n = part.read(static_cast<char*>(buffer), kChunk);
            if (n < 0 || part.Damaged()) return false;
            if (XML_ParseBuffer(parser_, int(n), n == 0) != XML_STATUS_OK) return done_ && !failed_;
            if (n == 0) return true;
        }
    }
    // Ends the parsing here: what was read is all that is wanted, or (failed)
    // the reading is refused.
    void Stop(bool failed)
    {
        done_ = true;
        failed_ = failed;
        XML_StopParser(parser_, XML_FALSE);
    }
    static const char* Attribute(const XML_Char** atts, const char* name)
    {
        for (; *atts; atts += 2)
            if (Local(atts[0]) == QLatin1StringView(name)) return atts[1];
        return nullptr;
    }
    QByteArray* collect_ = nullptr;

private:
    static QLatin1StringView Local(const XML_Char* name)
    {
        const char* bar = std::strrchr(name, '|');
        return QLatin1StringView(bar ? bar + 1 : name);
    }
    static void Start(void* self, const XML_Char* name, const XML_Char** atts)
    {
        static_cast<Derived*>(static_cast<ExpatParser*>(self))->OnStart(Local(name), atts);
    }
    static void End(void* self, const XML_Char* name)
    {
        static_cast<Derived*>(static_cast<ExpatParser*>(self))->OnEnd(Local(name));
    }
    static void Text(void* self, const XML_Char* s, int len)
    {
        auto* p = static_cast<ExpatParser*>(self);
        if (p->collect_) p->collect_->append(s, len);
    }

    XML_Parser parser_;
    bool done_ = false;
    bool failed_ = false;
};

// Keeps the wanted cells of a worksheet part; cells naming a shared string
// are noted in `shared`. The sheet is by far the largest part, so it is read
// with expat, which parses it several times faster than the stream reader.
// Stops after the last wanted row (rows come in order).
class SheetParser : public ExpatParser<SheetParser> {
public:
    SheetParser(const SheetContext& ctx, const CellsWanted& wanted, SheetCells& cells, QVector<SharedCell>& shared)
        : ctx_(ctx), wanted_(wanted), cells_(cells), shared_(shared)
    {
    }

    // False on broken XML, a damaged part, a shared string index that is no
    // number or more cells than kMaxCellsKept.
    bool Read(PartDevice& part) { return Parse(part); }

    void OnStart(QLatin1StringView name, const XML_Char** atts)
    {
        if (inCell_) {
            if (name == QLatin1StringView("v")) collect_ = &value_;
            else if (name == QLatin1StringView("is")) inInline_ = true;
            else if (name == QLatin1StringView("rPh")) ++phonetic_;
            else if (name == QLatin1StringView("t") && inInline_ && phonetic_ == 0) collect_ = &inline_;
            return;
        }
        if (name == QLatin1StringView("row")) {
            const char* r = Attribute(atts, "r");
            bool ok = false;
            const int n = r ? QByteArray(r).toInt(&ok) : 0;
            row_ = ok && n > 0 ? n : row_ + 1;
            column_ = 0;
            if (row_ > kMaxSheetRow || (wanted_.lastRow > 0 && row_ > wanted_.lastRow)) return Stop(false);
        } else if (name == QLatin1StringView("c")) {
            int refColumn = 0, refRow = 0;
            if (const char* r = Attribute(atts, "r")) ParseCellRef(r, refColumn, refRow);
            column_ = refColumn > 0 ? refColumn : column_ + 1;
            cellRow_ = refRow > 0 ? refRow : row_;
            const char* t = Attribute(atts, "t");
            type_ = t ? QString::fromUtf8(t) : QString();
            bool ok = false;
            const char* st = Attribute(atts, "s");
            style_ = st ? QByteArray(st).toInt(&ok) : 0;
            if (!ok) style_ = 0;
            value_.clear();
            inline_.clear();
            inCell_ = true;
        }
    }

    void OnEnd(QLatin1StringView name)
    {
        if (!inCell_) return;
        if (name == QLatin1StringView("v") || name == QLatin1StringView("t")) collect_ = nullptr;
        else if (name == QLatin1StringView("rPh")) --phonetic_;
        else if (name == QLatin1StringView("is")) inInline_ = false;
        else if (name == QLatin1StringView("c")) EndCell();
    }

    void EndCell()
    {
        inCell_ = inInline_ = false;
        collect_ = nullptr;
        phonetic_ = 0;
        if (cellRow_ < 1 || cellRow_ > kMaxSheetRow || !wanted_.Wants(cellRow_, column_)) return;
        if (++kept_ > kMaxCellsKept) return Stop(true);
        const QString value = QString::fromUtf8(value_);
        if (type_ == u"s") {
            bool ok = false;
            const int index = value.toInt(&ok);
            if (!ok || index < 0) return Stop(true);
            shared_ << SharedCell{cellRow_, column_, index};
        } else {
            cells_.SetCell(cellRow_, column_,
                           CellText(type_, value, DecodeEscapes(QString::fromUtf8(inline_)), style_, ctx_));
        }
    }

private:
    const SheetContext& ctx_;
    const CellsWanted& wanted_;
    SheetCells& cells_;
    QVector<SharedCell>& shared_;
    int row_ = 0;
    int column_ = 0;
    qsizetype kept_ = 0;
    // The cell being read.
    bool inCell_ = false;
    bool inInline_ = false;
    int phonetic_ = 0;
    int cellRow_ = 0;
    QString type_;
    int style_ = 0;
    QByteArray value_;
    QByteArray inline_;
};

// The shared strings of the given indexes, read only as far as the highest of
// them: the text of each item's runs joined, phonetic hints (<rPh>) left out.
class SharedStringsParser : public ExpatParser<SharedStringsParser> {
public:
    explicit SharedStringsParser(const QSet<int>& wanted)
        : wanted_(wanted), last_(wanted.isEmpty() ? -1 : *std::max_element(wanted.cbegin(), wanted.cend()))
    {
    }
    // No value on broken XML, a damaged part or a missing index.
    std::optional<QHash<int, QString>> Read(PartDevice& part)
    {
        if (last_ >= 0 && !Parse(part)) return std::nullopt;
        if (strings_.size() != wanted_.size()) return std::nullopt;
        return std::move(strings_);
    }

    void OnStart(QLatin1StringView name, const XML_Char**)
    {
        if (name == QLatin1StringView("si")) {
            text_.clear();
            phonetic_ = 0;
        } else if (name == QLatin1StringView("rPh")) {
            ++phonetic_;
        } else if (name == QLatin1StringView("t") && phonetic_ == 0 && wanted_.contains(index_)) {
            collect_ = &text_;
        }
    }
    void OnEnd(QLatin1StringView name)
    {
        if (name == QLatin1StringView("t")) {
            collect_ = nullptr;
        } else if (name == QLatin1StringView("rPh")) {
            --phonetic_;
        } else if (name == QLatin1StringView("si")) {
            if (wanted_.contains(index_)) strings_.insert(index_, DecodeEscapes(QString::fromUtf8(text_)));
            if (++index_ > last_) Stop(false);
        }
    }

private:
    const QSet<int>& wanted_;
    const int last_;
    int index_ = 0;
    int phonetic_ = 0;
    QByteArray text_;
    QHash<int, QString> strings_;
};

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

SheetRead ReadXlsxSheet(const QString& path, const QString& sheet, const CellsWanted& wanted)
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
        damaged = !part.Found() || !SheetParser(ctx, wanted, out.cells, shared).Read(part);
    }
    if (!damaged && !shared.isEmpty()) {
        QSet<int> indexes;
        for (const SharedCell& c : shared) indexes.insert(c.index);
        PartDevice part(zip->get(), pkg->sharedStringsPart, kMaxPartBytes);
        const auto strings = SharedStringsParser(indexes).Read(part);
        if (!strings) damaged = true;
        else
            for (const SharedCell& c : shared) out.cells.SetCell(c.row, c.column, strings->value(c.index));
    }
    if (damaged) return {WorkbookDamagedError(), {}};
    return out;
}

} // namespace slip::workbook
