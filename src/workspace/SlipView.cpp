#include "workspace/SlipView.h"

#include "core/Units.h"
#include "model/Selection.h"
#include "print/SlipDrawing.h"

#include <QContextMenuEvent>
#include <QImageReader>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

namespace slip {

namespace {

const QColor kMarkGrey(0xD0, 0xD0, 0xD0);
constexpr double kCaptionGap = 2;  // pixels between a box and its caption

QFont ScreenFont(const BoxFont& f, double points)
{
    QFont font(f.family);
    font.setPointSizeF(std::max(1.0, points));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    return font;
}

} // namespace

SlipView::SlipView(SlipFormat& format, QWidget* parent) : QAbstractScrollArea(parent), format_(format)
{
    setObjectName(QStringLiteral("slipCanvas"));
    viewport()->setAutoFillBackground(true);
    QPalette pal = viewport()->palette();
    // Grey around the slip, so that its edges show.
    pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    pal.setColor(QPalette::Base, QColor(0x80, 0x80, 0x80));
    viewport()->setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);
    editor_ = new QPlainTextEdit(viewport());
    editor_->setObjectName(QStringLiteral("boxEditor"));
    editor_->setFrameShape(QFrame::NoFrame);
    editor_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    editor_->hide();
    editor_->installEventFilter(this);
    editor_->viewport()->installEventFilter(this);
    editor_->viewport()->setMouseTracking(true);
    viewport()->setMouseTracking(true);
    // The box being typed into has the box menu too (its text commands
    // copy and paste).
    editor_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(editor_, &QPlainTextEdit::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (editing_ == 0) return;
        popupMm_ = Transform().ToMm(QPointF(editor_->mapTo(viewport(), pos)));
        emit contextMenuAt(editing_, editor_->mapToGlobal(pos));
    });
    connect(editor_, &QPlainTextEdit::textChanged, this, [this] {
        if (syncingEditor_ || editing_ == 0) return;
        format_.SetValue(editing_, editor_->toPlainText());
    });
    auto repaint = [this] { viewport()->update(); };
    connect(&format_, &SlipFormat::headerChanged, this, [this] {
        UpdateScrollBars();
        viewport()->update();
    });
    connect(&format_, &SlipFormat::boxesChanged, this, [this] {
        if (editing_ != 0 && !format_.Find(editing_)) EditBox(0);
        PlaceEditor();
        viewport()->update();
    });
    connect(&format_, &SlipFormat::boxChanged, this, [this](BoxId id) {
        if (id == editing_) PlaceEditor();
        viewport()->update();
    });
    connect(&format_, &SlipFormat::selectionChanged, this, repaint);
    connect(&format_, &SlipFormat::valueChanged, this, [this](BoxId id) {
        if (id == editing_ && editor_->toPlainText() != format_.Value(id)) {
            syncingEditor_ = true;
            editor_->setPlainText(format_.Value(id));
            syncingEditor_ = false;
        }
        viewport()->update();
    });
}

void SlipView::SetBackground(const QImage& picture)
{
    background_ = picture;
    viewport()->update();
}

double SlipView::FrameWidth() const { return std::max(1, viewport()->width()); }

QSizeF SlipView::CanvasSizePx() const
{
    const FormatHeader& h = format_.Header();
    return CanvasSize(h.widthMm, h.heightMm, FrameWidth(), zoom_);
}

CanvasTransform SlipView::Transform() const
{
    CanvasTransform t;
    const QSizeF size = CanvasSizePx();
    if (size.isEmpty()) return t;
    t.pxPerMm = size.width() / format_.Header().widthMm;
    // A canvas smaller than the frame stands centred in it.
    const double x = size.width() < viewport()->width() ? (viewport()->width() - size.width()) / 2 : -horizontalScrollBar()->value();
    const double y = size.height() < viewport()->height() ? (viewport()->height() - size.height()) / 2 : -verticalScrollBar()->value();
    t.origin = QPointF(std::round(x), std::round(y));
    return t;
}

double SlipView::CanvasFontPoints(double stored) const
{
    // The canvas shows a box's font at its size times the zoom, as the slip
    // was laid out on screen; on paper the printer fits it to the same share
    // of the box.
    return stored * zoom_;
}

