#include "workspace/CanvasGeometry.h"

#include "core/TextNumber.h"

#include <algorithm>
#include <cmath>

namespace slip {

QSizeF CanvasSize(double w, double h, double frameWidth, double zoom)
{
    if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h) || !(frameWidth > 0)) return {};
    const double width = frameWidth * ClampZoom(zoom);
    return QSizeF(width, width * h / w);
}

double ClampZoom(double zoom)
{
    if (!std::isfinite(zoom)) return 1.0;
    return std::clamp(zoom, kMinZoom, kMaxZoom);
}

double ZoomAfterStep(double zoom, double delta)
{
    if (!std::isfinite(delta)) return ClampZoom(zoom);
    return ClampZoom(zoom * (1 + delta));
}

double ZoomAfterButton(int button, double zoom)
{
    switch (button) {
    case 0: return ZoomAfterStep(zoom, 0.1);
    case 1: return ZoomAfterStep(zoom, -0.1);
    case 2: return 1.0;
    default: return ClampZoom(zoom);
    }
}

int RulerNumberStep(double cmPx, double labelWidth)
{
    if (!(cmPx > 0)) return 1;
    for (int step : {1, 2, 5, 10, 20, 50, 100, 200, 500})
        if (step * cmPx >= labelWidth + 4) return step;
    return 1000;
}

RulerDrawing ComputeRulers(double cw, double ch, double slipWidthMm, double labelWidth)
{
    RulerDrawing d;
    if (!(slipWidthMm > 0) || !std::isfinite(slipWidthMm) || cw <= 0 || ch <= 0) return d;
    const double s = cw / slipWidthMm;  // pixels per mm
    const qint64 lastX = qint64(std::floor(slipWidthMm + 1e-9));
    const qint64 lastY = qint64(std::floor(ch / s + 1e-9));
    // Lines 2 mm apart when they are at least 3 pixels apart, else only
    // centimetres, else none but every few centimetres.
    const int lineStep = s * 2 >= 3 ? 2 : s * 10 >= 3 ? 10 : 10 * RulerNumberStep(s * 10, 3);
    const int numberStep = RulerNumberStep(s * 10, labelWidth);
    const double textHeight = 16;
    auto add = [&](bool vertical, qint64 last) {
        for (qint64 i = 0; i <= last; i += lineStep) {
            const double p = i * s;
            const bool cm = i % 10 == 0;
            d.lines.push_back({vertical ? QLineF(p, 0, p, ch) : QLineF(0, p, cw, p), cm});
            if (!cm) continue;
            const qint64 n = i / 10;
            if (n % numberStep != 0) continue;
            const QString t = QString::number(n);
            if (vertical) {
                d.texts.push_back({QPointF(p + 1, 0), t});
                d.texts.push_back({QPointF(p + 1, ch - textHeight), t});
            } else if (n != 0 && p + textHeight <= ch) {
                d.texts.push_back({QPointF(1, p), t});
                d.texts.push_back({QPointF(cw - labelWidth, p), t});
            }
        }
    };
    add(true, lastX);
    add(false, lastY);
    return d;
}

} // namespace slip
