#include "workspace/SlipView.h"

#include "model/BoxEditing.h"
#include "ui/SelFormat.h"
#include "workspace/SlipMenus.h"

#include "BoxBuilders.h"
#include "ScriptedPrompter.h"

#include <QAction>
#include <QComboBox>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace slip;
using namespace slip::test;

namespace {

// A canvas showing a slip of 200 × 100 mm, 4 pixels to the millimetre.
class Canvas : public ::testing::Test {
protected:
    void SetUp() override
    {
        view = std::make_unique<SlipView>(format);
        view->resize(820, 520);
        LoadOneOfEachKind(format);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        // The canvas fills the frame's width.
        view->resize(view->width() - view->viewport()->width() + 800, 520);
        QApplication::processEvents();
        ASSERT_NEAR(view->Transform().pxPerMm, 4.0, 1e-9);
    }
    QWidget* vp() const { return view->viewport(); }
    QPoint Px(QPointF mm) const { return view->Transform().ToPx(mm).toPoint(); }
    QRectF R(BoxId id) const { return format.Find(id)->rect; }

    void Drag(QPointF fromMm, QPointF toMm, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const QPoint a = Px(fromMm), b = Px(toMm);
        QTest::mousePress(vp(), Qt::LeftButton, mods, a);
        // In steps, as a hand moves.
        for (int i = 1; i <= 4; ++i) QTest::mouseMove(vp(), a + (b - a) * i / 4);
        QTest::mouseRelease(vp(), Qt::LeftButton, mods, b);
    }
    void Hover(QPointF mm) { QTest::mouseMove(vp(), Px(mm)); }
    void Lock(bool on)
    {
        SlipOptions o = format.Options();
        o.locked = on;
        format.SetOptions(o);
    }

    SlipFormat format;
    std::unique_ptr<SlipView> view;
};

QAction* FindAction(QMenu& menu, const QString& caption)
{
    for (QAction* a : menu.actions())
        if (a->text() == caption) return a;
    return nullptr;
}

} // namespace

// --- The mouse and the keys reach the gestures ---------------------------

TEST_F(Canvas, DragOnTheEmptySlipDrawsTheBandAndMarksItsBoxes)
{
    Hover({20.5, 20.5});
    EXPECT_EQ(vp()->cursor().shape(), Qt::SizeAllCursor);
    EXPECT_EQ(vp()->toolTip(), SlipGestures::ToolTipFor(SlipGestures::Pointer::Move));
    Drag({10, 10}, {85, 40});
    EXPECT_EQ(format.Selection(), (QSet<BoxId>{1, 2}));
    EXPECT_EQ(vp()->toolTip(), SlipGestures::KeysToolTip());
    QTest::keyClick(view.get(), Qt::Key_Right);
    EXPECT_GT(R(1).left(), 20);
}

TEST_F(Canvas, ClickTypesTabGoesOnAndEscLeaves)
{
    Box second = MakeBox(6, BoxKind::Text, {20, 35, 40, 8});
    format.AddBox(second);
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::NoModifier, Px({40, 24}));
    ASSERT_EQ(view->EditingBox(), 1);
    QTest::keyClicks(view->Editor(), QStringLiteral("123"));
    EXPECT_EQ(format.Value(1), QStringLiteral("123"));
    QTest::keyClick(view->Editor(), Qt::Key_Tab);
    EXPECT_EQ(view->EditingBox(), 6);
    QTest::keyClick(view->Editor(), Qt::Key_Backtab);
    EXPECT_EQ(view->EditingBox(), 1);
    QTest::keyClick(view->Editor(), Qt::Key_Escape);
    EXPECT_EQ(view->EditingBox(), 0);
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::NoModifier, Px({83, 23}));
    EXPECT_EQ(format.Value(2), QStringLiteral("1"));
}

TEST_F(Canvas, ArrowKeysInATextBoxMoveTheMarkedBoxesAndTheCaret)
{
    format.SetSelection({3});
    view->EditBox(1);
    QTest::keyClicks(view->Editor(), QStringLiteral("ab"));
    QTest::keyClick(view->Editor(), Qt::Key_Left);
    EXPECT_EQ(view->Editor()->textCursor().position(), 1);
    // 10 twips at 4 pixels (60 twips) to the millimetre.
    EXPECT_NEAR(R(3).left(), 20 - 10.0 / 60, 1e-9);
    EXPECT_EQ(R(1).left(), 20);
}