void SlipView::SetZoom(double zoom)
{
    zoom = ClampZoom(zoom);
    if (zoom == zoom_) return;
    // The point in the middle of the view stays where it is.
    const CanvasTransform before = Transform();
    const QPointF centre(viewport()->width() / 2.0, viewport()->height() / 2.0);
    const QPointF mm = before.ToMm(centre);
    zoom_ = zoom;
    UpdateScrollBars();
    const CanvasTransform after = Transform();
    if (after.pxPerMm > 0) {
        const QPointF want = mm * after.pxPerMm - centre;
        horizontalScrollBar()->setValue(int(std::lround(want.x())));
        verticalScrollBar()->setValue(int(std::lround(want.y())));
    }
    PlaceEditor();
    viewport()->update();
    emit zoomChanged(zoom_);
}

void SlipView::ZoomButton(int button) { SetZoom(ZoomAfterButton(button, zoom_)); }

void SlipView::UpdateScrollBars()
{
    const QSizeF size = CanvasSizePx();
    const int w = int(std::ceil(size.width())), h = int(std::ceil(size.height()));
    horizontalScrollBar()->setRange(0, std::max(0, w - viewport()->width()));
    verticalScrollBar()->setRange(0, std::max(0, h - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setPageStep(viewport()->height());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
}

void SlipView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollBars();
    PlaceEditor();
}

void SlipView::scrollContentsBy(int, int)
{
    PlaceEditor();
    viewport()->update();
}

void SlipView::wheelEvent(QWheelEvent* e)
{
    if (e->modifiers() & Qt::ControlModifier) {
        const int steps = e->angleDelta().y() / 120;
        if (steps != 0) SetZoom(zoom_ * std::pow(1.1, steps));
        e->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(e);
}

void SlipView::keyPressEvent(QKeyEvent* e)
{
    if (e->modifiers() & Qt::ControlModifier) {
        if (e->key() == Qt::Key_Plus || e->key() == Qt::Key_Equal) {
            ZoomButton(0);
            return;
        }
        if (e->key() == Qt::Key_Minus) {
            ZoomButton(1);
            return;
        }
        if (e->key() == Qt::Key_0) {
            ZoomButton(2);
            return;
        }
    }
    if (StepMarked(e->key(), e->modifiers() & ~Qt::KeypadModifier)) {
        e->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

bool SlipView::StepMarked(int key, Qt::KeyboardModifiers mods)
{
    if (key != Qt::Key_Left && key != Qt::Key_Right && key != Qt::Key_Up && key != Qt::Key_Down) return false;
    // Without marked boxes, and while the format is locked, the arrows
    // scroll the canvas.
    if (!format_.IsOpen() || format_.Selection().isEmpty() || Locked()) return false;
    const double s = kKeyStepMm;
    const QPointF d = key == Qt::Key_Left ? QPointF(-s, 0) : key == Qt::Key_Right ? QPointF(s, 0)
                      : key == Qt::Key_Up ? QPointF(0, -s) : QPointF(0, s);
    if (mods == Qt::NoModifier) {
        MoveBoxes(format_, format_.Selection(), d);
    } else if (mods == Qt::ShiftModifier) {
        ResizeBoxes(format_, format_.Selection(), QSizeF(d.x(), d.y()));
    } else if (mods == Qt::ControlModifier) {
        // Left and up make the type smaller, right and down larger.
        StepFontSize(format_, format_.Selection(), (d.x() + d.y()) < 0 ? -kFontStepPoints : kFontStepPoints);
    } else {
        return false;
    }
    return true;
}

SlipView::Hit SlipView::HitAt(QPointF px) const
{
    const CanvasTransform t = Transform();
    if (t.pxPerMm <= 0 || !format_.IsOpen()) return {};
    const QPointF mm = t.ToMm(px);
    const double slack = t.LengthToMm(1);
    const auto& boxes = format_.Boxes();
    auto boxOfKind = [&](BoxKind kind) -> const slip::Box* {
        // The box drawn last is on top.
        for (auto it = boxes.rbegin(); it != boxes.rend(); ++it)
            if (it->kind == kind && it->rect.adjusted(-slack, -slack, slack, slack).contains(mm)) return &*it;
        return nullptr;
    };
    for (BoxKind kind : {BoxKind::Picture, BoxKind::Check, BoxKind::Text})
        if (const slip::Box* b = boxOfKind(kind)) return {b->id, b->kind, LinePart::None};
    // A line's width is drawn in the painter's units: dots of the screen's
    // resolution on the slip.
    const double mmPerWidthUnit = units::MmFromPixels(1, viewport()->logicalDpiX());
    const LineHit line = LineAt(format_, mm, mmPerWidthUnit, t.LengthToMm(kLineTolerancePx));
    if (line.id != 0) return {line.id, BoxKind::Line, line.part};
    if (const slip::Box* b = boxOfKind(BoxKind::Label)) return {b->id, b->kind, LinePart::None};
    return {};
}

BoxId SlipView::BoxAt(QPointF px) const { return HitAt(px).id; }

SlipView::Action SlipView::ActionAt(QPointF px, BoxId* idOut) const
{
    const Hit hit = HitAt(px);
    if (idOut) *idOut = hit.id;
    const CanvasTransform t = Transform();
    if (t.pxPerMm <= 0 || !format_.IsOpen()) return Action::None;
    const bool locked = Locked();
    if (hit.id == 0) {
        const QRectF slip(t.origin, CanvasSizePx());
        return slip.contains(px) ? Action::Band : Action::None;
    }
    if (hit.kind == BoxKind::Line) {
        if (locked) return Action::None;
        return hit.part == LinePart::Body ? Action::LineMove : Action::LinePoint;
    }
    const slip::Box* b = format_.Find(hit.id);
    if (locked) return hit.kind == BoxKind::Text ? Action::Type : hit.kind == BoxKind::Check ? Action::Tick : Action::None;
    const QRectF r = t.ToPx(b->rect);
    const QPointF at = px - r.topLeft();
    // The move corner is tried first, so a small box can always be moved.
    if (at.x() < kCornerZonePx && at.y() < kCornerZonePx) return Action::Move;
    if (Resizable(b->kind) && at.x() > r.width() - kCornerZonePx && at.y() > r.height() - kCornerZonePx)
        return Action::Resize;
    if (hit.kind == BoxKind::Text) return Action::Type;
    if (hit.kind == BoxKind::Check) return Action::Tick;
    return Action::Move;
}

Qt::CursorShape SlipView::CursorFor(Action a)
{
    switch (a) {
    case Action::Move:
    case Action::LineMove: return Qt::SizeAllCursor;
    case Action::Resize: return Qt::SizeFDiagCursor;
    case Action::Type: return Qt::IBeamCursor;
    case Action::Tick: return Qt::PointingHandCursor;
    case Action::LinePoint: return Qt::CrossCursor;
    case Action::None:
    case Action::Band: break;
    }
    return Qt::ArrowCursor;
}

QString SlipView::ToolTipFor(Action a)
{
    switch (a) {
    case Action::Move: return QStringLiteral("提示：按住鼠标左键(别松开),拖动鼠标,即可移动本输入框位置。");
    case Action::Resize: return QStringLiteral("提示：按住鼠标左键(别松开),拖动鼠标,即可改变本输入框大小。");
    case Action::Type: return QStringLiteral("提示：点击鼠标左键,可以输入内容。");
    case Action::Tick: return QStringLiteral("提示：点击鼠标左键,可以勾选或取消勾选。");
    case Action::LineMove: return QStringLiteral("提示：按住鼠标左键(别松开),拖动鼠标,即可拖动本线条。");
    case Action::LinePoint: return QStringLiteral("提示：按住鼠标左键(别松开),拖动鼠标,即可移动线条的这一端。");
    case Action::Band:
    case Action::None: break;
    }
    return QString();
}

QString SlipView::BandToolTip() { return QStringLiteral("按住鼠标左键并拖动鼠标可以选中需要修改的输入框。"); }

QString SlipView::KeysToolTip()
{
    return QStringLiteral("箭头键->移动位置，Shift+箭头键->改变控件大小，Ctrl+箭头键->改变字体大小！");
}

void SlipView::EditBox(BoxId id)
{
    if (id == editing_) return;
    if (editing_ != 0) LeaveEditor();
    const slip::Box* b = id ? format_.Find(id) : nullptr;
    if (!b || b->kind != BoxKind::Text) {
        editor_->hide();
        return;
    }
    editing_ = id;
    ++editSession_;
    syncingEditor_ = true;
    editor_->setPlainText(format_.Value(id));
    syncingEditor_ = false;
    PlaceEditor();
    editor_->show();
    editor_->setFocus();
    editor_->moveCursor(QTextCursor::End);
    viewport()->update();
}

void SlipView::LeaveEditor()
{
    // The box is given up first, so that whatever the leaving work sets off
    // (a message, a popup menu taking the focus) can't leave it a second time.
    const slip::BoxId left = editing_;
    editing_ = 0;
    editor_->hide();
    viewport()->update();
    if (left != 0 && format_.Find(left)) emit boxLeft(left);
}

void SlipView::PlaceEditor()
{
    if (editing_ == 0) return;
    const slip::Box* b = format_.Find(editing_);
    if (!b) return;
    const CanvasTransform t = Transform();
    const QRect r = t.ToPx(b->rect).toAlignedRect();
    editor_->setGeometry(r.adjusted(0, 0, 1, 1));
    QFont f = ScreenFont(b->font, CanvasFontPoints(b->font.pointSize));
    editor_->setFont(f);
    QPalette pal = editor_->palette();
    pal.setColor(QPalette::Text, b->color);
    pal.setColor(QPalette::Base, QColor(0xFF, 0xFF, 0xE8));
    editor_->setPalette(pal);
    editor_->document()->setDocumentMargin(0);
}

SlipView::Action SlipView::EditorZoneAction(QPointF px) const
{
    if (editing_ == 0 || Locked()) return Action::None;
    const slip::Box* b = format_.Find(editing_);
    if (!b) return Action::None;
    const QRectF r = Transform().ToPx(b->rect);
    const QPointF at = px - r.topLeft();
    if (at.x() < kCornerZonePx && at.y() < kCornerZonePx) return Action::Move;
    if (at.x() > r.width() - kCornerZonePx && at.y() > r.height() - kCornerZonePx) return Action::Resize;
    return Action::None;
}

bool SlipView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == editor_) {
        if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            // A popup menu or another window taking the focus for a moment
            // does not leave the box. The leaving runs once the focus has
            // settled, and only for the same opening of the editor: a box
            // opened meanwhile (or this one opened anew) is not left by it.
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && editing_ != 0) {
                const quint64 session = editSession_;
                QMetaObject::invokeMethod(
                    this,
                    [this, session] {
                        if (editing_ != 0 && session == editSession_ && !editor_->hasFocus()) LeaveEditor();
                    },
                    Qt::QueuedConnection);
            }
        } else if (event->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(event);
            if (k->key() == Qt::Key_Escape) {
                LeaveEditor();
                setFocus();
                return true;
            }
            if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
                // Tab goes on to the next text box in index order.
                const auto boxes = format_.BoxesOfKind(BoxKind::Text);
                int at = 0;
                for (int i = 0; i < int(boxes.size()); ++i)
                    if (boxes[i]->id == editing_) at = i;
                const int n = int(boxes.size());
                const int next = k->key() == Qt::Key_Tab ? (at + 1) % n : (at + n - 1) % n;
                EditBox(boxes[next]->id);
                return true;
            }
        }
    } else if (watched == editor_->viewport()) {
        // The corners of the box being typed into still move and resize it.
        auto toView = [this](QMouseEvent* m) { return QPointF(editor_->viewport()->mapTo(viewport(), m->position().toPoint())); };
        switch (event->type()) {
        case QEvent::MouseMove: {
            auto* m = static_cast<QMouseEvent*>(event);
            if (gesture_ != Gesture::None) {
                Drag(toView(m));
                return true;
            }
            const Action a = EditorZoneAction(toView(m));
            if (a != Action::None) {
                ShowAction(editor_->viewport(), a);
            } else {
                editor_->viewport()->setCursor(Qt::IBeamCursor);
                editor_->viewport()->setToolTip(QString());
            }
            break;
        }
        case QEvent::MouseButtonPress: {
            auto* m = static_cast<QMouseEvent*>(event);
            if (m->button() != Qt::LeftButton) break;
            const QPointF px = toView(m);
            const Action a = EditorZoneAction(px);
            if (a == Action::None) break;
            gesture_ = Gesture::Pending;
            pressAction_ = a;
            pressId_ = editing_;
            pressPart_ = LinePart::None;
            pressPx_ = px;
            pressMm_ = Transform().ToMm(px);
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (gesture_ != Gesture::None) {
                Release();
                return true;
            }
            break;
        default: break;
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void SlipView::ShowAction(QWidget* on, Action a)
{
    on->setCursor(CursorFor(a));
    QString tip = ToolTipFor(a);
    if (a == Action::Band) tip = format_.Selection().isEmpty() ? BandToolTip() : KeysToolTip();
    if (on->toolTip() != tip) on->setToolTip(tip);
}

void SlipView::mousePressEvent(QMouseEvent* e)
{
    setFocus();
    // Pressing anywhere outside the editor leaves the box being typed into.
    if (editing_ != 0) LeaveEditor();
    if (!format_.IsOpen()) return;
    if (e->button() == Qt::LeftButton) Press(e->position(), e->modifiers());
}

void SlipView::mouseMoveEvent(QMouseEvent* e)
{
    if (gesture_ != Gesture::None && (e->buttons() & Qt::LeftButton)) Drag(e->position());
    else Hover(e->position());
}

void SlipView::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) Release();
}

void SlipView::Hover(QPointF px)
{
    if (gesture_ != Gesture::None) return;
    ShowAction(viewport(), ActionAt(px));
}

void SlipView::Press(QPointF px, Qt::KeyboardModifiers mods)
{
    CancelGesture();
    BoxId id = 0;
    const Action a = ActionAt(px, &id);
    const Hit hit = HitAt(px);
    const bool ctrlOnly = (mods & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) == Qt::ControlModifier;
    pressPx_ = px;
    pressMm_ = Transform().ToMm(px);
    bandEndMm_ = pressMm_;
    pressId_ = id;
    pressPart_ = hit.part;
    pressAction_ = a;
    if (id != 0 && ctrlOnly) {
        // Ctrl with a click marks or unmarks the box (or line), whatever the lock.
        format_.SetSelected(id, !format_.IsSelected(id));
        return;
    }
    if (a == Action::Band) {
        // Ctrl alone keeps the marks made before; otherwise the band's boxes
        // become the only marked ones, and a click on an empty spot unmarks all.
        bandBase_ = ctrlOnly ? format_.Selection() : QSet<BoxId>();
        if (!ctrlOnly) format_.ClearSelection();
        gesture_ = Gesture::Pending;
        viewport()->setToolTip(BandToolTip());
        return;
    }
    if (a == Action::None && !(id != 0 && format_.Find(id))) return;
    gesture_ = Gesture::Pending;
}

void SlipView::StartDrag()
{
    switch (pressAction_) {
    case Action::Band:
        gesture_ = Gesture::Band;
        bandShown_ = true;
        return;
    case Action::Move:
    case Action::Type:
    case Action::Tick:
        if (Locked()) break;
        gesture_ = Gesture::Move;
        dragFrom_ = MarkedBoxesWith(format_, pressId_);
        viewport()->setCursor(Qt::SizeAllCursor);
        return;
    case Action::Resize:
        if (Locked()) break;
        gesture_ = Gesture::Resize;
        dragFrom_ = MarkedBoxesWith(format_, pressId_);
        return;
    case Action::LinePoint:
    case Action::LineMove:
        if (Locked()) break;
        if (const slip::Box* b = format_.Find(pressId_)) {
            gesture_ = Gesture::Line;
            dragFrom_ = {*b};
            return;
        }
        break;
    case Action::None: break;
    }
    // Nothing to drag: the press stays a click until the button is released.
}

void SlipView::Drag(QPointF px)
{
    if (gesture_ == Gesture::None) return;
    if (gesture_ == Gesture::Pending) {
        const QPointF d = px - pressPx_;
        if (std::max(std::abs(d.x()), std::abs(d.y())) < kDragThresholdPx) return;
        StartDrag();
        if (gesture_ == Gesture::Pending) return;
    }
    const QPointF mm = Transform().ToMm(px);
    // Every step places the boxes from where they stood at the press, so the
    // arrangement comes back when the mouse does.
    const QPointF delta = mm - pressMm_;
    switch (gesture_) {
    case Gesture::Band: {
        bandEndMm_ = mm;
        QSet<BoxId> marks = bandBase_;
        const QRectF band = QRectF(pressMm_, bandEndMm_).normalized();
        for (const slip::Box& b : format_.Boxes())
            if (CtlInRect(b, band)) marks.insert(b.id);
        format_.SetSelection(marks);
        viewport()->update();
        break;
    }
    case Gesture::Move: PlaceShifted(format_, dragFrom_, AllowedShift(dragFrom_, SlipSizeOf(format_), delta)); break;
    case Gesture::Resize: ResizeFrom(format_, dragFrom_, QSizeF(delta.x(), delta.y())); break;
    case Gesture::Line:
        if (!dragFrom_.empty()) DragLine(format_, dragFrom_.front(), pressPart_, delta);
        break;
    case Gesture::None:
    case Gesture::Pending: break;
    }
}

void SlipView::Release()
{
    const Gesture g = gesture_;
    const Action a = pressAction_;
    const BoxId id = pressId_;
    const QPointF px = pressPx_;
    CancelGesture();
    if (g == Gesture::Band) {
        viewport()->setToolTip(KeysToolTip());
        return;
    }
    if (g != Gesture::Pending) return;
    // A click without a drag types into a text box or ticks a check box,
    // wherever it falls on the box and whatever the lock.
    const slip::Box* b = format_.Find(id);
    if (!b) return;
    if (b->kind == BoxKind::Text) {
        EditBox(id);
        if (editing_ == id && a == Action::Type)
            editor_->setTextCursor(editor_->cursorForPosition(editor_->viewport()->mapFrom(viewport(), px.toPoint())));
    } else if (b->kind == BoxKind::Check) {
        format_.SetValue(id, format_.Value(id).trimmed().isEmpty() ? QStringLiteral("1") : QString());
    }
}

void SlipView::CancelGesture()
{
    const bool hadBand = bandShown_;
    gesture_ = Gesture::None;
    bandShown_ = false;
    dragFrom_.clear();
    bandBase_.clear();
    if (hadBand) viewport()->update();
}

void SlipView::contextMenuEvent(QContextMenuEvent* e)
{
    if (!format_.IsOpen()) return;
    CancelGesture();
    popupMm_ = Transform().ToMm(e->pos());
    emit contextMenuAt(BoxAt(e->pos()), e->globalPos());
}

void SlipView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    const CanvasTransform t = Transform();
    if (!format_.IsOpen() || t.pxPerMm <= 0) return;
    const QRectF canvas(t.origin, CanvasSizePx());
    p.fillRect(canvas, Qt::white);
    if (BackgroundShown()) p.drawImage(canvas, background_);
    if (format_.Options().showRulers) PaintRulers(p, canvas);
    PaintBoxes(p, t);
    if (bandShown_) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::black, 0, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(t.ToPx(BandMm()));
    }
}

