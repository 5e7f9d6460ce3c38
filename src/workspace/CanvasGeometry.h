#pragma once
#include <QColor>
#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

namespace slip {

// All figures in twips.

// The canvas and its scroll bars.
struct CanvasFit {
    double left = 0, top = 0, width = 0, height = 0;
    bool hScrollEnabled = false;
    bool vScrollEnabled = false;
    int vScrollMax = 0;
    int hScrollMax = 0;
};
// The canvas fitted to the frame's width at the slip's proportions. A slip
// without a positive width and height keeps the frame's size.
CanvasFit FitCanvasToFrame(double slipWidthMm, double slipHeightMm, double frameWidth, double frameHeight);

// Canvas offset for a scroll value: a step is a fifth of the excess over the frame.
double ScrollOffset(double canvasSize, double frameSize, int value);

// The canvas after zooming by 1 + delta, with the scroll values that keep its
// relative place. Sizes stay between a tenth and twenty times the frame's
// width so that no zoom reaches zero or overflows.
struct ZoomResult {
    CanvasFit fit;
    int hValue = 0;
    int vValue = 0;
};
ZoomResult ZoomCanvasGeometry(const CanvasFit& current, double delta, double frameWidth, double frameHeight);
// The delta of the zoom buttons 0 (grow), 1 (shrink) and 2 (frame width).
double ZoomDelta(int button, double canvasWidth, double frameWidth);

// What the ruler grid draws on a canvas for a slip of the given width.
struct RulerLine {
    QLineF line;
    bool centimetre = false;
};
struct RulerText {
    QPointF at;
    QString text;
};
struct RulerDrawing {
    QVector<RulerLine> lines;
    QVector<RulerText> texts;
};
RulerDrawing ComputeRulers(double canvasWidth, double canvasHeight, double slipWidthMm);
// &HBBGGRR colours of the grid.
constexpr qint32 kRulerCentimetreColor = 0x0072FF;
constexpr qint32 kRulerLineColor = 0x8DC0FF;

} // namespace slip
