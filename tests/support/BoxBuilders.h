#pragma once
// Boxes for tests that lay out a format by hand.
#include "model/Box.h"

namespace slip::test {

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

} // namespace slip::test
