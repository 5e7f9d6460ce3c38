#include "model/Selection.h"

namespace slip {

bool CtlInRect(const Box& box, const QRectF& bandIn)
{
    const QRectF band = bandIn.normalized();
    const double x1 = band.left(), x2 = band.right(), y1 = band.top(), y2 = band.bottom();
    if (box.kind == BoxKind::Line) {
        auto inside = [&](QPointF p) { return x1 <= p.x() && p.x() <= x2 && y1 <= p.y() && p.y() <= y2; };
        return inside(box.line.p1()) || inside(box.line.p2());
    }
    const QRectF r = box.rect;
    return !(r.right() < x1 || r.left() > x2 || r.bottom() < y1 || r.top() > y2);
}

void SelectCtlsInRect(SlipFormat& format, const QRectF& band, bool ctrlOnly)
{
    QSet<BoxId> marks = ctrlOnly ? format.Selection() : QSet<BoxId>();
    for (const Box& b : format.Boxes())
        if (CtlInRect(b, band)) marks.insert(b.id);
    format.SetSelection(marks);
}

int CountSelectedCtls(const SlipFormat& format)
{
    int n = 0;
    for (BoxId id : format.Selection())
        if (const Box* b = format.Find(id); b && HoldsValue(b->kind)) ++n;
    return n;
}

} // namespace slip
