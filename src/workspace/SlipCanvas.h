#pragma once
#include <QImage>
#include <QWidget>
#include <functional>

namespace slip {

class SlipTemplate;

// The slip canvas: the background picture, the ruler grid and the lines of
// the format, under the input boxes (which are child widgets of their own).
class SlipCanvas : public QWidget {
    Q_OBJECT
public:
    explicit SlipCanvas(QWidget* parent = nullptr);

    void SetTemplate(SlipTemplate* t) { template_ = t; }
    // The format's background picture (null when it has none).
    QImage background;
    bool showRulers = false;
    bool showBackground = false;
    double slipWidthMm = 0;

    // True when the background is drawn; caption labels hide behind it.
    bool BackgroundShown() const { return showBackground && !background.isNull(); }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    SlipTemplate* template_ = nullptr;
};

} // namespace slip
