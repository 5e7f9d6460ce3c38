#include "workspace/SlipView.h"

#include "model/BoxEditing.h"
#include "workspace/SlipMenus.h"

#include "ScriptedPrompter.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace slip;

namespace {

Box MakeBox(BoxId id, BoxKind kind, QRectF r, QString caption = QStringLiteral("项目"))
{
    Box b;
    b.id = id;
    b.kind = kind;
    b.rect = r;
    b.caption = caption;
    return b;
}

Box MakeLine(BoxId id, QPointF a, QPointF b, double width = 1)
{
    Box l;
    l.id = id;
    l.kind = BoxKind::Line;
    l.line = QLineF(a, b);
    l.lineWidth = width;
    return l;
}

// A canvas showing a slip of 200 × 100 mm, 4 pixels to the millimetre.
class Canvas : public ::testing::Test {
protected:
    void SetUp() override
    {
        view = std::make_unique<SlipView>(format);
        view->resize(820, 520);
        FormatHeader h;
        h.name = QStringLiteral("画布");
        h.widthMm = 200;
        h.heightMm = 100;
        format.Load(h, {MakeBox(1, BoxKind::Text, {20, 20, 40, 8}), MakeBox(2, BoxKind::Check, {80, 20, 6, 6}),
                        MakeBox(3, BoxKind::Picture, {20, 50, 40, 15}), MakeBox(4, BoxKind::Label, {120, 20, 30, 8}),
                        MakeLine(5, {100, 80}, {160, 80})});
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
    for (QAction* a : menu.actions()) {
        if (a->text() == caption) return a;
        if (a->menu())
            if (QAction* inner = FindAction(*a->menu(), caption)) return inner;
    }
    return nullptr;
}

} // namespace

// --- Band selection ------------------------------------------------------

TEST_F(Canvas, DraggingOnTheEmptySlipMarksTheBoxesTheBandTouches)
{
    format.SetSelection({4});
    Drag({10, 10}, {85, 40});
    EXPECT_EQ(format.Selection(), (QSet<BoxId>{1, 2}));
    EXPECT_TRUE(view->BandMm().isEmpty());  // the band is gone after the release
    EXPECT_EQ(vp()->toolTip(), SlipView::KeysToolTip());
}

TEST_F(Canvas, BandWithCtrlKeepsTheEarlierMarks)
{
    format.SetSelection({4});
    Drag({10, 45}, {30, 70}, Qt::ControlModifier);
    EXPECT_EQ(format.Selection(), (QSet<BoxId>{3, 4}));
}

TEST_F(Canvas, ClickOnAnEmptySpotUnmarksEverything)
{
    format.SetSelection({1, 2, 5});
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::NoModifier, Px({180, 50}));
    EXPECT_TRUE(format.Selection().isEmpty());
}

TEST_F(Canvas, CtrlClickMarksAndUnmarksOneBoxOrLine)
{
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::ControlModifier, Px({30, 24}));
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::ControlModifier, Px({130, 80}));
    EXPECT_EQ(format.Selection(), (QSet<BoxId>{1, 5}));
    EXPECT_EQ(view->EditingBox(), 0);  // marking does not type
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::ControlModifier, Px({30, 24}));
    EXPECT_EQ(format.Selection(), (QSet<BoxId>{5}));
}

// --- Pointer and tooltip ------------------------------------------------

