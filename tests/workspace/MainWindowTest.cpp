#include "TestHome.h"

#include "storage/Database.h"
#include "storage/DataGrid.h"
#include "storage/FileDialogs.h"
#include "storage/GridModel.h"
#include "storage/GridView.h"
#include "storage/Prompt.h"
#include "template/FormatList.h"
#include "template/FormatRecords.h"
#include "template/SlipTemplate.h"
#include "workspace/FmtList.h"
#include "workspace/MainWindow.h"
#include "workspace/SlipCanvas.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <gtest/gtest.h>
#include <memory>

using namespace slip;

namespace {

// Stores a format of the given size with `boxes` text boxes through a window.
void MakeFormat(const QString& name, int boxes, const QString& w = "200", const QString& h = "100")
{
    MainWindow mw;
    mw.resize(1200, 800);
    mw.show();
    mw.Template().state.name = name;
    mw.Template().state.width = w;
    mw.Template().state.height = h;
    mw.FitCanvas(w.toDouble(), h.toDouble());
    for (int i = 0; i < boxes; ++i) {
        int row = 0;
        SlipBox* b = mw.Template().CreateInputBox(kTextBox, row);
        b->Left = 300 + i * 100;
        b->Top = 300 + i * 400;
        mw.Template().SaveCtlToRow(b);
    }
    ASSERT_TRUE(mw.Ops().SaveFormat(name));
    ASSERT_EQ(OpenRecordset("SELECT ID FROM Fmt WHERE Fmt=?", {name}).RecordCount(), boxes + 1);
}

struct ListAnswer {
    explicit ListAnswer(std::function<void(FmtList&)> f) { FmtList::TestResponder() = std::move(f); }
    ~ListAnswer() { FmtList::TestResponder() = nullptr; }
};

} // namespace

TEST(MainWindow, FirstStartOffersTheListAndStaysUsableWhenCancelled)
{
    test::TestHome home;
    int shown = 0;
    ListAnswer answer([&](FmtList& l) {
        ++shown;
        EXPECT_EQ(l.MSF->Rows(), 2);  // no formats yet
        l.reject();
    });
    MainWindow mw;
    mw.Start();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(mw.Template().state.name, "");
    EXPECT_EQ(mw.Template().Count(kTextBox), 0);
    EXPECT_TRUE(mw.isVisible());
    EXPECT_EQ(mw.windowTitle(), ProgramCaption());
    for (QAction* a : mw.formatActions) EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    for (QWidget* w : mw.formatButtons) EXPECT_FALSE(w->isEnabled());
    mw.close();
}

TEST(MainWindow, StartsOnTheRememberedFormatAndClosingStoresDefaultsAndState)
{
    test::TestHome home;
    MakeFormat("进账单", 3);
    ASSERT_TRUE(SaveCurrentFormatState("进账单", {1, 0, 1, 0, 0}));
    {
        MainWindow mw;
        mw.Start();
        EXPECT_EQ(mw.Template().state.name, "进账单");
        EXPECT_EQ(mw.LFMT[0]->text(), "进账单");
        EXPECT_EQ(mw.Template().Count(kTextBox), 3);
        for (QAction* a : mw.formatActions) EXPECT_TRUE(a->isEnabled());
        // The format's own options win over the state record's.
        EXPECT_FALSE(mw.O2[2]->isChecked());
        mw.O2[2]->setChecked(true);
        EXPECT_FALSE(mw.mCtlSame->isEnabled());  // locked format
        mw.O2[2]->setChecked(false);
        EXPECT_TRUE(mw.mCtlSame->isEnabled());
        mw.O2[1]->setChecked(true);
        mw.Template().SetInputBoxValue(mw.Template().GetControlByIndex(2), "壹佰元");
        mw.close();
    }
    std::array<int, 5> o2{};
    EXPECT_EQ(LoadCurrentFormatState(o2), "进账单");
    EXPECT_EQ(o2[1], 1);
    MainWindow again;
    again.Start();
    EXPECT_EQ(again.Template().GetInputBoxValue(again.Template().GetControlByIndex(2)), "壹佰元");
    again.close();
}

TEST(MainWindow, ARememberedFormatThatNoLongerExistsOpensTheList)
{
    test::TestHome home;
    MakeFormat("甲", 1);
    ASSERT_TRUE(SaveCurrentFormatState("已删除", {0, 0, 0, 0, 0}));
    ListAnswer answer([](FmtList& l) {
        ASSERT_EQ(l.MSF->Rows(), 3);
        l.view->selectRow(0);
        l.MSF->Row = 2;
        l.COM_Click(0);
    });
    MainWindow mw;
    mw.Start();
    EXPECT_EQ(mw.Template().state.name, "甲");
    mw.close();
}

