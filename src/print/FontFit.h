#pragma once
#include "print/DrawSurface.h"

#include <QFont>
#include <QString>
#include <functional>

namespace slip {

// Twelve full-width characters, measured on screen and on paper to match the
// two; never printed.
QString FontFitSample();

// Width in screen twips of a text set in a font on the canvas.
using ScreenTextWidth = std::function<double(const QString& text, const QFont& font)>;

// The canvas's own measure: the text's width in whole screen pixels, at the
// program's fixed twips per pixel.
double ScreenLabelWidth(const QString& text, const QFont& font);

// Where the canvas shows the slip: the slip's width in millimetres and the
// width of the frame it is fitted to, in screen twips.
struct CanvasFrame {
    double slipWidthMm = 0;
    double frameWidthTwips = 0;
};

// The printer font size at which the box's font keeps its screen proportions
// on paper: the sample measured on screen at size x scale, scaled from the
// frame to the slip's real width, and searched for on the printer. The
// printer's font name must already be the box's; on return the printer's
// size is the result and its bold flag `bold`.
//
// Without a usable frame (no display, a minimised window: frame width 0) or
// slip width, the box's own size is used as it is.
double FitPrinterFontSize(DrawSurface& printer, double size, const QString& fontName, bool bold,
                          double scale, const CanvasFrame& frame,
                          const ScreenTextWidth& screenWidth = ScreenLabelWidth);

} // namespace slip