TEST_F(Canvas, CornersOfTheBoxBeingTypedIntoStillMoveIt)
{
    view->EditBox(1);
    QWidget* ed = view->Editor()->viewport();
    auto at = [&](QPointF mm) { return ed->mapFrom(vp(), Px(mm)); };
    QTest::mouseMove(ed, at({40, 24}));
    EXPECT_EQ(ed->cursor().shape(), Qt::IBeamCursor);
    QTest::mouseMove(ed, at({20.5, 20.5}));
    EXPECT_EQ(ed->cursor().shape(), Qt::SizeAllCursor);
    QTest::mousePress(ed, Qt::LeftButton, Qt::NoModifier, at({20.5, 20.5}));
    for (int i = 1; i <= 4; ++i) QTest::mouseMove(ed, at({20.5 + 2.5 * i, 20.5}));
    QTest::mouseRelease(ed, Qt::LeftButton, Qt::NoModifier, at({30.5, 20.5}));
    EXPECT_EQ(R(1).topLeft(), QPointF(30, 20));
    EXPECT_EQ(view->EditingBox(), 1);
    EXPECT_EQ(view->Editor()->geometry().left(), Px({30, 20}).x());
}

TEST_F(Canvas, ThickLineIsGrabbedFartherFromItsMiddle)
{
    const QPointF beside(130, 81.5);  // 6 pixels below a line's middle
    EXPECT_EQ(view->BoxAt(Px(beside)), 0);
    Box thick = *format.Find(5);
    thick.lineWidth = 12;  // 12 dots of the screen: over 3 mm
    format.UpdateBox(thick);
    EXPECT_EQ(view->BoxAt(Px(beside)), 5);
}

// --- Menus ------------------------------------------------------------------

TEST_F(Canvas, LineAddedFromTheSlipMenuIsDrawnSolid)
{
    SlipMenus menus(format, view.get(), view.get());
    QMenu menu;
    menus.FillMenu(menu, 0, {30, 90});
    // The item asks the kind of the new box.
    SelFormat::TestResponder() = [](SelFormat& chooser) {
        EXPECT_EQ(chooser.windowTitle(), QStringLiteral("请选择要添加的输入框类型"));
        chooser.choices->setCurrentIndex(3);
        chooser.OkClicked();
    };
    FindAction(menu, QStringLiteral("添加内容框"))->trigger();
    SelFormat::TestResponder() = nullptr;
    ASSERT_EQ(format.BoxesOfKind(BoxKind::Line).back()->line.p1(), QPointF(30, 90));
    format.ClearSelection();  // unmarked, in its own colour
    const QImage shot = view->viewport()->grab().toImage();
    int dark = 0;
    for (double x = 32; x < 58; x += 1)  // the line may fall between two pixel rows
        dark += std::min(shot.pixelColor(Px({x, 90})).lightness(), shot.pixelColor(Px({x, 90}) + QPoint(0, 1)).lightness()) < 160;
    EXPECT_GE(dark, 24);
}

TEST_F(Canvas, MenuItemsByKindAndLock)
{
    SlipMenus menus(format, view.get(), view.get());
    BoxId asked = 0;
    menus.hooks.openProperties = [&](QWidget*, SlipFormat&, BoxId id) { asked = id; };
    menus.hooks.replaceBackground = [] {};
    enum State { Enabled, Disabled, Absent };
    const struct {
        BoxId id;
        bool locked;
        const char* caption;
        State want;
    } cases[] = {
        // The lock greys the box menu's properties, adding and deleting only.
        {1, true, "设置内容框", Disabled}, {1, true, "添加内容框", Disabled}, {1, true, "删除内容框", Disabled},
        {1, true, "复制内容框", Enabled},  {1, true, "建立关联链", Enabled},  {1, true, "建立相关项", Enabled},
        {4, true, "粘贴文本", Enabled},    {0, true, "添加内容框", Enabled},  {0, true, "更换背景图", Enabled},
        // A line's menu has no text, link or picture items.
        {5, false, "复制文本", Absent},    {5, false, "建立关联链", Absent},  {5, false, "输入条形码", Absent},
        {3, false, "设置内容框", Enabled},
    };
    for (const auto& c : cases) {
        Lock(c.locked);
        QMenu menu;
        menus.FillMenu(menu, c.id, {30, 30});
        QAction* a = FindAction(menu, QString::fromUtf8(c.caption));
        EXPECT_EQ(!a ? Absent : a->isEnabled() ? Enabled : Disabled, c.want) << c.id << " " << c.caption;
        if (a && c.id == 3) a->trigger();
    }
    EXPECT_EQ(asked, 3);
}

