#include "ui/PicturePreview.h"

#include "storage/BackgroundStore.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>

namespace slip {

PicturePreview::PicturePreview(QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    frame = new QWidget(this);
    frame->setMinimumSize(240, 200);
    frame->installEventFilter(this);
    picture = new QLabel(frame);
    picture->setScaledContents(true);
    noPicture = new QLabel(QStringLiteral("此格式暂无图片！"), frame);
    noPicture->setFont(QFont(QStringLiteral("楷体_GB2312"), 14));
    noPicture->move(20, 20);
    noPicture->adjustSize();
    scrollBar = new QScrollBar(Qt::Vertical, this);
    row->addWidget(frame, 1);
    row->addWidget(scrollBar);
    connect(scrollBar, &QScrollBar::valueChanged, this,
            [this](int v) { picture->move(0, -(v * frame->height() / 10)); });
    ShowPicture(QImage());
}

void PicturePreview::ShowPicture(const QImage& image)
{
    picture_ = image;
    LayOut();
}

void PicturePreview::LayOut()
{
    picture->move(0, 0);
    const bool shown = !picture_.isNull();
    if (shown) {
        const auto l = BackgroundStore::ComputePreviewLayout(picture_.size(), frame->width(), frame->height());
        picture->setPixmap(QPixmap::fromImage(picture_));
        picture->resize(frame->width(), int(l.imageHeight));
        scrollBar->setEnabled(l.scrollEnabled);
        scrollBar->setRange(0, l.scrollMax);
        scrollBar->setValue(0);
        scrollBar->setPageStep(10);
    } else {
        picture->clear();
        scrollBar->setEnabled(false);
        scrollBar->setRange(0, 0);
    }
    picture->setVisible(shown);
    noPicture->setVisible(!shown);
}

bool PicturePreview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == frame && event->type() == QEvent::Resize && HasPicture()) LayOut();
    return QWidget::eventFilter(watched, event);
}

} // namespace slip
