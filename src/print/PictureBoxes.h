#pragma once
#include "model/Box.h"

#include <QHash>
#include <QImage>
#include <QString>

namespace slip {

// What a picture box keeps of a value set into it: a barcode (IsBarcodeValue),
// an empty value or the path of a picture file that exists. The path of a
// missing file empties the box, so that it never reaches the defaults or the
// history.
QString PictureBoxValue(const QString& value);

// The tooltip of a picture box showing the value: the hint on how to fill an
// empty box, "当前图片：" with the picture's path, "当前条码：" with the barcode.
QString PictureBoxToolTip(const QString& value);

// The pictures the picture boxes of a slip show, each read from its file when
// the box's value becomes its path and kept for the box: a repaint or a print
// of the same value never reads the file again.
class BoxPictures {
public:
    // The picture of the box for a value it shows: the one kept when the box
    // showed this path before, else read from the file (null when it can't
    // be read) and kept in its place.
    QImage Picture(BoxId id, const QString& path);
    // Keeps nothing for the box (removed, or showing no picture now).
    void Forget(BoxId id) { held_.remove(id); }
    void Clear() { held_.clear(); }

private:
    struct Held {
        QString path;
        QImage image;
    };
    QHash<BoxId, Held> held_;
};

} // namespace slip
