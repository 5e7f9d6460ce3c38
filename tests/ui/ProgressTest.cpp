#include "ui/Progress.h"
#include "ui/WindowHelpers.h"

#include <QApplication>
#include <QLabel>
#include <QThread>
#include <QTimer>
#include <QPushButton>
#include <atomic>
#include <gtest/gtest.h>

using namespace slip;

namespace {

// A clock the test moves by hand; the window shows the figures once the
// refresh interval has passed.
struct FakeClock {
    QDateTime now = QDateTime(QDate(2024, 3, 1), QTime(9, 0, 0));
    FakeClock() { SetProgressClock([this] { return now; }); }
    ~FakeClock() { SetProgressClock({}); }
    void Tick() { now = now.addMSecs(kProgressRefreshMs); }
};

QString Text(QLabel* l) { return l ? l->text() : QStringLiteral("<none>"); }

// The share of the bar painted, read from its picture (its frame aside).
double Filled(ProgressBarPicture* bar)
{
    const QImage img = bar->grab().toImage();
    int blue = 0;
    for (int x = 0; x < img.width(); ++x) blue += img.pixelColor(x, img.height() / 2) == QColor(0, 0, 255);
    return double(blue) / (img.width() - 2);
}

// The progress window on the screen, or null.
Indicator* ProgressWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* i = qobject_cast<Indicator*>(w); i && i->isVisible()) return i;
    return nullptr;
}

// Runs `act` on the window once it is on the screen (work on another thread).
void WhenWindowShown(std::function<void(Indicator*)> act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (Indicator* w = ProgressWindow()) {
            poll->stop();
            poll->deleteLater();
            act(w);
        }
    });
    poll->start(10);
}

} // namespace

TEST(ProgressFigures, PercentTimesAndCount)
{
    EXPECT_DOUBLE_EQ(ProgressFraction(1, 3), 0.333);
    EXPECT_DOUBLE_EQ(ProgressFraction(2, 3), 0.666);  // cut down, not rounded
    EXPECT_DOUBLE_EQ(ProgressFraction(1, 0), 1);      // a total below 1 counts as 1
    EXPECT_DOUBLE_EQ(ProgressFraction(1, 2000), 0);
    for (const auto& [fraction, text] : QVector<QPair<double, QString>>{
             {0.333, "33.3%"}, {0.375, "37.5%"}, {1, "100%"}, {1.5, "150%"}, {0, "0%"}})
        EXPECT_EQ(ProgressPercentText(fraction), text);
    const struct { qint64 elapsed; double fraction; const char* times; } times[] = {  // 12.5 s rounds to even
        {30, 0.4, "0:30/0:45/1:15"}, {5, 0.4, "0:5/0:7/0:12"}, {0, 0.5, "0:0/0:0/0:0"},
        {3725, 0.5, "1:2:5/1:2:5/2:4:10"}, {90000, 0.5, "1:1:0:0/1:1:0:0/2:2:0:0"}};
    for (const auto& t : times) EXPECT_EQ(ProgressTimesText(t.elapsed, t.fraction), t.times) << t.elapsed;
}

