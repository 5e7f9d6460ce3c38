#include "ui/Progress.h"
#include "ui/WindowHelpers.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

using namespace slip;

namespace {

// A clock the test moves by hand.
// The window shows the figures once the refresh interval has passed.
struct FakeClock {
    QDateTime now = QDateTime(QDate(2024, 3, 1), QTime(9, 0, 0));
    FakeClock() { SetProgressClock([this] { return now; }); }
    ~FakeClock() { SetProgressClock({}); }
    void Tick() { now = now.addMSecs(kProgressRefreshMs); }
};

QString Text(QLabel* l) { return l ? l->text() : QStringLiteral("<none>"); }

} // namespace

TEST(ProgressFigures, PercentTimesAndCount)
{
    EXPECT_DOUBLE_EQ(ProgressFraction(1, 3), 0.333);
    EXPECT_DOUBLE_EQ(ProgressFraction(2, 3), 0.666);  // cut down, not rounded
    EXPECT_DOUBLE_EQ(ProgressFraction(1, 0), 1);      // a total below 1 counts as 1
    EXPECT_DOUBLE_EQ(ProgressFraction(1, 2000), 0);
    EXPECT_EQ(ProgressPercentText(0.333), "33.3%");
    EXPECT_EQ(ProgressPercentText(0.375), "37.5%");
    EXPECT_EQ(ProgressPercentText(1), "100%");
    EXPECT_EQ(ProgressPercentText(1.5), "150%");
    EXPECT_EQ(ProgressPercentText(0), "0%");
    EXPECT_EQ(ProgressTimesText(30, 0.4), "0:30/0:45/1:15");
    // The estimate rounds halves to even: 5 / 0.4 = 12.5 -> 12.
    EXPECT_EQ(ProgressTimesText(5, 0.4), "0:5/0:7/0:12");
    EXPECT_EQ(ProgressCountText(4, 10), "(4/10)");
}

TEST(ProgressWindow, ShowsTheRunStepByStep)
{
    FakeClock clock;
    EXPECT_EQ(ProgressStart("正在保存格式……", 10), 0);
    Indicator* w = ProgressWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(ProgressWindowOpen());
    EXPECT_TRUE(IsFormOpen("进度指示器"));
    EXPECT_EQ(Text(w->LBL), "正在保存格式……");
    // Steps inside one refresh interval only count; the window shows the
    // latest figures at the next refresh.
    for (int i = 0; i < 3; ++i) ProgressStep(1, "pages");
    EXPECT_EQ(Text(w->L1), "");
    EXPECT_DOUBLE_EQ(w->Pic->Filled(), 0);
    clock.Tick();
    ProgressStep(1, "pages");
    EXPECT_EQ(Text(w->Percent), "40%");
    EXPECT_EQ(Text(w->L1), "(4/10)");
    clock.now = clock.now.addSecs(30);
    ProgressStep(0, "pages");
    EXPECT_EQ(Text(w->L2), "0:30/0:45/1:15");
    EXPECT_DOUBLE_EQ(w->Pic->Filled(), 0.4);

    // Another unit text becomes the title; "" changes neither title nor figures.
    clock.Tick();
    ProgressStep(1, "正在写入方框……");
    EXPECT_EQ(Text(w->LBL), "正在写入方框……");
    EXPECT_EQ(ProgressTitle(), "正在写入方框……");
    EXPECT_EQ(Text(w->L1), "(4/10)");
    clock.Tick();
    ProgressStep(1, "");
    EXPECT_EQ(Text(w->Percent), "60%");
    EXPECT_EQ(Text(w->L1), "(4/10)");
    clock.Tick();
    ProgressStep(1, "PAGES");
    EXPECT_EQ(Text(w->L1), "(7/10)");

    // More steps than announced: above 100 %, the bar held within its picture.
    for (int i = 0; i < 5; ++i) ProgressStep(1, "pages");
    clock.Tick();
    DrawProgressBar(12);
    EXPECT_EQ(Text(w->Percent), "120%");
    EXPECT_EQ(Text(w->L1), "(12/10)");
    EXPECT_DOUBLE_EQ(w->Pic->Filled(), 1.2);
    w->Pic->grab();  // paints without trouble past the edge
    ProgressEnd();
    EXPECT_FALSE(ProgressWindowOpen());
    EXPECT_EQ(ProgressWindow(), nullptr);
    EXPECT_EQ(ProgressPosition(), 12);  // the position outlives the window
    ProgressEnd();                      // harmless with none open
}

