#pragma once
#include "core/Prompter.h"
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

// What became of a symbol.
enum class Code39Outcome {
    Drawn,
    Empty,              // no text: nothing to draw
    InvalidCharacters,  // a character Code 39 can't encode (the operator was told)
    TooNarrow,          // bars too thin for a scanner (the operator was told)
    TooWide,            // past 32767 twips, or no module fits the width: nothing drawn
};

// The thinnest bar a scanner still reads on paper.
constexpr double kMinCode39NarrowBarMm = 0.19;

// Width in twips of a narrow bar as drawn at a module width: bars and spaces
// are drawn in the 3:1 proportions readers expect, a narrow element taking
// 1.5 modules of the counted width.
double Code39NarrowBar(double module);
// Whether a module draws narrow bars of at least kMinCode39NarrowBarMm.
bool Code39ModuleReadable(double module);

// The operator's message for a box too narrow for a readable symbol.
QString Code39TooNarrowMessage();

// Draws the symbol with its top-left corner at (x, y) millimetres, height
// millimetres tall in all, each character taking the width MeasureCode39
// counts. With fontSize > 0 and showText the characters stand under the
// bars, each where its pattern begins. Nothing outside the symbol is inked.
// A text with a character Code 39 can't encode, or a module whose bars would
// be too thin to scan, draws nothing and tells the operator once through
// prompter; a symbol past 32767 twips draws nothing. The surface's settings
// are as before afterwards.
Code39Outcome DrawCode39(DrawSurface& surface, const QString& text, double x, double y, double height,
                         double module, double fontSize, bool showText, Prompter& prompter);

// The module (twips) a symbol of the text is drawn with in a box widthTwips
// wide: Drawn with the module when it fits and scans, else why not.
Code39Outcome FitReadableCode39(const QString& text, double widthTwips, double& module);

// What the operator is told of an outcome: why the box stays empty; "" when
// there is nothing to tell.
QString Code39OutcomeMessage(Code39Outcome outcome);

// The same, short enough to stand inside the empty box on the canvas.
QString Code39OutcomeNote(Code39Outcome outcome);

// What the slip and the canvas do with a barcode box: fits the module into
// widthTwips and draws with it. Nothing is drawn when the symbol can't be
// fitted or its bars would be too thin to scan; the operator hears of an
// unreadable symbol or a text Code 39 can't encode once, through prompter.
Code39Outcome DrawFittedCode39(DrawSurface& surface, const QString& text, double x, double y,
                               double height, double widthTwips, double fontSize, bool showText,
                               Prompter& prompter);

} // namespace slip
