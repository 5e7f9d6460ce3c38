#include "model/BoxEditing.h"

#include "core/TextNumber.h"
#include "model/Selection.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace slip {

namespace {

Box Shifted(Box b, QPointF d)
{
    if (b.kind == BoxKind::Line) b.line.translate(d);
    else b.rect.translate(d);
    return b;
}

// The new length of a side of `start` grown by `delta`, kept within `room`
// (the space to the slip's edge); a side that already reached beyond is not
// cut back by growing it.
double ResizedSide(double start, double delta, double room)
{
    double v = start + delta;
    if (delta > 0) v = std::min(v, std::max(start, room));
    return std::max(v, 0.0);
}

// The box shifted (never resized) so that it lies on the slip; one larger
// than the slip keeps its top-left corner on it.
Box KeptOnSlip(const Box& b, const QSizeF& slip)
{
    if (!(slip.width() > 0) || !(slip.height() > 0)) return b;
    const QRectF r = b.Bounds();
    const QPointF d(std::max(-r.left(), std::min(0.0, slip.width() - r.right())),
                    std::max(-r.top(), std::min(0.0, slip.height() - r.bottom())));
    return Shifted(b, d);
}

bool IsMarkedOr(const SlipFormat& f, const Box& b, BoxId extra) { return b.id == extra || f.IsSelected(b.id); }

} // namespace

QSizeF SlipSizeOf(const SlipFormat& format) { return QSizeF(format.Header().widthMm, format.Header().heightMm); }

std::vector<Box> MarkedBoxesWith(const SlipFormat& format, BoxId extra)
{
    std::vector<Box> out;
    for (const Box& b : format.Boxes())
        if (IsMarkedOr(format, b, extra)) out.push_back(b);
    return out;
}

// --- Moving ------------------------------------------------------------

Box MovedOnSlip(const Box& b, QPointF d, const QSizeF& slip, LinePart linePart)
{
    Box m = b;
    if (!std::isfinite(d.x()) || !std::isfinite(d.y())) return m;
    if (b.kind == BoxKind::Line) {
        if (linePart != LinePart::End) m.line.setP1(b.line.p1() + d);
        if (linePart != LinePart::Start) m.line.setP2(b.line.p2() + d);
        return m;
    }
    double left = std::max(0.0, b.rect.left() + d.x());
    double top = std::max(0.0, b.rect.top() + d.y());
    if (left + b.rect.width() > slip.width()) left = slip.width() - b.rect.width();
    if (top + b.rect.height() > slip.height()) top = slip.height() - b.rect.height();
    m.rect.moveTopLeft(QPointF(left, top));
    return m;
}

void PlaceShifted(SlipFormat& format, const std::vector<Box>& from, QPointF delta, LinePart linePart)
{
    const QSizeF slip = SlipSizeOf(format);
    for (const Box& b : from) {
        const Box* now = format.Find(b.id);
        if (!now) continue;
        // Only the place changes: whatever else was edited meanwhile stays.
        Box moved = *now;
        const Box placed = MovedOnSlip(b, delta, slip, linePart);
        moved.rect.moveTopLeft(placed.rect.topLeft());
        moved.line = placed.line;
        if (moved != *now) format.UpdateBox(moved);
    }
}

void MoveBoxes(SlipFormat& format, const QSet<BoxId>& ids, QPointF delta, LinePart linePart)
{
    std::vector<Box> from;
    for (const Box& b : format.Boxes())
        if (ids.contains(b.id)) from.push_back(b);
    PlaceShifted(format, from, delta, linePart);
}

// --- Resizing ----------------------------------------------------------

void ResizeFrom(SlipFormat& format, const std::vector<Box>& from, QSizeF delta)
{
    const QSizeF slip = SlipSizeOf(format);
    if (!(slip.width() > 0) || !(slip.height() > 0)) return;
    const double dw = std::isfinite(delta.width()) ? delta.width() : 0;
    const double dh = std::isfinite(delta.height()) ? delta.height() : 0;
    for (const Box& b : from) {
        if (!Resizable(b.kind)) continue;
        const Box* now = format.Find(b.id);
        if (!now) continue;
        Box sized = *now;
        sized.rect.setWidth(ResizedSide(b.rect.width(), dw, slip.width() - now->rect.left()));
        sized.rect.setHeight(ResizedSide(b.rect.height(), dh, slip.height() - now->rect.top()));
        format.UpdateBox(sized);
    }
}

