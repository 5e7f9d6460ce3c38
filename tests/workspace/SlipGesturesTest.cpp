#include "workspace/SlipGestures.h"

#include "BoxBuilders.h"
#include "print/PictureBoxes.h"

#include <gtest/gtest.h>

using namespace slip;
using namespace slip::test;
using P = SlipGestures::Pointer;

namespace {

// A slip of 200 × 100 mm at a scale of 100 twips of the screen to the
// millimetre.
class Gestures : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadOneOfEachKind(format);
        g.SetScale(0.01, 0.25);
    }
    void Hover(QPointF mm) { g.Move(mm, Qt::NoButton, Qt::NoModifier); }
    void Drag(QPointF from, QPointF to, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        Hover(from);
        g.Press(from, Qt::LeftButton, mods);
        for (int i = 1; i <= 4; ++i) g.Move(from + (to - from) * i / 4, Qt::LeftButton, mods);
        g.Release(Qt::LeftButton);
    }
    void Lock()
    {
        SlipOptions o = format.Options();
        o.locked = true;
        format.SetOptions(o);
    }
    QRectF R(BoxId id) const { return format.Find(id)->rect; }
    QLineF L() const { return format.Find(5)->line; }

    SlipFormat format;
    SlipGestures g{format};
};

} // namespace

TEST_F(Gestures, PointerAndTooltipTellWhatADragDoes)
{
    const QString lineTip = QStringLiteral("提示：按住鼠标左键(别松开),拖动鼠标,即可拖动本线条。");
    const struct {
        QPointF mm;
        P pointer;
        QString tip;
    } cases[] = {
        {{20.5, 20.5}, P::Move, QStringLiteral("提示：按住鼠标左键(别松开),拖动鼠标,即可移动本输入框位置。")},
        {{59.5, 27.5}, P::Resize, QStringLiteral("提示：按住鼠标左键(别松开),拖动鼠标,即可改变本输入框大小。")},
        {{58.9, 27.5}, P::Type, QStringLiteral("提示：点击鼠标左键,可以输入内容。")},
        // Away from the corners every box, a check box too, shows the I-beam; a picture box says what it shows.
        {{83, 23}, P::Type, QStringLiteral("提示：点击鼠标左键,可以输入内容。")},
        // Every box has its resize corner, a check box too.
        {{85.5, 25.5}, P::Resize, SlipGestures::ToolTipFor(P::Resize)},
        {{40, 57}, P::Type, PictureBoxToolTip(QString())},  // a picture box says what it shows
        {{59.5, 64.5}, P::Resize, SlipGestures::ToolTipFor(P::Resize)},
        {{135, 24}, P::Type, SlipGestures::ToolTipFor(P::Type)},
        {{180, 50}, P::Arrow, SlipGestures::BandToolTip()},
        // A line gives the canvas its text, which stays when the mouse leaves it.
        {{100, 80.2}, P::LineStart, lineTip},
        {{180, 50}, P::Arrow, lineTip},
        {{160.25, 80}, P::LineEnd, lineTip},
        {{40, 57}, P::Type, PictureBoxToolTip(QString())},
        {{180, 50}, P::Arrow, lineTip},
        {{130, 80.3}, P::LineBody, lineTip},
        {{130, 80.31}, P::Arrow, lineTip},
    };
    for (const auto& c : cases) {
        Hover(c.mm);
        EXPECT_EQ(g.CurrentPointer(), c.pointer) << c.mm.x() << "," << c.mm.y();
        EXPECT_EQ(g.ToolTip(), c.tip) << c.mm.x() << "," << c.mm.y();
    }
}