TEST_F(Canvas, PointerAndTooltipTellWhatADragDoes)
{
    struct Case {
        QPointF mm;
        Qt::CursorShape shape;
        SlipView::Action action;
    };
    const Case cases[] = {
        {{20.5, 20.5}, Qt::SizeAllCursor, SlipView::Action::Move},      // top-left corner of the text box
        {{59.5, 27.5}, Qt::SizeFDiagCursor, SlipView::Action::Resize},  // its bottom-right corner
        {{40, 24}, Qt::IBeamCursor, SlipView::Action::Type},
        {{83, 23}, Qt::PointingHandCursor, SlipView::Action::Tick},
        {{40, 57}, Qt::SizeAllCursor, SlipView::Action::Move},
        {{100, 80}, Qt::CrossCursor, SlipView::Action::LinePoint},
        {{130, 80.3}, Qt::SizeAllCursor, SlipView::Action::LineMove},
        {{180, 50}, Qt::ArrowCursor, SlipView::Action::Band},
    };
    for (const Case& c : cases) {
        Hover(c.mm);
        EXPECT_EQ(view->ActionAt(Px(c.mm)), c.action) << c.mm.x() << "," << c.mm.y();
        EXPECT_EQ(vp()->cursor().shape(), c.shape) << c.mm.x() << "," << c.mm.y();
        if (c.action != SlipView::Action::Band)
            EXPECT_EQ(vp()->toolTip(), SlipView::ToolTipFor(c.action)) << c.mm.x() << "," << c.mm.y();
    }
    Hover({20.5, 20.5});
    EXPECT_EQ(vp()->toolTip(), QStringLiteral("提示：按住鼠标左键(别松开),拖动鼠标,即可移动本输入框位置。"));
    Hover({180, 50});
    EXPECT_EQ(vp()->toolTip(), SlipView::BandToolTip());
}

TEST_F(Canvas, LockedFormatShowsNoMoveOrResizePointer)
{
    Lock(true);
    Hover({20.5, 20.5});
    EXPECT_EQ(vp()->cursor().shape(), Qt::IBeamCursor);
    Hover({59.5, 27.5});
    EXPECT_EQ(vp()->cursor().shape(), Qt::IBeamCursor);
    Hover({100, 80});
    EXPECT_EQ(vp()->cursor().shape(), Qt::ArrowCursor);
    Hover({40, 57});
    EXPECT_EQ(vp()->cursor().shape(), Qt::ArrowCursor);
}

// --- Moving and resizing ----------------------------------------------------

TEST_F(Canvas, DraggingABoxMovesItWithEveryMarkedBox)
{
    format.SetSelection({3, 4});
    Drag({21, 21}, {31, 26});
    EXPECT_EQ(R(1).topLeft(), QPointF(30, 25));
    EXPECT_EQ(R(3).topLeft(), QPointF(30, 55));
    EXPECT_EQ(R(4).topLeft(), QPointF(130, 25));
    EXPECT_EQ(R(2).topLeft(), QPointF(80, 20));  // not marked
    EXPECT_EQ(view->EditingBox(), 0);             // a drag does not type
    EXPECT_TRUE(format.IsModified());
}

TEST_F(Canvas, DraggedBoxesStayOnTheSlipTogether)
{
    format.SetSelection({4});
    // The label would pass the right edge after 50 mm: both stop there.
    Drag({40, 57}, {140, 57});
    EXPECT_EQ(R(4).right(), 200);
    EXPECT_EQ(R(3).left(), 70);
}

TEST_F(Canvas, DraggingTheBottomRightCornerResizesTheMarkedBoxes)
{
    format.SetSelection({3, 2});
    Drag({59.5, 27.5}, {69.5, 29.5});
    EXPECT_EQ(R(1), QRectF(20, 20, 50, 10));
    EXPECT_EQ(R(3), QRectF(20, 50, 50, 17));
    EXPECT_EQ(R(2), QRectF(80, 20, 6, 6));  // a check box keeps its size
}

TEST_F(Canvas, ClickWithoutDragTypesIntoATextBoxAndTicksACheckBox)
{
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::NoModifier, Px({40, 24}));
    EXPECT_EQ(view->EditingBox(), 1);
    EXPECT_EQ(R(1).topLeft(), QPointF(20, 20));
    QTest::keyClicks(view->Editor(), QStringLiteral("123"));
    EXPECT_EQ(format.Value(1), QStringLiteral("123"));
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::NoModifier, Px({83, 23}));
    EXPECT_EQ(view->EditingBox(), 0);
    EXPECT_EQ(format.Value(2), QStringLiteral("1"));
    // A click in a corner of a text box types as well.
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::NoModifier, Px({20.5, 20.5}));
    EXPECT_EQ(view->EditingBox(), 1);
}

