#pragma once
#include "model/BoxEditing.h"
#include "model/SlipFormat.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <Qt>
#include <vector>

namespace slip {

// What the mouse and the keys do on the slip canvas, in slip millimetres and
// without any widget: the view hands every event in and shows the pointer,
// the tooltip and the band this answers; the work itself is done by the
// model's editing functions.
//
// On a box: a drag from its top-left corner moves it with every marked box,
// from its bottom-right corner resizes them, elsewhere does nothing; a click
// types into a text box or ticks a check box; Ctrl with a click marks or
// unmarks it. On the empty
// canvas: a drag draws a band that marks the boxes it touches (Ctrl alone
// adds them to the marks), a press marks only what lies under the point, and
// a line is found under the mouse and dragged by its start point, its end
// point or its body. The arrow keys move the marked boxes, Shift+arrows
// resize them, Ctrl+arrows step their font size. While the format is locked
// nothing on the canvas is moved, marked or drawn.
class SlipGestures {
public:
    explicit SlipGestures(SlipFormat& format) : format_(format) {}

    // The canvas scale (twips to millimetres at the present zoom) and the
    // millimetres of one unit of a line's width.
    void SetScale(double mmPerTwip, double mmPerLineWidthUnit)
    {
        mmPerTwip_ = mmPerTwip;
        mmPerLineWidthUnit_ = mmPerLineWidthUnit;
    }
    double Mm(double twips) const { return twips * mmPerTwip_; }

    // What the pointer shows.
    enum class Pointer { Arrow, Move, Resize, Type, LineStart, LineEnd, LineBody };

    struct Hit {
        BoxId id = 0;
        BoxKind kind = BoxKind::Text;
        LinePart part = LinePart::None;
    };
    // The box or line at a point: text, check and picture boxes first (the
    // one drawn last on top), then lines, then labels.
    Hit HitAt(QPointF mm) const;
    // The pointer a box shows at a point (Arrow off every box).
    Pointer BoxPointerAt(QPointF mm) const;
    // The box whose menu a right click at a point opens: a box, or a line
    // while the format is unlocked and the mouse came onto its body other
    // than from one of its ends (it then shows the line body's pointer); 0
    // for the slip menu.
    BoxId MenuBoxAt(QPointF mm) const;

    // A mouse move without a gesture (or with one: then it drives it).
    void Move(QPointF mm, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
    void Press(QPointF mm, Qt::MouseButton button, Qt::KeyboardModifiers mods);
    // A click without a drag on a text box types into it, on a check box
    // ticks it: the box it falls on, else 0.
    struct Click {
        BoxId id = 0;
        Pointer pointer = Pointer::Arrow;
    };
    Click Release(Qt::MouseButton button);
    // After the slip menu closed: the boxes of the last band are marked again
    // (unless Ctrl alone was held).
    void AfterSlipMenu(Qt::KeyboardModifiers mods);
    // The arrow keys on the marked boxes; false when the key did nothing.
    bool Key(int key, Qt::KeyboardModifiers mods);
    void Cancel();

    Pointer CurrentPointer() const { return pointer_; }
    // The tooltip: a box's own over a box; elsewhere the canvas's, which is
    // the text of the last press, release or line hovered.
    QString ToolTip() const { return toolTip_; }
    // The band being drawn, empty when none is shown.
    QRectF Band() const { return bandShown_ ? QRectF(bandA_, bandB_).normalized() : QRectF(); }
    bool Dragging() const { return drag_ != Drag::None; }

    // Ctrl held without Shift or Alt: the marks are added to or turned over.
    static bool CtrlAlone(Qt::KeyboardModifiers mods);
    static QString ToolTipFor(Pointer p);
    static QString BandToolTip();
    static QString KeysToolTip();

    // Screen distances in twips (1440 to the inch: 15 to a pixel at 96 dpi).
    static constexpr double kDragDeadZoneTwips = 12;
    static constexpr double kBandStepTwips = 100;
    static constexpr double kKeyStepTwips = 10;
    static constexpr double kCornerZoneTwips = 100;
    static constexpr double kLineToleranceTwips = 30;

private:
    enum class Drag { None, BoxPending, BoxMove, BoxResize, Band, Line };
    bool Locked() const { return format_.Options().locked; }
    LineHit LineUnder(QPointF mm) const;
    // Move or Resize in a box's corner zones, else Arrow.
    Pointer CornerAt(const Box& b, QPointF mm) const;
    // The tooltip of a box under the mouse (pointer_ set for it already).
    QString BoxToolTip(const Box& b, QPointF mm) const;
    void HoverLines(QPointF mm, Qt::MouseButtons buttons);
    void DriveBox(QPointF mm);
    void DriveCanvas(QPointF mm, Qt::KeyboardModifiers mods);
    bool PastDeadZone(QPointF from, QPointF to) const;

    SlipFormat& format_;
    double mmPerTwip_ = 25.4 / 1440;
    double mmPerLineWidthUnit_ = 25.4 / 96;

    Pointer pointer_ = Pointer::Arrow;
    QString toolTip_;
    QString canvasTip_ = BandToolTip();
    Drag drag_ = Drag::None;
    // The canvas's own pointer over lines: it stays while the mouse slides
    // from a line's end onto its body, and decides what a drag moves.
    LinePart linePointer_ = LinePart::None;
    BoxId hoverLine_ = 0;

    BoxId pressBox_ = 0;
    Pointer pressPointer_ = Pointer::Arrow;
    QPointF pressMm_, lastStepMm_;
    std::vector<Box> from_;  // the dragged boxes as they stood at the press
    // The band's corners stay between drags: the slip menu marks its boxes again.
    QPointF bandA_, bandB_;
    bool bandShown_ = false;
};

} // namespace slip
