#include "workspace/ButtonPictures.h"

#include <QPainter>
#include <QPixmap>
#include <functional>

namespace slip {

namespace {

const QColor kInk(0x1F, 0x5F, 0xA8);

// A 32-pixel picture drawn by `draw`, its pen the buttons' ink.
QIcon Drawn(const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 1.5));
    draw(p);
    p.end();
    return QIcon(pixmap);
}

} // namespace

QIcon PrintPicture(int sheets)
{
    return Drawn([sheets](QPainter& p) {
        for (int i = sheets - 1; i >= 0; --i) {
            p.setBrush(Qt::white);
            p.drawRect(QRectF(9 + 3 * i, 2 + 2 * i, 14, 12));
        }
        p.setBrush(kInk);
        p.drawRoundedRect(QRectF(3, 12, 26, 12), 3, 3);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, 20, 16, 10));
        p.drawLine(QPointF(11, 24), QPointF(21, 24));
        p.drawLine(QPointF(11, 27), QPointF(18, 27));
    });
}

QIcon CataloguePicture()
{
    return Drawn([](QPainter& p) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 14, 24, 15));
        p.drawLine(QPointF(8, 20), QPointF(24, 20));
        p.drawLine(QPointF(8, 24), QPointF(20, 24));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2E, 0x9A, 0x3C));
        p.drawRect(QRectF(13, 1, 6, 9));
        p.drawPolygon(QPolygonF({QPointF(8, 9), QPointF(24, 9), QPointF(16, 17)}));
    });
}

} // namespace slip