TEST(MainWindow, CanvasFitsTheSlipAndZoomKeepsMillimetres)
{
    test::TestHome home;
    MakeFormat("甲", 2, "100", "200");
    SaveCurrentFormatState("甲", {1, 0, 0, 0, 0});
    MainWindow mw;
    mw.resize(1200, 800);
    mw.Start();
    const double frameW = mw.FrameWidthTwips();
    EXPECT_DOUBLE_EQ(mw.Fit().width, frameW);
    EXPECT_DOUBLE_EQ(mw.Fit().height, frameW * 2);
    EXPECT_TRUE(mw.Fit().vScrollEnabled);
    mw.O2[0]->setChecked(true);
    EXPECT_TRUE(mw.Canvas()->showRulers);
    SlipTemplate& t = mw.Template();
    SlipBox* b = t.GetControlByIndex(1);
    const QString x = t.table.TextMatrix(t.RowOf(b), BoxTable::ColX);
    const int left = b->Left;
    t.SetInputBoxValue(b, "甲//乙");
    mw.Zm_Click(0);
    EXPECT_NEAR(mw.Fit().width, frameW * 1.1, 1e-6);
    b = t.GetControlByIndex(1);
    EXPECT_NEAR(b->Left, left * 1.1, 1.0);
    EXPECT_EQ(t.GetInputBoxValue(b), "甲\r\n乙");
    EXPECT_NEAR(t.Zoom(), 1.1, 1e-9);
    mw.Zm_Click(1);
    mw.Zm_Click(2);
    EXPECT_NEAR(mw.Fit().width, frameW, 1e-6);
    b = t.GetControlByIndex(1);
    // Zooming never writes the rows; a box written back lands within a twip.
    EXPECT_EQ(t.table.TextMatrix(t.RowOf(b), BoxTable::ColX), x);
    t.SaveCtlToRow(b);
    EXPECT_NEAR(t.table.NumberAt(t.RowOf(b), BoxTable::ColX), x.toDouble(), 1.0 / t.TwipsPerMm());
    mw.close();
}

TEST(FormatList, ListsFormatsTicksTheCurrentOneAndRefusesToDeleteIt)
{
    test::TestHome home;
    MakeFormat("乙", 1);
    MakeFormat("甲", 1);
    GridModel g;
    LoadFormatList(g, "甲");
    ASSERT_EQ(g.Rows(), 4);
    EXPECT_EQ(g.TextMatrix(2, kFormatListNameColumn), "乙");
    EXPECT_EQ(g.TextMatrix(3, kFormatListNameColumn), "甲");
    EXPECT_EQ(g.TextMatrix(3, kFormatListTickColumn), "√");
    EXPECT_EQ(g.TextMatrix(2, kFormatListTickColumn), "");
    EXPECT_EQ(g.Row, 3);
    EXPECT_EQ(g.CellForeColor(3, 4), 0x0000FF);
    EXPECT_EQ(g.TextMatrix(3, 4), "200");

    ScriptedPrompter prompts;
    MainWindow mw;
    mw.Template().state.name = "甲";
    ListAnswer answer([&](FmtList& l) {
        l.COM_Click(4);  // the current format
        EXPECT_EQ(prompts.shown.last(), "此格式为当前格式，不允许删除！");
        EXPECT_EQ(l.MSF->Rows(), 4);
        l.MSF->Row = 2;
        l.RowChanged();
        EXPECT_EQ(l.MSF->TextMatrix(2, kFormatListTickColumn), "√");
        EXPECT_EQ(l.MSF->TextMatrix(3, kFormatListTickColumn), "");
        l.COM_Click(4);  // 乙, answered Yes
        EXPECT_EQ(l.MSF->Rows(), 3);
        l.COM_Click(1);
    });
    EXPECT_EQ(mw.ShowFormatList(), "甲");
    EXPECT_FALSE(FormatOps::FormatExists("乙"));
}

TEST(MainWindow, BackgroundPictureIsReplacedAndClearedFromTheSlip)
{
    test::TestHome home;
    MakeFormat("甲", 1);
    SaveCurrentFormatState("甲", {0, 0, 0, 0, 1});
    MainWindow mw;
    mw.Start();
    mw.O2[4]->setChecked(true);
    EXPECT_FALSE(mw.Canvas()->BackgroundShown());
    QImage pic(50, 25, QImage::Format_RGB32);
    pic.fill(Qt::yellow);
    ASSERT_TRUE(pic.save(home.file("底图.jpg"), "JPG"));
    ScriptedFileDialog files;
    files.answers.push_back(home.file("底图.jpg"));
    mw.ReplaceBackground();
    EXPECT_TRUE(mw.Canvas()->BackgroundShown());
    SlipBox* b = mw.Template().GetControlByIndex(1);
    EXPECT_FALSE(b->CaptionLabel->isVisibleTo(mw.Canvas()));  // captions hide behind the picture
    ScriptedPrompter prompts;
    prompts.answers.push_back(PromptAnswer::Yes);
    mw.ClearBackground();
    EXPECT_FALSE(mw.Canvas()->BackgroundShown());
    EXPECT_TRUE(b->CaptionLabel->isVisibleTo(mw.Canvas()));
    mw.close();
}
