#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "TextPrinting.h"
#include "workspace/SlipView.h"
#include "workspace/ValueEntry.h"

using namespace slip;

namespace {

Box TextAt(BoxId id, double code, QPointF at, SumTarget sum1 = {}, Relation relation = {})
{
    Box b = NewBoxOfKind(BoxKind::Text, at);
    b.id = id;
    b.dataType = DataType::FromStored(code);
    b.sum1 = sum1;
    b.relation = relation;
    return b;
}

Box CheckAt(BoxId id, QPointF at, Relation relation = {})
{
    Box b = NewBoxOfKind(BoxKind::Check, at);
    b.id = id;
    b.relation = relation;
    return b;
}

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
        entry->SetToday([] { return QDate(2020, 7, 9); });
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

TEST_F(ValueEntryTest, CellAmountBoxSwallowsLettersMinusAndEnter)
{
    Open({TextAt(1, 11, {10, 10}), TextAt(2, 0, {10, 30})});
    Edit(1);
    QTest::keyClicks(Editor(), "1a2-B3.5");
    QTest::keyClick(Editor(), Qt::Key_Return);
    QTest::keyClick(Editor(), Qt::Key_Space);
    EXPECT_EQ(format.Value(1), "123.5");
    QTest::keyClick(Editor(), Qt::Key_Backspace);
    EXPECT_EQ(format.Value(1), "123.");
    // Moving and deleting are no typing.
    QTest::keyClick(Editor(), Qt::Key_Home);
    QTest::keyClick(Editor(), Qt::Key_Delete);
    EXPECT_EQ(format.Value(1), "23.");
    // A plain box takes every key.
    Edit(2);
    QTest::keyClicks(Editor(), "a-1");
    QTest::keyClick(Editor(), Qt::Key_Return);
    EXPECT_EQ(format.Value(2), "a-1\n");
}

TEST_F(ValueEntryTest, FullWidthFiguresGoInAsPlainOnes)
{
    Open({TextAt(1, 11, {10, 10}), TextAt(2, 104, {10, 30}), TextAt(3, 107, {10, 50})});
    Edit(1);
    TypeChars(Editor(), QStringLiteral("１２．５，"));
    EXPECT_EQ(format.Value(1), "12.5");
    // An input method commits full-width text in one go.
    Edit(2);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("１，２３４．５"));
    QApplication::sendEvent(Editor(), &commit);
    EXPECT_EQ(format.Value(2), "１，２３４．５");  // typed as it came in a box that takes anything
    view->EditBox(0);
    EXPECT_EQ(format.Value(2), "￥1,234.50");
    // In a box that takes figures only the commit keeps its figures.
    Edit(3);
    QInputMethodEvent numeric;
    numeric.setCommitString(QStringLiteral("１ａ２月"));
    QApplication::sendEvent(Editor(), &numeric);
    EXPECT_EQ(format.Value(3), "12");
    // The converted amount shown again in its box is left as it is.
    Edit(1);
    EXPECT_EQ(format.Value(1), "￥12.50");
    EXPECT_EQ(Editor()->toPlainText(), "￥12.50");
}