TEST_F(Canvas, LockedFormatMovesNothingButStillTakesValues)
{
    Lock(true);
    format.SetModified(false);
    format.SetSelection({1, 3});
    Drag({21, 21}, {41, 31});
    Drag({40, 57}, {60, 70});
    Drag({120, 80}, {140, 90});
    QTest::keyClick(view.get(), Qt::Key_Right);
    QTest::keyClick(view.get(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(view.get(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(R(1), QRectF(20, 20, 40, 8));
    EXPECT_EQ(R(3), QRectF(20, 50, 40, 15));
    EXPECT_EQ(format.Find(1)->font.pointSize, 9);
    EXPECT_EQ(format.Find(5)->line, QLineF(100, 80, 160, 80));
    EXPECT_FALSE(format.IsModified());
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::NoModifier, Px({40, 24}));
    EXPECT_EQ(view->EditingBox(), 1);
}

TEST_F(Canvas, CornersOfTheBoxBeingTypedIntoStillMoveAndResizeIt)
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

// --- Keys -------------------------------------------------------------------

TEST_F(Canvas, ArrowKeysMoveResizeAndStepTheFontOfMarkedBoxes)
{
    format.SetSelection({1, 5});
    view->setFocus();
    QTest::keyClick(view.get(), Qt::Key_Right);
    QTest::keyClick(view.get(), Qt::Key_Down);
    EXPECT_NEAR(R(1).left(), 20 + SlipView::kKeyStepMm, 1e-9);
    EXPECT_NEAR(R(1).top(), 20 + SlipView::kKeyStepMm, 1e-9);
    EXPECT_NEAR(format.Find(5)->line.x1(), 100 + SlipView::kKeyStepMm, 1e-9);
    QTest::keyClick(view.get(), Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_NEAR(R(1).width(), 40 - SlipView::kKeyStepMm, 1e-9);
    EXPECT_NEAR(R(1).height(), 8 + SlipView::kKeyStepMm, 1e-9);
    QTest::keyClick(view.get(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(format.Find(1)->font.pointSize, 9.5);
    EXPECT_EQ(format.Find(5)->lineWidth, 1.5);
    for (int i = 0; i < 30; ++i) QTest::keyClick(view.get(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(format.Find(1)->font.pointSize, 1);
    EXPECT_EQ(format.Find(5)->lineWidth, 1);
}

// --- Lines ------------------------------------------------------------------

TEST_F(Canvas, DraggingALineEndMovesThatEndOnly)
{
    format.SetSelection({1, 3});
    Drag({160, 80}, {170, 90});
    EXPECT_EQ(format.Find(5)->line, QLineF(100, 80, 170, 90));
    Drag({100, 80}, {90, 70});
    EXPECT_EQ(format.Find(5)->line, QLineF(90, 70, 170, 90));
    EXPECT_EQ(R(1), QRectF(20, 20, 40, 8));
    EXPECT_EQ(R(3), QRectF(20, 50, 40, 15));
}

TEST_F(Canvas, DraggingALineBodyMovesTheWholeLineAndNothingElse)
{
    format.SetSelection({1, 3, 5});
    Drag({130, 80}, {135, 70});
    EXPECT_EQ(format.Find(5)->line, QLineF(105, 70, 165, 70));
    EXPECT_EQ(R(1), QRectF(20, 20, 40, 8));
    EXPECT_EQ(R(3), QRectF(20, 50, 40, 15));
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
    QAction* add = FindAction(menu, QStringLiteral("线条"));
    ASSERT_TRUE(add);
    ASSERT_TRUE(add->isEnabled());
    add->trigger();
    ASSERT_EQ(format.Count(BoxKind::Line), 2);
    const Box* line = format.BoxesOfKind(BoxKind::Line).back();
    EXPECT_EQ(line->line.p1(), QPointF(30, 90));
    format.ClearSelection();  // unmarked, in its own colour
    const QImage shot = view->viewport()->grab().toImage();
    int dark = 0;
    for (double x = 32; x < 58; x += 1) {
        // The line may fall between two pixel rows.
        int least = 255;
        for (int dy = -1; dy <= 1; ++dy) least = std::min(least, shot.pixelColor(Px({x, 90}) + QPoint(0, dy)).lightness());
        if (least < 160) ++dark;
    }
    EXPECT_GE(dark, 24);
}

TEST_F(Canvas, MenusOfALockedFormatOfferNoLayoutChange)
{
    SlipMenus menus(format, view.get(), view.get());
    menus.hooks.openProperties = [](QWidget*, SlipFormat&, BoxId) {};
    Lock(true);
    QMenu box;
    menus.FillMenu(box, 1, {30, 30});
    for (const char* c : {"设置内容框", "复制内容框", "删除内容框", "置于顶层", "建立关联链", "文本框"})
        EXPECT_FALSE(FindAction(box, QString::fromUtf8(c))->isEnabled()) << c;
    EXPECT_TRUE(FindAction(box, QStringLiteral("复制文本"))->isEnabled());
    QMenu slip;
    menus.FillMenu(slip, 0, {30, 30});
    EXPECT_FALSE(FindAction(slip, QStringLiteral("线条"))->isEnabled());
    EXPECT_FALSE(FindAction(slip, QStringLiteral("打印并添加单据"))->isEnabled());
    EXPECT_FALSE(FindAction(slip, QStringLiteral("添加下一张单据"))->isEnabled());
    EXPECT_TRUE(FindAction(slip, QStringLiteral("清空内容框"))->isEnabled());
}

TEST_F(Canvas, PropertiesItemCallsTheDialogAndStandsDisabledWithoutOne)
{
    SlipMenus menus(format, view.get(), view.get());
    QMenu without;
    menus.FillMenu(without, 3, {});
    EXPECT_FALSE(FindAction(without, QStringLiteral("设置内容框"))->isEnabled());
    BoxId asked = 0;
    menus.hooks.openProperties = [&](QWidget*, SlipFormat& f, BoxId id) {
        EXPECT_EQ(&f, &format);
        asked = id;
    };
    QMenu with;
    menus.FillMenu(with, 3, {});
    FindAction(with, QStringLiteral("设置内容框"))->trigger();
    EXPECT_EQ(asked, 3);
    // A line's menu has no text, link or picture items.
    QMenu line;
    menus.FillMenu(line, 5, {});
    for (const char* c : {"复制文本", "粘贴文本", "建立关联链", "建立相关项", "添加  图片", "输入条形码"})
        EXPECT_EQ(FindAction(line, QString::fromUtf8(c)), nullptr) << c;
}

TEST_F(Canvas, CopyCountNearTheLimitIsCappedAndTheOperatorIsTold)
{
    for (int i = 0; i < 996; ++i) AddBoxAt(format, BoxKind::Check, {150, 50});
    ASSERT_EQ(format.Count(BoxKind::Check), 997);
    SlipMenus menus(format, view.get(), view.get());
    ScriptedPrompter p;
    p.inputs.push_back(QStringLiteral("5"));
    menus.CopyBoxesAsked(2);
    EXPECT_EQ(format.Count(BoxKind::Check), 999);
    ASSERT_EQ(p.shown.size(), 2);
    EXPECT_EQ(p.shown[0], QStringLiteral("请输入要复制输入框个数："));
    EXPECT_EQ(p.shown[1], QStringLiteral("每类内容框最多999个，只能再复制2份。"));
    p.inputs.push_back(QStringLiteral("1"));
    menus.CopyBoxesAsked(2);
    EXPECT_EQ(format.Count(BoxKind::Check), 999);
    EXPECT_EQ(p.shown.last(), QStringLiteral("每类内容框最多999个，已经不能再复制了！"));
}

TEST_F(Canvas, RingOverAnUnsavedBoxIsRefusedWithSaveFirst)
{
    SlipMenus menus(format, view.get(), view.get());
    const BoxId fresh = AddBoxAt(format, BoxKind::Text, {20, 80});
    format.SetSelection({fresh});
    ScriptedPrompter p;
    menus.LinkRing(1);
    ASSERT_EQ(p.shown.size(), 1);
    EXPECT_TRUE(p.shown[0].startsWith(QStringLiteral("请先保存格式")));
    EXPECT_FALSE(format.Find(1)->relation.IsSet());
    EXPECT_FALSE(format.Find(fresh)->relation.IsSet());
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

TEST_F(Canvas, RightClickLeavesTheBoxOnceAndRemembersThePoint)
{
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
}
