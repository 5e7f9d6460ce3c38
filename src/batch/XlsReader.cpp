// Reading .xls workbooks (BIFF in a compound document) through libfreexl.
// The library reads past its buffers on damaged files, so it only ever runs in
// a reader process of its own (slip-xls-reader, beside the program) under a
// time and memory limit; the sheets and cells come back through a pipe, and a
// reader that crashes, hangs or runs out of memory means a damaged file.
#include "batch/WorkbookReaders.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <freexl.h>
#include <sys/resource.h>

#include <cstdio>
#include <optional>

namespace slip::workbook {

namespace {

// One open workbook; closed however the reading ends.
class XlsHandle {
public:
    explicit XlsHandle(const QString& path)
    {
        code_ = freexl_open(QFile::encodeName(path).constData(), &handle_);
    }
    ~XlsHandle()
    {
        if (handle_) freexl_close(handle_);
    }
    XlsHandle(const XlsHandle&) = delete;
    XlsHandle& operator=(const XlsHandle&) = delete;

    const void* get() const { return handle_; }

    // "" when open, else the operator's text for why not.
    QString error() const
    {
        if (code_ == FREEXL_OK) {
            unsigned int password = 0;
            if (freexl_get_info(handle_, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK
                && password == FREEXL_BIFF_OBFUSCATED)
                return WorkbookDamagedError();
            return QString();
        }
        if (code_ == FREEXL_FILE_NOT_FOUND) return WorkbookOpenError();
        if (code_ == FREEXL_INVALID_CFBF_HEADER || code_ == FREEXL_BIFF_WORKBOOK_NOT_FOUND)
            return WorkbookTypeError();
        return WorkbookDamagedError();
    }

    // Worksheet names in the workbook's order; no value when they can't be read.
    std::optional<QStringList> names() const
    {
        unsigned int count = 0;
        if (freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) return std::nullopt;
        QStringList out;
        for (unsigned int i = 0; i < count && i < 65535; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(handle_, (unsigned short)i, &name) != FREEXL_OK || !name)
                return std::nullopt;
            out << QString::fromUtf8(name);
        }
        return out;
    }

private:
    const void* handle_ = nullptr;
    int code_ = FREEXL_OK;
};

QString CellText(const FreeXL_CellValue& v)
{
    switch (v.type) {
    case FREEXL_CELL_INT: return QString::number(v.value.int_value);
    case FREEXL_CELL_DOUBLE: return SheetNumberText(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        // Dates come as yyyy-mm-dd, yyyy-mm-dd hh:mm:ss and hh:mm:ss already.
        return v.value.text_value ? QString::fromUtf8(v.value.text_value) : QString();
    default: return QString();
    }
}

} // namespace

namespace {

SheetNames ListXlsSheetsHere(const QString& path)
{
    SheetNames out;
    XlsHandle xls(path);
    out.error = xls.error();
    if (!out.ok()) return out;
    auto names = xls.names();
    if (!names) out.error = WorkbookDamagedError();
    else out.names = *names;
    return out;
}

SheetRead ReadXlsSheetHere(const QString& path, const QString& sheet, int lastRow, int lastColumn)
{
    SheetRead out;
    XlsHandle xls(path);
    out.error = xls.error();
    if (!out.ok()) return out;
    const auto names = xls.names();
    if (!names) {
        out.error = WorkbookDamagedError();
        return out;
    }
    const qsizetype index = names->indexOf(sheet);
    if (index < 0) {
        out.error = SheetNameError();
        return out;
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(xls.get(), (unsigned short)index) != FREEXL_OK
        || freexl_worksheet_dimensions(xls.get(), &rows, &columns) != FREEXL_OK) {
        out.error = WorkbookDamagedError();
        return out;
    }
    // The dimensions are counts of rows and columns in use from A1.
    if (lastRow > 0 && unsigned(lastRow) < rows) rows = unsigned(lastRow);
    if (lastColumn > 0 && lastColumn < columns) columns = (unsigned short)lastColumn;
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(xls.get(), r, c, &v) != FREEXL_OK) {
                out.error = WorkbookDamagedError();
                out.cells = SheetCells();
                return out;
            }
            out.cells.SetCell(int(r) + 1, int(c) + 1, CellText(v));
        }
    }
    return out;
}

// --- The pipe between the reader and the program -----------------------------
// The reader writes: a status, then the sheet names or the cells (row, column,
// text; row 0 ends them), then an end mark. Output without the end mark is a
// reader that died half way.

constexpr quint32 kEndMark = 0x534C5852;  // "SLXR"
constexpr qint64 kReaderTimeLimitMs = 10000;
constexpr rlim_t kReaderMemoryLimit = 512ULL * 1024 * 1024;
// More than any sheet of 30,000 slips: a reader sending more is not trusted.
constexpr qint64 kMaxReaderOutput = 128LL * 1024 * 1024;

