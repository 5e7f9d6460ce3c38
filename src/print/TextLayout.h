#pragma once
#include "print/DrawSurface.h"

#include <QChar>
#include <QString>
#include <QStringList>

namespace slip {

// The characters of a text as printed one by one (a character outside the
// basic plane stays one character).
QStringList SplitChars(const QString& text);

// All positions and lengths below are twips on the surface; the caller has
// chosen the font and colour.

// One line, character by character, each followed by s twips of spacing.
void PrintSpacedLine(DrawSurface& out, const QString& text, double x, double y, double s);

// The lines a value is wrapped into for a box w twips wide with character
// spacing s: paragraphs at CR LF, each cut into the longest pieces that fit
// (a single character is always taken, even when wider than the box).
QStringList WrapLines(const DrawSurface& out, const QString& text, double w, double s);

// A value wrapped into a box of width w at (x, y), each line aligned (1 right,
// 2 centred, anything else left), lines l twips apart beyond their height.
// A value taller than the box runs on below it.
void PrintWrappedText(DrawSurface& out, const QString& text, double x, double y, double w, double s,
                      double l, int alignment);

// A text one character per cell, n cells of width w / n from (x, y), each
// character centred in its cell. Alignment 1 right-aligns a short text in the
// cells, 2 or more centres it, 0 or less starts in the first cell. A text
// longer than the cells is kept whole: right-aligned it runs on to the left of
// the first cell, centred to both sides, unaligned to the right.
void PrintCharsInCells(DrawSurface& out, const QString& text, double x, double y, double w, int n,
                       int alignment);

// An amount one digit per cell, right-aligned so the last digit fills the last
// cell (AmountCellText). The cell count is k (k - 300 above 300, the currency
// cell left blank).
void PrintAmountDigits(DrawSurface& out, const QString& text, double x, double y, double w, int k,
                       QChar currencyChar);

} // namespace slip
