#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
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
    TypeChars(Editor(), QStringLiteral("１"));  // a full-width figure goes in as typed
    QTest::keyClick(Editor(), Qt::Key_Home);
    QTest::keyClick(Editor(), Qt::Key_Delete);  // moving and deleting are no typing
    EXPECT_EQ(format.Value(1), QStringLiteral("23.5１"));
    // In a box that takes figures only an input method's commit keeps its figures.
    Edit(3);
    QInputMethodEvent numeric;
    numeric.setCommitString(QStringLiteral("１ａ２月"));
    QApplication::sendEvent(Editor(), &numeric);
    EXPECT_EQ(format.Value(3), QStringLiteral("１２"));
    // The converted amount shown again in its box is left as it is.
    format.SetValue(1, "￥12.50");
    Edit(1);
    EXPECT_EQ(Editor()->toPlainText(), "￥12.50");
}

TEST_F(ValueEntryTest, PasteIntoAFiguresOnlyBoxKeepsTheFigures)
{
    Open({TextBoxOf(1, 11)});
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
    // The amount as it came (in yuan, the figures a chain carries), not cut
    // to eleven cells.
    EXPECT_EQ(format.Value(2), "123456789012345678.99");
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

TEST_F(ValueEntryTest, DoubleClickOpensAnEditableListOfEarlierValuesOverTheBoxEvenWithoutAny)
{
    Open({TextBoxOf(1, 104, AddTo(2)), TextBoxOf(2, 103), TextBoxOf(3, 0)});
    entry->SetEarlierValuesSource([](BoxId id) {
        return id == 1 ? QStringList{QStringLiteral("1000"), QStringLiteral("300")} : QStringList();
    });
    Edit(3);
    QTest::keyClicks(Editor(), "word");
    QTest::mouseDClick(Editor()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    auto* list = view->findChild<QComboBox*>(QStringLiteral("earlierValues"));
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());
    EXPECT_TRUE(list->isEditable());
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(list->currentText(), "word");
    // An input like any other, not in the grey around the slip.
    for (QWidget* w : {static_cast<QWidget*>(list), static_cast<QWidget*>(list->view())})
        EXPECT_EQ(w->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
    // It stands over the box, 300 twips wider.
    const QRect box = view->Transform().ToPx(format.Find(3)->rect).toAlignedRect();
    EXPECT_EQ(list->geometry().topLeft(), box.topLeft());
    EXPECT_EQ(list->width(), box.width() + int(std::lround(300 * view->viewport()->logicalDpiX() / 1440.0)));
    // Going elsewhere closes it.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Centre(2));
    QApplication::processEvents();
    EXPECT_FALSE(list->isVisible());
    // Typing there gives the box the text at once, converted as on leaving.
    Edit(1);
    QTest::mouseDClick(Editor()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(list->isVisible());
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(0), "1000");
    list->lineEdit()->selectAll();
    QTest::keyClicks(list->lineEdit(), "7");
    EXPECT_EQ(format.Value(1), "￥7.00");
    EXPECT_TRUE(list->isVisible());
    // Choosing a value fills the box, converts it and closes the list.
    list->activated(1);
    EXPECT_EQ(format.Value(1), "￥300.00");
    EXPECT_EQ(format.Value(2), "叁佰元整");
    EXPECT_FALSE(list->isVisible());
}

TEST_F(ValueEntryTest, ClickingATickBoxTogglesTheTickAndACheckBoxUnticksItsRing)
{
    Open({TextBoxOf(1, 115), TextBoxOf(2, 0), CheckBoxOf(3, ChainTo(4)), CheckBoxOf(4, ChainTo(3))});
    // A click as a hand gives it: the press, events, the release.
    const auto click = [](QWidget* w, QPoint at) {
        QTest::mousePress(w, Qt::LeftButton, {}, at);
        QApplication::processEvents();
        QTest::mouseRelease(w, Qt::LeftButton, {}, at);
        QApplication::processEvents();
    };
    const struct { BoxId box; bool inEditor; const char* value; } clicks[] = {  // inEditor: else on the canvas
        {1, false, "√"}, {1, true, ""}, {1, true, "√"}, {2, false, ""}, {1, false, ""}};
    for (const auto& c : clicks) {
        if (c.inEditor) click(Editor()->viewport(), QPoint(3, 3));
        else click(view->viewport(), Centre(c.box));
        EXPECT_EQ(view->EditingBox(), c.box);
        EXPECT_EQ(format.Value(c.box), QString::fromUtf8(c.value)) << c.box << " " << c.inEditor;
    }
    click(view->viewport(), Centre(3));
    click(view->viewport(), Centre(4));
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
    // The ring closes on the box being typed in, which turns pink too.
    const QColor pink = RelationMarkColor(RelationMark::ChainMember);
    view->SetBoxTints({{1, pink}, {2, pink}});
    EXPECT_EQ(Editor()->palette().color(QPalette::Base), pink);
    Edit(3);
    EXPECT_TRUE(entry->Marks().isEmpty());
}

TEST_F(ValueEntryTest, ABoxLeftHoldingAValueTakesTheBorderOfItsCodeAndTheCanvasFramesOnlyBordered)
{
    // 0.5 opens without a border (rounded to 0) and takes one once left
    // holding a value; 11 has one from the start; 104 never.
    Open({TextBoxOf(1, 0.5), TextBoxOf(2, 11), TextBoxOf(3, 104)});
    EXPECT_EQ((std::vector<bool>{view->BoxBorder(1), view->BoxBorder(2), view->BoxBorder(3)}),
              (std::vector<bool>{false, true, false}));
    Edit(1);
    view->EditBox(0);  // left empty: the border stays as it is
    EXPECT_FALSE(view->BoxBorder(1));
    Edit(1);
    QTest::keyClicks(Editor(), "7");
    view->EditBox(0);
    EXPECT_TRUE(view->BoxBorder(1));
    // A framed box has a dark edge; an unframed one is a white field.
    const QImage shot = view->viewport()->grab().toImage();
    auto edge = [&](BoxId id) {
        const QRect r = view->Transform().ToPx(format.Find(id)->rect).toRect();
        int darkest = 255;
        for (int dx = -1; dx <= 1; ++dx) darkest = std::min(darkest, shot.pixelColor(r.left() + dx, r.center().y()).lightness());
        return darkest;
    };
    EXPECT_LT(edge(2), 100);
    EXPECT_GT(edge(3), 200);
}
