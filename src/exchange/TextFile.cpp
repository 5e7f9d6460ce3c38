#include "exchange/TextFile.h"

#include "core/TextCodec.h"

#include "exchange/EventWait.h"
#include "exchange/FileSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

namespace slip {

QByteArray EncodeText(const QString& text)
{
    for (const char* name : {"GBK", "GB18030"}) {
        QStringEncoder encoder(name);
        if (!encoder.isValid()) continue;
        QByteArray bytes = encoder.encode(text);
        if (!encoder.hasError()) return bytes;
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

int WriteTextFile(const QString& text, const QString& path, QString* error)
{
    return SaveFileThroughTemp(EncodeText(text), path, path + QStringLiteral(".TMP"), error);
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
        QString error;
        if (SaveFileThroughTemp(bytes, current, current + QStringLiteral(".TMP"), &error) == kSaved) {
            result.ok = true;
            result.path = current;
            result.error.clear();
            return result;
        }
        result.error = error;
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
        QFile file(path);
        if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) continue;
        if (file.size() > retry.maxBytes) break;   // not a text file of ours: no point retrying
        const QByteArray bytes = file.readAll();
        const bool readOk = file.error() == QFileDevice::NoError;
        file.close();
        if (!readOk) continue;
        QString text = DecodeText(bytes);
        if (text.isEmpty()) {
            PauseWithEvents(retry.emptyPause);
            continue;
        }
        if (deleteAfter && QFileInfo::exists(path)) QFile::remove(path);
        result.ok = true;
        result.text = std::move(text);
        return result;
    }
    result.error = QStringLiteral("无法打开下载文档：\r\n") + QDir::toNativeSeparators(path);
    return result;
}

} // namespace slip
