#include "model/BoxGeometry.h"

#include <algorithm>

namespace slip {

bool PullBoxInside(Box& b, const QSizeF& slip, double mmPerTwip)
{
    if (!(slip.width() > 0) || !(slip.height() > 0)) return false;
    if (b.kind == BoxKind::Line) {
        const QLineF before = b.line;
        auto clampPoint = [&](QPointF p) {
            return QPointF(std::clamp(p.x(), 0.0, slip.width()), std::clamp(p.y(), 0.0, slip.height()));
        };
        b.line = QLineF(clampPoint(b.line.p1()), clampPoint(b.line.p2()));
        return b.line != before;
    }
    const QRectF before = b.rect;
    QRectF r = b.rect;
    if (r.left() < 0 && r.top() < 0) r.moveTopLeft(QPointF(0, kPulledBoxTopTwips * mmPerTwip));
    if (r.left() < 0) r.moveLeft(0);
    if (r.left() > slip.width() - r.width()) r.moveLeft(std::max(0.0, slip.width() - r.width()));
    if (r.top() < 0) r.moveTop(0);
    if (r.top() > slip.height() - r.height()) r.moveTop(std::max(0.0, slip.height() - r.height()));
    b.rect = r;
    return r != before;
}

int PullBoxesInside(SlipFormat& format, double mmPerTwip, ProgressReporter& progress)
{
    const QSizeF slip(format.Header().widthMm, format.Header().heightMm);
    int count = 0;
    progress.Start(QStringLiteral("正在检查所有内容框..."), kBoxKindCount);
    for (int kind = 0; kind < kBoxKindCount; ++kind) {
        for (const Box& b : std::vector<Box>(format.Boxes())) {
            if (int(b.kind) != kind) continue;
            Box moved = b;
            if (!PullBoxInside(moved, slip, mmPerTwip)) continue;
            format.UpdateBox(moved);
            ++count;
        }
        progress.Step(1, QStringLiteral("pages"));
    }
    progress.End();
    return count;
}

} // namespace slip