TEST_F(Gestures, APictureBoxSaysWhatItShowsButInItsCorners)
{
    const QString hint = QStringLiteral("点鼠标右键，在弹出菜单选相应的菜单项，可添加/更改图片或输入条码。");
    const struct {
        QString value;
        QString tip;
    } cases[] = {
        {QString(), hint},
        {QStringLiteral("/slips/底图.png"), QStringLiteral("当前图片：/slips/底图.png")},
        {QStringLiteral("690123456789"), QStringLiteral("当前条码：690123456789")},
    };
    for (const auto& c : cases) {
        format.SetValue(3, c.value);
        Hover({40, 57});
        EXPECT_EQ(g.ToolTip(), c.tip) << c.value.toStdString();
        Hover({20.5, 50.5});
        EXPECT_EQ(g.ToolTip(), SlipGestures::ToolTipFor(P::Move));
        Hover({59.5, 64.5});
        EXPECT_EQ(g.ToolTip(), SlipGestures::ToolTipFor(P::Resize));
    }
    Lock();
    Hover({20.5, 50.5});
    EXPECT_EQ(g.ToolTip(), QStringLiteral("当前条码：690123456789"));
}

TEST_F(Gestures, CanvasTooltipIsThePressOrReleaseTextUntilTheNextPress)
{
    g.Press({180, 50}, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(g.ToolTip(), SlipGestures::BandToolTip());
    g.Release(Qt::LeftButton);
    ASSERT_TRUE(format.Selection().isEmpty());
    for (QPointF at : {QPointF(180, 50), QPointF(40, 24), QPointF(190, 90)}) Hover(at);
    EXPECT_EQ(g.ToolTip(), SlipGestures::KeysToolTip());
    g.Press({190, 90}, Qt::LeftButton, Qt::NoModifier);
    Hover({185, 85});
    EXPECT_EQ(g.ToolTip(), SlipGestures::BandToolTip());
}

TEST_F(Gestures, ADragAwayFromTheCornersDoesNothingAndACheckBoxsCornerResizesTheOthers)
{
    format.SetSelection({1, 4});
    for (QPointF at : {QPointF(40, 24), QPointF(40, 57), QPointF(135, 24)}) Drag(at, at + QPointF(10, 6));
    EXPECT_EQ(R(1), QRectF(20, 20, 40, 8));
    EXPECT_EQ(R(3), QRectF(20, 50, 40, 15));
    EXPECT_EQ(R(4), QRectF(120, 20, 30, 8));
    Drag({85.5, 25.5}, {87.5, 26.5});
    EXPECT_EQ(R(2).size(), QSizeF(6, 6));
    EXPECT_EQ(R(1).size(), QSizeF(42, 9));
    EXPECT_EQ(R(4).size(), QSizeF(32, 9));
}

TEST_F(Gestures, ALinesMenuOpensOnlyWithItsBodysPointerAndNotWhileLocked)
{
    const struct {
        QPointF from, at;  // the mouse slides from one point to the other
        BoxId unlocked, locked;
    } cases[] = {
        {{180, 50}, {130, 80}, 5, 0}, {{130, 80}, {130, 80}, 5, 0},
        // Slid on from an end, the end's pointer stays: the slip menu opens.
        {{100, 80}, {130, 80}, 0, 0}, {{160, 80}, {130, 80}, 0, 0}, {{180, 50}, {100, 80}, 0, 0},
        {{180, 50}, {160, 80.2}, 0, 0}, {{100, 80}, {40, 24}, 1, 1}, {{180, 50}, {135, 24}, 4, 4},
        {{130, 80}, {180, 50}, 0, 0},
    };
    for (bool locked : {false, true}) {
        if (locked) Lock();
        for (const auto& c : cases) {
            Hover(c.from);
            Hover(c.at);
            EXPECT_EQ(g.MenuBoxAt(c.at), locked ? c.locked : c.unlocked)
                << c.from.x() << "," << c.from.y() << " to " << c.at.x() << "," << c.at.y() << " locked " << locked;
        }
    }
}

TEST_F(Gestures, ThickLineIsGrabbedFartherFromItsMiddle)
{
    Hover({130, 81.5});  // 6 dots of the screen below the line's middle
    EXPECT_EQ(g.CurrentPointer(), P::Arrow);
    Box thick = *format.Find(5);
    thick.lineWidth = 12;  // 12 dots: 3 mm
    format.UpdateBox(thick);
    Hover({130, 81.5});
    EXPECT_EQ(g.CurrentPointer(), P::LineBody);
}

TEST_F(Gestures, SlidingFromTheStartPointOntoTheBodyKeepsTheStartMode)
{
    Hover({100, 80});
    Hover({130, 80});
    EXPECT_EQ(g.CurrentPointer(), P::LineStart);
    Drag({130, 80}, {130, 70});
    EXPECT_EQ(L(), QLineF(100, 70, 160, 80));
    // Off every line first, then onto the body: the whole line moves.
    Hover({180, 50});
    Drag({130, 75}, {140, 75}, Qt::ControlModifier);
    EXPECT_EQ(L(), QLineF(110, 70, 170, 80));
}

TEST_F(Gestures, DraggingALineMovesEveryMarkedBoxAndLeavesTheSlip)
{
    format.SetSelection({3, 4});
    Hover({130, 80});
    // Ctrl alone keeps the marks and turns the line's mark over.
    Drag({130, 80}, {130, 120}, Qt::ControlModifier);
    EXPECT_EQ(L(), QLineF(100, 120, 160, 120));
    EXPECT_EQ(R(4).topLeft(), QPointF(120, 60));
    // The picture box stops at the bottom edge while the others go on.
    EXPECT_EQ(R(3).topLeft(), QPointF(20, 85));
    EXPECT_EQ(format.Selection(), (QSet<BoxId>{3, 4, 5}));
}

TEST_F(Gestures, PlainPressOnALineMarksOnlyWhatLiesExactlyUnderThePoint)
{
    format.SetSelection({1, 5});
    Hover({130, 80});
    g.Press({130, 80}, Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(format.Selection().isEmpty());
    g.Release(Qt::LeftButton);
    Hover({130, 80});
    g.Press({130, 80}, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(format.Selection(), QSet<BoxId>{5});
    g.Release(Qt::LeftButton);
    // On its very end point the line keeps its mark.
    Hover({160, 80});
    g.Press({160, 80}, Qt::MiddleButton, Qt::NoModifier);
    EXPECT_EQ(format.Selection(), QSet<BoxId>{5});
}

TEST_F(Gestures, BandFollowsInStepsOfMoreThanAHundredTwipsAndMarksWhatItTouches)
{
    format.SetSelection({4});
    g.Press({10, 10}, Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(format.Selection().isEmpty());  // a press on the empty slip unmarks all
    g.Move({11, 11}, Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(g.Band().isEmpty());
    g.Move({85, 40}, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(g.Band(), QRectF(10, 10, 75, 30));
    EXPECT_EQ(format.Selection(), (QSet<BoxId>{1, 2}));
    g.Move({85.5, 40.5}, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(g.Band(), QRectF(10, 10, 75, 30));
    g.Release(Qt::LeftButton);
    EXPECT_TRUE(g.Band().isEmpty());
    EXPECT_EQ(g.ToolTip(), SlipGestures::KeysToolTip());
    Drag({10, 45}, {30, 70}, Qt::ControlModifier);
    EXPECT_EQ(format.Selection(), (QSet<BoxId>{1, 2, 3}));
    // After the slip menu the last band's boxes are marked again.
    format.SetSelection({});
    g.AfterSlipMenu(Qt::ControlModifier);
    EXPECT_TRUE(format.Selection().isEmpty());
    g.AfterSlipMenu(Qt::NoModifier);
    EXPECT_EQ(format.Selection(), QSet<BoxId>{3});
}

TEST_F(Gestures, LockedPressMarksNothingAndDrawsNoBand)
{
    Lock();
    format.SetSelection({1, 5});
    for (QPointF at : {QPointF(180, 50), QPointF(130, 80), QPointF(160, 80)}) {
        Hover(at);
        EXPECT_EQ(g.CurrentPointer(), P::Arrow);
        Drag(at, at + QPointF(20, 10));
        g.Press(at, Qt::MiddleButton, Qt::NoModifier);
        g.Press(at, Qt::LeftButton, Qt::ControlModifier);
        g.Move(at + QPointF(20, 10), Qt::LeftButton, Qt::NoModifier);
        EXPECT_TRUE(g.Band().isEmpty());
        g.Release(Qt::LeftButton);
    }
    EXPECT_EQ(format.Selection(), (QSet<BoxId>{1, 5}));
    EXPECT_EQ(L(), QLineF(100, 80, 160, 80));
    // Ctrl with a click on a box still marks it; a drag on a box moves
    // nothing, and a click still types.
    g.Press({40, 57}, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(format.Selection(), (QSet<BoxId>{1, 3, 5}));
    g.Press({20.5, 20.5}, Qt::LeftButton, Qt::NoModifier);
    g.Move({30, 30}, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(g.Release(Qt::LeftButton).pointer, P::Type);
    EXPECT_EQ(R(1).topLeft(), QPointF(20, 20));
}

TEST_F(Gestures, BoxDragStartsPastTwelveTwipsAndMovesTheMarkedBoxes)
{
    format.SetSelection({4});
    Hover({20.5, 20.5});
    g.Press({20.5, 20.5}, Qt::LeftButton, Qt::NoModifier);
    g.Move({20.6, 20.6}, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(R(1).topLeft(), QPointF(20, 20));
    g.Move({20.63, 20.5}, Qt::LeftButton, Qt::NoModifier);
    EXPECT_NEAR(R(1).left(), 20.13, 1e-9);
    EXPECT_NEAR(R(4).left(), 120.13, 1e-9);
    EXPECT_EQ(g.Release(Qt::LeftButton).id, 0);  // a drag is no click
    // Resizing from the bottom-right corner; a check box keeps its size.
    format.SetSelection({2, 3});
    Drag({59.5, 27.5}, {69.5, 29.5});
    EXPECT_NEAR(R(1).width(), 50, 1e-9);
    EXPECT_NEAR(R(3).height(), 17, 1e-9);
    EXPECT_EQ(R(2).size(), QSizeF(6, 6));
    // A click without a drag answers the box and what it does there.
    Hover({83, 23});
    g.Press({83, 23}, Qt::LeftButton, Qt::NoModifier);
    const SlipGestures::Click click = g.Release(Qt::LeftButton);
    EXPECT_EQ(click.id, 2);
    EXPECT_EQ(click.pointer, P::Type);
}

TEST_F(Gestures, ArrowKeysStepTenTwipsOnTheMarkedBoxesUnlessLocked)
{
    EXPECT_FALSE(g.Key(Qt::Key_Right, Qt::NoModifier));  // nothing marked: the view scrolls
    format.SetSelection({1, 5});
    EXPECT_TRUE(g.Key(Qt::Key_Right, Qt::NoModifier));
    EXPECT_TRUE(g.Key(Qt::Key_Down, Qt::KeypadModifier));
    EXPECT_NEAR(R(1).left(), 20.1, 1e-9);
    EXPECT_NEAR(R(1).top(), 20.1, 1e-9);
    EXPECT_NEAR(L().x1(), 100.1, 1e-9);
    EXPECT_TRUE(g.Key(Qt::Key_Left, Qt::ShiftModifier));
    EXPECT_NEAR(R(1).width(), 39.9, 1e-9);
    EXPECT_TRUE(g.Key(Qt::Key_Up, Qt::ControlModifier));
    EXPECT_EQ(format.Find(1)->font.pointSize, 8.5);
    EXPECT_FALSE(g.Key(Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier));
    Lock();
    EXPECT_FALSE(g.Key(Qt::Key_Right, Qt::NoModifier));
    EXPECT_NEAR(R(1).left(), 20.1, 1e-9);
}