void ResizeBoxes(SlipFormat& format, const QSet<BoxId>& ids, QSizeF delta)
{
    std::vector<Box> from;
    for (const Box& b : format.Boxes())
        if (ids.contains(b.id)) from.push_back(b);
    ResizeFrom(format, from, delta);
}

// --- Font sizes and line widths ---------------------------------------

void StepFontSize(SlipFormat& format, const QSet<BoxId>& ids, double step)
{
    if (!std::isfinite(step) || step == 0) return;
    auto stepped = [step](double v, double least) {
        const double n = v + step;
        // Down to the least size, never below it; a size already below it
        // is not made any smaller.
        return (step < 0 && n < least) ? std::min(v, least) : n;
    };
    for (const Box& b : std::vector<Box>(format.Boxes())) {
        if (!ids.contains(b.id)) continue;
        Box c = b;
        if (b.kind == BoxKind::Line) c.lineWidth = stepped(b.lineWidth, kMinStepLineWidth);
        else c.font.pointSize = stepped(b.font.pointSize, kMinStepFontPoints);
        format.UpdateBox(c);
    }
}

// --- Lines ---------------------------------------------------------------

double LineTolerance(double widthMm, double minMm)
{
    if (!std::isfinite(widthMm) || widthMm < 0) widthMm = 0;
    return widthMm / 2 < minMm ? minMm : widthMm;
}

LinePart HitTestLine(const Box& line, QPointF at, double t, double widthMm)
{
    if (line.kind != BoxKind::Line) return LinePart::None;
    const QPointF a = line.line.p1(), b = line.line.p2();
    const QRectF near = line.Bounds().adjusted(-t, -t, t, t);
    if (at.x() < near.left() || at.x() > near.right() || at.y() < near.top() || at.y() > near.bottom())
        return LinePart::None;
    auto inSquare = [&](QPointF p) { return std::abs(at.x() - p.x()) <= t && std::abs(at.y() - p.y()) <= t; };
    if (inSquare(a)) return LinePart::Start;
    if (inSquare(b)) return LinePart::End;
    // A line no wider across than it is thick counts as upright: the band
    // around its bounds already holds the mouse near it sideways.
    if (std::abs(b.x() - a.x()) <= widthMm) {
        const QRectF bounds = line.Bounds();
        return at.y() >= bounds.top() && at.y() <= bounds.bottom() ? LinePart::Body : LinePart::None;
    }
    // Any other line: the distance measured straight up or down to it.
    const double k = (b.y() - a.y()) / (b.x() - a.x());
    const double yOnLine = b.y() - (b.x() - at.x()) * k;
    return std::abs(at.y() - yOnLine) <= t ? LinePart::Body : LinePart::None;
}

LineHit LineAt(const SlipFormat& format, QPointF at, double mmPerWidthUnit, double minToleranceMm)
{
    for (const Box* b : format.BoxesOfKind(BoxKind::Line)) {
        const double width = b->lineWidth * mmPerWidthUnit;
        const LinePart part = HitTestLine(*b, at, LineTolerance(width, minToleranceMm), width);
        if (part != LinePart::None) return {b->id, part};
    }
    return {};
}

// --- Align and size commands ------------------------------------------

std::vector<const Box*> AlignTargets(const SlipFormat& format, AlignCommand cmd)
{
    const bool sizes = cmd == AlignCommand::Width || cmd == AlignCommand::Height;
    std::vector<const Box*> out;
    for (int k = 0; k <= 2; ++k) {
        const BoxKind kind = BoxKind(k);
        if (sizes && kind == BoxKind::Check) continue;
        for (const Box* b : format.BoxesOfKind(kind))
            if (format.IsSelected(b->id)) out.push_back(b);
    }
    return out;
}

