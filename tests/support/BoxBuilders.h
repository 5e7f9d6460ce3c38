#pragma once
// Boxes for tests that lay out a format by hand.
#include "model/SlipFormat.h"

namespace slip::test {

// The box with a box index (kind × 1000 + n), or null.
inline const Box* BoxAtIndex(const SlipFormat& f, int index)
{
    for (const Box& b : f.Boxes())
        if (f.IndexOf(b.id) == index) return &b;
    return nullptr;
}

// A box at a rectangle in mm. Labels and the boxes that hold a value carry
// the caption.
inline Box MakeBox(BoxId id, BoxKind kind, QRectF r, QString caption = QStringLiteral("项目"))
{
    Box b;
    b.id = id;
    b.kind = kind;
    b.rect = r;
    b.caption = kind == BoxKind::Label || HoldsValue(kind) ? caption : QString();
    return b;
}

// A line from a to b (mm).
inline Box MakeLine(BoxId id, QPointF a, QPointF b, double width = 1)
{
    Box l;
    l.id = id;
    l.kind = BoxKind::Line;
    l.line = QLineF(a, b);
    l.lineWidth = width;
    return l;
}

// A slip of 200 × 100 mm with one box of every kind: text box 1, check box
// 2, picture box 3, label 4 and line 5 from (100, 80) to (160, 80).
inline void LoadOneOfEachKind(SlipFormat& format)
{
    FormatHeader h{QStringLiteral("画布"), 200, 100};
    format.Load(h, {MakeBox(1, BoxKind::Text, {20, 20, 40, 8}), MakeBox(2, BoxKind::Check, {80, 20, 6, 6}),
                    MakeBox(3, BoxKind::Picture, {20, 50, 40, 15}), MakeBox(4, BoxKind::Label, {120, 20, 30, 8}),
                    MakeLine(5, {100, 80}, {160, 80})});
}

} // namespace slip::test
