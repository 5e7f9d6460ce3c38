#include "workspace/SlipView.h"

#include "ui/SelFormat.h"
#include "workspace/SlipMenus.h"

#include "BoxBuilders.h"
#include "ScriptedPrompter.h"

#include <QMenu>
#include <QContextMenuEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QPlainTextEdit>
#include <QComboBox>
#include <QClipboard>
#include <QTextCursor>
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

TEST_F(Canvas, ASlipSmallerThanTheFrameStandsAtItsTopLeft)
{
    ASSERT_LT(view->CanvasSizePx().height(), vp()->height());
    EXPECT_EQ(view->Transform().origin, QPointF(0, 0));
    view->SetZoom(0.5);
    EXPECT_EQ(view->Transform().origin, QPointF(0, 0));
}

TEST_F(Canvas, ZoomingInFromTheTopLeftKeepsTheTopLeftInViewAndFittingReturnsThere)
{
    view->SetZoom(1.5);
    EXPECT_EQ(view->Transform().origin, QPointF(0, 0));
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
    view->SetZoom(2);
    // 400 of 1200 pixels scrolled: two fifths of the 800 the canvas now
    // exceeds the frame by.
    EXPECT_EQ(view->horizontalScrollBar()->value(), 320);
    view->FitToFrame();
    EXPECT_EQ(view->Transform().origin, QPointF(0, 0));
    EXPECT_NEAR(view->Transform().pxPerMm, 4.0, 1e-9);
}

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

TEST_F(Canvas, CtrlClicksMarkBoxesWhileTheBoxBeingTypedInStaysOpen)
{
    view->EditBox(1);
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::ControlModifier, Px({135, 24}));
    EXPECT_EQ(view->EditingBox(), 1);
    QWidget* ed = view->Editor()->viewport();
    QTest::mouseClick(ed, Qt::LeftButton, Qt::ControlModifier, ed->mapFrom(vp(), Px({40, 24})));
    EXPECT_EQ(format.Selection(), (QSet<BoxId>{1, 4}));
    QTest::mouseClick(ed, Qt::LeftButton, Qt::ControlModifier, ed->mapFrom(vp(), Px({40, 24})));
    EXPECT_EQ(format.Selection(), QSet<BoxId>{4});
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::NoModifier, Px({180, 50}));
    EXPECT_EQ(view->EditingBox(), 0);
}

TEST_F(Canvas, RightClickOnALinesEndOrOnItsBodySlidOnFromAnEndOpensTheSlipMenu)
{
    QSignalSpy menus(view.get(), &SlipView::contextMenuAt);
    const struct {
        QPointF from, at;
    } clicks[] = {{{180, 50}, {130, 80}}, {{180, 50}, {100, 80}}, {{160, 80}, {130, 80}}};
    for (const auto& c : clicks) {
        Hover(c.from);
        Hover(c.at);
        QContextMenuEvent e(QContextMenuEvent::Mouse, Px(c.at), vp()->mapToGlobal(Px(c.at)));
        QApplication::sendEvent(vp(), &e);
    }
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[0][0].value<BoxId>(), 5);
    EXPECT_EQ(menus[1][0].value<BoxId>(), 0);
    EXPECT_EQ(menus[2][0].value<BoxId>(), 0);
}

TEST_F(Canvas, RightClickInTheBoxBeingTypedInOpensItsMenuForTheSelectionAndTheCaret)
{
    SlipMenus menus(format, view.get(), view.get());
    QString item;  // the item chosen, on the menu of box 1 only
    QObject::connect(view.get(), &SlipView::contextMenuAt, view.get(), [&](BoxId id, QPoint) {
        QMenu menu;
        menus.FillMenu(menu, id, {});
        if (QAction* a = FindAction(menu, item); a && id == 1) a->trigger();
    });
    view->EditBox(1);
    QPlainTextEdit* ed = view->Editor();
    QTest::keyClicks(ed, QStringLiteral("abcdef"));
    QTextCursor c = ed->textCursor();
    c.setPosition(1);
    c.setPosition(4, QTextCursor::KeepAnchor);
    ed->setTextCursor(c);
    const QPoint at = ed->viewport()->mapFrom(vp(), Px({50, 24}));
    for (const char* chosen : {"复制文本", "粘贴文本"}) {  // press, the menu event, release, as the system gives them
        item = QString::fromUtf8(chosen);
        QTest::mousePress(ed->viewport(), Qt::RightButton, Qt::NoModifier, at);
        QContextMenuEvent e(QContextMenuEvent::Mouse, at, ed->viewport()->mapToGlobal(at));
        QApplication::sendEvent(ed->viewport(), &e);
        QApplication::processEvents();
        QTest::mouseRelease(ed->viewport(), Qt::RightButton, Qt::NoModifier, at);
        QApplication::processEvents();
        if (item != QStringLiteral("复制文本")) break;
        EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("bcd"));
        QApplication::clipboard()->setText(QStringLiteral("XY"));
    }
    EXPECT_EQ(format.Value(1), QStringLiteral("aXYef"));
    EXPECT_EQ(view->EditingBox(), 1);
}

