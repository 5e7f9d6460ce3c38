#pragma once
#include <QImage>
#include <QWidget>

class QLabel;
class QScrollBar;

namespace slip {

// A format's picture in a list window: shown at the width of its frame and,
// when that makes it taller than the frame, moved up and down by the scroll
// bar at its right (ten steps to a frame's height). Without a picture the
// frame says "此格式暂无图片！". A new size of the frame lays the picture
// out again from its top.
class PicturePreview : public QWidget {
    Q_OBJECT
public:
    explicit PicturePreview(QWidget* parent = nullptr);

    // Shows the picture from its top; a null image shows the no-picture text.
    void ShowPicture(const QImage& picture);
    bool HasPicture() const { return !picture_.isNull(); }

    QWidget* frame = nullptr;
    QLabel* picture = nullptr;
    QLabel* noPicture = nullptr;
    QScrollBar* scrollBar = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LayOut();
    QImage picture_;
};

} // namespace slip
