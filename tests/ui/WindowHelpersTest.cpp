#include "ui/WindowHelpers.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

using namespace slip;

TEST(CenterForm, CentresOnTheScreenAboveTheTaskBar)
{
    const QRect screen(0, 0, 1024, 768);
    EXPECT_EQ(TaskbarHeightTwips(screen, QRect(0, 0, 1024, 728)), 40 * 15);
    EXPECT_EQ(TaskbarHeightTwips(screen, screen), 0);
    // A bar at the top is not counted.
    EXPECT_EQ(TaskbarHeightTwips(screen, QRect(0, 40, 1024, 728)), 0);
    EXPECT_EQ(CenteredPosition(screen, QRect(0, 0, 1024, 728), QSize(400, 300)), QPoint(312, 214));
    EXPECT_EQ(CenteredPosition(screen, screen, QSize(400, 300)), QPoint(312, 234));
    // A second screen to the right: the position is on that screen.
    EXPECT_EQ(CenteredPosition(QRect(1024, 0, 800, 600), QRect(1024, 0, 800, 600), QSize(200, 100)),
              QPoint(1324, 250));

    QWidget w;
    w.resize(200, 100);
    CenterForm(&w);
    QScreen* s = QGuiApplication::primaryScreen();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(w.pos(), CenteredPosition(s->geometry(), s->availableGeometry(), w.frameGeometry().size()));
    CenterForm(nullptr);
}

TEST(WaitFormClosed, WaitsForEveryWindowOfTheCaptionAndForDeletedOnes)
{
    EXPECT_FALSE(IsFormOpen("格式列表"));
    // None open: it returns at once, without running the event loop.
    bool looped = false;
    QTimer::singleShot(0, [&] { looped = true; });
    WaitFormClosed("格式列表");
    EXPECT_FALSE(looped);
    QCoreApplication::processEvents();
    ASSERT_TRUE(looped);
    auto* first = new QDialog;
    first->setAttribute(Qt::WA_DeleteOnClose);
    first->setWindowTitle("格式列表");
    first->show();
    QDialog second, third;
    for (QDialog* d : {&second, &third}) {
        d->setWindowTitle("格式列表");
        d->show();
    }
    EXPECT_TRUE(IsFormOpen("格式列表"));
    EXPECT_FALSE(IsFormOpen("格式"));  // the whole caption counts
    QPointer<QDialog> watch(first);
    int step = 0;
    QTimer::singleShot(30, [&] {
        step = 1;
        first->close();
        third.close();  // closed, not deleted
        QTimer::singleShot(30, [&] {
            step = 2;
            second.setWindowTitle("别的窗口");  // renamed: no longer the awaited window
        });
    });
    WaitFormClosed("格式列表");
    EXPECT_EQ(step, 2);
    EXPECT_FALSE(IsFormOpen("格式列表"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
}
