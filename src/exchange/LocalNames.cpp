#include "exchange/LocalNames.h"

#include "core/DataFolder.h"
#include "core/FileNames.h"

#include <QDir>
#include <QFileInfo>

namespace slip {

QString DownloadFolder()
{
    const QString folder = DataFile(QStringLiteral("Temp"));
    QFileInfo info(folder);
    // A link named Temp could point anywhere: downloads need the real folder.
    if (info.isSymLink()) return QString();
    if (!info.isDir() && !QDir().mkpath(folder)) return QString();
    return QDir(folder).absolutePath();
}

QString FileSafeName(const QString& name)
{
    QString safe = MapUnsafeFileNameChars(name);
    for (QChar& c : safe)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char('_');
    return safe;
}

bool IsPlainFileName(const QString& name)
{
    if (name.isEmpty() || name.size() > 200) return false;
    if (name == QLatin1String(".") || name == QLatin1String("..")) return false;
    for (QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
        if (UnsafeFileNameChars().contains(c)) return false;
    }
    return true;
}

QString PathInside(const QString& folder, const QString& name)
{
    if (folder.isEmpty() || !IsPlainFileName(name)) return QString();
    const QString root = QDir(folder).absolutePath();
    const QString path = QDir(root).absoluteFilePath(name);
    if (QFileInfo(path).absolutePath() != root) return QString();
    return path;
}

} // namespace slip