const QString kReaderName = QStringLiteral("slip-xls-reader");

QByteArray Encode(const QString& error, const QStringList* names, const SheetCells* cells)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << error;
    if (names) out << *names;
    if (cells) {
        cells->ForEach([&](int row, int column, const QString& text) { out << qint32(row) << qint32(column) << text; });
        out << qint32(0);
    }
    out << kEndMark;
    return bytes;
}

// Runs the reader with the arguments. No value when it could not be started,
// crashed, hit a limit or overran the time.
std::optional<QByteArray> RunReader(const QStringList& arguments)
{
    QProcess reader;
    reader.setProgram(QCoreApplication::applicationDirPath() + QLatin1Char('/') + kReaderName);
    reader.setArguments(arguments);
    reader.setProcessChannelMode(QProcess::SeparateChannels);
    reader.setStandardErrorFile(QProcess::nullDevice());
#ifdef SLIP_SANITIZED
    // The address sanitizer reserves far more address space than the limit
    // allows; it watches the reader's memory itself.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"), environment.value(QStringLiteral("ASAN_OPTIONS"))
                                                           + QStringLiteral(":hard_rss_limit_mb=%1").arg(kReaderMemoryLimit >> 20));
    reader.setProcessEnvironment(environment);
#endif
    reader.setChildProcessModifier([] {
#ifndef SLIP_SANITIZED
        const rlimit memory{kReaderMemoryLimit, kReaderMemoryLimit};
        setrlimit(RLIMIT_AS, &memory);
#endif
        const rlimit seconds{kReaderTimeLimitMs / 1000, kReaderTimeLimitMs / 1000 + 1};
        setrlimit(RLIMIT_CPU, &seconds);
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
    });
    QElapsedTimer clock;
    clock.start();
    reader.start(QIODevice::ReadOnly);
    if (!reader.waitForStarted(kReaderTimeLimitMs)) return std::nullopt;
    QByteArray bytes;
    while (reader.state() != QProcess::NotRunning) {
        reader.waitForReadyRead(50);
        bytes += reader.readAllStandardOutput();
        if (bytes.size() > kMaxReaderOutput || clock.elapsed() > kReaderTimeLimitMs) {
            reader.kill();
            reader.waitForFinished();
            return std::nullopt;
        }
    }
    bytes += reader.readAllStandardOutput();
    if (reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0) return std::nullopt;
    return bytes;
}

// Reads the status and what follows it; false when the output is cut short.
bool DecodeHead(QDataStream& in, QString& error)
{
    in >> error;
    return in.status() == QDataStream::Ok;
}

bool DecodeEnd(QDataStream& in)
{
    quint32 mark = 0;
    in >> mark;
    return in.status() == QDataStream::Ok && mark == kEndMark && in.atEnd();
}

} // namespace

SheetNames ListXlsSheets(const QString& path)
{
    SheetNames out;
    const auto bytes = RunReader({QStringLiteral("list"), path});
    if (bytes) {
        QDataStream in(*bytes);
        if (DecodeHead(in, out.error)) {
            in >> out.names;
            if (DecodeEnd(in)) return out;
        }
    }
    return {WorkbookDamagedError(), {}};
}

SheetRead ReadXlsSheet(const QString& path, const QString& sheet, const CellsWanted& wanted)
{
    SheetRead out;
    const auto bytes = RunReader({QStringLiteral("read"), path, sheet, QString::number(std::max(0, wanted.lastRow)),
                                  QString::number(std::max(0, wanted.lastColumn))});
    if (bytes) {
        QDataStream in(*bytes);
        if (DecodeHead(in, out.error)) {
            for (;;) {
                qint32 row = 0, column = 0;
                QString text;
                in >> row;
                if (row == 0 || in.status() != QDataStream::Ok) break;
                in >> column >> text;
                if (wanted.Wants(row, column)) out.cells.SetCell(row, column, text);
            }
            if (DecodeEnd(in)) return out;
        }
    }
    return {WorkbookDamagedError(), {}};
}

int RunXlsReader(int argc, char** argv)
{
    const QStringList args = [&] {
        QStringList a;
        for (int i = 1; i < argc; ++i) a << QString::fromLocal8Bit(argv[i]);
        return a;
    }();
    QByteArray bytes;
    if (args.size() == 2 && args[0] == u"list") {
        const SheetNames names = ListXlsSheetsHere(args[1]);
        bytes = Encode(names.error, &names.names, nullptr);
    } else if (args.size() == 5 && args[0] == u"read") {
        const SheetRead read = ReadXlsSheetHere(args[1], args[2], args[3].toInt(), args[4].toInt());
        bytes = Encode(read.error, nullptr, &read.cells);
    } else {
        return 2;
    }
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size())
                   && std::fflush(stdout) == 0
               ? 0
               : 1;
}

} // namespace slip::workbook
