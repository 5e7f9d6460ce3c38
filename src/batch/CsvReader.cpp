#include "batch/CsvReader.h"

#include "batch/CellText.h"

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

// A DOS end-of-file mark (0x1A) at the very end of a file is no data.
constexpr char16_t kEndOfFileMark = u'\x1A';
template <class Text>
void DropEndOfFileMark(Text& text)
{
    if (!text.isEmpty() && text.back() == kEndOfFileMark) text.chop(1);
}

// What kinds of bytes a piece of a file holds: control characters
// (IsCsvControl; they are single bytes in every encoding read here, never
// part of a longer character), and any beyond ASCII. Looked at 64 bytes at a
// time: a loop of fixed length the compiler turns into vector code.
struct ByteKinds {
    bool control = false;
    bool wide = false;
};
ByteKinds KindsOf(QByteArrayView bytes)
{
    const uchar* s = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype n = bytes.size();
    uchar control = 0, any = 0;
    auto look = [&](uchar u) {
        control |= IsCsvControl(u);
        any |= u;
    };
    qsizetype i = 0;
    for (; i + 64 <= n; i += 64)
        for (int k = 0; k < 64; ++k) look(s[i + k]);
    for (; i < n; ++i) look(s[i]);
    return {control != 0, (any & 0x80) != 0};
}

// The line ends in the bytes: CR LF, LF and a lone CR each end one line (a
// CR at the very end counts, whatever follows it).
qsizetype CountLineEnds(QByteArrayView bytes)
{
    const uchar* s = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype ends = 0, i = 0;
    for (; i + 64 < n; i += 64) {
        uchar block = 0;
        for (int k = 0; k < 64; ++k)
            block += (s[i + k] == '\n') | ((s[i + k] == '\r') & (s[i + k + 1] != '\n'));
        ends += block;
    }
    for (; i < n; ++i) ends += s[i] == '\n' || (s[i] == '\r' && (i + 1 == n || s[i + 1] != '\n'));
    return ends;
}

// U+FEFF is no data: it is a byte-order mark left inside a file where files
// were joined, unseen on the screen and enough to make an amount unreadable.
// Nor is a NUL (DropNuls). The preview and the import both drop them from
// every field, wherever they stand in it, once the fields are split; their
// decoders keep every one.
constexpr QChar kByteOrderMark(0xFEFF);
bool HoldsNoData(const QString& text) { return text.contains(kByteOrderMark) || text.contains(QChar(0)); }
void DropNoData(QString& text)
{
    if (text.contains(kByteOrderMark)) text.remove(kByteOrderMark);
    DropNuls(text);
}