TEST_F(Canvas, DraggingAScrollBarsThumbMovesTheCanvasOnlyWhenItIsLetGo)
{
    view->SetZoom(2);
    QApplication::processEvents();
    QScrollBar* bar = view->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    bar->setSliderDown(true);
    bar->setSliderPosition(bar->maximum() / 2);
    QApplication::processEvents();
    EXPECT_EQ(view->Transform().origin, QPointF(0, 0));
    bar->setSliderDown(false);
    QApplication::processEvents();
    EXPECT_EQ(view->Transform().origin, QPointF(0, -(bar->maximum() / 2)));
}

TEST_F(Canvas, LinesAreWholePixelsByTheZoomAndOnlyAMarkedPictureBoxIsFramed)
{
    Box line = *format.Find(5);
    line.lineWidth = 1.5;
    line.line = QLineF(10, 40, 60, 40);
    format.UpdateBox(line);
    // Inked pixels in columns x0..x1, rows y0..y1 of the canvas as drawn.
    const auto ink = [&](int x0, int x1, int y0, int y1) {
        const QImage shot = vp()->grab().toImage();
        int n = 0;
        for (int x = x0; x <= x1; ++x)
            for (int y = y0; y <= y1; ++y) n += shot.pixelColor(x, y).lightness() < 250;
        return n;
    };
    const auto acrossLine = [&] { const QPoint m = Px({31, 40}); return ink(m.x(), m.x(), m.y() - 8, m.y() + 8); };
    EXPECT_EQ(acrossLine(), 2);
    view->SetZoom(2);
    EXPECT_EQ(acrossLine(), 3);
    view->FitToFrame();
    const auto topEdge = [&] {  // of the picture box at (20, 50 mm), 40 x 15 mm
        const QRect r = view->Transform().ToPx(R(3)).toRect();
        return ink(r.left() + 2, r.right() - 3, r.top() - 1, r.top() + 1);
    };
    EXPECT_EQ(topEdge(), 0);
    format.SetSelection({3});
    EXPECT_GT(topEdge(), 100);
}

TEST_F(Canvas, ClickTypesTabGoesOnAndEscLeaves)
{
    format.AddBox(MakeBox(6, BoxKind::Text, {20, 35, 40, 8}));
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

TEST_F(Canvas, ALineBreakTypedIsALineBreakOnTheCanvas)
{
    Box tall = MakeBox(6, BoxKind::Text, {100, 40, 60, 30});
    tall.font.pointSize = 14;
    format.AddBox(tall);
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::NoModifier, Px({130, 55}));
    ASSERT_EQ(view->EditingBox(), 6);
    QTest::keyClicks(view->Editor(), QStringLiteral("typed1"));
    QTest::keyClick(view->Editor(), Qt::Key_Return);
    QTest::keyClicks(view->Editor(), QStringLiteral("typed2"));
    QTest::keyClick(view->Editor(), Qt::Key_Escape);
    ASSERT_EQ(view->EditingBox(), 0);
    EXPECT_EQ(format.Value(6), QStringLiteral("typed1\r\ntyped2"));
    // The rows of the box that hold ink, inside its frame: two lines of text
    // are two bands, the second below the first.
    const QImage shot = vp()->grab().toImage();
    const QRect box = QRect(Px({101, 40.5}), Px({159, 69.5}));
    QVector<int> inkRows;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        int dark = 0;
        for (int x = box.left(); x <= box.right(); ++x) dark += shot.pixelColor(x, y).lightness() < 128;
        if (dark > 0) inkRows << y;
    }
    ASSERT_FALSE(inkRows.isEmpty());
    int bands = 1;
    for (int i = 1; i < inkRows.size(); ++i) bands += inkRows[i] > inkRows[i - 1] + 1;
    EXPECT_EQ(bands, 2);
}

