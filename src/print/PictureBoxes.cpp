#include "print/PictureBoxes.h"

#include "print/SlipDrawing.h"

#include <QFileInfo>
#include <QImageReader>

namespace slip {

QString PictureBoxValue(const QString& value)
{
    if (value.isEmpty() || IsBarcodeValue(value)) return value;
    return QFileInfo(value).isFile() ? value : QString();
}

QString PictureBoxToolTip(const QString& value)
{
    if (value.isEmpty()) return QStringLiteral("点鼠标右键，在弹出菜单选相应的菜单项，可添加/更改图片或输入条码。");
    if (IsBarcodeValue(value)) return QStringLiteral("当前条码：") + value;
    return QStringLiteral("当前图片：") + value;
}

QImage BoxPictures::Picture(BoxId id, const QString& path)
{
    if (path.isEmpty()) return QImage();
    auto it = held_.find(id);
    if (it != held_.end() && it->path == path) return it->image;
    QImageReader r(path);
    r.setDecideFormatFromContent(true);
    const QImage image = r.read();
    held_.insert(id, Held{path, image});
    return image;
}

} // namespace slip