namespace {

double AlignValue(const Box& b, AlignCommand cmd)
{
    switch (cmd) {
    case AlignCommand::Top: return b.rect.top();
    case AlignCommand::Left: return b.rect.left();
    case AlignCommand::Right: return b.rect.right();
    case AlignCommand::Bottom: return b.rect.bottom();
    case AlignCommand::Width: return b.rect.width();
    case AlignCommand::Height: return b.rect.height();
    }
    return 0;
}

} // namespace

std::optional<double> AlignReference(const SlipFormat& format, AlignCommand cmd)
{
    std::optional<double> ref;
    const bool smallest = cmd == AlignCommand::Top || cmd == AlignCommand::Left;
    for (const Box* b : AlignTargets(format, cmd)) {
        const double v = AlignValue(*b, cmd);
        if (!ref || (smallest ? v < *ref : v > *ref)) ref = v;
    }
    return ref;
}

void ApplyAlign(SlipFormat& format, AlignCommand cmd, double ref)
{
    if (!std::isfinite(ref)) return;
    std::vector<BoxId> ids;
    for (const Box* b : AlignTargets(format, cmd)) ids.push_back(b->id);
    for (BoxId id : ids) {
        const Box* b = format.Find(id);
        if (!b) continue;
        const double d = ref - AlignValue(*b, cmd);
        switch (cmd) {
        case AlignCommand::Top:
        case AlignCommand::Bottom: MoveBoxes(format, {id}, QPointF(0, d)); break;
        case AlignCommand::Left:
        case AlignCommand::Right: MoveBoxes(format, {id}, QPointF(d, 0)); break;
        case AlignCommand::Width: ResizeBoxes(format, {id}, QSizeF(d, 0)); break;
        case AlignCommand::Height: ResizeBoxes(format, {id}, QSizeF(0, d)); break;
        }
    }
}

bool AlignSelectedBoxes(SlipFormat& format, AlignCommand cmd, Prompter& prompter)
{
    const std::optional<double> ref = AlignReference(format, cmd);
    if (!ref) {
        prompter.Tell(QStringLiteral("请先选定多个输入框，再操作此功能！"));
        return false;
    }
    const QString shown = NumberText(double(RoundHalfEven(*ref * 100)) / 100);
    const std::optional<QString> answer = prompter.Input(QStringLiteral("请输入设定值(毫米)："), QString(), shown);
    if (!answer || answer->trimmed().isEmpty()) return false;
    // The reference as shown stands for the exact one: confirming it changes
    // nothing, even where rounding to hundredths moved it.
    const double typed = Val(*answer);
    ApplyAlign(format, cmd, answer->trimmed() == shown ? *ref : typed);
    return true;
}

// --- Adding, copying, deleting -----------------------------------------

BoxId AddBoxAt(SlipFormat& format, BoxKind kind, QPointF at)
{
    if (format.Count(kind) >= kMaxBoxesPerKind) return 0;
    const QSizeF slip = SlipSizeOf(format);
    if (!std::isfinite(at.x()) || !std::isfinite(at.y())) at = QPointF();
    // Kept on the slip as a whole: a box added at the right edge comes in
    // until it fits.
    const Box b = KeptOnSlip(NewBoxOfKind(kind, at), slip);
    return format.AddBox(b);
}

QSet<BoxId> CopySources(const SlipFormat& format, BoxId clicked)
{
    QSet<BoxId> s = format.Selection();
    if (format.Find(clicked)) s.insert(clicked);
    return s;
}

int CopyCountThatFits(const SlipFormat& format, const QSet<BoxId>& sources, int wanted)
{
    int fits = std::max(0, wanted);
    int perKind[kBoxKindCount] = {0, 0, 0, 0, 0};
    for (BoxId id : sources)
        if (const Box* b = format.Find(id)) ++perKind[int(b->kind)];
    for (int k = 0; k < kBoxKindCount; ++k) {
        if (perKind[k] == 0) continue;
        const int room = std::max(0, kMaxBoxesPerKind - format.Count(BoxKind(k)));
        fits = std::min(fits, room / perKind[k]);
    }
    return fits;
}

