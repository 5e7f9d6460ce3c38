#include "storage/SavedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace slip {

namespace {

SavedFileResult CannotWrite(const QString& path, const QString& why, bool replacing = false)
{
    SavedFileResult r;
    r.ok = false;
    r.error = QStringLiteral("文件：“") + QDir::toNativeSeparators(path) + QStringLiteral("”无法写入！") +
              (why.isEmpty() ? QString() : QStringLiteral("（") + why + QStringLiteral("）"));
    // Only what is there can fail to be replaced; a new file that can't be
    // made where nothing is failed at the writing.
    const QFileInfo there(path);
    r.notReplaced = replacing && (there.exists() || there.isSymLink());
    return r;
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

SavedFileResult SaveFile(const QString& path, const std::function<bool(QIODevice&)>& fill, FileAccess access)
{
    QSaveFile file(path);
    // Never write over the old file in place, whatever the folder allows.
    file.setDirectWriteFallback(false);
    // Opening makes the new file beside the old one: it fails when the path
    // is a folder or its folder takes no new file.
    if (!file.open(QIODevice::WriteOnly)) return CannotWrite(path, file.errorString(), true);
    // Before the first byte goes in.
    if (access == FileAccess::OwnerOnly && !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner)) {
        const QString why = file.errorString();
        file.cancelWriting();
        return CannotWrite(path, why);
    }
    if (!fill(file)) {
        const QString why = file.error() != QFileDevice::NoError ? file.errorString() : QString();
        file.cancelWriting();
        return CannotWrite(path, why);
    }
    if (!file.commit()) return CannotWrite(path, file.errorString(), file.error() == QFileDevice::RenameError);
    return {};
}

SavedFileResult SaveBytes(const QString& path, const QByteArray& bytes)
{
    return SaveFile(path, [&bytes](QIODevice& out) { return WriteWhole(out, bytes); });
}

SavedFileResult SaveCopy(const QString& source, const QString& path, FileAccess access)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        SavedFileResult r;
        r.ok = false;
        r.error = QStringLiteral("文件：“") + QDir::toNativeSeparators(source) + QStringLiteral("”无法读取！");
        return r;
    }
    return SaveFile(path, [&in](QIODevice& out) {
        while (!in.atEnd()) {
            const QByteArray chunk = in.read(1 << 20);
            if (chunk.isEmpty() || !WriteWhole(out, chunk)) return false;
        }
        return in.error() == QFileDevice::NoError;
    }, access);
}

} // namespace slip
