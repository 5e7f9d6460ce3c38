#pragma once
#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVector>

namespace slip {

// How the canvas shows a slip: millimetres to pixels of the view. The zoom is
// the canvas width over the frame width (1: the slip fills the frame's width).
struct CanvasTransform {
    double pxPerMm = 0;
    QPointF origin;  // where the slip's top-left corner is, in view pixels

    QPointF ToPx(QPointF mm) const { return origin + mm * pxPerMm; }
    QRectF ToPx(const QRectF& mm) const { return QRectF(ToPx(mm.topLeft()), mm.size() * pxPerMm); }
    QPointF ToMm(QPointF px) const { return pxPerMm > 0 ? (px - origin) / pxPerMm : QPointF(); }
};

// Millimetres of the slip in one twip of the screen (1440 twips to the inch)
// at a canvas scale; 0 without one.
inline double MmPerScreenTwip(double pxPerMm, double dpi)
{
    return pxPerMm > 0 && dpi > 0 ? dpi / 1440.0 / pxPerMm : 0;
}

// The canvas size in pixels for a slip at a zoom in a frame of frameWidth
// pixels; an empty size when the slip has no usable size.
QSizeF CanvasSize(double slipWidthMm, double slipHeightMm, double frameWidth, double zoom);

// The width in whole pixels of a line drawn on the canvas: its stored width
// (pixels at zoom 1) times the zoom, rounded with halves to the even
// neighbour, and never less than one pixel: 1.5 is 2 pixels at zoom 1 and 3
// at zoom 2, whatever the slip's size.
int CanvasLinePixels(double storedWidth, double zoom);
inline constexpr double kMaxLinePixels = 8192;

// Zoom stays between a tenth and twenty times the frame width.
inline constexpr double kMinZoom = 0.1;
inline constexpr double kMaxZoom = 20.0;
double ClampZoom(double zoom);
// The zoom after the zoom buttons 0 (grow by a tenth of the frame width),
// 1 (shrink by as much) and 2 (frame width). A NaN or infinite step keeps the zoom.
double ZoomAfterButton(int button, double zoom);
double ZoomAfterStep(double zoom, double delta);
// The scroll offset (pixels, 0 or more) of one axis after the canvas changed
// from oldSize to newSize in a frame `frame` long: the old offset's share of
// the old canvas is kept in fifths (rounded, halves to the even fifth) of the
// new excess over the frame, 0 when the canvas fits.
double OffsetAfterZoom(double offset, double oldSize, double newSize, double frame);

// What the ruler grid draws on a canvas (pixels) for a slip of the given width.
struct RulerLine {
    QLineF line;
    bool centimetre = false;
};
struct RulerText {
    QPointF at;  // top-left corner
    QString text;
    QSizeF size;
};
struct RulerDrawing {
    QVector<RulerLine> lines;
    QVector<RulerText> texts;
};
// Lines every 2 mm at every zoom (on a slip so long that more than four
// would fall on a pixel, four a pixel), stronger every centimetre; centimetre
// numbers along the four edges, each standing wholly on the canvas and none
// running into another of its edge: a number that would run into the one
// before it is left out, and an edge keeps its last number in place of those
// it would run into. The sides number every centimetre below the top from 1
// on, whatever the top and bottom rows show. A number is digitWidth pixels
// per digit wide and textHeight high.
RulerDrawing ComputeRulers(double canvasWidth, double canvasHeight, double slipWidthMm, double digitWidth = 8,
                           double textHeight = 16);

// Colours of the grid (red-green-blue).
inline constexpr unsigned kRulerCentimetreRgb = 0xFF7200;
inline constexpr unsigned kRulerLineRgb = 0xFFC08D;

} // namespace slip
