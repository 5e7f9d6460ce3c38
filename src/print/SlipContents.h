#pragma once
#include "core/Prompter.h"
#include "model/SlipFormat.h"
#include "print/FontFit.h"
#include "print/PageLayers.h"

#include <QHash>
#include <QImage>
#include <QString>
#include <QVector>
#include <functional>

namespace slip {

class SlipPrinter;

// What a slip on paper needs besides the format and its values.
struct SlipPrintSettings {
    // The format's background picture, printed under the boxes when the
    // format's toggle asks for it; null when it has none.
    QImage background;
    // The barcode standard (parameter "StrBarCodeStand"): 0 Code 39, any
    // other number EAN-13.
    int barcodeStandard = 0;
    // The width of the canvas frame the slip is fitted to at zoom 1, in
    // screen twips: fonts keep the share of their boxes the canvas shows.
    // 0 when there is no window: the slip is then taken as shown at its real
    // size (ReferenceFrameWidthTwips).
    double frameWidthTwips = 0;
    // The picture a picture box shows for its value (the canvas's, read once
    // when the value was set); empty: read from the file.
    std::function<QImage(BoxId id, const QString& path)> loadPicture;
    // How wide a text is on screen; empty: the canvas's own measure.
    ScreenTextWidth screenWidth;
};

// The frame width at which the canvas shows a slip of this width at its
// real size (15 screen twips to the pixel, 96 pixels to the inch): the
// reference when no window gives its frame.
double ReferenceFrameWidthTwips(double slipWidthMm);

// The frame a run fits fonts to: the settings' frame, or the reference.
CanvasFrame PrintFrame(const SlipFormat& format, const SlipPrintSettings& settings);

// The shift of a run from a print offset as stored: the offset less 10 mm.
double PrintShiftMm(double offsetMm);

// Printer font sizes for stored sizes, fitted once per font for the run of a
// job (the same font on the same printer fits to the same size).
class PrinterFontFitter {
public:
    PrinterFontFitter(const CanvasFrame& frame, ScreenTextWidth screenWidth);
    // The fitted size for the box font the printer has now (name, bold,
    // italic set); on return the printer's size is the result.
    double operator()(DrawSurface& printer, double storedSize);

private:
    // One fitted size: a few fonts a slip, looked for box by box on every
    // page, so kept in a short list rather than under a built text key.
    struct Fitted {
        QString family;
        double storedSize;
        bool bold;
        bool italic;
        double size;
    };
    CanvasFrame frame_;
    ScreenTextWidth screenWidth_;
    QVector<Fitted> fitted_;
};

// Sets the page of a slip up before anything is drawn on it: landscape when
// the slip is fed lengthwise, and when the format's "自动设置纸张" toggle is on
// paper of the slip's size, turned for a lengthwise slip so that the
// landscape page is the slip's own size. A printer that refuses the paper or
// the orientation keeps its own, the operator is told through prompter with
// the printer's name, and the slip is placed on the page the printer has.
// Answers where the slip lies on that page.
PagePlacement SetUpSlipPage(SlipPrinter& printer, const SlipFormat& format, Prompter& prompter);

// The contents of one slip on the page set up: the background picture when
// the format's "连同底图打印" toggle is on, then every box in five passes by
// kind at its millimetre place less the shift, fonts fitted by `fitter`,
// barcodes by the standard, then the millimetre grid over the whole page when
// "打印标尺坐标" is on. Neither starts nor ends a page.
void PrintSlipPage(SlipPrinter& printer, const SlipFormat& format, const QHash<BoxId, QString>& values,
                   double shiftXMm, double shiftYMm, const PagePlacement& page, const SlipPrintSettings& settings,
                   PrinterFontFitter& fitter, Prompter& prompter);

} // namespace slip
