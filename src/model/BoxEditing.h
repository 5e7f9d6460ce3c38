#pragma once
#include "core/Prompter.h"
#include "model/SlipFormat.h"

#include <QPointF>
#include <QSet>
#include <QSizeF>
#include <QString>
#include <optional>
#include <vector>

namespace slip {

// Laying out a format: moving, resizing, aligning, copying and linking boxes.
// Lengths are millimetres on the slip. Every change goes into the format at
// once (SlipFormat::UpdateBox); nothing here looks at the lock switch, which
// the callers honour.

// Font sizes and line widths stepped by the keys stop here.
inline constexpr double kMinStepFontPoints = 1.0;
inline constexpr double kMinStepLineWidth = 1.0;
inline constexpr double kFontStepPoints = 0.5;

QSizeF SlipSizeOf(const SlipFormat& format);

// The marked boxes and `extra` (0 for none), as they stand now, in the
// format's order.
std::vector<Box> MarkedBoxesWith(const SlipFormat& format, BoxId extra);

// --- Moving ------------------------------------------------------------

enum class LinePart { None = -1, Start = 0, Body = 1, End = 2 };

// The box moved by `delta`, each box on its own kept on the slip: one that
// would leave it stops at its edge (one wider than the slip ends with its
// right edge on the slip's). A line moves its start or end point alone, or
// both (Body), and is not kept on the slip.
Box MovedOnSlip(const Box& box, QPointF delta, const QSizeF& slip, LinePart linePart = LinePart::Body);
// Puts every box at its place in `from` moved by `delta` (MovedOnSlip), so
// that a drag places from where the boxes stood at the press.
void PlaceShifted(SlipFormat& format, const std::vector<Box>& from, QPointF delta,
                  LinePart linePart = LinePart::Body);
// Moves the boxes from where they stand now.
void MoveBoxes(SlipFormat& format, const QSet<BoxId>& ids, QPointF delta, LinePart linePart = LinePart::Body);

// --- Resizing ----------------------------------------------------------

// Whether a box's size can be changed by dragging, the keys or the size
// commands: text and picture boxes and labels (a check box keeps its size, a
// line has ends instead).
inline bool Resizable(BoxKind k) { return k == BoxKind::Text || k == BoxKind::Picture || k == BoxKind::Label; }

// Every resizable box of `from` gets its size there plus `delta`, each kept
// on the slip (its right and bottom edges stay within it; a box that already
// reached beyond is never made smaller by growing it) and never below 0.
// Other boxes are left alone.
void ResizeFrom(SlipFormat& format, const std::vector<Box>& from, QSizeF delta);
void ResizeBoxes(SlipFormat& format, const QSet<BoxId>& ids, QSizeF delta);

// --- Font sizes and line widths ---------------------------------------

// Adds `step` points to the font size of every box of `ids`, or to the width
// of a line. A step down never takes a size or width below 1 (a value already
// below 1 is left as it is).
void StepFontSize(SlipFormat& format, const QSet<BoxId>& ids, double step);

// --- Lines ---------------------------------------------------------------

// The hit tolerance of a line widthMm wide: its full width once half the
// width reaches minMm, minMm before.
double LineTolerance(double widthMm, double minMm);
// Where a point lies on a line: within `tolerance` of its start point, of
// its end point (the start is tried first, so a line shorter than its
// tolerance answers Start), on its body, or none. The body is hit within
// `tolerance` measured straight up or down from the line, so a steep line is
// thinner to the mouse than a flat one; a line that runs no more than its
// own width `widthMm` sideways is hit anywhere between its ends' heights
// within `tolerance` to either side.
LinePart HitTestLine(const Box& line, QPointF at, double tolerance, double widthMm = 0);

struct LineHit {
    BoxId id = 0;
    LinePart part = LinePart::None;
};
// The first line in index order that `at` hits. A line's width in mm is its
// stored width times mmPerWidthUnit; minToleranceMm is the least tolerance.
LineHit LineAt(const SlipFormat& format, QPointF at, double mmPerWidthUnit, double minToleranceMm);

// --- Align and size commands ------------------------------------------

enum class AlignCommand { Top = 0, Left = 1, Right = 2, Bottom = 3, Width = 4, Height = 5 };

// The marked boxes a command works on: text, check and picture boxes for the
// align commands, text and picture boxes for the size commands.
std::vector<const Box*> AlignTargets(const SlipFormat& format, AlignCommand cmd);
// The reference the marked boxes give (smallest top or left, largest right,
// bottom, width or height), or none when no marked box takes part.
std::optional<double> AlignReference(const SlipFormat& format, AlignCommand cmd);
// Moves or resizes every target to the reference; a box that can't reach it
// stops at the slip's edge.
void ApplyAlign(SlipFormat& format, AlignCommand cmd, double refMm);
// The command with the operator: shows the reference in mm to confirm or
// change, then applies it. False when nothing changed (no box takes part,
// an empty answer or Cancel).
bool AlignSelectedBoxes(SlipFormat& format, AlignCommand cmd, Prompter& prompter);

// --- Adding, copying, deleting -----------------------------------------

// Adds a new box of a kind with its top-left corner (a line: its start) at
// `at`, kept on the slip. 0 when the kind already holds its most boxes.
BoxId AddBoxAt(SlipFormat& format, BoxKind kind, QPointF at);

// The copy sources: the clicked box and every marked box.
QSet<BoxId> CopySources(const SlipFormat& format, BoxId clicked);
// How many copies of each source fit without any kind passing
// kMaxBoxesPerKind boxes (at most `wanted`, never below 0).
int CopyCountThatFits(const SlipFormat& format, const QSet<BoxId>& sources, int wanted);
// A copy's caption: the source's caption with the number at its end counted
// on by k ("金额2" and k 3 gives "金额5", a caption without digits gets k
// appended). The number is written plainly: "金额07" and k 1 gives "金额8".
// A run of any length is counted on whole.
QString CaptionOfCopy(const QString& caption, int k);
// Makes `count` copies of every source (capped by CopyCountThatFits), the
// k-th k × stepMm up and to the left of its source, text, check and picture
// boxes with their captions counted on (an empty caption gives "1", "2", …,
// so a copy of a fixed-text box is an ordinary one). A copy keeps every link
// of its source.
// The copies become the marked boxes. Answers the number of copies made of
// each source.
int CopyBoxes(SlipFormat& format, BoxId clicked, int count, double stepMm);

// Removes the marked boxes and the clicked one.
void DeleteMarkedAnd(SlipFormat& format, BoxId clicked);

// --- Links between boxes -------------------------------------------------

// Links the clicked text or check box and the marked boxes of its kind, in
// index order, into a ring. A box not saved yet is linked by its temporary
// ID, which the save carries over to its record's ID.
void MakeRelationRing(SlipFormat& format, BoxId clicked);
// Links the clicked text box to the marked text boxes in index order as an
// open path of related boxes; the last keeps its own link.
void MakeRelatedPath(SlipFormat& format, BoxId clicked);

// --- Values ------------------------------------------------------------

// Empties the values of the marked text, check and picture boxes, or of all
// of them when none is marked; a text box's fixed text stays.
void ClearBoxValues(SlipFormat& format);

} // namespace slip