TEST_F(Canvas, CopiesStepTwoHundredTwipsAndNearTheLimitAreCapped)
{
    SlipMenus copier(format, view.get(), view.get());
    {
        ScriptedPrompter one;
        one.inputs.push_back(QStringLiteral("1"));
        copier.CopyBoxesAsked(1);
    }
    // 200 twips at 4 pixels (60 twips) to the millimetre.
    EXPECT_NEAR(format.BoxesOfKind(BoxKind::Text).back()->rect.left(), 20 - 200.0 / 60, 1e-9);
    // Near the limit the operator is told how many more fit.
    for (int i = 0; i < 996; ++i) AddBoxAt(format, BoxKind::Check, {150, 50});
    ScriptedPrompter p;
    p.inputs.push_back(QStringLiteral("5"));
    copier.CopyBoxesAsked(2);
    EXPECT_EQ(p.shown, (QStringList{QStringLiteral("请输入要复制输入框个数："), QStringLiteral("每类内容框最多999个，只能再复制2份。")}));
}

TEST_F(Canvas, RingOverAnUnsavedBoxIsRefusedWithSaveFirst)
{
    SlipMenus menus(format, view.get(), view.get());
    format.SetSelection({AddBoxAt(format, BoxKind::Text, {20, 80})});
    ScriptedPrompter p;
    menus.LinkRing(1);
    EXPECT_EQ(p.shown, QStringList{SaveFirstMessage()});
}

// --- Leaving the box being typed into --------------------------------------

TEST_F(Canvas, PopupMenuOverTheEditorDoesNotLeaveTheBox)
{
    QSignalSpy left(view.get(), &SlipView::boxLeft);
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::NoModifier, Px({40, 24}));
    ASSERT_EQ(view->EditingBox(), 1);
    QTest::keyClicks(view->Editor(), QStringLiteral("88"));
    QMenu popup;
    popup.addAction(QStringLiteral("项"));
    popup.popup(view->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&popup));
    QApplication::processEvents();
    popup.close();
    QApplication::processEvents();
    EXPECT_EQ(left.count(), 0);
    EXPECT_EQ(view->EditingBox(), 1);
    // Then a click on another box leaves the first box, once.
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::NoModifier, Px({40, 57}));
    QApplication::processEvents();
    ASSERT_EQ(left.count(), 1);
    EXPECT_EQ(left.at(0).at(0).value<BoxId>(), 1);
}

TEST_F(Canvas, LateFocusLossNeverLeavesAnotherBoxOrTheSameBoxTwice)
{
    Box second = MakeBox(6, BoxKind::Text, {20, 35, 40, 8});
    format.AddBox(second);
    QSignalSpy left(view.get(), &SlipView::boxLeft);
    view->EditBox(1);
    // The editor loses the focus twice (say, to a message and back), and
    // before those losses are handled the operator has gone on to the next
    // box, and another window has taken the focus for a moment.
    QFocusEvent out1(QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(view->Editor(), &out1);
    QFocusEvent out2(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(view->Editor(), &out2);
    view->EditBox(6);
    view->setFocus(Qt::ActiveWindowFocusReason);
    QApplication::processEvents();
    QApplication::processEvents();
    ASSERT_EQ(left.count(), 1);
    EXPECT_EQ(left.at(0).at(0).value<BoxId>(), 1);
    EXPECT_EQ(view->EditingBox(), 6);
}

TEST_F(Canvas, RightClickLeavesTheBoxOnceAndTheSlipMenuMarksTheLastBandAgain)
{
    Drag({10, 10}, {85, 40});
    format.ClearSelection();
    QSignalSpy left(view.get(), &SlipView::boxLeft);
    QSignalSpy menu(view.get(), &SlipView::contextMenuAt);
    view->EditBox(1);
    const QPoint at = Px({150, 60});
    QTest::mousePress(vp(), Qt::RightButton, Qt::NoModifier, at);
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, vp()->mapToGlobal(at));
    QApplication::sendEvent(vp(), &e);
    QTest::mouseRelease(vp(), Qt::RightButton, Qt::NoModifier, at);
    QApplication::processEvents();
    EXPECT_EQ(left.count(), 1);
    ASSERT_GE(menu.count(), 1);
    EXPECT_EQ(menu.last().at(0).value<BoxId>(), 0);
    EXPECT_NEAR(view->PopupPointMm().x(), 150, 0.25);
    EXPECT_NEAR(view->PopupPointMm().y(), 60, 0.25);
    EXPECT_EQ(format.Selection(), (QSet<BoxId>{1, 2}));
}
