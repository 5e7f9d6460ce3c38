#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "../entry/EntryTestSupport.h"
#include "workspace/SlipView.h"
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
        FormatHeader h;
        h.name = QStringLiteral("进账单");
        h.widthMm = 200;
        h.heightMm = 120;
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
    QPoint Centre(BoxId id) const
    {
        return view->Transform().ToPx(format.Find(id)->rect).center().toPoint();
    }

    void Edit(BoxId id)
    {
        view->EditBox(id);
        ASSERT_EQ(view->EditingBox(), id);
    }

    void TearDown() override
    {
        entry.reset();
        view.reset();
    }

    SlipFormat format;
    std::unique_ptr<SlipView> view;
    std::unique_ptr<ValueEntry> entry;
};

} // namespace

TEST_F(ValueEntryTest, KeysAndInputMethodTextReachTheFilterOfTheBoxsCode)
{
    Open({TextBoxOf(1, 11), TextBoxOf(2, 0), TextBoxOf(3, 107)});
    Edit(1);
    QTest::keyClicks(Editor(), "1a2-B3.5");
    QTest::keyClick(Editor(), Qt::Key_Return);
    TypeChars(Editor(), QStringLiteral("１"));  // a full-width figure goes in as the plain one
    QTest::keyClick(Editor(), Qt::Key_Home);
    QTest::keyClick(Editor(), Qt::Key_Delete);  // moving and deleting are no typing
    EXPECT_EQ(format.Value(1), "23.51");
    // A plain box takes every key.
    Edit(2);
    QTest::keyClicks(Editor(), "a-1");
    QTest::keyClick(Editor(), Qt::Key_Return);
    EXPECT_EQ(format.Value(2), "a-1\n");
    // In a box that takes figures only an input method's commit keeps its figures.
    Edit(3);
    QInputMethodEvent numeric;
    numeric.setCommitString(QStringLiteral("１ａ２月"));
    QApplication::sendEvent(Editor(), &numeric);
    EXPECT_EQ(format.Value(3), "12");
    // The converted amount shown again in its box is left as it is; a paste
    // keeps its figures.
    format.SetValue(1, "￥12.50");
    Edit(1);
    EXPECT_EQ(Editor()->toPlainText(), "￥12.50");
    Editor()->clear();
    QApplication::clipboard()->setText(QStringLiteral("￥1,234.50 元"));
    QTest::keyClick(Editor(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(format.Value(1), "1234.50");
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
    QTest::qWait(ValueEntry::kCompletionDelayMs * 3);
    EXPECT_EQ(format.Value(1), "北京分行");
    EXPECT_EQ(Editor()->textCursor().selectedText(), "京分行");
    // Typing on replaces the proposed tail; Backspace does not ask.
    TypeChars(Editor(), QStringLiteral("x"));
    QTest::qWait(ValueEntry::kCompletionDelayMs * 3);
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
    Edit(1);
    QTest::mouseDClick(Editor()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QMenu* menu = view->findChild<QMenu*>(QStringLiteral("earlierValues"));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 2);
    menu->actions()[1]->trigger();
    EXPECT_EQ(format.Value(1), "￥300.00");
    EXPECT_EQ(format.Value(2), "叁佰元整");
    menu->close();
    QApplication::processEvents();
    Edit(3);
    QTest::keyClicks(Editor(), "word");
    QTest::mouseDClick(Editor()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Editor()->textCursor().selectedText(), "word");
}

TEST_F(ValueEntryTest, ClickingATickBoxTogglesTheTick)
{
    Open({TextBoxOf(1, 115), TextBoxOf(2, 0)});
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Centre(1));
    QApplication::processEvents();
    EXPECT_EQ(view->EditingBox(), 1);
    EXPECT_EQ(format.Value(1), "√");
    QTest::mouseClick(Editor()->viewport(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(format.Value(1), "");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Centre(2));
    QApplication::processEvents();
    EXPECT_EQ(format.Value(2), "");
}

TEST_F(ValueEntryTest, TickingOneCheckBoxOfARingUnticksTheOthers)
{
    Open({CheckBoxOf(1, ChainTo(2)), CheckBoxOf(2, ChainTo(1))});
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Centre(1));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Centre(2));
    EXPECT_EQ(format.Value(2), "1");
    EXPECT_EQ(format.Value(1), "");
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
    Edit(1);
    format.SetSelected(1, true);  // marking the box being edited takes its colours away
    EXPECT_TRUE(entry->Marks().isEmpty());
}
