#include "workspace/SlipView.h"

#include "core/Units.h"
#include "model/BoxRules.h"
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
    QAbstractScrollArea::keyPressEvent(e);
}

BoxId SlipView::BoxAt(QPointF px) const
{
    const CanvasTransform t = Transform();
    if (t.pxPerMm <= 0) return 0;
    const QPointF mm = t.ToMm(px);
    const double slack = t.LengthToMm(3);
    // The last drawn box is on top: search from the end, labels and lines last.
    for (int kind = kBoxKindCount - 1; kind >= 0; --kind) {
        const auto& boxes = format_.Boxes();
        for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) {
            if (int(it->kind) != kind) continue;
            if (it->kind == BoxKind::Line) {
                const QLineF l = it->line;
                const QPointF d = l.p2() - l.p1();
                const double len2 = d.x() * d.x() + d.y() * d.y();
                double u = len2 > 0 ? QPointF::dotProduct(mm - l.p1(), d) / len2 : 0;
                u = std::clamp(u, 0.0, 1.0);
                const QPointF nearest = l.p1() + d * u;
                if (QLineF(nearest, mm).length() <= slack + t.LengthToMm(it->lineWidth / 2)) return it->id;
            } else if (it->rect.adjusted(-slack / 3, -slack / 3, slack / 3, slack / 3).contains(mm)) {
                return it->id;
            }
        }
    }
    return 0;
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

bool SlipView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == editor_) {
        if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            // A popup menu or another window taking the focus for a moment
            // does not leave the box.
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && editing_ != 0)
                QMetaObject::invokeMethod(this, [this] { if (editing_ != 0 && !editor_->hasFocus()) LeaveEditor(); },
                                          Qt::QueuedConnection);
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
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void SlipView::mousePressEvent(QMouseEvent* e)
{
    setFocus();
    if (e->button() != Qt::LeftButton) return;
    const slip::BoxId id = BoxAt(e->position());
    const slip::Box* b = id ? format_.Find(id) : nullptr;
    if (!b) {
        EditBox(0);
        return;
    }
    if (b->kind == BoxKind::Text) {
        EditBox(id);
    } else {
        EditBox(0);
        if (b->kind == BoxKind::Check)
            format_.SetValue(id, format_.Value(id).trimmed().isEmpty() ? QStringLiteral("1") : QString());
    }
}

void SlipView::contextMenuEvent(QContextMenuEvent* e)
{
    if (!format_.IsOpen()) return;
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
        switch (b.kind) {
        case BoxKind::Text: {
            if (marked) p.fillRect(r, kMarkGrey);
            const DataTypeLook look = TextBoxLookForDataType(b.dataType);
            p.setPen(QPen(look.borderStyle ? QColor(Qt::black) : QColor(0x60, 0x90, 0xD0), 0,
                          look.borderStyle ? Qt::SolidLine : Qt::DotLine));
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
}

} // namespace slip
