#include "storage/SavedFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace slip {

namespace {

QString CannotWrite(const QString& path, const QString& why)
{
    return QStringLiteral("文件：“") + QDir::toNativeSeparators(path) + QStringLiteral("”无法写入！") +
           (why.isEmpty() ? QString() : QStringLiteral("（") + why + QStringLiteral("）"));
}

} // namespace

bool CreateOwnerOnlyFile(const QString& path, QString& why)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    ::close(fd);
    return true;
}

bool WriteWhole(QIODevice& out, const QByteArray& bytes)
{
    return out.write(bytes) == bytes.size();
}

StoreResult SaveFile(const QString& path, const std::function<bool(QIODevice&)>& fill, FileAccess access)
{
    QSaveFile file(path);
    // Never write over the old file in place, whatever the folder allows.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) return StoreResult::Failed(CannotWrite(path, file.errorString()));
    // Before the first byte goes in.
    if (access == FileAccess::OwnerOnly && !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner)) {
        const QString why = file.errorString();
        file.cancelWriting();
        return StoreResult::Failed(CannotWrite(path, why));
    }
    if (!fill(file)) {
        const QString why = file.error() != QFileDevice::NoError ? file.errorString() : QString();
        file.cancelWriting();
        return StoreResult::Failed(CannotWrite(path, why));
    }
    if (!file.commit()) return StoreResult::Failed(CannotWrite(path, file.errorString()));
    return StoreResult::Ok();
}

StoreResult SaveBytes(const QString& path, const QByteArray& bytes)
{
    return SaveFile(path, [&bytes](QIODevice& out) { return WriteWhole(out, bytes); });
}

StoreResult SaveCopy(const QString& source, const QString& path, FileAccess access)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return StoreResult::Failed(QStringLiteral("文件：“") + QDir::toNativeSeparators(source) +
                                   QStringLiteral("”无法读取！"));
    return SaveFile(path, [&in](QIODevice& out) {
        while (!in.atEnd()) {
            const QByteArray chunk = in.read(1 << 20);
            if (chunk.isEmpty() || !WriteWhole(out, chunk)) return false;
        }
        return in.error() == QFileDevice::NoError;
    }, access);
}

} // namespace slip
