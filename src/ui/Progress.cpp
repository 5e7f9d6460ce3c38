#include "ui/Progress.h"

#include "core/CommonHelpers.h"
#include "core/TextNumber.h"
#include "ui/WindowHelpers.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>
#include <cmath>

namespace slip {

double ProgressFraction(qint64 done, qint32 total)
{
    const double t = total < 1 ? 1.0 : double(total);
    return std::floor(double(done) / t * 1000.0) / 1000.0;
}

QString ProgressPercentText(double fraction)
{
    // Fifteen significant digits drop the binary noise of × 100 (33.3, not 33.300000000000004).
    return QString::number(fraction * 100.0, 'g', 15) + QLatin1Char('%');
}

QString ProgressTimesText(qint64 elapsedSeconds, double fraction)
{
    const qint64 estimate = fraction != 0 ? RoundHalfEven(double(elapsedSeconds) / fraction) : 0;
    return FormatDuration(elapsedSeconds) + QLatin1Char('/') + FormatDuration(estimate - elapsedSeconds)
           + QLatin1Char('/') + FormatDuration(estimate);
}

QString ProgressCountText(qint64 done, qint32 total)
{
    return QStringLiteral("(%1/%2)").arg(done).arg(total);
}

ProgressBarPicture::ProgressBarPicture(QWidget* parent) : QWidget(parent)
{
    setMinimumHeight(18);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void ProgressBarPicture::Clear()
{
    filled_ = 0;
    update();
}

void ProgressBarPicture::Fill(double ratio)
{
    if (!std::isfinite(ratio)) return;
    if (ratio > filled_) {
        filled_ = ratio;
        update();
    }
}

void ProgressBarPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const double w = qMin(1.0, filled_) * width();
    if (w > 0) painter.fillRect(QRectF(0, 0, w, height()), QColor(0, 0, 255));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

Indicator::Indicator(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("进度指示器"));
    auto* layout = new QVBoxLayout(this);
    LBL = new QLabel(this);
    Pic = new ProgressBarPicture(this);
    Percent = new QLabel(QStringLiteral("0%"), this);
    Percent->setAlignment(Qt::AlignCenter);
    L2 = new QLabel(this);
    L1 = new QLabel(this);
    for (QLabel* l : {LBL, L1, L2}) l->setTextFormat(Qt::PlainText);  // may name files
    auto* figures = new QHBoxLayout;
    figures->addWidget(L2);
    figures->addStretch();
    figures->addWidget(L1);
    layout->addWidget(LBL);
    layout->addWidget(Pic);
    layout->addWidget(Percent);
    layout->addLayout(figures);
    setFixedSize(360, 130);
    CenterForm(this);
}

void Indicator::closeEvent(QCloseEvent* event)
{
    loaded_ = false;
    QWidget::closeEvent(event);
}

namespace {

struct ProgressState {
    QString title;
    qint32 total = 0;
    qint64 position = 0;
    QDateTime startTime;
    QPointer<Indicator> window;
    std::function<QDateTime()> clock;
};

ProgressState& State()
{
    static ProgressState s;
    return s;
}

QDateTime Now()
{
    return State().clock ? State().clock() : QDateTime::currentDateTime();
}

Indicator* LiveWindow()
{
    Indicator* w = State().window.data();
    return w && w->Loaded() ? w : nullptr;
}

Indicator* LoadWindow()
{
    if (Indicator* w = LiveWindow()) return w;
    State().window = new Indicator;
    return State().window.data();
}

void Yield() { QCoreApplication::processEvents(); }

} // namespace

qint32 ProgressStart(const QString& title, qint32 total, qint32 start)
{
    ProgressState& s = State();
    s.title = title;
    s.total = total;
    LoadWindow()->LBL->setText(title);
    Yield();
    if (start < 0) start = qint32(qBound(qint64(INT32_MIN), s.position, qint64(INT32_MAX)));
    // The window may have been closed by the operator while yielding.
    if (Indicator* w = LiveWindow()) w->Pic->Clear();
    DrawProgressBar(start);
    if (Indicator* w = LiveWindow()) w->show();
    s.startTime = Now();
    Yield();
    return start;
}

void ProgressStep(qint32 step, const QString& unit)
{
    ProgressState& s = State();
    if (s.total < 1) s.total = 1;
    const qint64 done = s.position + step;
    const double fraction = ProgressFraction(done, s.total);
    Indicator* w = LiveWindow();
    if (w) w->Percent->setText(ProgressPercentText(fraction));
    if (!unit.isEmpty()) {
        if (unit.toLower() == QLatin1String("pages")) {
            if (fraction >= 0.001 && w) {
                const qint64 elapsed = s.startTime.isValid() ? s.startTime.secsTo(Now()) : 0;
                w->L2->setText(ProgressTimesText(elapsed, fraction));
                w->L1->setText(ProgressCountText(done, s.total));
            }
        } else {
            s.title = unit;
            if (w) w->LBL->setText(unit);
        }
    }
    DrawProgressBar(done);
}

void ProgressEnd()
{
    Yield();
    if (Indicator* w = LiveWindow()) w->close();
    State().window.clear();
}

void DrawProgressBar(qint64 position)
{
    ProgressState& s = State();
    s.position = position;
    if (s.total != 0) {
        if (Indicator* w = LiveWindow()) w->Pic->Fill(double(position) / double(s.total));
    }
    Yield();
}

bool ProgressWindowOpen() { return LiveWindow() != nullptr; }

Indicator* ProgressWindow() { return LiveWindow(); }

qint64 ProgressPosition() { return State().position; }

qint32 ProgressTotal() { return State().total; }

QString ProgressTitle() { return State().title; }

void SetProgressClock(std::function<QDateTime()> clock) { State().clock = std::move(clock); }

} // namespace slip
