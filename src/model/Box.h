#pragma once
#include <QColor>
#include <QLineF>
#include <QRectF>
#include <QString>
#include <QtGlobal>

#include "model/DataType.h"

namespace slip {

// The kinds of box a slip format is made of, in the order the program walks
// them (drawing, printing, filling and indexing all go kind by kind).
enum class BoxKind { Text = 0, Check = 1, Picture = 2, Line = 3, Label = 4 };
inline constexpr int kBoxKindCount = 5;
// A box's index is kind × 1000 + n (n from 1 within its kind), so a kind holds
// at most 999 boxes.
inline constexpr int kMaxBoxesPerKind = 999;
inline bool IsBoxKindNumber(int k) { return k >= 0 && k < kBoxKindCount; }
inline int KindNumber(BoxKind k) { return int(k); }
// Whether boxes of this kind take a value on the slip (and a caption).
inline bool HoldsValue(BoxKind k) { return k == BoxKind::Text || k == BoxKind::Check || k == BoxKind::Picture; }

// Where the caption of a text, check or picture box stands.
enum class CaptionSide { Above = 0, Left = 1, Right = 2, Below = 3 };
// The alignment code of a box; a stored code other than these is kept as it
// is (printing reads it: left for wrapped text, centred for cells from 2 on).
enum class TextAlign { Left = 0, Right = 1, Centre = 2 };

// A saved box is known by its record ID (> 0); a box not saved yet by a
// temporary ID (< 0) until the save gives it its record ID. 0 names no box.
using BoxId = qint32;

struct BoxFont {
    QString family = QStringLiteral("宋体");
    double pointSize = 9;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool operator==(const BoxFont&) const = default;
};

// A box's link to another box: the next member of a ring of boxes that belong
// together (check boxes of which one is ticked), or one related box.
enum class RelationKind { None, ChainNext, Related };
struct Relation {
    RelationKind kind = RelationKind::None;
    BoxId target = 0;
    bool IsSet() const { return kind != RelationKind::None && target != 0; }
    bool operator==(const Relation&) const = default;
};

// Where a text box's number is carried when the operator leaves it: added to
// or multiplied into the target, taken as it is or negated.
enum class SumOp { Add, Multiply };
struct SumTarget {
    BoxId target = 0;
    SumOp op = SumOp::Add;
    bool negated = false;
    bool IsSet() const { return target != 0; }
    bool operator==(const SumTarget&) const = default;
};

// One box of a slip format. Lengths are millimetres from the slip's top-left
// corner.
struct Box {
    BoxId id = 0;
    BoxKind kind = BoxKind::Text;
    QRectF rect;            // every kind but a line
    QLineF line;            // a line: start and end point
    // The caption of a text, check or picture box; the text of a label.
    QString caption;
    CaptionSide captionSide = CaptionSide::Left;
    double charSpacingMm = 0;
    double lineSpacingMm = 0;
    TextAlign align = TextAlign::Left;
    QColor color = Qt::black;  // text colour; a line's colour
    BoxFont font;
    // The data-type code of a text box: how its value is converted on screen
    // and laid out on paper.
    DataType dataType;
    int lineStyle = 1;      // a line: 0 none, 1 solid, 2 dash, 3 dot, 4 dash-dot, 5 dash-dot-dot
    double lineWidth = 1;   // a line: width in screen pixels at the fitted zoom
    Relation relation;
    SumTarget sum1, sum2;
    // A text box without a caption may carry a fixed text, stored with the
    // format and shown as its value.
    QString fixedText;

    // The area the box covers (a line's bounding box).
    QRectF Bounds() const { return kind == BoxKind::Line ? QRectF(line.p1(), line.p2()).normalized() : rect; }
    bool operator==(const Box&) const = default;
};

// Whether a check box's value ticks it: any text that is not blank ticks it,
// "0" too (a value from a record or a file says "ticked" by being there);
// "" and blanks leave it unticked.
inline bool IsTicked(const QString& value) { return !value.trimmed().isEmpty(); }

// A text's line breaks in the one form a value holds them, wherever it lives
// (the slip, the defaults, the history, a batch record on the slip, paper):
// CR LF. A lone LF (what an editor gives) and a lone CR count as line breaks
// too; so does every `lineBreakMarker` in the text when it is not empty
// (exact, case-sensitive match): the marker stands for a line break in grids,
// imports, exports and exchange files, and in slips stored by older versions.
QString WithCrLfLineBreaks(const QString& text, const QString& lineBreakMarker = QString());

// A value as a box of this kind holds it, from a text as it comes from
// outside the slip (defaults, the history, a batch record, a file) or from
// the operator: a text box's text with its line breaks as CR LF (markers
// turned into line breaks), a check box "1" when ticked (IsTicked) and ""
// when not, a picture box's path or barcode text as it is; "" for a line or
// a label.
QString BoxValueOf(BoxKind kind, const QString& text, const QString& lineBreakMarker = QString());

// How a box of this kind starts when the operator adds one at `at` (mm).
Box NewBoxOfKind(BoxKind kind, QPointF at);

} // namespace slip
