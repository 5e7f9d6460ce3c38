#include "print/FontFit.h"

#include "core/Units.h"

#include <QFontMetrics>
#include <cmath>

namespace slip {

QString FontFitSample() { return QStringLiteral("永和九年岁在癸丑暮春之初"); }

double ScreenLabelWidth(const QString& text, const QFont& font)
{
    // A label on the canvas is a whole number of pixels wide.
    return QFontMetrics(font).horizontalAdvance(text) * units::kTwipsPerPixel;
}

double FitPrinterFontSize(DrawSurface& printer, double size, const QString& fontName, bool bold,
                          double scale, const CanvasFrame& frame, const ScreenTextWidth& screenWidth)
{
    const double screenSize = size * scale;
    const auto useOwnSize = [&] {
        printer.SetFontSize(screenSize);
        printer.SetFontBold(bold);
        return printer.FontSize();
    };
    // With no frame to compare with, the search would chase a width near 0
    // and print at a size near 0.
    if (!(frame.frameWidthTwips > 0) || !(frame.slipWidthMm > 0) || !(screenSize > 0)
        || !std::isfinite(frame.frameWidthTwips) || !std::isfinite(frame.slipWidthMm) || !screenWidth)
        return useOwnSize();

    const QString sample = FontFitSample();
    QFont label(fontName);
    label.setPointSizeF(screenSize);
    label.setBold(bold);
    const double target =
        screenWidth(sample, label) * (frame.slipWidthMm / frame.frameWidthTwips) * kPaperTwipsPerMm;
    if (!(target > 0) || !std::isfinite(target)) return useOwnSize();

    printer.SetFontSize(10.5);
    printer.SetFontBold(bold);
    double w = printer.TextWidth(sample);
    double step = w > target ? -4.0 : 10.0;

    // Coarse search: halve the step and turn back at every crossing of the
    // target. Each step starts from the size the printer really applied.
    for (int round = 0; round <= 500; ++round) {
        const double current = printer.FontSize();
        if (step < -current) step = -current;
        printer.SetFontSize(float(current + step));
        w = printer.TextWidth(sample);
        if ((step > 0 && w > target) || (step <= 0 && w < target)) step = -step / 2;
        if (std::fabs(step) < 0.3) break;
    }

    // Fine search in tenths of a point towards the target; the result never
    // prints wider than the target when a smaller size was tried.
    step = w > target ? -0.1 : 0.1;
    const double s0 = printer.FontSize();
    for (int i = 1; i <= 10; ++i) {
        printer.SetFontSize(float(s0 + i * step));
        w = printer.TextWidth(sample);
        if (step > 0) {
            if (w > target) {
                printer.SetFontSize(float(s0 + (i - 1) * step));
                break;
            }
            if (w == target) break;
        } else if (w <= target) {
            break;
        }
    }
    return printer.FontSize();
}

} // namespace slip
