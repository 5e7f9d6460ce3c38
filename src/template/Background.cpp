#include "template/Background.h"

#include "storage/DataFolder.h"
#include "storage/Prompt.h"
#include "storage/TextNumber.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace slip {

QString BackgroundPicturePath(const QString& formatName)
{
    static const QString unsafe = QStringLiteral("*?<>/\\:|\"");
    QString safe = formatName;
    for (int i = 0; i < unsafe.size(); ++i) safe.replace(unsafe.at(i), QChar(u'0' + i));
    return DataFile(safe + QStringLiteral(".jpg"));
}

QImage LoadBackgroundPicture(const QString& formatName)
{
    const QString path = BackgroundPicturePath(formatName);
    if (!QFileInfo(path).isFile()) return QImage();
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

bool ReplaceBackgroundPicture(const QString& formatName, const QString& chosenFile)
{
    if (chosenFile.isEmpty() || !chosenFile.right(4).toLower().endsWith(QStringLiteral(".jpg")) ||
        !QFileInfo(chosenFile).isFile())
        return false;
    const QString target = BackgroundPicturePath(formatName);
    if (QFileInfo::exists(target) &&
        Question(QStringLiteral("当前格式已有底图，是否要替换？")) != PromptAnswer::Yes)
        return false;
    const QString temp = target + QStringLiteral(".new");
    QFile::remove(temp);
    bool ok = QFile::copy(chosenFile, temp);
    if (ok) {
        // Rename over the old picture only once the copy is complete.
        QFile::remove(target + QStringLiteral(".old"));
        const bool hadOld = QFileInfo::exists(target);
        if (hadOld) ok = QFile::rename(target, target + QStringLiteral(".old"));
        if (ok) ok = QFile::rename(temp, target);
        if (!ok && hadOld) QFile::rename(target + QStringLiteral(".old"), target);
        if (ok) QFile::remove(target + QStringLiteral(".old"));
    }
    QFile::remove(temp);
    if (!ok) MsgBox(QStringLiteral("底图复制失败，原有底图未改变！"), PromptIcon::Warning);
    return ok;
}

bool ClearBackgroundPicture(const QString& formatName)
{
    if (Question(QStringLiteral("您确定要清除背景图？")) != PromptAnswer::Yes) return false;
    const QString path = BackgroundPicturePath(formatName);
    if (!QFileInfo::exists(path)) return false;
    if (!QFile::remove(path)) {
        MsgBox(QStringLiteral("底图文件无法删除！"), PromptIcon::Warning);
        return false;
    }
    return true;
}

bool CopyBackgroundPicture(const QString& fromFormat, const QString& toFormat)
{
    const QString from = BackgroundPicturePath(fromFormat);
    const QString to = BackgroundPicturePath(toFormat);
    if (!QFileInfo::exists(from) || QFileInfo::exists(to)) return false;
    return QFile::copy(from, to);
}

PreviewLayout ComputePreviewLayout(const QSize& pictureSize, double frameWidth, double frameHeight)
{
    PreviewLayout p;
    if (pictureSize.width() <= 0 || frameHeight <= 0) return p;
    p.imageHeight = frameWidth * pictureSize.height() / pictureSize.width();
    if (p.imageHeight > frameHeight) {
        p.scrollEnabled = true;
        p.scrollMax = int(RoundHalfEven(p.imageHeight / frameHeight * 10));
    }
    return p;
}

} // namespace slip
