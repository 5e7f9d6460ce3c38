#pragma once
#include "print/DrawSurface.h"

#include <QImage>
#include <QPointF>

namespace slip {

// How the slip lies on the printer's page. Positions are worked out on the
// slip and then moved to where the slip sits on the sheet.
struct PagePlacement {
    // The page as it lies (landscape when fed lengthwise), in whole twips.
    int pageWidth = 0;
    int pageHeight = 0;
    // The slip is fed lengthwise (the page is turned to landscape).
    bool lengthwise = false;
    // The printer's paper guides close from both sides to the centre, so a
    // slip narrower than the page lies in its middle.
    bool centreFeed = false;
};

// A position on the slip (twips from its corner, print offsets applied) moved
// to its place on the page. Fed lengthwise the slip lies at the bottom of
// the turned page (half-way with centre feed); fed crosswise with centre feed
// it lies in the middle of the page's width.
QPointF PlaceOnPage(QPointF slipTwips, double slipWidthTwips, double slipHeightTwips, const PagePlacement& page);

// The format's background picture printed under the slip contents, in
// register with them: stretched over the slip's width and height with its
// corner where a box at (0, 0) mm lands. offXMm and offYMm are the print
// offsets of the run (a caption of 10 gives 0). False, with nothing painted,
// when there is no picture.
bool PrintBackgroundPicture(DrawSurface& out, const QImage& picture, double offXMm, double offYMm,
                            double slipWidthMm, double slipHeightMm, const PagePlacement& page);

// A millimetre grid over the whole page, on top of the slip contents: a line
// every 2 mm, black and twice as wide every 10 mm, dark grey otherwise; none
// on the page's right and bottom edges. It ignores the print offsets. The
// surface's settings are as before afterwards.
void PrintRulerGrid(DrawSurface& out, int pageWidthTwips, int pageHeightTwips);

} // namespace slip
