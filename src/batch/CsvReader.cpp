#include "batch/CsvReader.h"

#include "core/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace slip {

namespace {

template <class Ch>
bool IsLineEnd(Ch c) { return c == u'\r' || c == u'\n'; }

// A DOS end-of-file mark (0x1A) at the very end of a file is no data. The
// mark is one byte and one character in every encoding read here, so the
// rule holds for a file's bytes and for its text alike.
template <class Text>
void DropEndOfFileMark(Text& text)
{
    if (!text.isEmpty() && text.back() == u'\x1A') text.chop(1);
}

// A character no text file holds. The control characters are single bytes
// in every encoding read here, so the rule holds for bytes and text alike.
unsigned CodeOf(QChar c) { return c.unicode(); }
unsigned CodeOf(char c) { return uchar(c); }
template <class Ch>
bool NotInATextFile(Ch c)
{
    const unsigned u = CodeOf(c);
    return u < 0x20 && u != '\t' && u != '\r' && u != '\n' && u != '\f';
}

// True when the text holds characters no text file holds.
template <class Text>
bool LooksBinary(const Text& text)
{
    return std::any_of(text.begin(), text.end(), [](auto c) { return NotInATextFile(c); });
}

} // namespace

namespace {

enum class FieldStop { Comma, LineEnd, End };

struct FieldEnd {
    qsizetype next;  // where the next field or record starts
    FieldStop stop;
};

// Reads one field from `pos` (a field's start) to the comma or line end that
// ends it, appending its value to `out` when given. The characters are
// QChar of a text or bytes of a file: the commas, quotes and line ends of
// UTF-8, GBK and GB18030 are single bytes never found inside a character.
template <class Ch, class Out>
FieldEnd ReadField(const Ch* s, qsizetype n, qsizetype pos, Out* out)
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
        const Ch c = s[i];
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
        const FieldEnd end = ReadField(s, n, pos, static_cast<QString*>(nullptr));
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

// The file's text as ReadCsvRecords reads it, or nullopt; tooLarge when
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
        bool read = false;
        for (const char* name : kGbkEncodings) {
            const PiecewiseText::Outcome o = pieces.Decode(QStringConverter::Utf8, name, 0, text);
            if (o == PiecewiseText::Outcome::Unreadable) return std::nullopt;
            if ((read = o == PiecewiseText::Outcome::Read)) break;
        }
        if (!read) return std::nullopt;
    }
    DropEndOfFileMark(text);
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

namespace {

// The records shown in the preview, found in the bytes read so far: for each
// record the places where its shown fields start. Fed the bytes again after
// every read, it goes on from the field it had reached, so a file is walked
// once (a field cut by the end of a read is walked again from its start).
class PreviewScan {
public:
    PreviewScan(int maxRows, int maxColumns, qsizetype from) : maxRows_(maxRows), maxColumns_(maxColumns), pos_(from) {}

