#include "exchange/TextFile.h"

#include "core/TextCodec.h"

#include "exchange/EventWait.h"
#include "storage/SavedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

namespace slip {

QByteArray EncodeText(const QString& text)
{
    // Only bytes that read back as the same text: GBK writes some private-use
    // characters with codes GB18030 gives to others, and a short GBK text can
    // be valid UTF-8 ("录" is C2 BC, "¼" in UTF-8).
    for (const char* name : {"GBK", "GB18030"}) {
        QStringEncoder encoder(name, QStringEncoder::Flag::Stateless);
        if (!encoder.isValid()) continue;
        QByteArray bytes = encoder.encode(text);
        if (!encoder.hasError() && DecodeText(bytes) == text) return bytes;
    }
    return Utf8ByteOrderMark() + text.toUtf8();
}

QString DecodeText(const QByteArray& bytes)
{
    if (std::optional<QString> text = DecodeGbkOrUtf8(bytes)) return *text;
    QStringDecoder last("GB18030");
    if (last.isValid()) return last.decode(bytes);
    return QString::fromLocal8Bit(bytes);
}

QString DecodeAnsiText(const QByteArray& bytes)
{
    if (bytes.startsWith(Utf8ByteOrderMark())) return QString::fromUtf8(bytes.mid(Utf8ByteOrderMark().size()));
    QStringDecoder decoder("GB18030");
    if (decoder.isValid()) return decoder.decode(bytes);
    return QString::fromLocal8Bit(bytes);
}

TextWriteResult WriteTextFileRetry(const QString& text, const QString& path,
                                   const TextWriteRetry& retry)
{
    TextWriteResult result;
    const QByteArray bytes = EncodeText(text);
    QString current = path;
    const int every = qMax(1, retry.renameAfter);
    for (int attempt = 0; attempt < qMax(1, retry.attempts); ++attempt) {
        if (attempt > 1 && (attempt - 1) % every == 0 && (attempt - 1) / every <= 2)
            current += QLatin1Char('1');
        ++result.attempts;
        const StoreResult saved = SaveBytes(current, bytes);
        if (saved) {
            result.ok = true;
            result.path = current;
            result.error.clear();
            return result;
        }
        result.error = saved.error;
        if (retry.afterFailedAttempt) retry.afterFailedAttempt(result.attempts);
        PauseWithEvents(retry.pause);
    }
    result.path = current;
    return result;
}

TextReadResult ReadTextFile(const QString& path, bool deleteAfter, const TextReadRetry& retry)
{
    TextReadResult result;
    for (int attempt = 0; attempt < qMax(1, retry.attempts); ++attempt) {
        PauseWithEvents(retry.pause);
        ++result.attempts;
        // Read and decoded on a thread of its own: a large file never holds
        // the windows still.
        const auto [readOk, tooLarge, decoded] = RunOffThread([&] {
            struct Attempt {
                bool ok = false;
                bool tooLarge = false;
                QString text;
            } got;
            QFile file(path);
            if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return got;
            got.tooLarge = file.size() > retry.maxBytes;
            if (got.tooLarge) return got;
            const QByteArray bytes = file.readAll();
            got.ok = file.error() == QFileDevice::NoError;
            if (got.ok) got.text = DecodeText(bytes);
            return got;
        });
        if (tooLarge) break;   // not a text file of ours: no point retrying
        QString text = decoded;
        if (!readOk || text.isEmpty()) {
            if (readOk) PauseWithEvents(retry.emptyPause);
            if (retry.afterFailedAttempt) retry.afterFailedAttempt(result.attempts);
            continue;
        }
        if (deleteAfter && QFileInfo::exists(path)) QFile::remove(path);
        result.ok = true;
        result.text = std::move(text);
        return result;
    }
    result.error = OpenDownloadError(path);
    return result;
}

QString OpenDownloadError(const QString& path)
{
    return QStringLiteral("无法打开下载文档：\r\n") + QDir::toNativeSeparators(path);
}

} // namespace slip
