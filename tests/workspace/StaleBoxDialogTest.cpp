// A property dialog stays open while the operator goes on working: the box it
// edits may be deleted, the format reloaded or switched, or saved (which
// renames unsaved boxes). OK must never write into another box.
#include "DialogTestSupport.h"

#include "storage/FormatStore.h"
#include "workspace/FormatCommands.h"
#include "workspace/dialogs/BoxTracker.h"
#include "workspace/dialogs/CaptionedBoxDialogs.h"
#include "workspace/dialogs/Dialogs.h"
#include "workspace/dialogs/LabelDialog.h"
#include "workspace/dialogs/LineDialog.h"
#include "workspace/dialogs/TextBoxDialog.h"

#include <QComboBox>
#include <QPointer>
#include <QSignalSpy>

using namespace slip;
using namespace slip::test;

namespace {

const QString kGone = QStringLiteral("正在修改的内容框已不存在（已被删除，或格式已重新载入），修改没有保存！");

class QuietHost : public FormatHost {
public:
    void FormatOpened() override {}
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
    // Stores the sample format and opens it from the database.
    void OpenStoredSample()
    {
        ASSERT_TRUE(commands.SaveFormat());
        ASSERT_TRUE(commands.ChooseFormat(format.Name(), true));
        QTest::qWait(1);
    }
    BoxId IdOfCaption(const QString& caption)
    {
        for (const Box& b : format.Boxes())
            if (b.caption == caption) return b.id;
        return 0;
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

TEST_F(StaleDialogTest, ClosingAfterTheBoxWasDeletedIsQuiet)
{
    LineDialog* d = ProLine(nullptr, format, kLine2);
    ASSERT_TRUE(d);
    format.RemoveBoxes({kLine2});
    Click(d->cancelButton);
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(StaleDialogTest, ReloadedFormatIsNotWrittenThroughAnOldDialog)
{
    OpenStoredSample();
    const BoxId words = IdOfCaption(QStringLiteral("大写"));
    TextBoxDialog* d = EditCtl(nullptr, format, words);
    ASSERT_TRUE(d);
    TypeInto(d->captionEdit, QStringLiteral("改过"));
    // The same format is opened again: the box of that record is back, but
    // the dialog's edits belong to the copy that was thrown away.
    ASSERT_TRUE(commands.ChooseFormat(format.Name(), true));
    ASSERT_TRUE(format.Find(words));
    const std::vector<Box> before = format.Boxes();
    Click(d->okButton);
    EXPECT_TRUE(prompter.shown.contains(kGone));
    EXPECT_EQ(format.Boxes(), before);
}

TEST_F(StaleDialogTest, SwitchedFormatWithTheSameIdsIsNotWritten)
{
    LabelDialog* d = ProLBL(nullptr, format, kNote);
    ASSERT_TRUE(d);
    TypeInto(d->textEdit, QStringLiteral("改过"));
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
    OpenStoredSample();
    const BoxId words = IdOfCaption(QStringLiteral("大写"));
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

TEST_F(StaleDialogTest, SaveAsRenamingEveryBoxIsFollowed)
{
    OpenStoredSample();
    const BoxId amount = IdOfCaption(QStringLiteral("金额"));
    const BoxId date = IdOfCaption(QStringLiteral("日期"));
    TextBoxDialog* d = EditCtl(nullptr, format, amount);
    ASSERT_TRUE(d);
    PickComboItem(d->relatedList, d->relatedList->findData(date));
    ASSERT_TRUE(commands.SaveFormatAs(QStringLiteral("进账单副本")));
    const BoxId newAmount = IdOfCaption(QStringLiteral("金额"));
    const BoxId newDate = IdOfCaption(QStringLiteral("日期"));
    ASSERT_NE(newAmount, amount);
    EXPECT_EQ(d->EditedBox(), newAmount);
    EXPECT_EQ(d->relatedList->currentData().toInt(), newDate);
    Click(d->okButton);
    EXPECT_EQ(format.Find(newAmount)->relation, (Relation{RelationKind::Related, newDate}));
}

TEST_F(StaleDialogTest, OtherBoxesComingAndGoingLeaveTheDialogWorking)
{
    TextBoxDialog* d = EditCtl(nullptr, format, kAmount);
    ASSERT_TRUE(d);
    PickComboItem(d->sumLists[0], d->sumLists[0]->findData(kDate));
    PickComboItem(d->sumLists[1], d->sumLists[1]->findData(kWords));
    format.RemoveBoxes({kWords, kLine1});
    format.AddBox(NewBoxOfKind(BoxKind::Check, {1, 1}));
    // A target that was deleted is no target any more.
    EXPECT_EQ(d->sumLists[1]->currentIndex(), 0);
    EXPECT_EQ(d->sumLists[0]->currentData().toInt(), kDate);
    Click(d->okButton);
    EXPECT_EQ(format.Find(kAmount)->sum1.target, kDate);
    EXPECT_FALSE(format.Find(kAmount)->sum2.IsSet());
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

TEST_F(StaleDialogTest, AClosedDialogIsNeverHandedOutAgain)
{
    QPointer<LabelDialog> first = ProLBL(nullptr, format, kNote);
    ASSERT_TRUE(first);
    Click(first->cancelButton);
    // Opened again before the closed one is deleted: a new dialog.
    QPointer<LabelDialog> second = ProLBL(nullptr, format, kTitle);
    ASSERT_TRUE(second);
    EXPECT_NE(first.data(), second.data());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    ASSERT_FALSE(second.isNull());
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->EditedBox(), kTitle);
}

TEST_F(StaleDialogTest, EachKindOpensItsOwnDialog)
{
    struct Expected {
        BoxId id;
        const char* caption;
    };
    for (const Expected& e : {Expected{kAmount, "添加/修改控件"}, Expected{kCash, "修改可选框属性"},
                              Expected{kBarcode, "添加/修改图像框"}, Expected{kLine1, "线条属性修改"},
                              Expected{kTitle, "标签属性修改"}}) {
        BoxPropertiesDialog* d = OpenBoxProperties(nullptr, format, e.id);
        ASSERT_TRUE(d) << e.caption;
        EXPECT_EQ(d->windowTitle(), QString::fromUtf8(e.caption));
        EXPECT_EQ(d->EditedBox(), e.id);
        EXPECT_TRUE(d->isVisible());
        EXPECT_FALSE(d->isModal());
    }
    EXPECT_EQ(OpenBoxProperties(nullptr, format, 999), nullptr);
    EXPECT_EQ(ProLine(nullptr, format, kTitle), nullptr);
}

TEST_F(StaleDialogTest, TrackerFollowsRenamesAndLosesTheBoxOnReload)
{
    BoxTracker tracker(format, kUnsavedText);
    QSignalSpy renamed(&tracker, &BoxTracker::renamed);
    QSignalSpy lost(&tracker, &BoxTracker::lost);
    format.ApplySavedIds({{kUnsavedText, 500}, {kAmount, 501}});
    EXPECT_EQ(tracker.Id(), 500);
    ASSERT_EQ(renamed.count(), 1);
    format.AddBox(NewBoxOfKind(BoxKind::Label, {1, 1}));
    EXPECT_EQ(tracker.Id(), 500);
    EXPECT_EQ(tracker.Current()->caption, QStringLiteral("新框"));
    QTest::qWait(1);
    format.SetModified(false);
    FormatHeader h = format.Header();
    format.Load(h, std::vector<Box>(format.Boxes()));
    EXPECT_TRUE(tracker.Lost());
    EXPECT_EQ(tracker.Id(), 0);
    EXPECT_EQ(tracker.Current(), nullptr);
    EXPECT_EQ(lost.count(), 1);
}

TEST_F(StaleDialogTest, SlipSizeChangeIsNoReload)
{
    BoxTracker tracker(format, kAmount);
    format.SetSlipSize(150, 80);
    format.RemoveBoxes({kWords});
    EXPECT_FALSE(tracker.Lost());
    EXPECT_EQ(tracker.Id(), kAmount);
}
