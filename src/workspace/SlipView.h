#pragma once
#include "model/BoxEditing.h"
#include "model/SlipFormat.h"
#include "print/PictureBoxes.h"
#include "workspace/CanvasGeometry.h"
#include "workspace/InlineEditor.h"
#include "workspace/SlipGestures.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <functional>
#include <memory>

class QPlainTextEdit;

namespace slip {

// The slip canvas: shows the open format (background picture, ruler grid,
// boxes with their captions and values, selection marks) at a zoom and
// scrolls it. What the mouse and the keys do is SlipGestures' to decide,
// typing is the inline editor's; the view hands them its events and shows
// their answers. It holds no state of the slip itself.
class SlipView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit SlipView(SlipFormat& format, QWidget* parent = nullptr);

    // The format's background picture (null when it has none).
    void SetBackground(const QImage& picture);
    const QImage& Background() const { return background_; }
    bool BackgroundShown() const { return format_.Options().showBackground && !background_.isNull(); }

    // 1 shows the slip as wide as the frame. The canvas keeps the share of
    // it scrolled past at its top-left, in fifths.
    void SetZoom(double zoom);
    // Zoom 1 with the canvas at the frame's top-left: a format opened,
    // created or given a new size starts so.
    void FitToFrame();
    void ZoomButton(int button);  // 0 grow, 1 shrink, 2 frame width
    CanvasTransform Transform() const;
    QSizeF CanvasSizePx() const;
    // The frame width the canvas is fitted to, in pixels.
    double FrameWidth() const;

    // The box or line under a point of the view, or 0.
    BoxId BoxAt(QPointF viewPx) const;
    // Opens the inline editor on a text box (0 closes it).
    void EditBox(BoxId id) { editor_->Open(id); }
    BoxId EditingBox() const { return editor_->Box(); }
    QPlainTextEdit* Editor() const { return editor_->Widget(); }
    // A screen distance in twips as slip millimetres at the present zoom.
    double TwipsToMm(double twips) const { return Scaled().Mm(twips); }

    // Colours painted behind boxes (the boxes related to the one being
    // typed in); an empty map paints none.
    // The box being typed in shows its colour in the editor.
    void SetBoxTints(const QHash<BoxId, QColor>& tints)
    {
        tints_ = tints;
        editor_->Place();
        viewport()->update();
    }

    // Whether a text box shows its single border: as its code gives once
    // the format is opened, and as the value entry sets it on leaving a box
    // that holds a value.
    void SetBoxBorder(BoxId id, bool single);
    bool BoxBorder(BoxId id) const;

    // 0 Code 39, anything else EAN-13.
    void SetBarcodeStandard(int standard)
    {
        barcodeStandard_ = standard;
        viewport()->update();
    }
    int BarcodeStandard() const { return barcodeStandard_; }

    // The pictures the picture boxes show, read once when a box's value
    // became the picture's path; printing takes them from here too.
    std::function<QImage(BoxId id, const QString& path)> PictureReader() const;

    // Font size in points the canvas uses for a box's stored size.
    double CanvasFontPoints(double storedPoints) const;

    // The slip point (mm) of the last right click, where the slip menu adds.
    QPointF PopupPointMm() const { return popupMm_; }

    static Qt::CursorShape CursorFor(SlipGestures::Pointer p);

signals:
    void zoomChanged(double zoom);
    // A click without a drag on a text box, which is now being typed in.
    void textBoxClicked(slip::BoxId id);
    // The operator left a text box (its value may now be converted).
    void boxLeft(slip::BoxId id);
    // Right click: on a box (id) or on the empty slip (0); position in global
    // coordinates. The menu it shows has closed when the emission returns.
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
    // The gestures at the present scale, and a view point in slip mm.
    SlipGestures& Scaled() const;
    QPointF Mm(QPointF viewPx) const { return Transform().ToMm(viewPx); }
    void ShowPointer(QWidget* on);
    void Clicked(const SlipGestures::Click& click, QPointF px);
    void UpdateScrollBars();
    void PlaceEditor(QPlainTextEdit& editor, const slip::Box& box);
    void PaintRulers(QPainter& p, const QRectF& canvas);
    void PaintBoxes(QPainter& p, const CanvasTransform& t);
    // A picture box's new value: a missing picture file empties the box, an
    // existing one is read now.
    void PictureValueSet(BoxId id);

    SlipFormat& format_;
    mutable SlipGestures gestures_;
    InlineEditor* editor_;
    const QObject* editorViewport_ = nullptr;  // compared against, never called
    QImage background_;
    double zoom_ = 1.0;
    int barcodeStandard_ = 0;
    QHash<BoxId, QColor> tints_;
    std::shared_ptr<BoxPictures> pictures_ = std::make_shared<BoxPictures>();
    QHash<BoxId, bool> borders_;  // set on leaving; the opened format's own otherwise
    QPointF popupMm_;
};

} // namespace slip