// Whether a line is Chinese text in UTF-8: valid UTF-8 whose characters
// beyond ASCII are all of the kinds Chinese text is written in, two of them
// at least ideographs or full-width forms. GBK bytes pass for valid UTF-8 now
// and then (one line in thirty that holds a two-character name), but hardly
// ever as such text.
bool ReadsAsChineseUtf8(QByteArrayView line)
{
    if (!line.isValidUtf8()) return false;
    int chinese = 0;
    // Walked as it stands: a line may be long, and it is valid already.
    for (qsizetype i = 0; i < line.size();) {
        const uchar lead = uchar(line[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t c = lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) c = (c << 6) | (uchar(line[i + k]) & 0x3F);
        i += length;
        if (c == 0xB7 || c == 0xFEFF || (c >= 0x2000 && c <= 0x206F)) continue;  // ·, marks, — “” …
        const bool ideograph = (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF)
                               || (c >= 0x20000 && c <= 0x3FFFF);
        const bool symbol = (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFFEF);
        if (!ideograph && !symbol) return false;
        ++chinese;
    }
    return chinese >= 2;
}

// Whether a file's control bytes all stand inside quoted fields, where the
// export writes a value that holds one: the quotes followed as the readers
// split fields (a quote opens a quoted field only where a field starts),
// across the pieces the file is read in. A binary file's control bytes stand
// anywhere, and mark it still. The quotes are found with the library's
// vector search: most pieces have few or none.
class QuotedControls {
public:
    // The next bytes of the file, in order; `controls`: they hold control
    // bytes. False when one of those stands outside a quoted field.
    bool Feed(QByteArrayView piece, bool controls)
    {
        const char* s = piece.data();
        const qsizetype n = piece.size();
        qsizetype i = 0;
        qsizetype outsideFrom = 0;  // where the bytes outside quotes being walked start
        auto cleanUpTo = [&](qsizetype end) {
            return !controls || !KindsOf(piece.sliced(outsideFrom, end - outsideFrom)).control;
        };
        while (i < n) {
            if (state_ == State::Quoted) {
                const void* q = std::memchr(s + i, '"', size_t(n - i));
                if (!q) return true;
                i = static_cast<const char*>(q) - s + 1;
                state_ = State::AfterQuote;
            } else if (state_ == State::AfterQuote) {
                if (s[i] == '"') {  // a doubled quote, data inside the field
                    state_ = State::Quoted;
                    ++i;
                } else {  // the field went on unquoted, or ended
                    state_ = State::Outside;
                    fieldStart_ = false;
                    outsideFrom = i;
                }
            } else {
                // Only a quote that starts a field opens a quoted one; any other is data.
                const char* q = nullptr;
                for (qsizetype from = i;; from = q - s + 1) {
                    q = static_cast<const char*>(std::memchr(s + from, '"', size_t(n - from)));
                    if (!q || (q == s + i ? fieldStart_ : IsSeparator(q[-1]))) break;
                }
                if (!q) {
                    fieldStart_ = IsSeparator(s[n - 1]);
                    return cleanUpTo(n);
                }
                if (!cleanUpTo(q - s)) return false;
                state_ = State::Quoted;
                i = q - s + 1;
            }
        }
        return true;
    }
    // Whether the bytes fed so far end inside a quoted field.
    bool InsideQuotes() const { return state_ == State::Quoted; }

private:
    static bool IsSeparator(char c) { return c == ',' || IsLineEnd(c); }
    // AfterQuote: just after a quote inside a quoted field, which closes it
    // unless a second quote follows.
    enum class State { Outside, Quoted, AfterQuote };
    State state_ = State::Outside;
    bool fieldStart_ = true;  // outside quotes, the next byte starts a field
};

// What the encoding rule needs to know of a whole file's bytes, looked over
// once, a piece at a time.
class FileBytesCheck {
public:
    // `findUtf8Line`: look for the first line of Chinese text in UTF-8 (the
    // preview tells it; the import has no use for it).
    explicit FileBytesCheck(bool findUtf8Line) : findUtf8Line_(findUtf8Line) {}

    // The next piece of the file, in order, each cut after a CR, LF or comma,
    // or before a UTF-8 character, or at the end. False once the file is
    // taken for binary: the rest need not be read.
    bool Feed(QByteArrayView piece)
    {
        if (first_ && piece.startsWith(Utf8ByteOrderMark())) {
            bom = true;
            piece = piece.sliced(Utf8ByteOrderMark().size());
        }
        first_ = false;
        if (piece.isEmpty()) return true;
        // The end-of-file mark counts only as the very last byte: one held
        // back that more bytes follow was data.
        if (markPending_ && !quotes_.InsideQuotes()) binary = true;
        markPending_ = piece.back() == kEndOfFileMark;
        const QByteArrayView data = markPending_ ? piece.chopped(1) : piece;
        const ByteKinds kinds = KindsOf(data);
        binary = binary || !quotes_.Feed(data, kinds.control);
        if (binary) return false;
        utf8 = utf8 && (!kinds.wide || piece.isValidUtf8());
        if (findUtf8Line_ && !utf8Line) FindUtf8Line(piece, kinds.wide);
        return true;
    }

    bool binary = false;
    bool bom = false;   // the file starts with a UTF-8 byte-order mark
    bool utf8 = true;   // every byte after the mark is UTF-8
    // The first line (from 1) that is Chinese text in UTF-8.
    std::optional<int> utf8Line;

private:
    // Goes on counting lines from the last piece until a line of Chinese
    // text in UTF-8 is found; `wide`: the piece has bytes beyond ASCII.
    void FindUtf8Line(QByteArrayView piece, bool wide)
    {
        const char* s = piece.data();
        const qsizetype n = piece.size();
        qsizetype i = crEnded_ && s[0] == '\n' ? 1 : 0;  // a CR LF cut between two pieces
        crEnded_ = s[n - 1] == '\r';
        if (!wide) {
            line_ += CountLineEnds(piece.sliced(i));
            return;
        }
        while (i < n) {
            qsizetype end = i;
            bool lineWide = false;
            for (; end < n && !IsLineEnd(s[end]); ++end) lineWide = lineWide || uchar(s[end]) >= 0x80;
            // A line cut between pieces is looked at in parts: parts of UTF-8 are UTF-8.
            if (lineWide && ReadsAsChineseUtf8(piece.sliced(i, end - i))) {
                utf8Line = line_;
                return;
            }
            if (end == n) return;
            if (s[end] == '\r' && end + 1 < n && s[end + 1] == '\n') ++end;
            ++line_;
            i = end + 1;
        }
    }

    bool findUtf8Line_;
    QuotedControls quotes_;
    bool first_ = true;
    bool markPending_ = false;
    bool crEnded_ = false;
    int line_ = 1;
};

// The one rule by which the preview and the import read a file's bytes: the
// whole file decides, so the rows the preview shows are the values the import
// stores. UTF-8 when every byte is (always when it starts with the mark),
// else the first of GB18030 and GBK that reads the whole file; nullptr when
// none does or the file is binary. `reads(name)` tells whether the whole
// file reads in that encoding.
template <class Reads>
const char* CsvEncoding(const FileBytesCheck& check, Reads reads)
{
    if (check.binary) return nullptr;
    if (check.utf8) return "UTF-8";
    // A file that says it is UTF-8 and isn't is not read as anything else.
    if (check.bom) return nullptr;
    for (const char* name : kGbkEncodings)
        if (reads(name)) return name;
    return nullptr;
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

CsvTable::CsvTable(QString text, qsizetype lastRecord)
    : text_(std::move(text)), holdsNoData_(HoldsNoData(text_))
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
    if (holdsNoData_) DropNoData(value);
    return value;
}

QStringList CsvTable::Record(qsizetype record, int maxColumns) const
{
    QStringList out;
    for (quint32 start : FieldStarts(record, maxColumns)) out << FieldAt(start);
    return out;
}

namespace {

// Where a piece of a file may end so that it decodes on its own: after its
// last CR, LF or comma, which are never part of a UTF-8, GBK or GB18030
// sequence of several bytes; 0 when it has none. Searched from the end with
// the library's vector search: a line may be megabytes long.
qsizetype SafeCutIn(const char* s, qsizetype n)
{
    qsizetype cut = 0;
    for (const char c : {'\n', '\r', ','})
        if (const void* at = memrchr(s + cut, c, size_t(n - cut)))
            cut = static_cast<const char*>(at) - s + 1;
    return cut;
}

// A file's text decoded a piece at a time straight into one buffer, so the
// file's bytes are never held whole beside their text.
class PiecewiseText {
public:
    enum class Outcome { Read, Unreadable, Undecodable };

    explicit PiecewiseText(QFile& file) : file_(file) {}

    // Looks the whole file over; Undecodable when it is taken for binary.
    Outcome Check(FileBytesCheck& check)
    {
        return EachPiece(0, [&](const char* p, qsizetype n) { return check.Feed(QByteArrayView(p, n)); });
    }

    // The text in the named encoding, from byte `from`; Undecodable when a
    // piece has bytes the encoding does not read. A U+FEFF that starts a
    // piece is kept as any other: where a piece starts is no rule.
    Outcome Decode(const char* name, qint64 from, QString& text)
    {
        QStringDecoder decoder(name, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
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

    // Calls use(piece) for each piece of the file from `from`, each cut after a
    // safe byte (or at the end); stops when use answers false. With
    // `characterCuts` a piece that has no safe byte is cut before the last
    // UTF-8 character that starts in it rather than grown: for readers that
    // carry a cut character over, or only ask whether the bytes are UTF-8.
    template <class Use>
    Outcome EachPiece(qint64 from, Use use, bool characterCuts = false)
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
                cut = SafeCutIn(buffer_.constData(), held);
                if (cut == 0 && characterCuts) {
                    cut = held - 1;
                    while (cut > 0 && (uchar(buffer_[cut]) & 0xC0) == 0x80) --cut;  // a continuation byte
                    if (cut == 0) cut = held;
                }
                if (cut == 0) continue;
            }
            if (cut > 0 && !use(buffer_.constData(), cut)) return Outcome::Undecodable;
            if (atEnd) return Outcome::Read;
            std::memmove(buffer_.data(), buffer_.constData() + cut, size_t(held - cut));
            held -= cut;
        }
    }

private:
    QFile& file_;
    QByteArray buffer_;
};

// Whether bytes fed in order read in the named encoding, checked a piece at
// a time without keeping their text.
class DecodesCheck {
public:
    explicit DecodesCheck(const char* name) : decoder_(name), scratch_(kPiece, Qt::Uninitialized) {}
    void Feed(QByteArrayView bytes)
    {
        // A character cut between two pieces is carried over by the decoder.
        for (qsizetype at = 0; decoder_.isValid() && !decoder_.hasError() && at < bytes.size(); at += kPiece)
            decoder_.appendToBuffer(scratch_.data(), bytes.sliced(at, qMin(kPiece, bytes.size() - at)));
    }
    // After the last bytes. A line end can't go on a character, so one left
    // unfinished at the end shows up as an error, as it does for the import.
    bool Reads()
    {
        Feed("\n");
        return decoder_.isValid() && !decoder_.hasError();
    }

private:
    static constexpr qsizetype kPiece = 1 << 20;
    QStringDecoder decoder_;
    QString scratch_;
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
    FileBytesCheck check(false);
    if (pieces.Check(check) != PiecewiseText::Outcome::Read) return std::nullopt;
    QString text;
    const char* encoding = CsvEncoding(check, [&](const char* name) {
        return pieces.Decode(name, 0, text) == PiecewiseText::Outcome::Read;
    });
    if (!encoding) return std::nullopt;
    if (check.utf8 && pieces.Decode(encoding, check.bom ? Utf8ByteOrderMark().size() : 0, text)
                          != PiecewiseText::Outcome::Read)
        return std::nullopt;
    DropEndOfFileMark(text);
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
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) return {CsvImportError(), {}, {}};
    // One pass over the whole file: every piece is looked over for the
    // encoding rule, and the start that holds the rows shown is kept until
    // they are whole or the preview has read all it reads.
    PiecewiseText pieces(f);
    FileBytesCheck check(true);
    QByteArray bytes;
    bytes.reserve(qMin(f.size(), kCsvPreviewBytes));
    std::optional<PreviewScan> scan;
    bool full = false;  // bytes beyond those the preview reads
    qsizetype scanAt = 64 * 1024;  // how many bytes the scan is next fed
    // A file whose first piece isn't UTF-8 (a GBK file) is checked as
    // GB18030 in the same pass; any other that turns out not to be UTF-8 is
    // read again for it.
    std::optional<DecodesCheck> gb18030;
    const PiecewiseText::Outcome read = pieces.EachPiece(0, [&](const char* p, qsizetype n) {
        if (!check.Feed(QByteArrayView(p, n))) return false;
        if (!scan && !check.utf8 && !check.bom) gb18030.emplace(kGbkEncodings[0]);
        if (gb18030) gb18030->Feed(QByteArrayView(p, n));
        if (!scan) scan.emplace(maxRows, maxColumns, check.bom ? Utf8ByteOrderMark().size() : 0);
        if (!scan->Done() && !full) {
            const qsizetype take = qMin<qsizetype>(n, kCsvPreviewBytes - bytes.size());
            bytes.append(p, take);
            full = take < n;
            // A field cut by the end of the bytes is walked again from its
            // start: fed each time the bytes have doubled, a long one is
            // walked about twice, not once per piece.
            if (full || bytes.size() >= scanAt) {
                scan->Feed(bytes.constData(), bytes.size(), full);
                scanAt = 2 * bytes.size();
            }
        }
        return true;
    }, true);
    if (read == PiecewiseText::Outcome::Unreadable) return {CsvImportError(), {}, {}};
    const char* encoding = CsvEncoding(check, [&](const char* name) {
        if (qstrcmp(name, kGbkEncodings[0]) == 0 && gb18030) return gb18030->Reads();
        DecodesCheck whole(name);
        return pieces.EachPiece(0, [&](const char* p, qsizetype n) {
                   whole.Feed(QByteArrayView(p, n));
                   return true;
               }, true) == PiecewiseText::Outcome::Read
               && whole.Reads();
    });
    if (!encoding) return {CsvImportError(), {}, {}};
    if (!scan) return out;  // an empty file
    if (!scan->Done()) {
        if (!full) DropEndOfFileMark(bytes);
        scan->Feed(bytes.constData(), bytes.size(), true);
    }
    if (check.utf8Line && !check.utf8) out.notice = CsvMixedEncodingNotice(*check.utf8Line);
    // Only the fields shown are taken out and decoded. A character cut off at
    // the end of the bytes read is left out.
    const QByteArrayView shown(bytes.constData(), scan->End());
    QStringDecoder decoder(encoding, QStringDecoder::Flag::ConvertInitialBom);
    for (const std::vector<qsizetype>& starts : scan->Records()) {
        QStringList record;
        for (qsizetype start : starts) {
            decoder.resetState();
            DecodedField field{decoder, {}};
            ReadField(shown.data(), shown.size(), start, &field);
            DropNoData(field.text);
            record << std::move(field.text);
        }
        out.records << std::move(record);
    }
    return out;
}

} // namespace slip
