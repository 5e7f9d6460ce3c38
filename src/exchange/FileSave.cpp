#include "exchange/FileSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#ifdef Q_OS_UNIX
#include <unistd.h>
#else
#include <filesystem>
#endif

namespace slip {

namespace {

QString CannotWrite(const QString& path)
{
    return QStringLiteral("文件：“") + QDir::toNativeSeparators(path) + QStringLiteral("”无法写入！");
}

// Makes the written bytes durable before the rename makes them visible, so a
// power cut can't leave an empty file under the target's name.
bool SyncToDisk(QFile& file)
{
    if (!file.flush()) return false;
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    return true;
#endif
}

// Replaces `to` by `from` in one step where the platform allows it.
bool ReplaceByRename(const QString& from, const QString& to)
{
#ifdef Q_OS_UNIX
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#else
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(from.toStdWString()),
                            std::filesystem::path(to.toStdWString()), ec);
    return !ec;
#endif
}

} // namespace

int SaveFileThroughTemp(const QByteArray& data, const QString& path, const QString& tempPath,
                        QString* error)
{
    const QString temp = tempPath.isEmpty() ? path + QStringLiteral(".TMP") : tempPath;
    auto fail = [&](int step) {
        if (error) *error = CannotWrite(path);
        return step;
    };
    // A symbolic link or file at the temporary name is removed, never written through.
    if (QFileInfo(temp).isSymLink() || QFileInfo::exists(temp)) {
        if (!QFile::remove(temp)) return fail(kStaleTempNotRemoved);
    }
    QFile file(temp);
    // NewOnly: fails rather than open something that appeared meanwhile.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return fail(kTempNotCreated);
    const bool written = file.write(data) == data.size() && SyncToDisk(file);
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        QFile::remove(temp);
        return fail(kDataNotWritten);
    }
    if (!ReplaceByRename(temp, path) || !QFileInfo(path).isFile()) {
        QFile::remove(temp);
        return fail(kNotPutInPlace);
    }
    return kSaved;
}

bool CopyFileNoReplace(const QString& source, const QString& target, QString* error)
{
    auto fail = [&](const QString& text) {
        if (error) *error = text;
        return false;
    };
    if (QFileInfo(target).exists() || QFileInfo(target).isSymLink())
        return fail(QStringLiteral("文件：“") + QDir::toNativeSeparators(target) +
                    QStringLiteral("”已经存在！"));
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("文件：“") + QDir::toNativeSeparators(source) +
                    QStringLiteral("”无法读取！"));
    const QString temp = target + QStringLiteral(".TMP");
    if (QFileInfo(temp).exists() || QFileInfo(temp).isSymLink()) QFile::remove(temp);
    QFile out(temp);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return fail(CannotWrite(target));
    bool ok = true;
    QByteArray chunk;
    while (ok && !in.atEnd()) {
        chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) ok = false;
        else ok = out.write(chunk) == chunk.size();
    }
    ok = ok && in.error() == QFileDevice::NoError && SyncToDisk(out);
    out.close();
    ok = ok && out.error() == QFileDevice::NoError;
    // Checked again just before the rename: a backup is never written over.
    ok = ok && !QFileInfo(target).exists() && ReplaceByRename(temp, target) &&
         QFileInfo(target).isFile();
    if (!ok) {
        QFile::remove(temp);
        return fail(CannotWrite(target));
    }
    return true;
}

} // namespace slip
