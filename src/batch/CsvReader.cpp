#include "batch/CsvReader.h"

#include "core/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cstring>

namespace slip {

namespace {

bool IsLineEnd(QChar c) { return c == u'\r' || c == u'\n'; }

// True when the text holds characters no text file holds.
bool LooksBinary(const QString& text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20) continue;
        if (u == u'\t' || u == u'\r' || u == u'\n' || u == u'\f') continue;
        return true;
    }
    return false;
}

} // namespace

namespace {

enum class FieldStop { Comma, LineEnd, End };

struct FieldEnd {
    qsizetype next;  // where the next field or record starts
    FieldStop stop;
};

// Reads one field from `pos` (a field's start) to the comma or line end that
// ends it, appending its value to `out` when given.
FieldEnd ReadField(const QChar* s, qsizetype n, qsizetype pos, QString* out)
{
    enum class State { Unquoted, Quoted, QuoteInQuoted };
    State state = State::Unquoted;
    qsizetype i = pos;
    if (i < n && s[i] == u'"') {
        state = State::Quoted;
        ++i;
    }
    qsizetype runStart = i;  // characters of the value not yet appended
    auto flush = [&](qsizetype end) {
        if (out && end > runStart) out->append(s + runStart, end - runStart);
    };
    for (; i < n; ++i) {
        const QChar c = s[i];
        switch (state) {
        case State::Unquoted:
            if (c == u',' || IsLineEnd(c)) {
                flush(i);
                if (c == u',') return {i + 1, FieldStop::Comma};
                return {(c == u'\r' && i + 1 < n && s[i + 1] == u'\n') ? i + 2 : i + 1, FieldStop::LineEnd};
            }
            break;
        case State::Quoted:
            if (c == u'"') {
                flush(i);
                state = State::QuoteInQuoted;
            }
            break;
        case State::QuoteInQuoted:
            if (c == u'"') {  // a doubled quote is one quote of the data
                runStart = i;
                state = State::Quoted;
            } else if (c == u',' || IsLineEnd(c)) {
                runStart = i;
                state = State::Unquoted;
                --i;  // ends the field as an unquoted one would
            } else {
                runStart = i;  // text after the closing quote stays data
                state = State::Unquoted;
            }
            break;
        }
    }
    if (state != State::QuoteInQuoted) flush(n);
    return {n, FieldStop::End};
}

} // namespace

CsvTable::CsvTable(QString text, qsizetype lastRecord) : text_(std::move(text))
{
    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };
    State state = State::FieldStart;
    const qsizetype n = text_.size();
    const QChar* s = text_.constData();
    bool recordStarted = false;  // something of the current physical record was read
    qsizetype recordStart = 0;
    int line = 1;
    int recordLine = 1;
    auto endRecord = [&](qsizetype& i) {
        starts_.push_back(quint32(recordStart));
        recordStarted = false;
        state = State::FieldStart;
        if (s[i] == u'\r' && i + 1 < n && s[i + 1] == u'\n') ++i;
        ++line;
        recordLine = line;
        recordStart = i + 1;
    };
    for (qsizetype i = 0; i < n; ++i) {
        if (lastRecord > 0 && qsizetype(starts_.size()) >= lastRecord) return;
        const QChar c = s[i];
        switch (state) {
        case State::FieldStart:
            recordStarted = recordStarted || !IsLineEnd(c);
            if (c == u'"') state = State::Quoted;
            else if (IsLineEnd(c)) endRecord(i);
            else if (c != u',') state = State::Unquoted;
            break;
        case State::Unquoted:
            if (c == u',') state = State::FieldStart;
            else if (IsLineEnd(c)) endRecord(i);
            break;
        case State::Quoted:
            if (c == u'"') state = State::QuoteInQuoted;
            else if (c == u'\n' || (c == u'\r' && !(i + 1 < n && s[i + 1] == u'\n'))) ++line;
            break;
        case State::QuoteInQuoted:
            if (c == u'"') state = State::Quoted;
            else if (c == u',') state = State::FieldStart;
            else if (IsLineEnd(c)) endRecord(i);
            else state = State::Unquoted;
            break;
        }
    }
    if (lastRecord > 0 && qsizetype(starts_.size()) >= lastRecord) return;
    if (state == State::Quoted) unclosedQuoteLine_ = recordLine;
    if (recordStarted) starts_.push_back(quint32(recordStart));
}

std::vector<quint32> CsvTable::FieldStarts(qsizetype record, int maxColumns) const
{
    std::vector<quint32> out;
    if (record < 1 || record > RecordCount() || maxColumns == 0) return out;
    const QChar* s = text_.constData();
    const qsizetype n = text_.size();
    qsizetype pos = starts_[size_t(record - 1)];
    if (pos >= n || IsLineEnd(s[pos])) return out;  // an empty line
    for (;;) {
        out.push_back(quint32(pos));
        if (maxColumns > 0 && qsizetype(out.size()) >= maxColumns) return out;
        const FieldEnd end = ReadField(s, n, pos, nullptr);
        if (end.stop != FieldStop::Comma) return out;
        pos = end.next;
    }
}

