// A property dialog stays open while the operator goes on working: the box it
// edits may be deleted, the format reloaded or switched, or saved (which
// renames unsaved boxes). OK must never write into another box.
#include "DialogTestSupport.h"

#include "workspace/FormatCommands.h"
#include "workspace/dialogs/Dialogs.h"
#include "workspace/dialogs/LabelDialog.h"
#include "workspace/dialogs/TextBoxDialog.h"

using namespace slip;
using namespace slip::test;

namespace {

const QString kGone = QStringLiteral("正在修改的内容框已不存在（已被删除，或格式已重新载入），修改没有保存！");

class QuietHost : public FormatHost {
public:
    void FormatOpened(bool) override {}
};

struct StaleDialogTest : ::testing::Test {
    TestHome home;
    ScriptedPrompter prompter;
    SlipFormat format;
    QuietHost host;
    FormatCommands commands{format, host};

    void SetUp() override { LoadSampleFormat(format); }
    void TearDown() override
    {
        // The dialogs of the entry points delete themselves when closed.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<BoxPropertiesDialog*>(w)) w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace

TEST_F(StaleDialogTest, DeletedBoxIsNotWrittenAndTheOperatorIsTold)
{
    TextBoxDialog* d = EditCtl(nullptr, format, kUnsavedText);
    ASSERT_TRUE(d);
    QPointer<TextBoxDialog> alive(d);
    QSignalSpy closed(d, &BoxPropertiesDialog::closedOn);
    TypeInto(d->widthEdit, QStringLiteral("33"));
    format.RemoveBoxes({kUnsavedText});
    EXPECT_TRUE(d->BoxGone());
    // A box added now takes the same temporary ID.
    Box added = NewBoxOfKind(BoxKind::Text, {5, 5});
    ASSERT_EQ(format.AddBox(added), kUnsavedText);
    const std::vector<Box> before = format.Boxes();
    Click(d->okButton);
    EXPECT_EQ(prompter.shown, QStringList{kGone});
    EXPECT_EQ(format.Boxes(), before);
    ASSERT_EQ(closed.count(), 1);
    EXPECT_EQ(closed.at(0).at(0).value<BoxId>(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
}

TEST_F(StaleDialogTest, SwitchedFormatWithTheSameIdsIsNotWritten)
{
    LabelDialog* d = ProLBL(nullptr, format, kNote);
    ASSERT_TRUE(d);
    TypeInto(d->captionEdit, QStringLiteral("改过"));
    LoadSampleFormat(format, QStringLiteral("另一种进账单"));
    QTest::qWait(1);
    const std::vector<Box> before = format.Boxes();
    Click(d->okButton);
    EXPECT_EQ(prompter.shown, QStringList{kGone});
    EXPECT_EQ(format.Boxes(), before);
    EXPECT_EQ(format.Find(kNote)->caption, QStringLiteral("备注"));
}

TEST_F(StaleDialogTest, SaveWhileOpenRenamesTheBoxAndTheDialogFollows)
{
    // The sample stored and opened from the database.
    ASSERT_TRUE(commands.SaveFormat());
    ASSERT_TRUE(commands.ChooseFormat(format.Name(), true));
    QTest::qWait(1);
    const auto byCaption = std::ranges::find(format.Boxes(), QStringLiteral("大写"), &Box::caption);
    ASSERT_NE(byCaption, format.Boxes().end());
    const BoxId words = byCaption->id;
    Box fresh = NewBoxOfKind(BoxKind::Text, {40, 70});
    fresh.caption = QStringLiteral("新加");
    const BoxId temp = format.AddBox(fresh);
    ASSERT_LT(temp, 0);
    TextBoxDialog* d = EditCtl(nullptr, format, temp);
    ASSERT_TRUE(d);
    TypeInto(d->widthEdit, QStringLiteral("33"));
    PickComboItem(d->sumLists[0], d->sumLists[0]->findData(words));
    ASSERT_TRUE(commands.SaveFormat());
    const BoxId saved = d->EditedBox();
    EXPECT_GT(saved, 0);
    EXPECT_FALSE(format.Find(temp));
    ASSERT_TRUE(format.Find(saved));
    EXPECT_EQ(format.Find(saved)->caption, QStringLiteral("新加"));
    // The box lists know the saved box now, and still leave the edited one out.
    EXPECT_EQ(d->sumLists[0]->currentData().toInt(), words);
    EXPECT_EQ(d->sameAsList->findData(saved), -1);
    Click(d->okButton);
    EXPECT_FALSE(prompter.shown.contains(kGone));
    EXPECT_EQ(format.Find(saved)->rect.width(), 33);
    EXPECT_EQ(format.Find(saved)->sum1.target, words);
}

TEST_F(StaleDialogTest, OpeningAnotherBoxOfTheKindPointsTheOpenDialogAtIt)
{
    TextBoxDialog* d = EditCtl(nullptr, format, kAmount);
    ASSERT_TRUE(d);
    TypeInto(d->captionEdit, QStringLiteral("未保存的修改"));
    // The box it shows already: nothing is loaded again.
    EXPECT_EQ(EditCtl(nullptr, format, kAmount), d);
    EXPECT_EQ(d->captionEdit->text(), QStringLiteral("未保存的修改"));
    // Another box: loaded, the marks dropped.
    EXPECT_EQ(EditCtl(nullptr, format, kWords), d);
    EXPECT_EQ(d->captionEdit->text(), QStringLiteral("大写"));
    EXPECT_FALSE(d->HasChanges());
    Click(d->okButton);
    EXPECT_EQ(format.Find(kAmount)->caption, QStringLiteral("金额"));
    EXPECT_EQ(format.Find(kWords)->caption, QStringLiteral("大写"));
}

