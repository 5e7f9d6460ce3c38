#pragma once
#include "print/DrawSurface.h"

#include <QChar>
#include <QString>
#include <array>
#include <optional>

namespace slip {

// The 40 Code 39 patterns, by index: characters 1 to 5 are the five bars,
// 6 to 9 the four spaces between them; "1" wide, "0" narrow.
const std::array<const char*, 40>& Code39PatternTable();

// The row of a character: "0"-"9" 0-9, "A"-"Z" 10-35, "-" 36, "%" 37, "$" 38,
// "*" 39 (lower-case letters as upper-case); -1 for any other character.
int Code39Index(QChar c);

// The text as it is encoded: upper-cased, with the "*" start and stop
// characters added where missing.
QString Code39Symbol(const QString& text);

// The operator's message for a text with characters Code 39 can't encode.
QString Code39InvalidCharMessage();

// Width in twips of the symbol for a text at a module (narrow bar) width in
// twips: each character takes 27 modules, "%" and "$" 29, whole twips
// counted as the symbol is laid out. 0 for an empty text; nothing when a
// character can't be encoded or the symbol passes 32767 twips.
std::optional<double> MeasureCode39(const QString& text, double module);

// The largest whole module width (in twips) at which the symbol fits into
// width twips. 0 for an empty text; nothing when a character can't be encoded
// or the symbol can't be fitted: the caller must then draw no barcode.
std::optional<double> FitCode39Module(const QString& text, double width);

// Draws the symbol with its top-left corner at (x, y) millimetres, height
// millimetres tall in all, each character taking the width MeasureCode39
// counts. With fontSize > 0 and showText the characters stand under the
// bars, each where its pattern begins. A text with a character Code 39 can't
// encode draws nothing and tells the operator once; a module of 0 or less, or
// a symbol past 32767 twips, draws nothing. Bars and spaces keep the 3:1
// proportions readers expect, inside each character's counted width. The
// surface's settings are as before afterwards.
void DrawCode39(DrawSurface& surface, const QString& text, double x, double y, double height,
                double module, double fontSize, bool showText);

// What the slip and the canvas do with a barcode box: fits the module into
// widthTwips and draws with it. A symbol that can't be fitted is skipped (a
// text Code 39 can't encode is reported once); false when nothing was drawn.
bool DrawFittedCode39(DrawSurface& surface, const QString& text, double x, double y, double height,
                      double widthTwips, double fontSize, bool showText);

} // namespace slip
