#pragma once
#include "model/SlipFormat.h"
#include "core/Prompter.h"
#include "print/DrawSurface.h"
#include "print/PageLayers.h"

#include <QHash>
#include <QImage>
#include <functional>

namespace slip {

// Where the slip lies on the surface it is drawn on.
struct SlipPlacement {
    // The shift of the run in mm: every position is moved this much left and
    // up (a print offset of 12 shifts by 2 mm, so this is the offset less 10).
    double shiftXMm = 0;
    double shiftYMm = 0;
    double slipWidthMm = 0;
    double slipHeightMm = 0;
    // The page, for lengthwise and centre feed; an empty page when the
    // surface is the slip itself.
    PagePlacement page;
};

// How a surface wants the slip drawn.
struct SlipDrawSettings {
    // The font size for a box's stored size: the printer fits it so text keeps
    // the proportions the canvas shows; the canvas takes it as it is. The
    // surface's font name and bold flag are already the box's.
    std::function<double(DrawSurface&, double size)> fontSize;
    // The picture a picture box shows for its value (a file path).
    std::function<QImage(BoxId id, const QString& path)> loadPicture;
    // The width a line is drawn with, in dots of the surface, for its stored
    // width; none: the stored width in whole dots (the printer's).
    std::function<double(double width)> lineWidth;
    // The barcode standard: 0 Code 39, anything else EAN-13.
    int barcodeStandard = 0;
    // Drawn on the canvas: a Code 39 that can't be drawn says why in its box
    // (paper tells the operator instead).
    bool canvasRules = false;
    // Who hears of a barcode that can't be drawn; nobody when none is given
    // (the canvas repaints often and says nothing).
    Prompter* prompter = nullptr;
};

// The layout of a text, check or label box on paper by its data type.
enum class SlipLayout { WrappedText, AmountCells, CharCells, Nothing };
struct LayoutByType {
    SlipLayout layout = SlipLayout::WrappedText;
    int cells = 0;  // the count for CharCells; the code itself for AmountCells
};
LayoutByType PrintLayoutByType(const DataType& type);

// Whether a box can be drawn at all: every number that places or sizes it
// is a number. A box whose record could not be read is left out whole; it
// never prints at the place or in the font of the box before it.
bool BoxReadable(const Box& box);

// Whether a picture box's value is a barcode, on the canvas and on paper
// alike: one starting with a figure or with "-", "%", "$" or "*". Any other
// value is the path of a picture; an empty one shows nothing.
bool IsBarcodeValue(const QString& value);

// Where a point of the slip (mm) lands on the surface, in twips.
QPointF PlaceOnSurface(QPointF mm, const SlipPlacement& where);

// Draws the boxes of a slip in five passes by kind (text, check, picture,
// line, label) at their places: the one drawing of a slip, for paper and for
// the canvas. A box with no value draws nothing, nor does one that is not
// readable.
void DrawSlipContents(const SlipFormat& format, const QHash<BoxId, QString>& values, DrawSurface& surface,
                      const SlipPlacement& where, const SlipDrawSettings& settings);
// One box of it.
void DrawSlipBox(const SlipFormat& format, const Box& box, const QString& value, DrawSurface& surface,
                 const SlipPlacement& where, const SlipDrawSettings& settings);

} // namespace slip