    // `final`: no bytes follow these (the end of the file, or all the preview reads).
    void Feed(const char* s, qsizetype n, bool final)
    {
        while (!Done()) {
            if (pos_ >= n && (!final || column_ == 0)) {
                if (final) done_ = true;
                return;
            }
            if (column_ == 0 && IsLineEnd(s[pos_])) {  // an empty line
                if (s[pos_] == '\r' && pos_ + 1 >= n && !final) return;  // CR LF cut by the read?
                pos_ += s[pos_] == '\r' && pos_ + 1 < n && s[pos_ + 1] == '\n' ? 2 : 1;
                records_.push_back({});
                continue;
            }
            const FieldEnd end = ReadField(s, n, pos_, static_cast<QByteArray*>(nullptr));
            // A field may go on in the bytes still to come.
            if (!final && (end.stop == FieldStop::End || (end.next >= n && s[n - 1] == '\r'))) return;
            if (column_ < maxColumns_) current_.push_back(pos_);
            ++column_;
            pos_ = end.next;
            if (end.stop != FieldStop::Comma) {
                records_.push_back(std::move(current_));
                current_.clear();
                column_ = 0;
                // A quote still open at the end: the record shows what was read.
                if (end.stop == FieldStop::End) done_ = true;
            }
        }
    }
    bool Done() const { return done_ || qsizetype(records_.size()) >= maxRows_; }
    // Where the scan stopped: the bytes the records shown are read from.
    qsizetype End() const { return pos_; }
    const std::vector<std::vector<qsizetype>>& Records() const { return records_; }

private:
    const int maxRows_;
    const int maxColumns_;
    qsizetype pos_;
    int column_ = 0;  // the field of the current record reached
    bool done_ = false;
    std::vector<qsizetype> current_;
    std::vector<std::vector<qsizetype>> records_;
};

// The bytes up to the last whole UTF-8 character (a read may stop inside one).
qsizetype WholeUtf8(const char* s, qsizetype n)
{
    for (qsizetype back = 1; back <= 3 && back <= n; ++back) {
        const uchar b = uchar(s[n - back]);
        if (b < 0x80) return n;
        if (b >= 0xC0) {
            const qsizetype length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
            return length > back ? n - back : n;
        }
    }
    return n;
}

// Whether the bytes read in the named encoding; a character cut off at their
// end counts when `cut` (more would follow), as it does not in the import,
// which reads a whole file. Decoded in pieces: the text is not kept.
bool ReadsAs(const char* encoding, QByteArrayView bytes, bool cut)
{
    QStringDecoder decoder(encoding, cut ? QStringDecoder::Flag::Default : QStringDecoder::Flag::Stateless);
    if (!decoder.isValid()) return false;
    constexpr qsizetype kPiece = 1 << 20;
    QString scratch(kPiece, Qt::Uninitialized);
    for (qsizetype at = 0; at < bytes.size(); at += kPiece) {
        decoder.appendToBuffer(scratch.data(), bytes.sliced(at, qMin(kPiece, bytes.size() - at)));
        if (decoder.hasError()) return false;
    }
    return true;
}

// Decoded values appended as ReadField finds them.
struct DecodedField {
    QStringDecoder& decoder;
    QString text;
    void append(const char* s, qsizetype n) { text += decoder.decode(QByteArrayView(s, n)); }
};

} // namespace

CsvFile ReadCsvPreview(const QString& path, int maxRows, int maxColumns)
{
    CsvFile out;
    if (maxRows < 1) return out;
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) return {CsvImportError(), {}};
    // Read a growing piece at a time until the records shown are whole, the
    // file ends or the preview has read all it reads: then the records show
    // what was read.
    QByteArray bytes;
    bytes.reserve(qMin(f.size(), kCsvPreviewBytes));
    std::optional<PreviewScan> scan;
    bool bom = false, atEnd = false, full = false;
    for (qint64 chunk = 64 * 1024; !(scan && scan->Done()); chunk *= 2) {
        const qsizetype held = bytes.size();
        const qint64 want = qMin(chunk, kCsvPreviewBytes - held);
        bytes.resize(held + want);
        const qint64 got = f.read(bytes.data() + held, want);
        if (got < 0) return {CsvImportError(), {}};
        bytes.resize(held + got);
        atEnd = got < want || f.atEnd();
        full = !atEnd && bytes.size() >= kCsvPreviewBytes;
        if (atEnd) DropEndOfFileMark(bytes);
        if (!scan && (bytes.size() >= Utf8ByteOrderMark().size() || atEnd || full)) {
            bom = bytes.startsWith(Utf8ByteOrderMark());
            scan.emplace(maxRows, maxColumns, bom ? Utf8ByteOrderMark().size() : 0);
        }
        if (scan) scan->Feed(bytes.constData(), bytes.size(), atEnd || full);
    }
    // What was read is checked as the import checks a whole file: no bytes a
    // text file lacks, UTF-8 (always after its mark), else GB18030, else GBK.
    const bool cut = full && scan->End() >= bytes.size();
    const QByteArrayView read(bytes.constData(), scan->End());
    if (LooksBinary(read)) return {CsvImportError(), {}};
    const char* encoding = nullptr;
    const QByteArrayView body = read.sliced(bom ? Utf8ByteOrderMark().size() : 0);
    if (body.first(cut ? WholeUtf8(body.data(), body.size()) : body.size()).isValidUtf8()) encoding = "UTF-8";
    else if (!bom)
        for (const char* name : kGbkEncodings)
            if (ReadsAs(name, body, cut)) {
                encoding = name;
                break;
            }
    if (!encoding) return {CsvImportError(), {}};
    // Only the fields shown are taken out and decoded. A character cut off at
    // the end of the bytes read is left out.
    QStringDecoder decoder(encoding);
    for (const std::vector<qsizetype>& starts : scan->Records()) {
        QStringList record;
        for (qsizetype start : starts) {
            decoder.resetState();
            DecodedField field{decoder, {}};
            ReadField(read.data(), read.size(), start, &field);
            record << std::move(field.text);
        }
        out.records << std::move(record);
    }
    return out;
}

} // namespace slip