TEST_F(Canvas, ArrowKeysInATextBoxMoveTheMarkedBoxesAndTheCaret)
{
    format.SetSelection({3});
    view->EditBox(1);
    QTest::keyClicks(view->Editor(), QStringLiteral("ab"));
    QTest::keyClick(view->Editor(), Qt::Key_Left);
    EXPECT_EQ(view->Editor()->textCursor().position(), 1);
    // 10 twips at 4 pixels (60 twips) to the millimetre.
    EXPECT_NEAR(R(3).left(), 20 - 10.0 / 60, 5e-4);
    EXPECT_EQ(R(1).left(), 20);
}

TEST_F(Canvas, CornersOfTheBoxBeingTypedIntoStillMoveIt)
{
    view->EditBox(1);
    QWidget* ed = view->Editor()->viewport();
    auto at = [&](QPointF mm) { return ed->mapFrom(vp(), Px(mm)); };
    QTest::mouseMove(ed, at({40, 24}));
    EXPECT_EQ(ed->cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(ed->toolTip(), QStringLiteral("提示：点击鼠标左键,可以输入内容。"));
    QTest::mouseMove(ed, at({20.5, 20.5}));
    EXPECT_EQ(ed->cursor().shape(), Qt::SizeAllCursor);
    QTest::mousePress(ed, Qt::LeftButton, Qt::NoModifier, at({20.5, 20.5}));
    for (int i = 1; i <= 4; ++i) QTest::mouseMove(ed, at({20.5 + 2.5 * i, 20.5}));
    QTest::mouseRelease(ed, Qt::LeftButton, Qt::NoModifier, at({30.5, 20.5}));
    EXPECT_EQ(R(1).topLeft(), QPointF(30, 20));
    EXPECT_EQ(view->EditingBox(), 1);
    EXPECT_EQ(view->Editor()->geometry().left(), Px({30, 20}).x());
}

TEST_F(Canvas, LineAddedFromTheSlipMenuIsDrawnSolidAndTheMarksStay)
{
    SlipMenus menus(format, view.get(), view.get());
    format.SetSelection({3});
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
    // The marks are as they were: the new line is unmarked, in its own colour.
    EXPECT_EQ(format.Selection(), QSet<BoxId>{3});
    const QImage shot = view->viewport()->grab().toImage();
    int dark = 0;
    for (double x = 32; x < 58; x += 1) {  // a line one pixel wide lies on the row above or below its point
        const QPoint at = Px({x, 90});
        dark += std::min({shot.pixelColor(at - QPoint(0, 1)).lightness(), shot.pixelColor(at).lightness(),
                          shot.pixelColor(at + QPoint(0, 1)).lightness()}) < 160;
    }
    EXPECT_GE(dark, 24);
}

TEST_F(Canvas, APictureBoxDropsAMissingFileAndRepaintsWithoutReadingItsFileAgain)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mark.png"));
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(path));
    // Box 3, the picture box, stands at 20, 50 mm, 40 x 15 mm.
    const auto shownColour = [&] { return view->viewport()->grab().toImage().pixelColor(Px({40, 57.5})); };
    format.SetValue(3, dir.filePath(QStringLiteral("gone.png")));
    EXPECT_EQ(format.Value(3), QString());
    format.SetValue(3, path);
    EXPECT_EQ(format.Value(3), path);
    EXPECT_EQ(shownColour(), QColor(Qt::red));
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(path));
    view->SetZoom(1.5);
    EXPECT_EQ(shownColour(), QColor(Qt::red));
    EXPECT_EQ(view->PictureReader()(3, path).pixelColor(0, 0), QColor(Qt::red));  // what a print takes
}

