#include "ui/WindowHelpers.h"

#include <QApplication>
#include <QDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
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

// The dialog shows a stand-in for a family this machine lacks; OK keeps the box's unless another is picked.
TEST(ChooseFont, AFamilyNotInstalledStaysUnlessAnotherIsPicked)
{
    ASSERT_FALSE(QFontDatabase::hasFamily(QStringLiteral("宋体")));
    const struct { const char *preset, *picked, *want; } cases[] = {  // "" picks none: only the size changes
        {"宋体", "", "宋体"}, {"宋体", "DejaVu Sans", "DejaVu Sans"}, {"DejaVu Sans", "", "DejaVu Sans"},
        {"DejaVu Sans", "DejaVu Serif", "DejaVu Serif"}};
    for (const auto& c : cases) {
        bool answered = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            auto* fonts = dialog ? dialog->findChild<QFontDialog*>() : nullptr;
            if (!fonts) return dialog ? void(dialog->close()) : void();
            // The lists and the edits above them: family, style, size.
            QListView* families = fonts->findChildren<QListView*>().at(0);
            QLineEdit* size = fonts->findChildren<QLineEdit*>().at(2);
            if (*c.picked) {
                const QModelIndexList hit = families->model()->match(families->model()->index(0, 0), Qt::DisplayRole,
                                                                     QString::fromUtf8(c.picked), 1, Qt::MatchExactly);
                EXPECT_EQ(hit.size(), 1) << c.picked;
                if (!hit.isEmpty()) families->setCurrentIndex(hit.first());
            }
            size->selectAll();
            QTest::keyClicks(size, "14");
            for (QPushButton* b : dialog->findChildren<QPushButton*>())
                if (b->text() == QStringLiteral("确定")) { answered = true; b->click(); }
        });
        FontChoice choice;
        choice.font.family = QString::fromUtf8(c.preset);
        choice.font.pointSize = 10.5;
        ASSERT_TRUE(ChooseFont(choice) && answered) << c.preset << " " << c.picked;
        EXPECT_EQ(std::pair(choice.font.family, choice.font.pointSize), std::pair(QString::fromUtf8(c.want), 14.0))
            << c.preset << " " << c.picked;
    }
}
