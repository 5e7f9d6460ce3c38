#include "workspace/SlipView.h"

#include "core/Units.h"
#include "print/SlipDrawing.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextCursor>
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

SlipView::SlipView(SlipFormat& format, QWidget* parent)
    : QAbstractScrollArea(parent), format_(format), gestures_(format),
      editor_(new InlineEditor(format, viewport(), [this](QPlainTextEdit& e, const slip::Box& b) { PlaceEditor(e, b); }))
{
    setObjectName(QStringLiteral("slipCanvas"));
    viewport()->setAutoFillBackground(true);
    QPalette pal = viewport()->palette();
    // Grey around the slip, so that its edges show.
    pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    pal.setColor(QPalette::Base, QColor(0x80, 0x80, 0x80));
    viewport()->setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    // The canvas moves when a scroll bar's value changes: while the operator
    // drags a thumb it stays, and goes there when the thumb is let go.
    horizontalScrollBar()->setTracking(false);
    verticalScrollBar()->setTracking(false);
    QPlainTextEdit* ed = editor_->Widget();
    editorViewport_ = ed->viewport();
    ed->viewport()->installEventFilter(this);
    ed->viewport()->setMouseTracking(true);
    // The box being typed into has the box menu too (its text commands
    // copy and paste).
    ed->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ed, &QPlainTextEdit::customContextMenuRequested, this, [this, ed](const QPoint& pos) {
        if (EditingBox() == 0) return;
        popupMm_ = Mm(QPointF(ed->mapTo(viewport(), pos)));
        emit contextMenuAt(EditingBox(), ed->mapToGlobal(pos));
    });
    connect(editor_, &InlineEditor::boxLeft, this, [this](BoxId id) {
        viewport()->update();
        emit boxLeft(id);
    });
    connect(editor_, &InlineEditor::escaped, this, [this] { setFocus(); });
    // The arrow keys in a text box move the marked boxes as on the canvas.
    connect(editor_, &InlineEditor::arrowKey, this, [this](int key, Qt::KeyboardModifiers mods) { Scaled().Key(key, mods); });
    auto repaint = [this] { viewport()->update(); };
    connect(&format_, &SlipFormat::headerChanged, this, [this] {
        UpdateScrollBars();
        viewport()->update();
    });
    connect(&format_, &SlipFormat::loaded, this, [this] { borders_.clear(); });
    connect(&format_, &SlipFormat::boxesChanged, this, repaint);
    connect(&format_, &SlipFormat::boxChanged, this, repaint);
    connect(&format_, &SlipFormat::selectionChanged, this, repaint);
    connect(&format_, &SlipFormat::valueChanged, this, [this](BoxId id) {
        PictureValueSet(id);
        viewport()->update();
    });
    connect(&format_, &SlipFormat::loaded, this, [this] { pictures_->Clear(); });
}

void SlipView::PictureValueSet(BoxId id)
{
    const slip::Box* b = format_.Find(id);
    if (!b || b->kind != BoxKind::Picture) return;
    const QString value = format_.Value(id);
    const QString kept = PictureBoxValue(value);
    if (kept != value) {
        format_.SetValue(id, kept);
        return;
    }
    if (kept.isEmpty() || IsBarcodeValue(kept)) pictures_->Forget(id);
    else pictures_->Picture(id, kept);
}

std::function<QImage(BoxId, const QString&)> SlipView::PictureReader() const
{
    return [pictures = pictures_](BoxId id, const QString& path) { return pictures->Picture(id, path); };
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
    // The canvas stands at the top-left of the frame; the frame shows below
    // and beside a canvas smaller than itself.
    const double x = size.width() < viewport()->width() ? 0 : -horizontalScrollBar()->value();
    const double y = size.height() < viewport()->height() ? 0 : -verticalScrollBar()->value();
    t.origin = QPointF(x, y);
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
    // The canvas keeps its top-left share in view, counted in fifths of what
    // it exceeds the frame by, as the scroll bars step.
    const QSizeF before = CanvasSizePx();
    const QPointF offset = -Transform().origin;
    zoom_ = zoom;
    UpdateScrollBars();
    const QSizeF after = CanvasSizePx();
    horizontalScrollBar()->setValue(
        int(std::lround(OffsetAfterZoom(offset.x(), before.width(), after.width(), viewport()->width()))));
    verticalScrollBar()->setValue(
        int(std::lround(OffsetAfterZoom(offset.y(), before.height(), after.height(), viewport()->height()))));
    editor_->Place();
    viewport()->update();
    emit zoomChanged(zoom_);
}

void SlipView::FitToFrame()
{
    const bool changed = zoom_ != 1.0;
    zoom_ = 1.0;
    UpdateScrollBars();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    editor_->Place();
    viewport()->update();
    if (changed) emit zoomChanged(zoom_);
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
    editor_->Place();
}

