#include "print/SlipContents.h"

#include "core/Units.h"
#include "print/PaperForm.h"
#include "print/SlipDrawing.h"
#include "print/SlipPrinter.h"

#include <QImageReader>
#include <bit>
#include <cmath>

namespace slip {

namespace {

QImage ReadPicture(const QString& path)
{
    QImageReader r(path);
    r.setDecideFormatFromContent(true);
    return r.read();
}

} // namespace

double ReferenceFrameWidthTwips(double slipWidthMm)
{
    // One screen twip (15 to a pixel at 96 to the inch) is one paper twip.
    return units::TwipsFromMm(slipWidthMm);
}

double PrintShiftMm(double offsetMm) { return offsetMm - kNoPrintShift; }

PrinterFontFitter::PrinterFontFitter(const CanvasFrame& frame, ScreenTextWidth screenWidth)
    : frame_(frame), screenWidth_(screenWidth ? std::move(screenWidth) : ScreenTextWidth(ScreenLabelWidth))
{
}

double PrinterFontFitter::operator()(DrawSurface& printer, double storedSize)
{
    const QFont& f = printer.Font();
    const QString family = f.family();
    for (const Fitted& known : std::as_const(fitted_)) {
        // The same number as stored, bit for bit (0 and -0 are two sizes, a
        // NaN is one).
        if (std::bit_cast<quint64>(known.storedSize) == std::bit_cast<quint64>(storedSize) && known.bold == f.bold() && known.italic == f.italic() && known.family == family) {
            printer.SetFontSize(known.size);
            return printer.FontSize();
        }
    }
    const double size = FitPrinterFontSize(printer, storedSize, family, f.bold(), 1.0, frame_, screenWidth_);
    fitted_.push_back({family, storedSize, f.bold(), f.italic(), size});
    return size;
}

PagePlacement SetUpSlipPage(SlipPrinter& printer, const SlipFormat& format, Prompter& prompter)
{
    const FormatHeader& h = format.Header();
    const SlipOptions& o = h.options;
    if (o.setPaper) {
        // A slip fed lengthwise lies on paper of its turned size, so that the
        // landscape page is the slip itself and every box is on it.
        QString name = SlipPaperName();
        if (o.lengthwise) SetCustomPaper(printer, name, h.heightMm, h.widthMm, prompter);
        else SetCustomPaper(printer, name, h.widthMm, h.heightMm, prompter);
    }
    const QPageLayout::Orientation turn = o.lengthwise ? QPageLayout::Landscape : QPageLayout::Portrait;
    // A printer that can't turn the page prints the slip on the page it has.
    if (!printer.SetOrientation(turn))
        prompter.Tell(OrientationRefusedMessage(printer.DeviceName(), turn));
    return PagePlacement{printer.PageWidth(), printer.PageHeight(), o.lengthwise, o.guidesToCentre};
}

namespace {

void DrawSlip(SlipPrinter& printer, const SlipFormat& format, const QHash<BoxId, QString>& values, double shiftXMm,
              double shiftYMm, const PagePlacement& page, const SlipPrintSettings& settings,
              PrinterFontFitter& fitter, Prompter& prompter)
{
    const FormatHeader& h = format.Header();
    if (h.options.printBackground)
        PrintBackgroundPicture(printer, settings.background, shiftXMm, shiftYMm, h.widthMm, h.heightMm, page);
    const SlipPlacement where{shiftXMm, shiftYMm, h.widthMm, h.heightMm, page};
    SlipDrawSettings draw;
    draw.fontSize = [&fitter](DrawSurface& s, double size) { return fitter(s, size); };
    draw.loadPicture = settings.loadPicture ? settings.loadPicture
                                            : std::function<QImage(BoxId, const QString&)>(
                                                  [](BoxId, const QString& path) { return ReadPicture(path); });
    draw.barcodeStandard = settings.barcodeStandard;
    draw.canvasRules = false;
    draw.prompter = &prompter;
    DrawSlipContents(format, values, printer, where, draw);
}

} // namespace

CanvasFrame PrintFrame(const SlipFormat& format, const SlipPrintSettings& settings)
{
    const double width = format.Header().widthMm;
    const double frame = settings.frameWidthTwips > 0 && std::isfinite(settings.frameWidthTwips)
        ? settings.frameWidthTwips
        : ReferenceFrameWidthTwips(width);
    return CanvasFrame{width, frame};
}

void PrintSlipPage(SlipPrinter& printer, const SlipFormat& format, const QHash<BoxId, QString>& values,
                   double shiftXMm, double shiftYMm, const PagePlacement& page, const SlipPrintSettings& settings,
                   PrinterFontFitter& fitter, Prompter& prompter)
{
    DrawSlip(printer, format, values, shiftXMm, shiftYMm, page, settings, fitter, prompter);
    if (format.Options().printRulers) PrintRulerGrid(printer, printer.PageWidth(), printer.PageHeight());
}

} // namespace slip
