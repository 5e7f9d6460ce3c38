#include "print/PageLayers.h"

#include "core/TextNumber.h"

namespace slip {

QPointF PlaceOnPage(QPointF slipTwips, double slipWidthTwips, double slipHeightTwips, const PagePlacement& page)
{
    double x = slipTwips.x();
    double y = slipTwips.y();
    if (page.lengthwise) {
        y += page.pageHeight - slipHeightTwips;
        if (page.centreFeed) y -= (page.pageHeight - slipHeightTwips) / 2;
    } else if (page.centreFeed) {
        // Towards the middle: the guides hold the slip centred across the feed.
        x += (page.pageWidth - slipWidthTwips) / 2;
    }
    return {x, y};
}

bool PrintBackgroundPicture(DrawSurface& out, const QImage& picture, double offXMm, double offYMm,
                            double slipWidthMm, double slipHeightMm, const PagePlacement& page)
{
    if (picture.isNull()) return false;
    const double w = slipWidthMm * kPaperTwipsPerMm;
    const double h = slipHeightMm * kPaperTwipsPerMm;
    if (!(w > 0) || !(h > 0)) return false;
    const QPointF corner = PlaceOnPage(QPointF(-offXMm * kPaperTwipsPerMm, -offYMm * kPaperTwipsPerMm), w, h, page);
    out.PaintPicture(picture, corner.x(), corner.y(), w, h);
    return true;
}

void PrintRulerGrid(DrawSurface& out, int pageWidthTwips, int pageHeightTwips)
{
    const qint64 wp = RoundHalfEven(pageWidthTwips / kPaperTwipsPerMm);
    const qint64 hp = RoundHalfEven(pageHeightTwips / kPaperTwipsPerMm);
    const DrawSurface::Settings saved = out.SaveSettings();
    out.SetDrawStyle(kLineSolid);
    const auto line = [&](qint64 mm, double x1, double y1, double x2, double y2) {
        const bool tenth = mm % 10 == 0;
        out.SetDrawWidth(tenth ? 2 : 1);
        out.Line(x1 * kPaperTwipsPerMm, y1 * kPaperTwipsPerMm, x2 * kPaperTwipsPerMm, y2 * kPaperTwipsPerMm,
                 tenth ? QColor(0, 0, 0) : QColor(0x33, 0x33, 0x33));
    };
    for (qint64 i = 0; i <= wp - 2; i += 2) line(i, double(i), 0, double(i), double(hp));
    for (qint64 j = 0; j <= hp - 2; j += 2) line(j, 0, double(j), double(wp), double(j));
    out.RestoreSettings(saved);
}

} // namespace slip