void SlipView::scrollContentsBy(int, int)
{
    editor_->Place();
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
    if (Scaled().Key(e->key(), e->modifiers())) {
        e->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

SlipGestures& SlipView::Scaled() const
{
    const CanvasTransform t = Transform();
    const double dpi = viewport()->logicalDpiX();
    // A unit of a line's width is as many pixels as the zoom.
    gestures_.SetScale(MmPerScreenTwip(t.pxPerMm, dpi), t.pxPerMm > 0 ? zoom_ / t.pxPerMm : 0);
    return gestures_;
}

BoxId SlipView::BoxAt(QPointF px) const
{
    return Scaled().HitAt(Mm(px)).id;
}

Qt::CursorShape SlipView::CursorFor(SlipGestures::Pointer p)
{
    using P = SlipGestures::Pointer;
    switch (p) {
    case P::Move:
    case P::LineStart: return Qt::SizeAllCursor;
    case P::Resize:
    case P::LineEnd: return Qt::SizeFDiagCursor;
    case P::Type: return Qt::IBeamCursor;
    case P::LineBody: return Qt::CrossCursor;
    case P::Arrow: break;
    }
    return Qt::ArrowCursor;
}

void SlipView::ShowPointer(QWidget* on)
{
    on->setCursor(CursorFor(gestures_.CurrentPointer()));
    if (on->toolTip() != gestures_.ToolTip()) on->setToolTip(gestures_.ToolTip());
}

void SlipView::PlaceEditor(QPlainTextEdit& editor, const slip::Box& b)
{
    const QRect r = Transform().ToPx(b.rect).toAlignedRect();
    editor.setGeometry(r.adjusted(0, 0, 1, 1));
    editor.setFont(ScreenFont(b.font, CanvasFontPoints(b.font.pointSize)));
    QPalette pal = editor.palette();
    pal.setColor(QPalette::Text, b.color);
    pal.setColor(QPalette::Base, tints_.value(b.id, QColor(0xFF, 0xFF, 0xE8)));
    editor.setPalette(pal);
}

bool SlipView::eventFilter(QObject* watched, QEvent* event)
{
    // The editor is compared against first and touched only for mouse
    // events: the filter also sees events sent while it is being destroyed.
    const QEvent::Type type = event->type();
    if (watched != editorViewport_
        || (type != QEvent::MouseMove && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease))
        return QAbstractScrollArea::eventFilter(watched, event);
    // The corners of the box being typed into still move and resize it.
    QPlainTextEdit* ed = editor_->Widget();
    auto* m = static_cast<QMouseEvent*>(event);
    const QPointF px = QPointF(ed->viewport()->mapTo(viewport(), m->position().toPoint()));
    SlipGestures& g = Scaled();
    const SlipGestures::Pointer corner = g.BoxPointerAt(Mm(px));
    const bool inCorner = corner == SlipGestures::Pointer::Move || corner == SlipGestures::Pointer::Resize;
    switch (type) {
    case QEvent::MouseMove:
        if (g.Dragging()) {
            g.Move(Mm(px), m->buttons(), m->modifiers());
            return true;
        }
        ed->viewport()->setCursor(inCorner ? CursorFor(corner) : Qt::IBeamCursor);
        ed->viewport()->setToolTip(SlipGestures::ToolTipFor(inCorner ? corner : SlipGestures::Pointer::Type));
        break;
    case QEvent::MouseButtonPress:
        // Ctrl with a click marks or unmarks the box being typed in too.
        if (m->button() != Qt::RightButton && SlipGestures::CtrlAlone(m->modifiers())) {
            format_.SetSelected(EditingBox(), !format_.IsSelected(EditingBox()));
            return true;
        }
        // The right button opens the box menu over the box being typed in,
        // its caret and selection as they are (copy and paste work on them);
        // the editor passes that press on, which would leave the box.
        if (m->button() == Qt::RightButton) return true;
        if (m->button() != Qt::LeftButton || !inCorner) break;
        g.Press(Mm(px), m->button(), m->modifiers());
        return true;
    default:
        if (!g.Dragging()) break;
        g.Release(m->button());
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void SlipView::mousePressEvent(QMouseEvent* e)
{
    // Pressing anywhere outside the editor leaves the box being typed into,
    // and with it the colours of its related boxes; Ctrl alone marks boxes
    // while the typing (and the colours) stay.
    if (!SlipGestures::CtrlAlone(e->modifiers()) || EditingBox() == 0) {
        setFocus();
        if (EditingBox() != 0) editor_->Leave();
    }
    if (!format_.IsOpen()) return;
    Scaled().Press(Mm(e->position()), e->button(), e->modifiers());
    ShowPointer(viewport());
}

void SlipView::mouseMoveEvent(QMouseEvent* e)
{
    const bool band = !gestures_.Band().isEmpty();
    Scaled().Move(Mm(e->position()), e->buttons(), e->modifiers());
    ShowPointer(viewport());
    if (band || !gestures_.Band().isEmpty()) viewport()->update();
}

void SlipView::mouseReleaseEvent(QMouseEvent* e)
{
    const bool band = !gestures_.Band().isEmpty();
    const SlipGestures::Click click = Scaled().Release(e->button());
    ShowPointer(viewport());
    if (band) viewport()->update();
    Clicked(click, e->position());
}

void SlipView::Clicked(const SlipGestures::Click& click, QPointF px)
{
    // A click without a drag types into a text box or ticks a check box,
    // wherever it falls on the box and whatever the lock.
    const slip::Box* b = format_.Find(click.id);
    if (!b) return;
    if (b->kind == BoxKind::Text) {
        EditBox(click.id);
        QPlainTextEdit* ed = Editor();
        if (EditingBox() != click.id) return;
        if (click.pointer == SlipGestures::Pointer::Type)
            ed->setTextCursor(ed->cursorForPosition(ed->viewport()->mapFrom(viewport(), px.toPoint())));
        emit textBoxClicked(click.id);
    } else if (b->kind == BoxKind::Check) {
        format_.SetValue(click.id, IsTicked(format_.Value(click.id)) ? QString() : QStringLiteral("1"));
    }
}

void SlipView::contextMenuEvent(QContextMenuEvent* e)
{
    if (!format_.IsOpen()) return;
    gestures_.Cancel();
    popupMm_ = Mm(e->pos());
    const BoxId id = Scaled().MenuBoxAt(popupMm_);
    emit contextMenuAt(id, e->globalPos());
    if (id == 0) gestures_.AfterSlipMenu(e->modifiers());
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
    if (const QRectF band = gestures_.Band(); !band.isEmpty()) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::black, 0, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(t.ToPx(band));
    }
}

void SlipView::PaintRulers(QPainter& p, const QRectF& canvas)
{
    QFont f = font();
    f.setPixelSize(12);
    const QFontMetricsF fm(f);
    const RulerDrawing d = ComputeRulers(canvas.width(), canvas.height(), format_.Header().widthMm,
                                         fm.horizontalAdvance(QStringLiteral("0")), fm.height());
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
    for (const RulerText& t : d.texts) p.drawText(QRectF(t.at, t.size), Qt::AlignCenter, t.text);
    p.restore();
}

void SlipView::SetBoxBorder(BoxId id, bool single)
{
    if (BoxBorder(id) == single && borders_.contains(id)) return;
    borders_.insert(id, single);
    viewport()->update();
}

bool SlipView::BoxBorder(BoxId id) const
{
    if (auto it = borders_.constFind(id); it != borders_.constEnd()) return *it;
    const slip::Box* b = format_.Find(id);
    return b && b->kind == BoxKind::Text && b->dataType.BorderWhenOpened();
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
        const auto tint = tints_.constFind(b.id);
        if (tint != tints_.constEnd()) p.fillRect(r, *tint);
        switch (b.kind) {
        case BoxKind::Text: {
            // A white field (grey while marked), framed only when its border is on.
            if (marked) p.fillRect(r, kMarkGrey);
            else if (tint == tints_.constEnd()) p.fillRect(r, Qt::white);
            if (BoxBorder(b.id)) {
                p.setPen(QPen(Qt::black, 0));
                p.drawRect(r);
            }
            break;
        }
        case BoxKind::Check: {
            const double side = std::min(r.height(), 13.0);
            const QRectF tick(r.left(), r.center().y() - side / 2, side, side);
            p.setPen(QPen(Qt::black, marked ? 0 : 1.5));
            p.fillRect(tick, Qt::white);
            p.drawRect(tick);
            if (IsTicked(format_.Value(b.id))) {
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
            // Framed only while marked: an unmarked picture box is its picture.
            if (marked) {
                p.setPen(QPen(Qt::black, 0));
                p.drawRect(r);
            }
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
    settings.loadPicture = PictureReader();
    settings.lineWidth = [this, scale](double width) { return CanvasLinePixels(width, zoom_) / scale; };
    for (int kind = 0; kind < kBoxKindCount; ++kind) {
        // Lines in whole pixels, as wide as their width says.
        p.setRenderHint(QPainter::Antialiasing, kind != int(BoxKind::Line));
        for (const slip::Box& b : format_.Boxes()) {
            if (int(b.kind) != kind || b.kind == BoxKind::Check) continue;
            if (b.id == EditingBox()) continue;
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
