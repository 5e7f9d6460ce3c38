#include "ui/Progress.h"

#include "core/CommonHelpers.h"
#include "core/TextNumber.h"
#include "ui/WindowHelpers.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QMutex>
#include <QPainter>
#include <QPointer>
#include <QSemaphore>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <cmath>
#include <memory>

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
    setFixedSize(360, 140);
    CenterForm(this);
}

void Indicator::KeepOpen()
{
    keepOpen_ = true;
    setWindowFlag(Qt::WindowCloseButtonHint, false);
}

void Indicator::Finish()
{
    keepOpen_ = false;
    close();
}

void Indicator::closeEvent(QCloseEvent* event)
{
    if (keepOpen_) {
        event->ignore();
        return;
    }
    loaded_ = false;
    QWidget::closeEvent(event);
}

namespace {

struct ProgressState {
    QString title;
    qint32 total = 0;
    qint64 position = 0;
    qint64 startMs = 0;  // of the phase: the times count from here
    QPointer<Indicator> window;
    std::function<QDateTime()> clock;
    bool modal = false;  // windows opened now block the others and stay to the end
    // What the next refresh shows; a step only notes it.
    qint64 lastRefreshMs = 0;
    bool titleDue = false;
    bool percentDue = false;
    double percentFraction = 0;
    bool countDue = false;
    qint64 countDone = 0;
    qint32 countTotal = 0;
    qint64 countElapsed = 0;
    double countFraction = 0;
};

ProgressState& State()
{
    static ProgressState s;
    return s;
}

qint64 NowMs()
{
    return State().clock ? State().clock().toMSecsSinceEpoch() : QDateTime::currentMSecsSinceEpoch();
}

Indicator* LiveWindow()
{
    Indicator* w = State().window.data();
    return w && w->Loaded() ? w : nullptr;
}

Indicator* LoadWindow()
{
    if (Indicator* w = LiveWindow()) return w;
    ProgressState& s = State();
    auto* w = new Indicator;
    if (s.modal) {
        w->setWindowModality(Qt::ApplicationModal);
        // Work on another thread can't be stopped: its window stays to the end.
        w->KeepOpen();
    }
    s.window = w;
    return w;
}

void Yield() { QCoreApplication::processEvents(); }

// Shows what the steps since the last refresh noted, then handles events.
void Refresh(qint64 now)
{
    ProgressState& s = State();
    s.lastRefreshMs = now;
    if (Indicator* w = LiveWindow()) {
        if (s.titleDue) w->LBL->setText(s.title);
        if (s.percentDue) w->Percent->setText(ProgressPercentText(s.percentFraction));
        if (s.countDue) {
            w->L2->setText(ProgressTimesText(s.countElapsed, s.countFraction));
            w->L1->setText(ProgressCountText(s.countDone, s.countTotal));
        }
        if (s.total != 0) w->Pic->Fill(double(s.position) / double(s.total));
    }
    s.titleDue = s.percentDue = s.countDue = false;
    Yield();
}

// True once the window of the running run is on the screen.
bool ProgressWindowShown() { return LiveWindow() && LiveWindow()->isVisible(); }

void RefreshWhenDue()
{
    const qint64 now = NowMs();
    const qint64 since = now - State().lastRefreshMs;
    // A clock set back counts as due, so the window never stops refreshing.
    if (since >= kProgressRefreshMs || since < 0) Refresh(now);
}

} // namespace

qint32 ProgressStart(const QString& title, qint32 total, qint32 start)
{
    ProgressState& s = State();
    s.title = title;
    s.titleDue = true;
    s.total = total;
    Indicator* w = LoadWindow();
    if (start < 0) start = qint32(qBound(qint64(INT32_MIN), s.position, qint64(INT32_MAX)));
    w->Pic->Clear();
    s.position = start;
    // Figures noted in the last run but never shown are not this run's.
    s.percentDue = s.countDue = false;
    w->Percent->setText(ProgressPercentText(ProgressFraction(start, total < 1 ? 1 : total)));
    w->L1->clear();
    w->L2->clear();
    w->show();
    s.startMs = NowMs();
    Refresh(s.startMs);
    return start;
}

