#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "ScriptedPrompter.h"
#include "../entry/EntryTestSupport.h"
#include "workspace/SlipView.h"
#include <QClipboard>
#include "workspace/ValueEntry.h"

using namespace slip;
using namespace slip::test;

namespace {

// Types text that has no key of its own on a Latin keyboard (full-width
// figures, Chinese characters), one key event per character as a keyboard
// layout that has them sends.
void TypeChars(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

// A slip on a shown canvas with the value entry attached, as the main window
// holds them.
class ValueEntryTest : public ::testing::Test {
protected:
    void Open(std::vector<Box> boxes)
    {
        FormatHeader h{QStringLiteral("进账单"), 200, 120};
        format.Load(h, std::move(boxes));
        view = std::make_unique<SlipView>(format);
        entry = std::make_unique<ValueEntry>(format, *view);
        view->resize(900, 640);
        view->show();
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }

    QPlainTextEdit* Editor() const { return view->Editor(); }

    // Where the middle of a box is on the canvas.
    QPoint Centre(BoxId id) const { return view->Transform().ToPx(format.Find(id)->rect).center().toPoint(); }

    void Edit(BoxId id)
    {
        view->EditBox(id);
        ASSERT_EQ(view->EditingBox(), id);
    }

    // Gone in reverse: the entry, then the canvas, then the slip.
    SlipFormat format;
    std::unique_ptr<SlipView> view;
    std::unique_ptr<ValueEntry> entry;
};

} // namespace

TEST_F(ValueEntryTest, KeysAndInputMethodTextReachTheFilterOfTheBoxsCode)
{
    Open({TextBoxOf(1, 11), TextBoxOf(3, 107)});
    Edit(1);
    QTest::keyClicks(Editor(), "1a2-B3.5");
    QTest::keyClick(Editor(), Qt::Key_Return);
    TypeChars(Editor(), QStringLiteral("１"));  // a full-width figure goes in as the plain one
    QTest::keyClick(Editor(), Qt::Key_Home);
    QTest::keyClick(Editor(), Qt::Key_Delete);  // moving and deleting are no typing
    EXPECT_EQ(format.Value(1), "23.51");
    // In a box that takes figures only an input method's commit keeps its figures.
    Edit(3);
    QInputMethodEvent numeric;
    numeric.setCommitString(QStringLiteral("１ａ２月"));
    QApplication::sendEvent(Editor(), &numeric);
    EXPECT_EQ(format.Value(3), "12");
    // The converted amount shown again in its box is left as it is.
    format.SetValue(1, "￥12.50");
    Edit(1);
    EXPECT_EQ(Editor()->toPlainText(), "￥12.50");
}

TEST_F(ValueEntryTest, PasteIntoAFiguresOnlyBoxKeepsTheFigures)
{
    Open({TextBoxOf(1, 311)});
    Edit(1);
    QApplication::clipboard()->setText(QStringLiteral("￥1,234.50 元"));
    QTest::keyClick(Editor(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(format.Value(1), "1234.50");
    EXPECT_EQ(Editor()->toPlainText(), "1234.50");
}

TEST_F(ValueEntryTest, LeavingABoxConvertsAndSums)
{
    Open({TextBoxOf(1, 0, AddTo(3)), TextBoxOf(2, 0, AddTo(3)),
          TextBoxOf(3, 103)});
    Edit(1);
    QTest::keyClicks(Editor(), "0.1");
    QTest::keyClick(Editor(), Qt::Key_Tab);  // on to box 2: box 1 is left
    EXPECT_EQ(format.Value(3), "壹角整");
    // The property dialog and batch navigation leave a box through the entry.
    format.SetValue(2, "1000");
    entry->LeaveBox(2);
    EXPECT_EQ(format.Value(3), "壹仟元壹角整");
}

TEST_F(ValueEntryTest, AnAmountABoxCannotShowIsToldOnceOnLeaving)
{
    ScriptedPrompter prompter;
    Box cells = TextBoxOf(2, 11, {}, {}, ChainTo(3));
    cells.caption = QStringLiteral("小写");
    Open({TextBoxOf(1, 104, {}, {}, ChainTo(2)), cells, TextBoxOf(3, 0, {}, {}, ChainTo(1))});
    Edit(1);
    QTest::keyClicks(Editor(), "123456789012345678.99");
    QTest::keyClick(Editor(), Qt::Key_Tab);
    EXPECT_EQ(format.Value(2), format.Value(1));  // as it came, not cut to eleven cells
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].endsWith(QStringLiteral("小写"))) << prompter.shown[0].toStdString();
}

TEST_F(ValueEntryTest, RelatedBoxesFromTheHistory)
{
    Open({TextBoxOf(1, 0, {}, {}, RelatedTo(2)), TextBoxOf(2, 0)});
    entry->SetLinkedSlipLookup([](BoxId id, const QString& value) {
        QHash<BoxId, QString> slip;
        if (id == 1 && value == "6222") slip.insert(2, QStringLiteral("某某公司"));
        return slip;
    });
    Edit(1);
    QTest::keyClicks(Editor(), "6222");
    QTest::keyClick(Editor(), Qt::Key_Tab);
    EXPECT_EQ(format.Value(2), "某某公司");
}

TEST_F(ValueEntryTest, CompletionShowsTheHistorysProposalWithTheTailSelected)
{
    Open({TextBoxOf(1, 0), TextBoxOf(2, 0)});
    std::vector<std::pair<QString, BoxId>> asked;
    entry->SetProposalSource([&asked](const QString& typed, BoxId id) {
        asked.emplace_back(typed, id);
        return typed == QStringLiteral("北") ? QStringLiteral("北京分行") : QString();
    });
    Edit(1);
    TypeChars(Editor(), QStringLiteral("北"));
    QTRY_COMPARE(format.Value(1), QStringLiteral("北京分行"));
    EXPECT_EQ(Editor()->textCursor().selectedText(), "京分行");
    // Typing on replaces the proposed tail; Backspace does not ask.
    TypeChars(Editor(), QStringLiteral("x"));
    QTRY_COMPARE(asked.size(), size_t(2));
    QTest::keyClick(Editor(), Qt::Key_Backspace);
    QTest::qWait(ValueEntry::kCompletionDelayMs * 3);
    EXPECT_EQ(format.Value(1), "北");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked.front(), std::make_pair(QStringLiteral("北"), BoxId(1)));
    // No proposal lands in a box already left.
    TypeChars(Editor(), QStringLiteral("北"));
    Edit(2);
    QTest::qWait(ValueEntry::kCompletionDelayMs * 3);
    EXPECT_EQ(format.Value(1), "北北");
}