TEST(ProgressWindow, EdgeCasesOfThePart)
{
    FakeClock clock;
    // A total of 0 counts as 1: the first step shows 100 %.
    ProgressStart("零", 0);
    clock.Tick();
    ProgressStep(1, "pages");
    EXPECT_EQ(Text(ProgressWindow()->Percent), "100%");
    EXPECT_EQ(Text(ProgressWindow()->L1), "(1/1)");
    ProgressEnd();

    // Below one per mille the time and count keep their previous text.
    ProgressStart("大批", 2000);
    Indicator* w = ProgressWindow();
    w->L1->setText("earlier");
    w->L2->setText("earlier");
    clock.Tick();
    ProgressStep(1, "pages");
    EXPECT_EQ(Text(w->Percent), "0%");
    EXPECT_EQ(Text(w->L1), "earlier");
    EXPECT_EQ(Text(w->L2), "earlier");
    clock.Tick();
    ProgressStep(1, "pages");
    EXPECT_EQ(Text(w->L1), "(2/2000)");

    // A second phase in the same window: new title and total, the bar cleared.
    for (int i = 0; i < 5; ++i) ProgressStep(1, "pages");
    EXPECT_EQ(ProgressPosition(), 7);
    EXPECT_EQ(ProgressStart("第二步", 20, 0), 0);
    EXPECT_EQ(ProgressWindow(), w);
    EXPECT_EQ(Text(w->LBL), "第二步");
    EXPECT_DOUBLE_EQ(w->Pic->Filled(), 0);
    EXPECT_EQ(Text(w->L1), "(7/2000)");  // not cleared until the first step
    for (int i = 0; i < 7; ++i) ProgressStep(1, "pages");
    ProgressEnd();

    // Start -1 right after a run that ended at 7 begins at 7 and hands 7 back.
    EXPECT_EQ(ProgressStart("继续", 10, -1), 7);
    EXPECT_EQ(ProgressPosition(), 7);
    EXPECT_DOUBLE_EQ(ProgressWindow()->Pic->Filled(), 0.7);
    clock.Tick();
    ProgressStep(1, "pages");
    EXPECT_EQ(Text(ProgressWindow()->L1), "(8/10)");
    ProgressEnd();
}

TEST(ProgressWindow, ClosedByTheOperatorTheWorkGoesOn)
{
    FakeClock clock;
    ProgressStart("正在打印单据……", 5);
    QPointer<Indicator> w = ProgressWindow();
    ASSERT_FALSE(w.isNull());
    ProgressStep(1, "pages");
    w->close();  // the operator's close box
    EXPECT_FALSE(ProgressWindowOpen());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
    // Later steps keep the figures without a window and without a crash.
    ProgressStep(1, "pages");
    ProgressStep(1, "另一个标题");
    DrawProgressBar(4);
    EXPECT_EQ(ProgressPosition(), 4);
    EXPECT_EQ(ProgressTitle(), "另一个标题");
    EXPECT_EQ(ProgressWindow(), nullptr);
    ProgressEnd();
    // A new run opens a new window.
    ProgressStart("新的", 2);
    EXPECT_TRUE(ProgressWindowOpen());
    // A caller may hide it and show it again while it is open.
    ProgressWindow()->hide();
    EXPECT_TRUE(ProgressWindowOpen());
    ProgressWindow()->show();
    ProgressEnd();
    EXPECT_FALSE(ProgressWindowOpen());
}

TEST(ProgressWindow, CancelStopsWorkRunOffTheWindowsThread)
{
    // Work that runs until told to stop: the window's thread stays free to
    // take the operator's Cancel.
    bool windowThreadAnswered = false;
    QTimer::singleShot(100, [&] {
        windowThreadAnswered = true;
        ASSERT_TRUE(ProgressWindowOpen());
        EXPECT_EQ(ProgressWindow()->windowModality(), Qt::ApplicationModal);
        ProgressWindow()->CancelButton->click();
    });
    qint64 steps = 0;
    EXPECT_TRUE(RunWithProgress([&](ProgressReporter& progress) {
        progress.Start("正在读取EXCEL数据……", 1000000000);
        while (!progress.Cancelled()) {
            progress.Step(1, "pages");
            ++steps;
        }
    }));
    EXPECT_TRUE(windowThreadAnswered);
    EXPECT_GT(steps, 0);
    EXPECT_FALSE(ProgressWindowOpen());
    // The close box stops it the same way; an exception is a failure.
    QTimer::singleShot(100, [] { ProgressWindow()->close(); });
    EXPECT_TRUE(RunWithProgress([](ProgressReporter& progress) {
        progress.Start("t", 10);
        while (!progress.Cancelled()) QThread::msleep(1);
    }));
    EXPECT_FALSE(RunWithProgress([](ProgressReporter&) { throw std::bad_alloc(); }));
}
