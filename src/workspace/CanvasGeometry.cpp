#include "workspace/CanvasGeometry.h"

#include "storage/TextNumber.h"

#include <cmath>

namespace slip {

CanvasFit FitCanvasToFrame(double w, double h, double frameWidth, double frameHeight)
{
    CanvasFit f;
    f.width = frameWidth;
    const bool sane = std::isfinite(w) && std::isfinite(h) && w > 0 && h > 0;
    f.height = sane ? frameWidth / (w / h) : frameHeight;
    f.hScrollEnabled = false;
    f.vScrollEnabled = f.height > frameHeight;
    f.vScrollMax = f.vScrollEnabled ? 5 : 0;
    return f;
}

double ScrollOffset(double canvasSize, double frameSize, int value)
{
    return -((canvasSize - frameSize) / 5.0) * value;
}

double ZoomDelta(int button, double canvasWidth, double frameWidth)
{
    switch (button) {
    case 0: return 0.1;
    case 1: return -0.1;
    case 2: return canvasWidth > 0 ? -(canvasWidth - frameWidth) / canvasWidth : 0;
    default: return 0;
    }
}

ZoomResult ZoomCanvasGeometry(const CanvasFit& cur, double delta, double frameWidth, double frameHeight)
{
    ZoomResult z;
    z.fit = cur;
    if (!std::isfinite(delta) || cur.width <= 0 || cur.height <= 0) return z;
    double factor = 1 + delta;
    const double minWidth = frameWidth / 10, maxWidth = frameWidth * 20;
    if (cur.width * factor < minWidth) factor = minWidth / cur.width;
    if (cur.width * factor > maxWidth) factor = maxWidth / cur.width;
    const double tr = cur.top / cur.height;
    const double lr = cur.left / cur.width;
    CanvasFit& f = z.fit;
    f.width = cur.width * factor;
    f.height = cur.height * factor;
    if (f.height > frameHeight) {
        f.vScrollMax = 5;
        z.vValue = int(RoundHalfEven(std::fabs(tr) * 5));
        f.vScrollEnabled = true;
        f.top = ScrollOffset(f.height, frameHeight, z.vValue);
    } else {
        f.top = 0;
        f.vScrollEnabled = false;
    }
    if (f.width > frameWidth) {
        f.hScrollMax = 5;
        z.hValue = int(RoundHalfEven(std::fabs(lr) * 5));
        f.hScrollEnabled = true;
        f.left = ScrollOffset(f.width, frameWidth, z.hValue);
    } else {
        f.left = 0;
        f.hScrollEnabled = false;
    }
    return z;
}

RulerDrawing ComputeRulers(double cw, double ch, double slipWidthMm)
{
    RulerDrawing d;
    if (!(slipWidthMm > 0) || !std::isfinite(slipWidthMm) || cw <= 0) return d;
    const double s = cw / slipWidthMm;
    const qint64 lastX = RoundHalfEven(slipWidthMm);
    const qint64 lastY = RoundHalfEven(ch / cw * slipWidthMm);
    for (qint64 i = 0; i <= lastX; i += 2) {
        const double x = i * s;
        const bool cm = (i / 10) * 10 == i;
        d.lines.push_back({QLineF(x, 0, x, ch), cm});
        if (cm) {
            const double xr = double(RoundHalfEven(x));
            const QString t = QString::number(i / 10);
            d.texts.push_back({QPointF(xr, 0), t});
            d.texts.push_back({QPointF(xr, ch - 260), t});
        }
    }
    for (qint64 i = 0; i <= lastY; i += 2) {
        const double y = i * s;
        const bool cm = (i / 10) * 10 == i;
        d.lines.push_back({QLineF(0, y, cw, y), cm});
        if (cm && i / 10 != 0) {
            const double yr = double(RoundHalfEven(y));
            const QString t = QString::number(i / 10);
            d.texts.push_back({QPointF(0, yr), t});
            d.texts.push_back({QPointF(i / 10 < 10 ? cw - 130 : cw - 260, yr), t});
        }
    }
    return d;
}

} // namespace slip