TEST_F(Canvas, PropertiesItemCallsTheDialogALineHasNoTextItemsAndLockGreysEditing)
{
    SlipMenus menus(format, view.get(), view.get());
    BoxId asked = 0;
    menus.hooks.openProperties = [&](QWidget*, SlipFormat&, BoxId id) { asked = id; };
    menus.hooks.replaceBackground = [] {};
    menus.hooks.clearBackground = [] {};
    QMenu with, line, box, label, slip;
    menus.FillMenu(with, 3, {});
    FindAction(with, QStringLiteral("设置内容框"))->trigger();
    EXPECT_EQ(asked, 3);
    menus.FillMenu(line, 5, {});
    for (const char* c : {"复制文本", "粘贴文本", "建立关联链", "添加  图片", "输入条形码"})
        EXPECT_EQ(FindAction(line, QString::fromUtf8(c)), nullptr) << c;
    // Every kind of box has "建立相关项"; only a text box's starts a path.
    for (BoxId id : {2, 3, 4, 5}) {
        QMenu any;
        menus.FillMenu(any, id, {});
        QAction* related = FindAction(any, QStringLiteral("建立相关项"));
        ASSERT_NE(related, nullptr) << id;
        format.SetSelection({1});
        related->trigger();
        EXPECT_EQ(format.Find(id)->relation.kind, RelationKind::None) << id;
    }
    format.SetSelection({});
    Lock(true);
    menus.FillMenu(box, 1, {30, 30});
    for (const char* c : {"设置内容框", "添加内容框", "删除内容框"})
        EXPECT_FALSE(FindAction(box, QString::fromUtf8(c))->isEnabled()) << c;
    for (const char* c : {"复制内容框", "建立关联链", "建立相关项", "复制文本"})
        EXPECT_TRUE(FindAction(box, QString::fromUtf8(c))->isEnabled()) << c;
    menus.FillMenu(label, 4, {30, 30});
    EXPECT_TRUE(FindAction(label, QStringLiteral("粘贴文本"))->isEnabled());
    menus.FillMenu(slip, 0, {30, 30});
    for (const char* c : {"添加内容框", "清空内容框", "更换背景图", "清除背景图"})
        EXPECT_TRUE(FindAction(slip, QString::fromUtf8(c))->isEnabled()) << c;
}

TEST_F(Canvas, EachMenuHoldsItsItemsInOrder)
{
    SlipMenus menus(format, view.get(), view.get());
    const QStringList boxItems = {"设置内容框", "添加内容框", "复制内容框", "删除内容框"};
    const struct { BoxId id; QStringList items; } cases[] = {
        {0, {"添加下一张单据", "打印并添加单据", "自动生成日期", "清空内容框", "添加内容框", "更换背景图", "清除背景图"}},
        {1, boxItems + QStringList{"建立关联链", "建立相关项", "复制文本", "粘贴文本"}},
        {2, boxItems + QStringList{"设置单选", "建立相关项"}},
        {3, boxItems + QStringList{"建立相关项", "添加  图片", "输入条形码"}},
        {4, boxItems + QStringList{"建立相关项", "复制文本", "粘贴文本"}},
        {5, boxItems + QStringList{"建立相关项"}},
    };
    for (const auto& c : cases) {
        QMenu menu;
        menus.FillMenu(menu, c.id, {30, 30});
        QStringList shown;
        for (QAction* a : menu.actions())
            if (!a->isSeparator()) shown << a->text();
        EXPECT_EQ(shown, c.items) << c.id;
    }
}

TEST_F(Canvas, CopiesStepTwoHundredTwipsNearTheLimitAreCappedAndARingTakesAnUnsavedCopy)
{
    SlipMenus menus(format, view.get(), view.get());
    {
        ScriptedPrompter one;
        one.inputs.push_back(QStringLiteral("1"));
        menus.CopyBoxesAsked(1);
    }
    // 200 twips at 4 pixels (60 twips) to the millimetre.
    EXPECT_NEAR(format.BoxesOfKind(BoxKind::Text).back()->rect.left(), 20 - 200.0 / 60, 5e-4);
    // Near the limit the operator is told how many more fit.
    for (int i = 0; i < 996; ++i) AddBoxAt(format, BoxKind::Check, {150, 50});
    ScriptedPrompter p;
    p.inputs.push_back(QStringLiteral("5"));
    menus.CopyBoxesAsked(2);
    EXPECT_EQ(p.shown, (QStringList{QStringLiteral("请输入要复制输入框个数："), QStringLiteral("每类内容框最多999个，只能再复制2份。")}));
    // The copy is not saved yet: a ring over it links it by its temporary ID.
    const BoxId copy = format.BoxesOfKind(BoxKind::Text).back()->id;
    ASSERT_LT(copy, 0);
    format.SetSelection({copy});
    p.shown.clear();
    QMenu menu;
    menus.FillMenu(menu, 1, {});
    FindAction(menu, QStringLiteral("建立关联链"))->trigger();
    EXPECT_TRUE(p.shown.isEmpty());
    EXPECT_EQ(format.Find(1)->relation, (Relation{RelationKind::ChainNext, copy}));
    EXPECT_EQ(format.Find(copy)->relation, (Relation{RelationKind::ChainNext, 1}));
}

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
    format.AddBox(MakeBox(6, BoxKind::Text, {20, 35, 40, 8}));
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
    format.SetSelection({});
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