TEST_F(ValueEntryTest, PasteIntoAFiguresOnlyBoxKeepsTheFigures)
{
    Open({TextAt(1, 311, {10, 10})});
    Edit(1);
    QApplication::clipboard()->setText(QStringLiteral("￥1,234.50 元"));
    QTest::keyClick(Editor(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(format.Value(1), "1234.50");
    EXPECT_EQ(Editor()->toPlainText(), "1234.50");
}

TEST_F(ValueEntryTest, LeavingABoxConvertsAndSums)
{
    Open({TextAt(1, 0, {10, 10}, {3, SumOp::Add, false}), TextAt(2, 0, {10, 30}, {3, SumOp::Add, false}),
          TextAt(3, 103, {10, 50})});
    Edit(1);
    QTest::keyClicks(Editor(), "0.1");
    QTest::keyClick(Editor(), Qt::Key_Tab);  // on to box 2: box 1 is left
    EXPECT_EQ(view->EditingBox(), 2);
    EXPECT_EQ(format.Value(3), "壹角整");
    QTest::keyClicks(Editor(), "0.2");
    QTest::keyClick(Editor(), Qt::Key_Tab);
    EXPECT_EQ(format.Value(3), "叁角整");
    // The property dialog and batch navigation leave a box through the entry.
    format.SetValue(2, "1000");
    entry->LeaveBox(2);
    EXPECT_EQ(format.Value(3), "壹仟元壹角整");
}

TEST_F(ValueEntryTest, RelatedBoxesFromTheHistory)
{
    Open({TextAt(1, 0, {10, 10}, {}, {RelationKind::Related, 2}), TextAt(2, 0, {10, 30})});
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

TEST_F(ValueEntryTest, CompletionProposesTheOnlyEarlierValue)
{
    Open({TextAt(1, 0, {10, 10})});
    std::vector<std::pair<QString, BoxId>> asked;
    entry->SetCompletionSource([&asked](const QString& typed, BoxId id) {
        asked.emplace_back(typed, id);
        const QStringList all{QStringLiteral("北京分行"), QStringLiteral("上海分行"), QStringLiteral("上海浦东支行")};
        QStringList out;
        for (const QString& v : all)
            if (v.startsWith(typed)) out << v;
        return out;
    });
    Edit(1);
    TypeChars(Editor(), QStringLiteral("北"));
    QTest::qWait(ValueEntry::kCompletionDelayMs * 3);
    EXPECT_EQ(format.Value(1), "北京分行");
    const QTextCursor c = Editor()->textCursor();
    EXPECT_EQ(c.selectedText(), "京分行");
    // Typing on replaces the proposed tail.
    TypeChars(Editor(), QStringLiteral("x"));
    EXPECT_EQ(format.Value(1), "北x");
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.front(), std::make_pair(QStringLiteral("北"), BoxId(1)));
}

TEST_F(ValueEntryTest, NoProposalWhenTwoValuesOrTheSameValue)
{
    Open({TextAt(1, 0, {10, 10})});
    entry->SetCompletionSource([](const QString& typed, BoxId) {
        const QStringList all{QStringLiteral("上海分行"), QStringLiteral("上海浦东支行"), QStringLiteral("天津")};
        QStringList out;
        for (const QString& v : all)
            if (v.startsWith(typed)) out << v;
        return out;
    });
    Edit(1);
    TypeChars(Editor(), QStringLiteral("上"));
    QTest::qWait(ValueEntry::kCompletionDelayMs * 3);
    EXPECT_EQ(format.Value(1), "上");
    TypeChars(Editor(), QStringLiteral("海浦东支行"));
    QTest::qWait(ValueEntry::kCompletionDelayMs * 3);
    EXPECT_EQ(format.Value(1), "上海浦东支行");
    EXPECT_FALSE(Editor()->textCursor().hasSelection());
    // Backspace does not ask.
    format.SetValue(1, QString());
    TypeChars(Editor(), QStringLiteral("天"));
    QTest::keyClick(Editor(), Qt::Key_Backspace);
    TypeChars(Editor(), QStringLiteral("天"));
    QTest::qWait(ValueEntry::kCompletionDelayMs * 3);
    EXPECT_EQ(format.Value(1), "天津");
}

TEST_F(ValueEntryTest, NoProposalIntoABoxAlreadyLeft)
{
    Open({TextAt(1, 0, {10, 10}), TextAt(2, 0, {10, 30})});
    entry->SetCompletionSource([](const QString&, BoxId) { return QStringList{QStringLiteral("北京分行")}; });
    Edit(1);
    TypeChars(Editor(), QStringLiteral("北"));
    Edit(2);
    QTest::qWait(ValueEntry::kCompletionDelayMs * 3);
    EXPECT_EQ(format.Value(1), "北");
    EXPECT_EQ(format.Value(2), "");
}

TEST_F(ValueEntryTest, DoubleClickListsEarlierValues)
{
    Open({TextAt(1, 104, {10, 10}, {2, SumOp::Add, false}), TextAt(2, 103, {10, 30})});
    entry->SetCompletionSource([](const QString& typed, BoxId) {
        EXPECT_TRUE(typed.isEmpty());
        return QStringList{QStringLiteral("300"), QStringLiteral("1000"), QStringLiteral("300")};
    });
    Edit(1);
    QTest::mouseDClick(Editor()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QMenu* menu = entry->EarlierValuesMenu();
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), "1000");
    EXPECT_EQ(actions[1]->text(), "300");
    actions[1]->trigger();
    EXPECT_EQ(format.Value(1), "￥300.00");
    EXPECT_EQ(format.Value(2), "叁佰元整");
}

TEST_F(ValueEntryTest, DoubleClickWithoutEarlierValuesSelectsAsUsual)
{
    Open({TextAt(1, 0, {10, 10})});
    entry->SetCompletionSource([](const QString&, BoxId) { return QStringList(); });
    Edit(1);
    QTest::keyClicks(Editor(), "word");
    QTest::mouseDClick(Editor()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(entry->EarlierValuesMenu(), nullptr);
    EXPECT_EQ(Editor()->textCursor().selectedText(), "word");
}

TEST_F(ValueEntryTest, ClickingATickBoxTogglesTheTick)
{
    Open({TextAt(1, 115, {10, 10}), TextAt(2, 0, {10, 30})});
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
    Open({CheckAt(1, {100, 10}, {RelationKind::ChainNext, 2}), CheckAt(2, {100, 30}, {RelationKind::ChainNext, 3}),
          CheckAt(3, {100, 50}, {RelationKind::ChainNext, 1})});
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Centre(1));
    EXPECT_EQ(format.Value(1), "1");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Centre(3));
    EXPECT_EQ(format.Value(3), "1");
    EXPECT_EQ(format.Value(1), "");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Centre(2));
    EXPECT_EQ(format.Value(2), "1");
    EXPECT_EQ(format.Value(1), "");
    EXPECT_EQ(format.Value(3), "");
    // Unticking changes nothing else.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Centre(2));
    EXPECT_EQ(format.Value(2), "");
    EXPECT_EQ(format.Value(1), "");
    EXPECT_EQ(format.Value(3), "");
}

TEST_F(ValueEntryTest, RelationMarksFollowTheBoxBeingEdited)
{
    Open({TextAt(1, 0, {10, 10}, {}, {RelationKind::ChainNext, 2}), TextAt(2, 0, {10, 30}, {}, {RelationKind::ChainNext, 1}),
          TextAt(3, 0, {10, 50}, {1, SumOp::Multiply, false}), TextAt(4, 0, {10, 70})});
    QSignalSpy changed(entry.get(), &ValueEntry::marksChanged);
    Edit(1);
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(entry->Marks().value(2), RelationMark::ChainMember);
    EXPECT_EQ(entry->Marks().value(1), RelationMark::ChainMember);
    EXPECT_EQ(entry->Marks().value(3), RelationMark::MultipliesInto);
    Edit(4);
    EXPECT_TRUE(entry->Marks().isEmpty());
    Edit(1);
    format.SetSelected(1, true);
    EXPECT_TRUE(entry->Marks().isEmpty());
    format.SetSelected(1, false);
    view->EditBox(0);
    EXPECT_TRUE(entry->Marks().isEmpty());
}
