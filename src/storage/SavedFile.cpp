#include "storage/SavedFile.h"

#include "core/CommonHelpers.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace slip {

namespace {

SavedFileResult CannotWrite(const QString& path, const QString& why, bool notReplaced)
{
    SavedFileResult r;
    r.ok = false;
    r.error = WithSystemText(QStringLiteral("文件：“") + QDir::toNativeSeparators(path) + QStringLiteral("”无法写入！"), why);
    r.notReplaced = notReplaced;
    return r;
}

} // namespace

bool CreateOwnerOnlyFile(const QString& path, QString& why)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        why = SystemText(errno);
        return false;
    }
    ::close(fd);
    return true;
}

bool WriteWhole(QIODevice& out, const QByteArray& bytes)
{
    return out.write(bytes) == bytes.size();
}

SavedFileResult SaveFile(const QString& path, const std::function<bool(QIODevice&)>& fill, FileAccess access,
                         const WrittenFileCheck& check)
{
    const WholeFileWrite written = WriteWholeFile(path, fill, {access == FileAccess::OwnerOnly, check});
    if (!written.ok) return CannotWrite(path, written.why, written.notReplaced);
    return {};
}

SavedFileResult SaveBytes(const QString& path, const QByteArray& bytes)
{
    return SaveFile(path, [&bytes](QIODevice& out) { return WriteWhole(out, bytes); });
}

SavedFileResult SaveCopy(const QString& source, const QString& path, FileAccess access,
                         const WrittenFileCheck& check)
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
    }, access, check);
}

} // namespace slip
