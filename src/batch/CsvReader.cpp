#include "batch/CsvReader.h"

#include "core/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace slip {

namespace {

// Larger files are no batch of slips (30,000 rows of a slip are a few MB); refusing
// them keeps a wrongly chosen file from filling the memory.
constexpr qint64 kMaxCsvBytes = 256LL * 1024 * 1024;

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

CsvRecords ParseCsv(const QString& text, int maxRecords)
{
    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };
    CsvRecords out;
    QStringList fields;
    QString field;
    State state = State::FieldStart;
    bool recordStarted = false;  // something of the current physical record was read
    int line = 1;
    int recordLine = 1;
    const int n = int(text.size());
    const QChar* s = text.constData();

    // A field is kept at its own length; the buffer it was read into is
    // reused (30,000 records of slack capacity would double the memory).
    auto takeField = [&] {
        fields << QString(field.constData(), field.size());
        field.truncate(0);
    };
    auto endRecord = [&](int& i) {
        if (recordStarted) {
            takeField();
            out.records << fields;
        } else {
            out.records << QStringList();  // an empty line is an empty record
        }
        fields.clear();
        field.truncate(0);
        recordStarted = false;
        state = State::FieldStart;
        if (s[i] == u'\r' && i + 1 < n && s[i + 1] == u'\n') ++i;
        ++line;
        recordLine = line;
    };

    for (int i = 0; i < n; ++i) {
        if (maxRecords > 0 && out.records.size() >= maxRecords) return out;
        const QChar c = s[i];
        switch (state) {
        case State::FieldStart:
            recordStarted = recordStarted || !IsLineEnd(c);
            if (c == u'"') {
                state = State::Quoted;
            } else if (c == u',') {
                takeField();
            } else if (IsLineEnd(c)) {
                endRecord(i);
            } else {
                field += c;
                state = State::Unquoted;
            }
            break;
        case State::Unquoted:
            if (c == u',') {
                takeField();
                state = State::FieldStart;
            } else if (IsLineEnd(c)) {
                endRecord(i);
            } else {
                field += c;
            }
            break;
        case State::Quoted:
            if (c == u'"') {
                state = State::QuoteInQuoted;
            } else {
                field += c;
                if (c == u'\n' || (c == u'\r' && !(i + 1 < n && s[i + 1] == u'\n'))) ++line;
            }
            break;
        case State::QuoteInQuoted:
            if (c == u'"') {  // a doubled quote is one quote of the data
                field += c;
                state = State::Quoted;
            } else if (c == u',') {
                takeField();
                state = State::FieldStart;
            } else if (IsLineEnd(c)) {
                endRecord(i);
            } else {
                field += c;  // text after the closing quote stays data
                state = State::Unquoted;
            }
            break;
        }
    }
    if (maxRecords > 0 && out.records.size() >= maxRecords) return out;
    if (state == State::Quoted) {
        fields << field;
        out.records << fields;
        out.unclosedQuoteLine = recordLine;
    } else if (recordStarted) {
        fields << field;
        out.records << fields;
    }
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

std::optional<QString> ReadCsvText(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxCsvBytes) return std::nullopt;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) return std::nullopt;
    return DecodeCsvBytes(bytes);
}

} // namespace

CsvFile ReadCsvRecords(const QString& path)
{
    CsvFile out;
    const std::optional<QString> text = ReadCsvText(path);
    if (!text) {
        out.error = CsvImportError();
        return out;
    }
    CsvRecords parsed = ParseCsv(*text);
    if (parsed.unclosedQuoteLine) {
        out.error = CsvImportError() + QStringLiteral("第%1行开始的记录中引号没有配对。")
                                           .arg(*parsed.unclosedQuoteLine);
        return out;
    }
    out.records = std::move(parsed.records);
    return out;
}

CsvFile ReadCsvPreview(const QString& path, int maxRows, int maxColumns)
{
    CsvFile out;
    if (maxRows < 1) return out;
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) return {CsvImportError(), {}};
    // Read whole lines until they hold the records shown: cut at a line feed,
    // the text decodes the same in UTF-8 and GBK.
    QByteArray bytes;
    qint64 chunk = 64 * 1024;
    for (;;) {
        const QByteArray more = f.read(chunk);
        if (f.error() != QFileDevice::NoError) return {CsvImportError(), {}};
        bytes += more;
        const bool atEnd = more.isEmpty() || f.atEnd();
        const qsizetype lastLine = atEnd ? bytes.size() : bytes.lastIndexOf('\n') + 1;
        const std::optional<QString> text = DecodeCsvBytes(bytes.left(lastLine));
        if (!text) return {CsvImportError(), {}};
        // The records shown are whole once the one after them has begun.
        CsvRecords parsed = ParseCsv(*text, maxRows + 1);
        if (atEnd || parsed.records.size() > maxRows) {
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
