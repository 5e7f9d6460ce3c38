#pragma once
// Files and encoded texts for tests.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QCryptographicHash>
#include <QFile>
#include <QString>
#include <QStringEncoder>

namespace slip::test {

// Writes a file anew; true when every byte was written.
inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A file's bytes; none when it can't be read.
inline QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// SHA-256 of a file's bytes, to show that a file was left as it was.
inline QByteArray FileHash(const QString& path)
{
    return QCryptographicHash::hash(FileBytes(path), QCryptographicHash::Sha256);
}

// A text in a named encoding ("GBK", "UTF-16LE", ...), made by Qt's encoder
// rather than by the code under test.
inline QByteArray Encoded(const char* encoding, const QString& text)
{
    QStringEncoder e(encoding);
    return e.encode(text);
}

inline QByteArray Gbk(const QString& text) { return Encoded("GBK", text); }

// A JPEG picture of one colour.
inline QByteArray JpegBytes(QColor colour, int width = 40, int height = 20)
{
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG");
    return bytes;
}

} // namespace slip::test
