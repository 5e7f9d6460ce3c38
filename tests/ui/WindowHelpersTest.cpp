#include "ui/WindowHelpers.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

using namespace slip;

namespace {

// Counts how many times the event loop delivered its posted events: each
// delivery posts the next one, so one turn of the loop delivers exactly one.
class TurnCounter : public QObject {
public:
    int turns = 0;
    bool running = true;
    void Post() { QMetaObject::invokeMethod(this, [this] { Tick(); }, Qt::QueuedConnection); }

private:
    void Tick()
    {
        if (!running) return;
        ++turns;
        Post();
    }
};

int TurnsOf(int n)
{
    QCoreApplication::processEvents();  // nothing of earlier tests left waiting
    TurnCounter counter;
    counter.Post();
    YieldEvents(n);
    counter.running = false;
    QCoreApplication::processEvents();
    return counter.turns;
}

} // namespace

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
    EXPECT_GE(GetTaskbarHeight(), 0);
    CenterForm(nullptr);
}

TEST(YieldEvents, GivesTheEventLoopTwoTurnsPerRound)
{
    EXPECT_EQ(TurnsOf(0), 2);
    EXPECT_EQ(TurnsOf(2), 6);
    EXPECT_EQ(TurnsOf(-1), 0);
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

TEST(FontDialog, PresetsFromTheControlAndAppliesTheChoice)
{
    QLabel label("金额");
    QFont f("宋体");
    f.setPointSizeF(12);
    f.setBold(true);
    label.setFont(f);
    SetControlForeColor(&label, 0x0000FF);  // red, &HBBGGRR
    const FontChoice preset = PresetFontDialog(&label);
    EXPECT_EQ(preset.name, QFont("宋体").family());
    EXPECT_DOUBLE_EQ(preset.size, 12);
    EXPECT_TRUE(preset.bold);
    EXPECT_FALSE(preset.italic);
    EXPECT_EQ(preset.color, 0x0000FF);

    FontChoice seen;
    SetFontDialogHandler([&](const FontChoice& shown) -> std::optional<FontChoice> {
        seen = shown;
        FontChoice c = shown;
        c.name = "黑体";
        c.size = 0;  // a size of 0 becomes the smallest
        c.italic = true;
        c.underline = true;
        c.strikethru = true;
        c.color = 0xFF0000;
        return c;
    });
    QLineEdit box;
    const FontChoice boxPreset = PresetFontDialog(&box);
    ChooseControlFont(&box);
    EXPECT_EQ(seen.name, boxPreset.name);  // the dialog opened on the box's own font
    EXPECT_DOUBLE_EQ(seen.size, boxPreset.size);
    EXPECT_EQ(box.font().family(), "黑体");
    EXPECT_DOUBLE_EQ(box.font().pointSizeF(), 0.1);
    EXPECT_TRUE(box.font().italic());
    EXPECT_TRUE(box.font().underline());
    EXPECT_TRUE(box.font().strikeOut());
    EXPECT_EQ(ControlForeColor(&box), 0xFF0000);

    // Cancel: false, the control keeps its font and colour.
    SetFontDialogHandler([](const FontChoice&) { return std::optional<FontChoice>(); });
    FontChoice dialog = PresetFontDialog(&label);
    EXPECT_FALSE(ApplyFontDialog(dialog, &label, true, true));
    EXPECT_TRUE(label.font().bold());
    EXPECT_EQ(ControlForeColor(&label), 0x0000FF);
    SetFontDialogHandler({});

    // Applying without showing takes the dialog's state as it is.
    FontChoice plain;
    plain.size = 20;
    EXPECT_TRUE(ApplyFontDialog(plain, &label, false, true));
    EXPECT_DOUBLE_EQ(label.font().pointSizeF(), 20);
    EXPECT_FALSE(label.font().bold());
    EXPECT_EQ(ControlForeColor(&label), 0);
    EXPECT_FALSE(ApplyFontDialog(plain, nullptr, false, true));
}
