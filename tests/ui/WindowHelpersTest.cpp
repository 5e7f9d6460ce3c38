#include "ui/WindowHelpers.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPointer>
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

TEST(WaitFormClosed, ReturnsWhenTheWindowWithTheCaptionCloses)
{
    EXPECT_FALSE(IsFormOpen("请选择格式名称"));
    QElapsedTimer clock;
    clock.start();
    WaitFormClosed("请选择格式名称");  // none open: at once
    EXPECT_LT(clock.elapsed(), 1000);

    QDialog chooser;
    chooser.setWindowTitle("请选择格式名称");
    chooser.show();
    EXPECT_TRUE(IsFormOpen("请选择格式名称"));
    EXPECT_FALSE(IsFormOpen("请选择格式"));  // the whole caption counts
    bool closedBeforeReturn = false;
    QTimer::singleShot(50, &chooser, [&] {
        closedBeforeReturn = true;
        chooser.close();
    });
    WaitFormClosed("请选择格式名称");
    EXPECT_TRUE(closedBeforeReturn);
    EXPECT_FALSE(IsFormOpen("请选择格式名称"));
}

TEST(WaitFormClosed, WaitsForEveryWindowOfTheCaptionAndForDeletedOnes)
{
    auto* first = new QDialog;
    first->setAttribute(Qt::WA_DeleteOnClose);
    first->setWindowTitle("格式列表");
    first->show();
    QDialog second;
    second.setWindowTitle("格式列表");
    second.show();
    QPointer<QDialog> watch(first);
    int step = 0;
    QTimer::singleShot(30, [&] {
        step = 1;
        first->close();
        QTimer::singleShot(30, [&] {
            step = 2;
            second.setWindowTitle("别的窗口");  // renamed: no longer the awaited window
        });
    });
    WaitFormClosed("格式列表");
    EXPECT_EQ(step, 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
}
