#pragma once
#include "model/BoxEditing.h"
#include "model/SlipFormat.h"
#include "workspace/CanvasGeometry.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPointer>
#include <vector>

class QPlainTextEdit;

namespace slip {

// The slip canvas: shows the open format (background picture, ruler grid,
// boxes with their captions and values, selection marks) at a zoom, and sends
// what the operator does into the model. It holds no state of the slip
// itself: one inline editor stands over the text box being typed into and
// writes every keystroke into the model at once.
//
// Laying out with the mouse: a left drag on the empty canvas draws a band
// that marks every box it touches (Ctrl alone keeps the earlier marks);
// Ctrl+click marks or unmarks one box or line; a drag on a box moves it with
// every marked box, from its bottom-right corner resizes them; a line is
// dragged by an end point or as a whole. A click without a drag types into
// a text box or ticks a check box. The arrow keys move the marked boxes,
// Shift+arrows resize them, Ctrl+arrows step their font size (a line's
// width). While the format is locked nothing is moved or resized.
class SlipView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit SlipView(SlipFormat& format, QWidget* parent = nullptr);

    SlipFormat& Format() const { return format_; }
    // The format's background picture (null when it has none).
    void SetBackground(const QImage& picture);
    const QImage& Background() const { return background_; }
    bool BackgroundShown() const { return format_.Options().showBackground && !background_.isNull(); }

    // 1 shows the slip as wide as the frame.
    double Zoom() const { return zoom_; }
    void SetZoom(double zoom);
    void ZoomButton(int button);  // 0 grow, 1 shrink, 2 frame width
    CanvasTransform Transform() const;
    QSizeF CanvasSizePx() const;
    // The frame width the canvas is fitted to, in pixels.
    double FrameWidth() const;

    // The box or line under a point of the view, or 0. Text, check and
    // picture boxes come first (the one drawn last on top), then lines, then
    // labels.
    BoxId BoxAt(QPointF viewPx) const;
    // Opens the inline editor on a text box (0 closes it).
    void EditBox(BoxId id);
    BoxId EditingBox() const { return editing_; }
    QPlainTextEdit* Editor() const { return editor_; }

    // Colours painted behind boxes (the boxes related to the one being
    // typed in); an empty map paints none.
    void SetBoxTints(const QHash<BoxId, QColor>& tints)
    {
        tints_ = tints;
        viewport()->update();
    }

    // 0 Code 39, anything else EAN-13.
    void SetBarcodeStandard(int standard)
    {
        barcodeStandard_ = standard;
        viewport()->update();
    }

    // Font size in points the canvas uses for a box's stored size.
    double CanvasFontPoints(double storedPoints) const;

    // What a left drag (or a click) at a point of the view does.
    enum class Action {
        None,        // nothing (outside the slip, or locked)
        Band,        // draws a band on the empty slip
        Move,        // moves the box and the marked boxes
        Resize,      // resizes the box and the marked boxes
        Type,        // a click types into the text box (a drag moves it)
        Tick,        // a click ticks the check box (a drag moves it)
        LinePoint,   // moves one end of a line
        LineMove,    // moves a line
    };
    Action ActionAt(QPointF viewPx, BoxId* id = nullptr) const;
    // The pointer and tooltip shown for an action.
    static Qt::CursorShape CursorFor(Action a);
    static QString ToolTipFor(Action a);
    // The tooltips of the empty canvas: before and after marking boxes.
    static QString BandToolTip();
    static QString KeysToolTip();

    // The slip point (mm) of the last right click, where the slip menu adds.
    QPointF PopupPointMm() const { return popupMm_; }
    // The band being drawn (mm), empty when none is shown.
    QRectF BandMm() const { return bandShown_ ? QRectF(pressMm_, bandEndMm_).normalized() : QRectF(); }

    // How far the arrow keys move or resize the marked boxes.
    static constexpr double kKeyStepMm = 0.2;
    // The corners of a box where a drag moves (top-left) or resizes
    // (bottom-right) it, in view pixels.
    static constexpr double kCornerZonePx = 7;
    // A press becomes a drag once the mouse went this far.
    static constexpr double kDragThresholdPx = 3;
    // The least distance at which a line is still hit, in view pixels.
    static constexpr double kLineTolerancePx = 4;

signals:
    void zoomChanged(double zoom);
    // The operator left a text box (its value may now be converted).
    void boxLeft(slip::BoxId id);
    // Right click: on a box (id) or on the empty slip (0); position in global coordinates.
    void contextMenuAt(slip::BoxId id, QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Hit {
        BoxId id = 0;
        BoxKind kind = BoxKind::Text;
        LinePart part = LinePart::None;
    };
    enum class Gesture { None, Pending, Band, Move, Resize, Line };

    Hit HitAt(QPointF viewPx) const;
    bool Locked() const { return format_.Options().locked; }
    // The arrow keys on the marked boxes; false when the key is not theirs.
    bool StepMarked(int key, Qt::KeyboardModifiers mods);
    void Press(QPointF px, Qt::KeyboardModifiers mods);
    void Drag(QPointF px);
    void Release();
    void Hover(QPointF px);
    void StartDrag();
    void CancelGesture();
    void ShowAction(QWidget* on, Action a);
    // Whether a point of the view lies in a corner zone of the box being typed
    // into (where a drag moves or resizes it rather than selecting text).
    Action EditorZoneAction(QPointF viewPx) const;
    void UpdateScrollBars();
    void PlaceEditor();
    void LeaveEditor();
    void PaintRulers(QPainter& p, const QRectF& canvas);
    void PaintBoxes(QPainter& p, const CanvasTransform& t);

    SlipFormat& format_;
    QImage background_;
    double zoom_ = 1.0;
    BoxId editing_ = 0;
    // Counts the openings of the editor, so that a late focus loss can tell
    // whether it still belongs to the box being typed into.
    quint64 editSession_ = 0;
    QPlainTextEdit* editor_ = nullptr;
    bool syncingEditor_ = false;
    int barcodeStandard_ = 0;
    QHash<BoxId, QColor> tints_;

    // The gesture of the left button.
    Gesture gesture_ = Gesture::None;
    Action pressAction_ = Action::None;
    BoxId pressId_ = 0;
    LinePart pressPart_ = LinePart::None;
    QPointF pressPx_;
    QPointF pressMm_;
    QPointF bandEndMm_;
    bool bandShown_ = false;
    QSet<BoxId> bandBase_;          // marks a band with Ctrl keeps
    bool bandCtrl_ = false;
    std::vector<slip::Box> dragFrom_;     // the dragged boxes as they stood at the press
    QPointF popupMm_;
};

} // namespace slip
