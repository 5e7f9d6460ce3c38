#pragma once
// Former place of the barcode header, kept for the canvas's picture boxes
// until they include "print/barcode/Code39.h" and pass their prompter; then
// this file goes.
#include "print/barcode/Code39.h"
#include "storage/Prompt.h"

namespace slip {

inline bool DrawFittedCode39(DrawSurface& surface, const QString& text, double x, double y, double height,
                             double widthTwips, double fontSize, bool showText)
{
    return DrawFittedCode39(surface, text, x, y, height, widthTwips, fontSize, showText, Prompts())
        == Code39Outcome::Drawn;
}

} // namespace slip
