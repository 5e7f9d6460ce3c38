#pragma once
#include "core/ProgressReporter.h"

#include <QDateTime>
#include <QString>
#include <QWidget>
#include <functional>

class QLabel;
class QThreadPool;

namespace slip {

// --- The figures of the progress window, without a window ---------------

// Share of the work done, cut down to three decimals; a total below 1 counts
// as 1. It may pass 1 when more steps come than announced.
double ProgressFraction(qint64 done, qint32 total);
// "33.3%": the shortest decimal text of fraction × 100 and "%".
QString ProgressPercentText(double fraction);
// "elapsed/remaining/total" from the elapsed seconds and the fraction done;
// the total is the elapsed time stretched to the whole work.
QString ProgressTimesText(qint64 elapsedSeconds, double fraction);
// "(done/total)".
QString ProgressCountText(qint64 done, qint32 total);

// --- The progress window -------------------------------------------------

// The bar: blue from the left edge to the share done, never wider than itself.
// It only grows until it is cleared, as a bar painted step by step would.
class ProgressBarPicture : public QWidget {
    Q_OBJECT
public:
    explicit ProgressBarPicture(QWidget* parent = nullptr);
    void Clear();
    void Fill(double ratio);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double filled_ = 0;
};

// The window "进度指示器": title, bar, percentage, times and count. It
// offers no way to stop the work.
class Indicator : public QWidget {
    Q_OBJECT
public:
    explicit Indicator(QWidget* parent = nullptr);
    bool Loaded() const { return loaded_; }
    // The operator can't close it: only the end of the work does.
    void KeepOpen();
    // Closes it at the end of the work.
    void Finish();

    QLabel* LBL = nullptr;              // title
    ProgressBarPicture* Pic = nullptr;  // bar
    QLabel* Percent = nullptr;          // 37.5%
    QLabel* L2 = nullptr;               // elapsed/remaining/total
    QLabel* L1 = nullptr;               // (done/total)

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool loaded_ = true;
    bool keepOpen_ = false;
};

// The window shows the figures at most every kProgressRefreshMs (and at a
// start): a step in between only counts, so a run of many short steps costs
// no more than a few. Events are handled at each refresh.
inline constexpr int kProgressRefreshMs = 40;

// Begins a progress run (or a new phase of the running one) with a title and
// a total number of steps, and shows its window at once. A start below 0
// goes on from where the previous run stopped. Answers the position the run
// starts at. The figures start afresh: the share of the start position, no
// times and no count. The work runs to its end whatever the operator does;
// closing the window only closes it (a download waiting for its answer
// stops for it, as ProgressWindowOpen tells).
qint32 ProgressStart(const QString& title, qint32 total, qint32 start = 0);
// Advances by step. The unit "pages" (any case) also shows the times and the
// count; another non-empty unit becomes the new title; "" changes neither.
void ProgressStep(qint32 step, const QString& unit);
// Gives the event loop a turn and closes the window; harmless when none is open.
void ProgressEnd();
// Stores the position and draws the bar for it.
void DrawProgressBar(qint64 position);

// Runs `work` on another thread while this thread keeps the progress window
// (application modal, so nothing else starts meanwhile; before it appears
// the operator's input waits; it can't be closed) and the other windows
// painting. The thread is `thread` (from NewWorkThread), else one shared by
// every run; either is kept for the next run. The work reports through the
// reporter it is given and runs to its end. Returns when the work is done:
// false when it failed with an exception (out of memory), true otherwise.
bool RunWithProgress(const std::function<void(ProgressReporter&)>& work, QThreadPool* thread = nullptr);
// A thread of its own for RunWithProgress, kept until the application ends
// (a run that starts while the last one is still letting go of it waits for
// it rather than taking another).
QThreadPool* NewWorkThread();

// True while a run is on (its window open); false once it ended or the
// operator closed the window. The work goes on either way: later steps only
// keep the figures.
bool ProgressWindowOpen();
qint64 ProgressPosition();

// The clock the elapsed time is read from (tests set their own); an empty
// function restores the system clock.
void SetProgressClock(std::function<QDateTime()> clock);


// Reports through the progress window.
class WindowProgress : public ProgressReporter {
public:
    void Start(const QString& title, int total) override { ProgressStart(title, total, 0); }
    void Step(int step, const QString& unit) override { ProgressStep(step, unit); }
    void End() override { ProgressEnd(); }
};

} // namespace slip