QString CsvTable::FieldAt(quint32 start) const
{
    QString value;
    ReadField(text_.constData(), text_.size(), start, &value);
    return value;
}

QStringList CsvTable::Record(qsizetype record, int maxColumns) const
{
    QStringList out;
    for (quint32 start : FieldStarts(record, maxColumns)) out << FieldAt(start);
    return out;
}

CsvRecords ParseCsv(const QString& text, int maxRecords)
{
    const CsvTable table(text, maxRecords);
    CsvRecords out;
    const qsizetype count = maxRecords > 0 ? qMin<qsizetype>(maxRecords, table.RecordCount()) : table.RecordCount();
    out.records.reserve(count);
    for (qsizetype r = 1; r <= count; ++r) out.records << table.Record(r);
    if (count == table.RecordCount()) out.unclosedQuoteLine = table.UnclosedQuoteLine();
    return out;
}

std::optional<QString> DecodeCsvBytes(const QByteArray& bytes)
{
    if (bytes.contains('\0')) return std::nullopt;
    std::optional<QString> decoded = DecodeGbkOrUtf8(bytes);
    if (!decoded) return std::nullopt;
    QString text = *decoded;
    // A DOS end-of-file mark at the very end is no data.
    if (text.endsWith(QChar(0x1A))) text.chop(1);
    if (LooksBinary(text)) return std::nullopt;
    return text;
}

namespace {

// Where a piece of a file may end so that it decodes on its own: CR, LF and
// comma are never part of a UTF-8, GBK or GB18030 sequence of several bytes.
bool IsSafeCut(char b) { return b == '\n' || b == '\r' || b == ','; }

// A file's text decoded a piece at a time straight into one buffer, so the
// file's bytes are never held whole beside their text.
class PiecewiseText {
public:
    enum class Outcome { Read, Unreadable, Undecodable };

    explicit PiecewiseText(QFile& file) : file_(file) {}

    // Whether every piece is valid UTF-8 and holds no NUL byte; skips a
    // leading UTF-8 byte-order mark.
    Outcome Check(bool& utf8, bool& bom)
    {
        utf8 = true;
        bom = false;
        bool first = true;
        return EachPiece(0, [&](const char* p, qsizetype n) {
            if (first && QByteArrayView(p, n).startsWith(Utf8ByteOrderMark())) {
                bom = true;
                p += Utf8ByteOrderMark().size();
                n -= Utf8ByteOrderMark().size();
            }
            first = false;
            if (QByteArrayView(p, n).contains('\0')) return false;
            utf8 = utf8 && QByteArrayView(p, n).isValidUtf8();
            return true;
        });
    }

    // The text in the named encoding, from byte `from`; Undecodable when a
    // piece has bytes the encoding does not read.
    Outcome Decode(QStringConverter::Encoding utf8OrNot, const char* name, qint64 from, QString& text)
    {
        QStringDecoder decoder = name ? QStringDecoder(name, QStringDecoder::Flag::Stateless)
                                      : QStringDecoder(utf8OrNot, QStringDecoder::Flag::Stateless);
        if (!decoder.isValid()) return Outcome::Undecodable;
        // A character never takes more UTF-16 units than it has bytes.
        text.resize(file_.size() - from);
        QChar* out = text.data();
        const Outcome o = EachPiece(from, [&](const char* p, qsizetype n) {
            out = decoder.appendToBuffer(out, QByteArrayView(p, n));
            return !decoder.hasError();
        });
        text.truncate(o == Outcome::Read ? out - text.constData() : 0);
        return o;
    }

private:
    // Calls use(piece) for each piece of the file from `from`, each cut after a
    // safe byte (or at the end); stops when use answers false.
    template <class Use>
    Outcome EachPiece(qint64 from, Use use)
    {
        constexpr qsizetype kPiece = 1 << 20;
        if (!file_.seek(from)) return Outcome::Unreadable;
        buffer_.resize(kPiece);
        qsizetype held = 0;  // bytes carried over from the last read
        for (;;) {
            if (held == buffer_.size()) buffer_.resize(buffer_.size() * 2);  // no safe byte yet
            const qint64 got = file_.read(buffer_.data() + held, buffer_.size() - held);
            if (got < 0) return Outcome::Unreadable;
            const bool atEnd = got == 0;
            held += got;
            qsizetype cut = held;
            if (!atEnd) {
                while (cut > 0 && !IsSafeCut(buffer_[cut - 1])) --cut;
                if (cut == 0) continue;
            }
            if (cut > 0 && !use(buffer_.constData(), cut)) return Outcome::Undecodable;
            if (atEnd) return Outcome::Read;
            std::memmove(buffer_.data(), buffer_.constData() + cut, size_t(held - cut));
            held -= cut;
        }
    }