TEST(ProgressWindow, ShowsTheLatestFiguresAtMostEveryRefreshInterval)
{
    FakeClock clock;
    EXPECT_EQ(ProgressStart("正在保存格式……", 10), 0);
    EXPECT_TRUE(ProgressWindowOpen());
    Indicator* w = ProgressWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(IsFormOpen("进度指示器"));
    EXPECT_EQ(Text(w->LBL), "正在保存格式……");
    // Steps inside one interval only count; the next refresh shows the latest.
    for (int i = 0; i < 3; ++i) ProgressStep(1, "pages");
    EXPECT_EQ(Text(w->L1), "");
    EXPECT_NEAR(Filled(w->Pic), 0, 0.01);
    clock.Tick();
    ProgressStep(1, "pages");
    EXPECT_EQ(Text(w->Percent), "40%");
    EXPECT_EQ(Text(w->L1), "(4/10)");
    clock.now = clock.now.addSecs(30);
    ProgressStep(0, "pages");
    EXPECT_EQ(Text(w->L2), "0:30/0:45/1:15");
    EXPECT_NEAR(Filled(w->Pic), 0.4, 0.01);
    // Another unit becomes the title; "" changes neither title nor figures.
    clock.Tick();
    ProgressStep(1, "正在写入方框……");
    EXPECT_EQ(Text(w->LBL), "正在写入方框……");
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
    EXPECT_NEAR(Filled(w->Pic), 1.0, 0.01);  // painted up to its edge, not past it
    ProgressEnd();
    EXPECT_FALSE(ProgressWindowOpen());
    EXPECT_EQ(ProgressPosition(), 12);  // the position outlives the window
    ProgressEnd();                      // harmless with none open

    // Below one per mille the count keeps its text; a second phase keeps the
    // window and clears the bar; start -1 goes on from the last position.
    ProgressStart("大批", 2000);
    w = ProgressWindow();
    ASSERT_NE(w, nullptr);
    w->L1->setText("earlier");
    clock.Tick();
    ProgressStep(1, "pages");
    EXPECT_EQ(Text(w->Percent), "0%");
    EXPECT_EQ(Text(w->L1), "earlier");
    EXPECT_EQ(ProgressStart("第二步", 20, 0), 0);
    EXPECT_EQ(ProgressWindow(), w);
    EXPECT_NEAR(Filled(w->Pic), 0, 0.01);
    for (int i = 0; i < 7; ++i) ProgressStep(1, "pages");
    ProgressEnd();
    EXPECT_EQ(ProgressStart("继续", 10, -1), 7);
    w = ProgressWindow();
    EXPECT_NEAR(Filled(w->Pic), 0.7, 0.01);
    EXPECT_EQ(Text(w->Percent), "70%");
    ProgressEnd();
}

TEST(ProgressWindow, EachRunStartsFromZeroAndOffersNoWayToStop)
{
    FakeClock clock;
    ProgressStart("正在保存格式……", 3);
    EXPECT_NE(ProgressWindow(), nullptr) << "shown as the work starts, however short";
    for (int i = 0; i < 3; ++i) ProgressStep(1, "pages");
    ProgressEnd();
    // The next run shows none of the last run's figures.
    ProgressStart("正在初始化格式……", 6);
    Indicator* w = ProgressWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Text(w->Percent), "0%");
    EXPECT_EQ(Text(w->L1), "");
    EXPECT_EQ(Text(w->L2), "");
    EXPECT_TRUE(w->findChildren<QPushButton*>().isEmpty()) << "no 取消";
    ProgressEnd();
}

TEST(ProgressWindow, ClosedByTheOperatorTheWorkGoesOn)
{
    FakeClock clock;
    ProgressStart("正在打印单据……", 5);
    QPointer<Indicator> w = ProgressWindow();
    w->close();  // the operator's close box
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull() && !ProgressWindowOpen());
    ProgressStep(1, "另一个标题");
    DrawProgressBar(4);
    EXPECT_EQ(ProgressPosition(), 4);
}

TEST(ProgressWindow, WorkRunOffTheWindowsThreadRunsToItsEndWithItsWindowOpen)
{
    // The window's thread stays free while the work runs; no Cancel, and the close box leaves it open.
    bool windowThreadAnswered = false;
    WhenWindowShown([&](Indicator* w) {
        windowThreadAnswered = true;
        EXPECT_EQ(w->windowModality(), Qt::ApplicationModal);
        EXPECT_TRUE(w->findChildren<QPushButton*>().isEmpty());
        EXPECT_FALSE(w->close());
        EXPECT_TRUE(w->isVisible() && ProgressWindowOpen());
    });
    std::atomic<int> steps = 0;
    QThread* workThread = nullptr;
    EXPECT_TRUE(RunWithProgress([&](ProgressReporter& progress) {
        workThread = QThread::currentThread();
        progress.Start("正在读取EXCEL数据……", 200);
        for (int i = 0; i < 200; ++i) {  // long enough for the window's thread to look in a few times
            progress.Step(1, "pages");
            ++steps;
            QThread::msleep(2);
        }
    }));
    EXPECT_TRUE(windowThreadAnswered && steps == 200 && !ProgressWindowOpen());
    EXPECT_NE(workThread, QThread::currentThread());
    // The next run finds the thread (and its memory) as the last one left it.
    EXPECT_FALSE(RunWithProgress([&](ProgressReporter&) {
        EXPECT_EQ(QThread::currentThread(), workThread);
        throw std::bad_alloc();
    }));
}