TEST_F(ValueEntryTest, DoubleClickListsEarlierValuesOrSelectsAsUsualWithoutThem)
{
    Open({TextBoxOf(1, 104, AddTo(2)), TextBoxOf(2, 103), TextBoxOf(3, 0)});
    entry->SetEarlierValuesSource([](BoxId id) {
        return id == 1 ? QStringList{QStringLiteral("1000"), QStringLiteral("300")} : QStringList();
    });
    Edit(3);
    QTest::keyClicks(Editor(), "word");
    QTest::mouseDClick(Editor()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(view->findChild<QMenu*>(QStringLiteral("earlierValues")), nullptr);
    EXPECT_EQ(Editor()->textCursor().selectedText(), "word");
    Edit(1);
    QTest::mouseDClick(Editor()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QMenu* menu = view->findChild<QMenu*>(QStringLiteral("earlierValues"));
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), "1000");
    actions[1]->trigger();
    EXPECT_EQ(format.Value(1), "￥300.00");
    EXPECT_EQ(format.Value(2), "叁佰元整");
}

TEST_F(ValueEntryTest, ClickingATickBoxTogglesTheTickAndACheckBoxUnticksItsRing)
{
    Open({TextBoxOf(1, 115), TextBoxOf(2, 0), CheckBoxOf(3, ChainTo(4)), CheckBoxOf(4, ChainTo(3))});
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Centre(1));
    QApplication::processEvents();
    EXPECT_EQ(view->EditingBox(), 1);
    EXPECT_EQ(format.Value(1), "√");
    QTest::mouseClick(Editor()->viewport(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(format.Value(1), "");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Centre(2));
    QApplication::processEvents();
    EXPECT_EQ(format.Value(2), "");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Centre(3));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Centre(4));
    EXPECT_EQ(format.Value(4), "1");
    EXPECT_EQ(format.Value(3), "");
}

TEST_F(ValueEntryTest, RelationMarksFollowTheBoxBeingEdited)
{
    Open({TextBoxOf(1, 0, {}, {}, ChainTo(2)), TextBoxOf(2, 0, {}, {}, ChainTo(1)),
          TextBoxOf(3, 0)});
    QSignalSpy changed(entry.get(), &ValueEntry::marksChanged);
    Edit(1);
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(entry->Marks().value(2), RelationMark::ChainMember);
    Edit(3);
    EXPECT_TRUE(entry->Marks().isEmpty());
}