    QFile& file_;
    QByteArray buffer_;
};

// The file's text as DecodeCsvBytes reads bytes, or nullopt; tooLarge when
// its text alone would pass the memory bound.
std::optional<QString> ReadCsvText(const QString& path, bool& tooLarge)
{
    tooLarge = false;
    const QFileInfo info(path);
    if (!info.isFile()) return std::nullopt;
    if (2 * info.size() > kCsvMemoryBound) {
        tooLarge = true;
        return std::nullopt;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    PiecewiseText pieces(f);
    bool utf8 = false, bom = false;
    if (pieces.Check(utf8, bom) != PiecewiseText::Outcome::Read) return std::nullopt;
    // A file that says it is UTF-8 and isn't is not read as anything else.
    if (bom && !utf8) return std::nullopt;
    QString text;
    if (utf8) {
        if (pieces.Decode(QStringConverter::Utf8, nullptr, bom ? Utf8ByteOrderMark().size() : 0, text)
            != PiecewiseText::Outcome::Read)
            return std::nullopt;
    } else {
        // As DecodeGbkOrUtf8: GB18030, else GBK for its one-byte euro sign.
        bool read = false;
        for (const char* name : {"GB18030", "GBK"}) {
            const PiecewiseText::Outcome o = pieces.Decode(QStringConverter::Utf8, name, 0, text);
            if (o == PiecewiseText::Outcome::Unreadable) return std::nullopt;
            if ((read = o == PiecewiseText::Outcome::Read)) break;
        }
        if (!read) return std::nullopt;
    }
    if (text.endsWith(QChar(0x1A))) text.chop(1);
    if (LooksBinary(text)) return std::nullopt;
    return text;
}

} // namespace

CsvFileTable ReadCsvRecords(const QString& path, qsizetype lastRecord)
{
    CsvFileTable out;
    bool tooLarge = false;
    std::optional<QString> text = ReadCsvText(path, tooLarge);
    if (!text) {
        out.error = tooLarge ? CsvTooLargeError() : CsvImportError();
        return out;
    }
    // Four bytes a record beside the text: a file of empty lines holds many.
    const qsizetype mostRecords = qsizetype((kCsvMemoryBound - 2 * text->size()) / qint64(sizeof(quint32)));
    const qsizetype stopAt = lastRecord > 0 ? qMin(lastRecord, mostRecords + 1) : mostRecords + 1;
    CsvTable table(std::move(*text), stopAt);
    if (table.RecordCount() > mostRecords) {
        out.error = CsvTooLargeError();
        return out;
    }
    if (table.UnclosedQuoteLine()) {
        out.error = CsvImportError() + QStringLiteral("第%1行开始的记录中引号没有配对。")
                                           .arg(*table.UnclosedQuoteLine());
        return out;
    }
    out.table = std::move(table);
    return out;
}

CsvFile ReadCsvPreview(const QString& path, int maxRows, int maxColumns)
{
    CsvFile out;
    if (maxRows < 1) return out;
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) return {CsvImportError(), {}};
    // Read up to a line end (or comma) until the text holds the records shown:
    // cut there, the text decodes the same in UTF-8 and GBK.
    QByteArray bytes;
    qint64 chunk = 64 * 1024;
    for (;;) {
        const QByteArray more = f.read(qMin(chunk, kCsvPreviewBytes - bytes.size()));
        if (f.error() != QFileDevice::NoError) return {CsvImportError(), {}};
        bytes += more;
        const bool full = bytes.size() >= kCsvPreviewBytes;
        const bool atEnd = !full && (more.isEmpty() || f.atEnd());
        qsizetype cut = bytes.size();
        if (!atEnd) {
            while (cut > 0 && !IsSafeCut(bytes[cut - 1])) --cut;
            if (cut == 0 && full) return {CsvImportError(), {}};
        }
        const std::optional<QString> text = DecodeCsvBytes(QByteArray::fromRawData(bytes.constData(), cut));
        if (!text) return {CsvImportError(), {}};
        // The records shown are whole once the one after them has begun.
        CsvRecords parsed = ParseCsv(*text, maxRows + 1);
        if (atEnd || full || parsed.records.size() > maxRows) {
            out.records = std::move(parsed.records);
            if (out.records.size() > maxRows) out.records.resize(maxRows);
            break;
        }
        chunk *= 2;
    }
    if (maxColumns >= 0)
        for (QStringList& r : out.records)
            if (r.size() > maxColumns) r.erase(r.begin() + maxColumns, r.end());
    return out;
}

} // namespace slip
