#include "storage/BackgroundStore.h"

#include "core/DataFolder.h"
#include "core/FileNames.h"
#include "core/TextNumber.h"
#include "storage/FormatStore.h"
#include "storage/SavedFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace slip::BackgroundStore {

namespace {

QString OldRuleName(const QString& name) { return MapUnsafeFileNameChars(name); }

QImage ReadImage(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

} // namespace

QString PicturePath(const QString& formatName)
{
    QString safe = OldRuleName(formatName);
    if (HasUnsafeFileNameChars(formatName)) {
        const QByteArray mark = QCryptographicHash::hash(formatName.toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
        safe += QLatin1Char('~') + QString::fromLatin1(mark);
    }
    return DataFile(safe + QStringLiteral(".jpg"));
}

// Where older versions kept the picture of a name with such characters.
static QString OldRulePath(const QString& formatName) { return DataFile(OldRuleName(formatName) + QStringLiteral(".jpg")); }

QString ExistingPicture(const QString& formatName)
{
    const QString path = PicturePath(formatName);
    if (QFileInfo(path).isFile()) return path;
    // A picture kept under the old rule still belongs to this format, unless
    // a format is itself named like that file.
    if (HasUnsafeFileNameChars(formatName)) {
        const QString old = OldRulePath(formatName);
        if (QFileInfo(old).isFile() && !FormatStore::Exists(OldRuleName(formatName))) return old;
    }
    return QString();
}

bool HasPicture(const QString& formatName) { return !ExistingPicture(formatName).isEmpty(); }

QImage Load(const QString& formatName)
{
    const QString path = ExistingPicture(formatName);
    return path.isEmpty() ? QImage() : ReadImage(path);
}

bool IsPictureFileName(const QString& chosenFile)
{
    return chosenFile.right(4).toLower() == QStringLiteral(".jpg");
}

StoreResult Replace(const QString& formatName, const QString& chosenFile)
{
    if (chosenFile.isEmpty() || !QFileInfo(chosenFile).isFile())
        return StoreResult::Failed(QStringLiteral("找不到所选的图片文件！"));
    if (!IsPictureFileName(chosenFile) || ReadImage(chosenFile).isNull())
        return StoreResult::Failed(QStringLiteral("所选文件不是可以读取的JPEG图片，原有底图未改变！"));
    if (const StoreResult written = SaveCopy(chosenFile, PicturePath(formatName)); !written)
        return StoreResult::Failed(QStringLiteral("底图复制失败，原有底图未改变！") + written.error);
    // The picture now lives under the new rule only.
    const QString old = OldRulePath(formatName);
    if (HasUnsafeFileNameChars(formatName) && old != PicturePath(formatName) && !FormatStore::Exists(OldRuleName(formatName)))
        QFile::remove(old);
    return StoreResult::Ok();
}

StoreResult Remove(const QString& formatName)
{
    for (;;) {
        const QString path = ExistingPicture(formatName);
        if (path.isEmpty()) return StoreResult::Ok();
        QFile f(path);
        if (!f.remove()) return StoreResult::Failed(QStringLiteral("底图文件无法删除！（") + f.errorString() + QStringLiteral("）"));
    }
}

StoreResult CopyTo(const QString& fromFormat, const QString& toFormat)
{
    if (fromFormat == toFormat) return StoreResult::Ok();
    const QString from = ExistingPicture(fromFormat);
    if (from.isEmpty()) return Remove(toFormat);
    const StoreResult written =
        ReadImage(from).isNull() ? StoreResult::Failed(QString()) : SaveCopy(from, PicturePath(toFormat));
    if (!written) return StoreResult::Failed(QStringLiteral("底图复制失败！") + written.error);
    return StoreResult::Ok();
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

} // namespace slip::BackgroundStore