void SlipView::PaintRulers(QPainter& p, const QRectF& canvas)
{
    QFont f = font();
    f.setPixelSize(12);
    const double labelWidth = QFontMetricsF(f).horizontalAdvance(QStringLiteral("00"));
    const RulerDrawing d = ComputeRulers(canvas.width(), canvas.height(), format_.Header().widthMm, labelWidth);
    p.save();
    p.translate(canvas.topLeft());
    const QColor cm = QColor::fromRgb(kRulerCentimetreRgb);
    const QColor mm = QColor::fromRgb(kRulerLineRgb);
    for (const RulerLine& l : d.lines) {
        p.setPen(QPen(l.centimetre ? cm : mm, 0));
        p.drawLine(l.line);
    }
    p.setFont(f);
    p.setPen(Qt::black);
    for (const RulerText& t : d.texts) p.drawText(QRectF(t.at, QSizeF(labelWidth + 8, 16)), Qt::AlignLeft | Qt::AlignTop, t.text);
    p.restore();
}

void SlipView::PaintBoxes(QPainter& p, const CanvasTransform& t)
{
    const bool captions = !BackgroundShown();
    QFont captionFont = font();
    const QFontMetricsF cfm(captionFont);
    // Outlines and marks first, in view pixels.
    for (const slip::Box& b : format_.Boxes()) {
        const bool marked = format_.IsSelected(b.id);
        if (b.kind == BoxKind::Line) continue;
        const QRectF r = t.ToPx(b.rect);
        if (auto tint = tints_.constFind(b.id); tint != tints_.constEnd()) p.fillRect(r, *tint);
        switch (b.kind) {
        case BoxKind::Text: {
            if (marked) p.fillRect(r, kMarkGrey);
            const bool cells = b.dataType.ShowsCellBorder();
            p.setPen(QPen(cells ? QColor(Qt::black) : QColor(0x60, 0x90, 0xD0), 0, cells ? Qt::SolidLine : Qt::DotLine));
            p.drawRect(r);
            break;
        }
        case BoxKind::Check: {
            const double side = std::min(r.height(), 13.0);
            const QRectF tick(r.left(), r.center().y() - side / 2, side, side);
            p.setPen(QPen(Qt::black, marked ? 0 : 1.5));
            p.fillRect(tick, Qt::white);
            p.drawRect(tick);
            if (!format_.Value(b.id).trimmed().isEmpty()) {
                p.drawLine(QPointF(tick.left() + side * 0.2, tick.center().y()),
                           QPointF(tick.left() + side * 0.45, tick.bottom() - side * 0.2));
                p.drawLine(QPointF(tick.left() + side * 0.45, tick.bottom() - side * 0.2),
                           QPointF(tick.right() - side * 0.15, tick.top() + side * 0.2));
            }
            if (marked) {
                p.setPen(QPen(Qt::darkGray, 0, Qt::DashLine));
                p.drawRect(r);
            }
            break;
        }
        case BoxKind::Picture:
        case BoxKind::Label:
            p.setPen(QPen(marked ? QColor(Qt::black) : QColor(0x60, 0x90, 0xD0), 0,
                          marked ? Qt::SolidLine : Qt::DotLine));
            if (marked || b.kind == BoxKind::Picture) p.drawRect(r);
            break;
        case BoxKind::Line: break;
        }
        if (captions && HoldsValue(b.kind) && !b.caption.isEmpty()) {
            p.setFont(captionFont);
            p.setPen(Qt::black);
            const QSizeF cs(cfm.horizontalAdvance(b.caption) + 2, cfm.height());
            QPointF at;
            switch (b.captionSide) {
            case CaptionSide::Above: at = QPointF(r.left(), r.top() - cs.height() - kCaptionGap); break;
            case CaptionSide::Left: at = QPointF(r.left() - cs.width() - kCaptionGap, r.top() + 3); break;
            case CaptionSide::Right: at = QPointF(r.right() + kCaptionGap, r.top() + 3); break;
            case CaptionSide::Below: at = QPointF(r.left(), r.bottom() + kCaptionGap); break;
            }
            p.drawText(QRectF(at, cs), Qt::AlignLeft | Qt::AlignVCenter, b.caption);
        }
    }
    // The values, lines and labels as the paper shows them.
    const double dpi = viewport()->logicalDpiX();
    const double scale = t.pxPerMm / (dpi / units::kMmPerInch);
    p.save();
    p.translate(t.origin);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    PainterSurface surface(&p);
    SlipPlacement where;
    where.slipWidthMm = format_.Header().widthMm;
    where.slipHeightMm = format_.Header().heightMm;
    SlipDrawSettings settings;
    settings.canvasRules = true;
    settings.barcodeStandard = barcodeStandard_;
    settings.fontSize = [this, scale](DrawSurface&, double size) { return CanvasFontPoints(size) / scale; };
    settings.loadPicture = [](const QString& path) {
        if (path.isEmpty()) return QImage();
        QImageReader r(path);
        r.setDecideFormatFromContent(true);
        return r.read();
    };
    for (int kind = 0; kind < kBoxKindCount; ++kind) {
        for (const slip::Box& b : format_.Boxes()) {
            if (int(b.kind) != kind || b.kind == BoxKind::Check) continue;
            if (b.id == editing_) continue;
            if (b.kind == BoxKind::Line && format_.IsSelected(b.id)) {
                slip::Box grey = b;
                grey.color = kMarkGrey;
                DrawSlipBox(format_, grey, QString(), surface, where, settings);
                continue;
            }
            DrawSlipBox(format_, b, format_.Value(b.id), surface, where, settings);
        }
    }
    p.restore();
    // A marked line is drawn in the mark's light grey; its ends get handles
    // so that it still shows on the ruler grid and where a drag takes it.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(kMarkGrey);
    for (const slip::Box& b : format_.Boxes()) {
        if (b.kind != BoxKind::Line || !format_.IsSelected(b.id)) continue;
        for (QPointF end : {b.line.p1(), b.line.p2()}) {
            const QPointF c = t.ToPx(end);
            p.drawRect(QRectF(c.x() - 3, c.y() - 3, 6, 6));
        }
    }
    p.setBrush(Qt::NoBrush);
}

} // namespace slip
