#pragma once
#include "model/SlipFormat.h"
#include "workspace/CanvasGeometry.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPointer>

class QPlainTextEdit;

namespace slip {

// The slip canvas: shows the open format (background picture, ruler grid,
// boxes with their captions and values, selection marks) at a zoom, and sends
// what the operator does into the model. It holds no state of the slip
// itself: one inline editor stands over the text box being typed into and
// writes every keystroke into the model at once.
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

    // The box under a point of the view, or 0.
    BoxId BoxAt(QPointF viewPx) const;
    // Opens the inline editor on a text box (0 closes it).
    void EditBox(BoxId id);
    BoxId EditingBox() const { return editing_; }
    QPlainTextEdit* Editor() const { return editor_; }

    // 0 Code 39, anything else EAN-13.
    void SetBarcodeStandard(int standard)
    {
        barcodeStandard_ = standard;
        viewport()->update();
    }

    // Font size in points the canvas uses for a box's stored size.
    double CanvasFontPoints(double storedPoints) const;

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
    void contextMenuEvent(QContextMenuEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateScrollBars();
    void PlaceEditor();
    void LeaveEditor();
    void PaintRulers(QPainter& p, const QRectF& canvas);
    void PaintBoxes(QPainter& p, const CanvasTransform& t);

    SlipFormat& format_;
    QImage background_;
    double zoom_ = 1.0;
    BoxId editing_ = 0;
    QPlainTextEdit* editor_ = nullptr;
    bool syncingEditor_ = false;
    int barcodeStandard_ = 0;
};

} // namespace slip
