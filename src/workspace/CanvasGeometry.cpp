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

int CanvasLinePixels(double storedWidth, double zoom)
{
    const double px = storedWidth * ClampZoom(zoom);
    if (!std::isfinite(px)) return 1;
    // A line's width is a whole number of pixels, as the window system draws it.
    return int(std::clamp<qint64>(RoundHalfEven(std::clamp(px, 0.0, kMaxLinePixels)), 1, qint64(kMaxLinePixels)));
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

double OffsetAfterZoom(double offset, double oldSize, double newSize, double frame)
{
    const double excess = newSize - frame;
    if (!(excess > 0) || !(oldSize > 0) || !std::isfinite(offset)) return 0;
    const qint64 fifths = std::clamp<qint64>(RoundHalfEven(std::abs(offset / oldSize) * 5), 0, 5);
    return excess / 5 * double(fifths);
}

namespace {

// Keeps the numbers of one edge that don't run into a number kept before
// them, and the edge's last number in place of the kept ones it would run
// into; `along_x` picks the coordinate the numbers follow each other on.
QVector<RulerText> WithoutCollisions(const QVector<RulerText>& texts, bool along_x, double gap)
{
    auto collide = [&](const RulerText& before, const RulerText& after) {
        const double end = along_x ? before.at.x() + before.size.width() : before.at.y() + before.size.height();
        return end + gap > (along_x ? after.at.x() : after.at.y());
    };
    QVector<RulerText> kept;
    for (const RulerText& t : texts)
        if (kept.isEmpty() || !collide(kept.back(), t)) kept.push_back(t);
    if (!texts.isEmpty() && kept.back().text != texts.back().text) {
        while (!kept.isEmpty() && collide(kept.back(), texts.back())) kept.pop_back();
        kept.push_back(texts.back());
    }
    return kept;
}

} // namespace

RulerDrawing ComputeRulers(double cw, double ch, double slipWidthMm, double digitWidth, double textHeight)
{
    RulerDrawing d;
    if (!(slipWidthMm > 0) || !std::isfinite(slipWidthMm) || !(cw > 0) || !(ch > 0)) return d;
    const double s = cw / slipWidthMm;  // pixels per mm
    const qint64 lastX = qint64(std::floor(slipWidthMm + 1e-9));
    const qint64 lastY = qint64(std::floor(ch / s + 1e-9));
    // A slip of many metres zoomed out would put thousands of lines on one
    // pixel and stall the window for each paint: past four lines a pixel the
    // lines are thinned to that many, which shows the same grey.
    const qint64 twoMm = qint64(std::ceil(std::max(1.0, (lastX + lastY) / 2.0 / (4 * (cw + ch)))));
    const qint64 step = 2 * twoMm;
    for (qint64 i = 0; i <= lastX; i += step)
        d.lines.push_back({QLineF(i * s, 0, i * s, ch), i % 10 == 0});
    for (qint64 i = 0; i <= lastY; i += step)
        d.lines.push_back({QLineF(0, i * s, cw, i * s), i % 10 == 0});

    // Numbers: each wholly on the slip (one at an edge is moved in), and
    // none running into another of its edge: one that would is left out.
    const double gap = 2;
    auto sizeOf = [&](qint64 n) { return QSizeF(QString::number(n).size() * digitWidth + 2, textHeight); };
    if (sizeOf(lastX / 10).width() > cw || textHeight > ch) return d;
    // The first number after one that is kept is the first that starts past
    // its end: those between would be left out, so they are never made (a
    // long slip zoomed out has millions of them).
    const auto nextAfter = [&](qint64 n, double end) {
        return std::max<qint64>(n + 1, qint64(std::ceil((end + gap - 1) / (10 * s))));
    };
    QVector<RulerText> along;
    for (qint64 n = 0; n * 10 <= lastX;) {
        const QSizeF size = sizeOf(n);
        const double x = std::clamp(n * 10 * s + 1, 0.0, cw - size.width());
        along.push_back({QPointF(x, 0), QString::number(n), size});
        const qint64 next = nextAfter(n, n * 10 * s + 1 + size.width());
        n = next > lastX / 10 && n != lastX / 10 ? lastX / 10 : next;
    }
    along = WithoutCollisions(along, true, gap);
    for (const RulerText& t : along) {
        d.texts.push_back(t);
        d.texts.push_back({QPointF(t.at.x(), ch - textHeight), t.text, t.size});
    }
    // Down the sides, every centimetre whose number still stands on the slip.
    QVector<RulerText> down;
    const auto standsOnSlip = [&](qint64 n) { return n * 10 <= lastY && n * 10 * s + textHeight <= ch; };
    qint64 lastDown = std::min<qint64>(lastY / 10, qint64(std::floor((ch - textHeight) / (10 * s))));
    while (standsOnSlip(lastDown + 1)) ++lastDown;
    while (lastDown >= 1 && !standsOnSlip(lastDown)) --lastDown;
    for (qint64 n = 1; n <= lastDown;) {
        const double y = n * 10 * s;
        down.push_back({QPointF(0, y), QString::number(n), sizeOf(n)});
        const qint64 next = std::max<qint64>(n + 1, qint64(std::ceil((y + textHeight + gap) / (10 * s))));
        n = next > lastDown && n != lastDown ? lastDown : next;
    }
    for (const RulerText& t : WithoutCollisions(down, false, gap)) {
        d.texts.push_back(t);
        d.texts.push_back({QPointF(cw - t.size.width(), t.at.y()), t.text, t.size});
    }
    return d;
}

} // namespace slip
