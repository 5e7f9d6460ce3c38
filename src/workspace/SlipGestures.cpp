#include "workspace/SlipGestures.h"

#include "model/Selection.h"
#include "print/PictureBoxes.h"

#include <cmath>

namespace slip {

namespace {

SlipGestures::Pointer LinePointer(LinePart part)
{
    switch (part) {
    case LinePart::Start: return SlipGestures::Pointer::LineStart;
    case LinePart::End: return SlipGestures::Pointer::LineEnd;
    case LinePart::Body: return SlipGestures::Pointer::LineBody;
    case LinePart::None: break;
    }
    return SlipGestures::Pointer::Arrow;
}

} // namespace

QString SlipGestures::ToolTipFor(Pointer p)
{
    switch (p) {
    case Pointer::Move: return QStringLiteral("提示：按住鼠标左键(别松开),拖动鼠标,即可移动本输入框位置。");
    case Pointer::Resize: return QStringLiteral("提示：按住鼠标左键(别松开),拖动鼠标,即可改变本输入框大小。");
    case Pointer::Type: return QStringLiteral("提示：点击鼠标左键,可以输入内容。");
    case Pointer::LineStart:
    case Pointer::LineEnd:
    case Pointer::LineBody: return QStringLiteral("提示：按住鼠标左键(别松开),拖动鼠标,即可拖动本线条。");
    case Pointer::Arrow: break;
    }
    return QString();
}

bool SlipGestures::CtrlAlone(Qt::KeyboardModifiers mods)
{
    return (mods & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) == Qt::ControlModifier;
}

QString SlipGestures::BandToolTip() { return QStringLiteral("按住鼠标左键并拖动鼠标可以选中需要修改的输入框。"); }

QString SlipGestures::KeysToolTip()
{
    return QStringLiteral("箭头键->移动位置，Shift+箭头键->改变控件大小，Ctrl+箭头键->改变字体大小！");
}

SlipGestures::Hit SlipGestures::HitAt(QPointF mm) const
{
    if (!format_.IsOpen()) return {};
    // A pixel's slack around a box, so that its outline still counts.
    const double slack = Mm(15);
    const auto& boxes = format_.Boxes();
    auto boxOfKind = [&](BoxKind kind) -> const Box* {
        for (auto it = boxes.rbegin(); it != boxes.rend(); ++it)
            if (it->kind == kind && it->rect.adjusted(-slack, -slack, slack, slack).contains(mm)) return &*it;
        return nullptr;
    };
    for (BoxKind kind : {BoxKind::Picture, BoxKind::Check, BoxKind::Text})
        if (const Box* b = boxOfKind(kind)) return {b->id, b->kind, LinePart::None};
    if (const LineHit line = LineUnder(mm); line.id != 0) return {line.id, BoxKind::Line, line.part};
    if (const Box* b = boxOfKind(BoxKind::Label)) return {b->id, b->kind, LinePart::None};
    return {};
}

LineHit SlipGestures::LineUnder(QPointF mm) const
{
    return LineAt(format_, mm, mmPerLineWidthUnit_, Mm(kLineToleranceTwips));
}

SlipGestures::Pointer SlipGestures::BoxPointerAt(QPointF mm) const
{
    const Hit hit = HitAt(mm);
    const Box* b = hit.id != 0 && hit.kind != BoxKind::Line ? format_.Find(hit.id) : nullptr;
    if (!b) return Pointer::Arrow;
    // A locked format is still typed in and ticked.
    if (Locked()) return hit.kind == BoxKind::Text || hit.kind == BoxKind::Check ? Pointer::Type : Pointer::Arrow;
    // The move corner is tried first, so a small box can always be moved.
    if (const Pointer corner = CornerAt(*b, mm); corner != Pointer::Arrow) return corner;
    // Elsewhere every box shows the I-beam, a check box too.
    return Pointer::Type;
}

BoxId SlipGestures::MenuBoxAt(QPointF mm) const
{
    const Hit hit = HitAt(mm);
    if (hit.kind != BoxKind::Line) return hit.id;
    // A line has its menu by the body's pointer only, and none while the
    // format is locked: the pointer of an end the mouse slid on from stays,
    // and with it the slip menu.
    return !Locked() && hit.id == hoverLine_ && linePointer_ == LinePart::Body ? hit.id : 0;
}

SlipGestures::Pointer SlipGestures::CornerAt(const Box& b, QPointF mm) const
{
    const QPointF at = mm - b.rect.topLeft();
    const double zone = Mm(kCornerZoneTwips);
    if (at.x() < zone && at.y() < zone) return Pointer::Move;
    // Every box shows the resize corner; a drag there resizes the marked
    // boxes that can be resized.
    if (at.x() > b.rect.width() - zone && at.y() > b.rect.height() - zone) return Pointer::Resize;
    return Pointer::Arrow;
}

QString SlipGestures::BoxToolTip(const Box& b, QPointF mm) const
{
    // A picture box says what it shows, but in the corners that move and
    // resize it.
    if (b.kind == BoxKind::Picture && (Locked() || CornerAt(b, mm) == Pointer::Arrow))
        return PictureBoxToolTip(format_.Value(b.id));
    return ToolTipFor(pointer_);
}

void SlipGestures::HoverLines(QPointF mm, Qt::MouseButtons buttons)
{
    if (Locked()) return;
    const LineHit hit = LineUnder(mm);
    if (hit.id == 0) {
        // A held button keeps the line's mode for the drag.
        if (buttons != Qt::LeftButton) linePointer_ = LinePart::None;
        hoverLine_ = 0;
        return;
    }
    // An end's pointer stays while the mouse slides on onto the body.
    if (hit.part != LinePart::Body || linePointer_ == LinePart::None) linePointer_ = hit.part;
    hoverLine_ = hit.id;
}

void SlipGestures::Move(QPointF mm, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    const bool left = buttons & Qt::LeftButton;
    if (left && (drag_ == Drag::BoxPending || drag_ == Drag::BoxMove || drag_ == Drag::BoxResize)) {
        DriveBox(mm);
        return;
    }
    if (left && (drag_ == Drag::Band || drag_ == Drag::Line)) {
        DriveCanvas(mm, mods);
        return;
    }
    // Hovering.
    const Hit hit = HitAt(mm);
    if (hit.id != 0 && hit.kind != BoxKind::Line) {
        pointer_ = BoxPointerAt(mm);
        toolTip_ = BoxToolTip(*format_.Find(hit.id), mm);
        return;
    }
    if (Locked()) {
        linePointer_ = LinePart::None;
        pointer_ = Pointer::Arrow;
        toolTip_ = canvasTip_;
        return;
    }
    HoverLines(mm, buttons);
    pointer_ = LinePointer(linePointer_);
    // The canvas keeps the text of the last press, release or line it met.
    if (hoverLine_ != 0) canvasTip_ = ToolTipFor(pointer_);
    toolTip_ = canvasTip_;
}

void SlipGestures::Press(QPointF mm, Qt::MouseButton button, Qt::KeyboardModifiers mods)
{
    Cancel();
    if (button == Qt::RightButton || !format_.IsOpen()) return;
    const Hit hit = HitAt(mm);
    if (hit.id != 0 && hit.kind != BoxKind::Line) {
        // Ctrl with a click marks or unmarks the box, whatever the lock.
        if (CtrlAlone(mods)) {
            format_.SetSelected(hit.id, !format_.IsSelected(hit.id));
            return;
        }
        if (button != Qt::LeftButton) return;
        drag_ = Drag::BoxPending;
        pressBox_ = hit.id;
        pressPointer_ = BoxPointerAt(mm);
        pressMm_ = lastStepMm_ = mm;
        return;
    }
    // The empty canvas or a line: nothing while the format is locked.
    if (Locked()) return;
    // The mouse came here: its pointer is the one a hover there shows.
    HoverLines(mm, Qt::NoButton);
    toolTip_ = canvasTip_ = BandToolTip();
    bandA_ = bandB_ = mm;
    if (linePointer_ == LinePart::Body && hoverLine_ != 0)
        format_.SetSelected(hoverLine_, !format_.IsSelected(hoverLine_));
    // The point is a band of no size: only what lies under it stays marked.
    if (!CtrlAlone(mods)) SelectCtlsInRect(format_, QRectF(bandA_, bandB_), false);
    if (button != Qt::LeftButton) return;
    pressMm_ = lastStepMm_ = mm;
    if (linePointer_ != LinePart::None && hoverLine_ != 0) {
        drag_ = Drag::Line;
        pressBox_ = hoverLine_;
    } else {
        drag_ = Drag::Band;
    }
}

bool SlipGestures::PastDeadZone(QPointF from, QPointF to) const
{
    const double dead = Mm(kDragDeadZoneTwips);
    return std::abs(to.x() - from.x()) > dead || std::abs(to.y() - from.y()) > dead;
}

void SlipGestures::DriveBox(QPointF mm)
{
    if (drag_ == Drag::BoxPending) {
        if (Locked() || !PastDeadZone(pressMm_, mm)) return;
        // Away from the corners a drag does nothing: the box is typed in
        // or ticked there.
        switch (pressPointer_) {
        case Pointer::Move: drag_ = Drag::BoxMove; break;
        case Pointer::Resize: drag_ = Drag::BoxResize; break;
        default: return;
        }
        from_ = MarkedBoxesWith(format_, pressBox_);
        pointer_ = drag_ == Drag::BoxMove ? Pointer::Move : Pointer::Resize;
    } else if (!PastDeadZone(lastStepMm_, mm)) {
        return;
    }
    lastStepMm_ = mm;
    // Every step places the boxes from where they stood at the press.
    const QPointF d = mm - pressMm_;
    if (drag_ == Drag::BoxMove) PlaceShifted(format_, from_, d);
    else ResizeFrom(format_, from_, QSizeF(d.x(), d.y()));
}

void SlipGestures::DriveCanvas(QPointF mm, Qt::KeyboardModifiers mods)
{
    if (Locked()) return;
    if (drag_ == Drag::Band) {
        const double step = Mm(kBandStepTwips);
        if (std::abs(mm.x() - bandB_.x()) > step || std::abs(mm.y() - bandB_.y()) > step) {
            bandB_ = mm;
            bandShown_ = true;
            SelectCtlsInRect(format_, QRectF(bandA_, bandB_), CtrlAlone(mods));
        }
        // A band dragged onto a line stops there, and the drag takes the line.
        HoverLines(mm, Qt::LeftButton);
        if (hoverLine_ == 0 || linePointer_ == LinePart::None) return;
        drag_ = Drag::Line;
        pressBox_ = hoverLine_;
        lastStepMm_ = mm;
        pointer_ = LinePointer(linePointer_);
        return;
    }
    if (!PastDeadZone(lastStepMm_, mm)) return;
    // The line's start point, end point or the whole line moves with every
    // marked box, step by step after the mouse.
    const QPointF d = mm - lastStepMm_;
    lastStepMm_ = mm;
    QSet<BoxId> ids = format_.Selection();
    ids.insert(pressBox_);
    MoveBoxes(format_, ids, d, linePointer_);
}

SlipGestures::Click SlipGestures::Release(Qt::MouseButton button)
{
    Click click;
    if (button != Qt::LeftButton) return click;
    if (drag_ == Drag::BoxPending) click = {pressBox_, pressPointer_};
    const bool canvas = drag_ == Drag::Band || drag_ == Drag::Line;
    Cancel();
    linePointer_ = LinePart::None;
    pointer_ = Pointer::Arrow;
    if (canvas && !Locked()) toolTip_ = canvasTip_ = KeysToolTip();
    return click;
}

void SlipGestures::AfterSlipMenu(Qt::KeyboardModifiers mods)
{
    if (!CtrlAlone(mods)) SelectCtlsInRect(format_, QRectF(bandA_, bandB_), false);
}

void SlipGestures::Cancel()
{
    drag_ = Drag::None;
    bandShown_ = false;
    from_.clear();
}

bool SlipGestures::Key(int key, Qt::KeyboardModifiers mods)
{
    if (key != Qt::Key_Left && key != Qt::Key_Right && key != Qt::Key_Up && key != Qt::Key_Down) return false;
    mods &= ~Qt::KeypadModifier;
    if (!format_.IsOpen() || format_.Selection().isEmpty() || Locked()) return false;
    const double s = Mm(kKeyStepTwips);
    const QPointF d = key == Qt::Key_Left ? QPointF(-s, 0) : key == Qt::Key_Right ? QPointF(s, 0)
                      : key == Qt::Key_Up ? QPointF(0, -s) : QPointF(0, s);
    if (mods == Qt::NoModifier) MoveBoxes(format_, format_.Selection(), d);
    else if (mods == Qt::ShiftModifier) ResizeBoxes(format_, format_.Selection(), QSizeF(d.x(), d.y()));
    // Left and up make the type smaller, right and down larger.
    else if (mods == Qt::ControlModifier)
        StepFontSize(format_, format_.Selection(), (d.x() + d.y()) < 0 ? -kFontStepPoints : kFontStepPoints);
    else return false;
    return true;
}

} // namespace slip