void ProgressStep(qint32 step, const QString& unit)
{
    ProgressState& s = State();
    if (s.total < 1) s.total = 1;
    const qint64 done = s.position + step;
    const double fraction = ProgressFraction(done, s.total);
    s.percentDue = true;
    s.percentFraction = fraction;
    if (!unit.isEmpty()) {
        if (unit.compare(QLatin1String("pages"), Qt::CaseInsensitive) == 0) {
            if (fraction >= 0.001) {
                s.countDue = true;
                s.countDone = done;
                s.countTotal = s.total;
                s.countElapsed = (NowMs() - s.startMs) / 1000;
                s.countFraction = fraction;
            }
        } else {
            s.title = unit;
            s.titleDue = true;
        }
    }
    DrawProgressBar(done);
}

void ProgressEnd()
{
    Yield();
    if (Indicator* w = LiveWindow()) w->Finish();
    State().window.clear();
}

void DrawProgressBar(qint64 position)
{
    State().position = position;
    RefreshWhenDue();
}

namespace {

// Progress reported from the work's thread, read by the window's thread.
class ThreadProgress : public ProgressReporter {
public:
    void Start(const QString& title, int total) override
    {
        QMutexLocker lock(&mutex_);
        title_ = title;
        total_ = total;
        done_ = 0;
        ++phase_;
    }
    void Step(int step, const QString& unit) override
    {
        if (!unit.isEmpty() && unit.compare(QLatin1String("pages"), Qt::CaseInsensitive) != 0) {
            QMutexLocker lock(&mutex_);
            title_ = unit;
        }
        done_ += step;
    }
    // Brings the window in line with the work.
    void Mirror()
    {
        QString title;
        int total = 0;
        int phase = 0;
        {
            QMutexLocker lock(&mutex_);
            title = title_;
            total = total_;
            phase = phase_;
        }
        if (phase == 0) return;
        if (phase != shownPhase_) {
            ProgressStart(title, total, 0);
            shownPhase_ = phase;
        }
        State().lastRefreshMs = NowMs() - kProgressRefreshMs;  // this refresh is due
        if (title != State().title) ProgressStep(0, title);
        ProgressStep(int(done_.load() - ProgressPosition()), QStringLiteral("pages"));
    }

private:
    mutable QMutex mutex_;
    QString title_;
    int total_ = 0;
    int phase_ = 0;
    std::atomic<qint64> done_{0};
    int shownPhase_ = 0;
};

} // namespace

QThreadPool* NewWorkThread()
{
    auto* pool = new QThreadPool(QCoreApplication::instance());
    pool->setMaxThreadCount(1);
    pool->setExpiryTimeout(-1);
    return pool;
}

namespace {

// The thread the work runs on stays between runs: a thread started for each
// run begins with none of its memory pool at hand, which made an import of
// 30,000 rows take a tenth longer.
QThreadPool& SharedWorkThread()
{
    static QPointer<QThreadPool> pool;
    if (!pool) pool = NewWorkThread();
    return *pool;
}

} // namespace

bool RunWithProgress(const std::function<void(ProgressReporter&)>& work, QThreadPool* thread)
{
    ThreadProgress reporter;
    std::atomic<bool> failed{false};
    std::atomic<bool> done{false};
    QSemaphore ended;
    QEventLoop loop;
    (thread ? *thread : SharedWorkThread()).start([&] {
        try {
            work(reporter);
        } catch (...) {
            failed = true;
        }
        done = true;
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
        ended.release();
    });
    QTimer timer;
    timer.setInterval(kProgressRefreshMs);
    // Until the modal window is up, the operator's input waits for it.
    bool waitingForWindow = true;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        reporter.Mirror();
        if (waitingForWindow && ProgressWindowShown()) loop.quit();
    });
    const bool wasModal = std::exchange(State().modal, true);
    timer.start();
    if (!done) loop.exec(QEventLoop::ExcludeUserInputEvents);
    waitingForWindow = false;
    if (!done) loop.exec();
    ended.acquire();
    State().modal = wasModal;
    ProgressEnd();
    return !failed;
}

bool ProgressWindowOpen() { return LiveWindow() != nullptr; }

qint64 ProgressPosition() { return State().position; }

void SetProgressClock(std::function<QDateTime()> clock) { State().clock = std::move(clock); }

} // namespace slip