QString CaptionOfCopy(const QString& caption, int k)
{
    int start = caption.size();
    while (start > 0 && caption[start - 1].isDigit() && caption[start - 1].unicode() < 128) --start;
    // The run is counted on as a number of any length: its leading zeros go,
    // and the sum is written digit by digit so that no run overflows.
    QString digits = caption.mid(start);
    while (digits.size() > 1 && digits.front() == QLatin1Char('0')) digits.remove(0, 1);
    if (digits.isEmpty()) digits = QStringLiteral("0");
    qint64 carry = std::max(k, 0);
    for (qsizetype i = digits.size() - 1; i >= 0 && carry > 0; --i) {
        const qint64 d = digits[i].unicode() - '0' + carry;
        digits[i] = QChar(char16_t('0' + d % 10));
        carry = d / 10;
    }
    if (carry > 0) digits.prepend(QString::number(carry));
    return caption.left(start) + digits;
}

int CopyBoxes(SlipFormat& format, BoxId clicked, int count, double stepMm)
{
    const QSet<BoxId> sources = CopySources(format, clicked);
    const int n = CopyCountThatFits(format, sources, count);
    if (n <= 0 || sources.isEmpty() || !std::isfinite(stepMm)) return 0;
    std::vector<Box> from;
    for (const Box& b : format.Boxes())
        if (sources.contains(b.id)) from.push_back(b);
    QSet<BoxId> copies;
    for (const Box& src : from) {
        for (int k = 1; k <= n; ++k) {
            Box c = Shifted(src, QPointF(-stepMm * k, -stepMm * k));
            c.id = 0;
            // Every copy gets a caption, one without digits at its end (an
            // empty one too) the number k: a copy of a fixed-text box is an
            // ordinary box to type into.
            if (HoldsValue(c.kind)) {
                c.caption = CaptionOfCopy(src.caption, k);
                c.fixedText.clear();
            }
            const BoxId id = format.AddBox(c);
            if (id != 0) copies.insert(id);
        }
    }
    format.SetSelection(copies);
    return n;
}

void DeleteMarkedAnd(SlipFormat& format, BoxId clicked)
{
    format.RemoveBoxes(CopySources(format, clicked));
}

// --- Links between boxes -------------------------------------------------

namespace {

// The clicked box followed by the marked boxes of its kind in index order.
std::vector<BoxId> LinkMembers(const SlipFormat& format, const Box& clicked)
{
    std::vector<BoxId> out{clicked.id};
    for (const Box* b : format.BoxesOfKind(clicked.kind))
        if (b->id != clicked.id && format.IsSelected(b->id)) out.push_back(b->id);
    return out;
}

void SetRelation(SlipFormat& format, BoxId id, RelationKind kind, BoxId target)
{
    const Box* b = format.Find(id);
    if (!b) return;
    Box c = *b;
    c.relation = Relation{kind, target};
    format.UpdateBox(c);
}

} // namespace

void MakeRelationRing(SlipFormat& format, BoxId clicked)
{
    const Box* b = format.Find(clicked);
    if (!b || (b->kind != BoxKind::Text && b->kind != BoxKind::Check)) return;
    const std::vector<BoxId> members = LinkMembers(format, *b);
    if (members.size() < 2) return;
    for (size_t i = 0; i < members.size(); ++i)
        SetRelation(format, members[i], RelationKind::ChainNext, members[(i + 1) % members.size()]);
}

void MakeRelatedPath(SlipFormat& format, BoxId clicked)
{
    const Box* b = format.Find(clicked);
    if (!b || b->kind != BoxKind::Text) return;
    const std::vector<BoxId> members = LinkMembers(format, *b);
    if (members.size() < 2) return;
    for (size_t i = 0; i + 1 < members.size(); ++i)
        SetRelation(format, members[i], RelationKind::Related, members[i + 1]);
}

// --- Values ------------------------------------------------------------

void ClearBoxValues(SlipFormat& format)
{
    const bool any = CountSelectedCtls(format) > 0;
    for (const Box& b : std::vector<Box>(format.Boxes())) {
        if (!HoldsValue(b.kind) || (any && !format.IsSelected(b.id))) continue;
        // A text box without caption shows the format's fixed text.
        if (b.kind == BoxKind::Text && b.caption.isEmpty()) continue;
        format.SetValue(b.id, QString());
    }
}

} // namespace slip
