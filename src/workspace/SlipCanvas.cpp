#include "workspace/SlipCanvas.h"

#include "storage/GridModel.h"
#include "storage/Params.h"
#include "template/SlipTemplate.h"
#include "workspace/CanvasGeometry.h"

#include <QPainter>

namespace slip {

SlipCanvas::SlipCanvas(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void SlipCanvas::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (BackgroundShown()) p.drawImage(rect(), background);
    if (showRulers) {
        const double tw = width() * kTwipsPerPixel;
        const double th = height() * kTwipsPerPixel;
        const RulerDrawing d = ComputeRulers(tw, th, slipWidthMm);
        const QColor cm = GridModel::ToQColor(kRulerCentimetreColor);
        const QColor mm = GridModel::ToQColor(kRulerLineColor);
        for (const RulerLine& l : d.lines) {
            p.setPen(QPen(l.centimetre ? cm : mm, 0));
            p.drawLine(QLineF(l.line.p1() / kTwipsPerPixel, l.line.p2() / kTwipsPerPixel));
        }
        QFont f = font();
        f.setPixelSize(15);
        p.setFont(f);
        p.setPen(Qt::black);
        for (const RulerText& t : d.texts) {
            const QPointF at = t.at / kTwipsPerPixel;
            p.drawText(QRectF(at, QSizeF(60, 16)), Qt::AlignLeft | Qt::AlignTop, t.text);
        }
    }
    if (template_) template_->PaintLines(p);
}

} // namespace slip
