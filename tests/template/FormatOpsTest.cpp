#include "TestHome.h"

#include "storage/Database.h"
#include "storage/Prompt.h"
#include "template/Background.h"
#include "template/FormatOps.h"
#include "template/SelFormat.h"
#include "template/SlipTemplate.h"

#include <QFile>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

using namespace slip;

namespace {

struct FakeHost : FormatHost {
    double fittedW = -1, fittedH = -1;
    int nameChanges = 0, dateFills = 0;
    QVector<int> options;
    QString listAnswer;
    void FitCanvas(double w, double h) override { fittedW = w; fittedH = h; }
    void FormatNameChanged() override { ++nameChanges; }
    void OptionClicked(int i) override { options << i; }
    void AutoFillDates() override { ++dateFills; }
    QString ShowFormatList() override { return listAnswer; }
    double CanvasWidthTwips() const override { return 12000; }
    double CanvasHeightTwips() const override { return 6000; }
};

struct World {
    test::TestHome home;
    QWidget canvas;
    SlipTemplate t{&canvas};
    FakeHost host;
    FormatOps ops{t, host};
    World()
    {
        canvas.resize(800, 400);
        t.SetCanvasMetrics(12000, 12000);
        t.state.width = "200";
        t.state.height = "100";
    }
    SlipBox* Add(int clas)
    {
        int row = 0;
        return t.CreateInputBox(clas, row);
    }
    int Records(const QString& name)
    {
        return OpenRecordset("SELECT ID FROM Fmt WHERE Fmt=?", {name}).RecordCount();
    }
};

} // namespace

TEST(FormatOps, SaveAddsBoxesAndHeaderThenKeepsBoxIdsAndRenewsHeader)
{
    World w;
    ScriptedPrompter prompts;
    w.t.state.name = "甲";
    for (int i = 0; i < 3; ++i) w.Add(kTextBox);
    ASSERT_TRUE(w.ops.SaveFormat());
    EXPECT_EQ(w.Records("甲"), 4);
    QStringList ids;
    for (int r = 2; r < 5; ++r) ids << w.t.table.TextMatrix(r, 0);
    const qint64 header1 = GetFieldWhere("Fmt", "Fmt=? AND LBL=?", {"甲", HeaderLabel()}, "ID").toLongLong();
    ASSERT_TRUE(w.ops.SaveFormat());
    QStringList again;
    for (int r = 2; r < 5; ++r) again << w.t.table.TextMatrix(r, 0);
    EXPECT_EQ(ids, again);
    const qint64 header2 = GetFieldWhere("Fmt", "Fmt=? AND LBL=?", {"甲", HeaderLabel()}, "ID").toLongLong();
    EXPECT_NE(header1, header2);
    EXPECT_EQ(w.Records("甲"), 4);

    // Deleting a box and saving removes its record.
    w.t.table.Row = w.t.table.RowSel = 3;
    w.t.DeleteInputBoxRows(false);
    ASSERT_TRUE(w.ops.SaveFormat());
    EXPECT_EQ(w.Records("甲"), 3);
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST(FormatOps, FailedSaveChangesNothingAndSaysSo)
{
    World w;
    ScriptedPrompter prompts;
    w.t.state.name = "甲";
    w.Add(kTextBox);
    ASSERT_TRUE(ExecuteSql("CREATE TRIGGER refuse BEFORE INSERT ON Fmt WHEN NEW.LBL = '【§单据整体格式参数§】'"
                           " BEGIN SELECT RAISE(ABORT, 'no'); END"));
    EXPECT_FALSE(w.ops.SaveFormat());
    EXPECT_EQ(w.Records("甲"), 0);
    EXPECT_EQ(w.t.table.TextMatrix(2, 0), "-1");
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].contains("保存失败"));
}

TEST(FormatOps, SwitchRoundTripLoadsHeaderBoxesDefaultsAndState)
{
    World w;
    w.t.state.name = "甲";
    w.t.state.offsetX = "12";
    w.t.state.options.o2 = {1, 0, 1, 0, 1};
    SlipBox* a = w.Add(kTextBox);
    w.t.table.SetTextMatrix(w.t.RowOf(a), BoxTable::ColLBL, "户名");
    w.t.ApplyRowToCtl(w.t.RowOf(a));
    ASSERT_TRUE(w.ops.SaveFormat());
    w.t.SetInputBoxValue(a, "张三");

    // Leaving stores the defaults of 甲; 乙 does not exist yet and loads empty.
    w.ops.ChooseFormat("乙", false);
    EXPECT_EQ(w.t.state.name, "乙");
    EXPECT_EQ(w.t.Count(kTextBox), 0);
    EXPECT_EQ(w.host.options, (QVector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(w.host.dateFills, 1);

    w.t.state.options.o2 = {0, 0, 0, 0, 0};
    w.ops.ChooseFormat("甲", false);
    ASSERT_EQ(w.t.Count(kTextBox), 1);
    SlipBox* back = w.t.GetControlByIndex(1);
    EXPECT_EQ(back->CaptionText(), "户名");
    EXPECT_EQ(w.t.GetInputBoxValue(back), "张三");
    EXPECT_EQ(w.t.state.offsetX, "12");
    EXPECT_EQ(w.t.state.options.o2, (std::array<int, 5>{1, 0, 1, 0, 1}));
    EXPECT_DOUBLE_EQ(w.host.fittedW, 200);
    std::array<int, 5> o2{};
    EXPECT_EQ(LoadCurrentFormatState(o2), "甲");
    EXPECT_EQ(o2[2], 1);

    // The same name without force does nothing; with force it loads again.
    w.host.options.clear();
    w.ops.ChooseFormat("甲", false);
    EXPECT_TRUE(w.host.options.isEmpty());
    w.ops.ChooseFormat("甲", true);
    EXPECT_EQ(w.host.options.size(), 5);
}

TEST(FormatOps, SaveAsCopiesUnderNewNameAndAsksBeforeOverwriting)
{
    World w;
    ScriptedPrompter prompts;
    w.t.state.name = "甲";
    w.Add(kTextBox);
    w.Add(kCheckBox);
    ASSERT_TRUE(w.ops.SaveFormat());
    QImage pic(20, 10, QImage::Format_RGB32);
    pic.fill(Qt::red);
    ASSERT_TRUE(pic.save(BackgroundPicturePath("甲"), "JPG"));
    const QString firstId = w.t.table.TextMatrix(2, 0);

    ASSERT_TRUE(w.ops.SaveFormatAs("乙"));
    EXPECT_EQ(w.t.state.name, "乙");
    EXPECT_TRUE(QFile::exists(BackgroundPicturePath("乙")));
    EXPECT_EQ(w.Records("甲"), 3);
    EXPECT_EQ(w.Records("乙"), 3);
    EXPECT_NE(w.t.table.TextMatrix(2, 0), firstId);

    // Onto an existing name: No changes nothing (no picture copied either).
    w.t.state.name = "乙";
    w.Add(kLabelBox);
    QFile::remove(BackgroundPicturePath("乙"));
    prompts.answers.push_back(PromptAnswer::No);
    EXPECT_FALSE(w.ops.SaveFormatAs("甲"));
    EXPECT_EQ(prompts.shown.last(), "该格式已经存在，是否覆盖？");
    EXPECT_EQ(w.Records("甲"), 3);
    EXPECT_EQ(w.t.state.name, "乙");
    // Yes replaces its boxes.
    EXPECT_TRUE(w.ops.SaveFormatAs("甲"));
    EXPECT_EQ(w.Records("甲"), 4);
}

TEST(FormatOps, DeleteRefusesTheOpenFormatAndRemovesHistoryAndMapping)
{
    World w;
    ScriptedPrompter prompts;
    w.t.state.name = "甲";
    ExecuteSql("INSERT INTO Fmt(Fmt, LBL) VALUES('乙', 'x')");
    ExecuteSql("INSERT INTO 历史(ID, Fmt, CID, Con) VALUES(1, '乙', 5, 'v')");
    ExecuteSql("INSERT INTO 映射(ID, Fmt, Map) VALUES(5, '乙', 'A')");
    ExecuteSql("INSERT INTO 默认(Fmt, ID, Con) VALUES('乙', 5, 'd')");
    EXPECT_FALSE(w.ops.DeleteFormat("甲"));
    EXPECT_EQ(prompts.shown.last(), "此格式为当前格式，不允许删除！");
    prompts.answers.push_back(PromptAnswer::No);
    EXPECT_FALSE(w.ops.DeleteFormat("乙"));
    EXPECT_EQ(prompts.shown.last(), "您确定要删除格式：“乙”？");
    EXPECT_EQ(w.Records("乙"), 1);
    EXPECT_TRUE(w.ops.DeleteFormat("乙"));
    EXPECT_EQ(prompts.shown.last(), "删除完成！");
    EXPECT_EQ(w.Records("乙"), 0);
    EXPECT_EQ(OpenRecordset("SELECT * FROM 历史").RecordCount(), 0);
    EXPECT_EQ(OpenRecordset("SELECT * FROM 映射").RecordCount(), 0);
    EXPECT_EQ(OpenRecordset("SELECT * FROM 默认").RecordCount(), 1);
    SelFormat::TestResponder() = [](SelFormat& d) { d.CancelClicked(); };
    EXPECT_FALSE(w.ops.DeleteFormat(""));
    SelFormat::TestResponder() = nullptr;
}

TEST(FormatOps, NewFormatChecksSizeAndKeepsTheOpenFormatWhenOverwriteIsDeclined)
{
    World w;
    ScriptedPrompter prompts;
    w.t.state.name = "甲";
    w.Add(kTextBox);
    ASSERT_TRUE(w.ops.SaveFormat());
    ExecuteSql("INSERT INTO Fmt(Fmt, LBL) VALUES('已有', 'x')");
    // 400 x 10 is refused, then 0 width, then -180 x -90, then 180 x 90 into an existing name: declined.
    prompts.inputs = {QString("已有"), QString("400"), QString("10"), QString("0"), QString("-180"),
                      QString("-90"), QString("180"), QString("90")};
    prompts.answers = {PromptAnswer::Ok, PromptAnswer::Ok, PromptAnswer::Ok, PromptAnswer::No};
    EXPECT_FALSE(w.ops.NewFormat());
    EXPECT_TRUE(prompts.shown.contains("单据的宽度与高度比例应为1：20到20：1之间,请重新输入！"));
    EXPECT_TRUE(prompts.shown.contains("单据宽度不能为零！"));
    EXPECT_EQ(w.t.Count(kTextBox), 1);
    EXPECT_EQ(w.t.state.name, "甲");

    prompts.inputs = {QString("新"), QString("20"), QString("400")};
    ASSERT_TRUE(w.ops.NewFormat());
    EXPECT_EQ(w.t.state.name, "新");
    EXPECT_EQ(w.t.Count(kTextBox), 0);
    EXPECT_EQ(w.t.state.width, "20");
    EXPECT_DOUBLE_EQ(w.host.fittedH, 400);
    EXPECT_EQ(w.Records("新"), 1);
    EXPECT_EQ(w.Records("甲"), 2);
}

TEST(FormatOps, PullBoxesInside)
{
    World w;
    SlipBox* a = w.Add(kTextBox);
    a->Left = 11500; a->Top = 100; a->Width = 1000; a->Height = 300;
    SlipBox* b = w.Add(kCheckBox);
    b->Left = -50; b->Top = -20; b->Width = 300; b->Height = 300;
    SlipBox* line = w.Add(kLineBox);
    line->X1 = 100; line->Y1 = 100; line->X2 = 13000; line->Y2 = 7000;
    w.ops.PullBoxesInside();
    EXPECT_EQ(a->Left, 11000);
    EXPECT_EQ(b->Left, 0);
    EXPECT_EQ(b->Top, 300);
    EXPECT_EQ(line->X1, 100);
    EXPECT_EQ(line->X2, 12000);
    EXPECT_EQ(line->Y2, 6000);
    EXPECT_EQ(w.t.table.TextMatrix(w.t.RowOf(a), BoxTable::ColX), "183.333");
}

TEST(Background, FileNameRuleReplaceAndClear)
{
    test::TestHome home;
    ScriptedPrompter prompts;
    EXPECT_TRUE(BackgroundPicturePath("A/B:C").endsWith("/A4B6C.jpg"));
    EXPECT_EQ(BackgroundPicturePath("A?"), BackgroundPicturePath("A1"));
    EXPECT_TRUE(BackgroundPicturePath("*?<>/\\:|\"").endsWith("/012345678.jpg"));

    QImage pic(40, 20, QImage::Format_RGB32);
    pic.fill(Qt::blue);
    const QString scan = home.file("scan.JPG");
    ASSERT_TRUE(pic.save(scan, "JPG"));
    QFile::copy(scan, home.file("scan.jpeg"));
    EXPECT_FALSE(ReplaceBackgroundPicture("甲", home.file("scan.jpeg")));
    EXPECT_TRUE(ReplaceBackgroundPicture("甲", scan));
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_FALSE(LoadBackgroundPicture("甲").isNull());
    prompts.answers.push_back(PromptAnswer::No);
    EXPECT_FALSE(ReplaceBackgroundPicture("甲", scan));
    EXPECT_EQ(prompts.shown.last(), "当前格式已有底图，是否要替换？");

    prompts.answers.push_back(PromptAnswer::Yes);
    EXPECT_TRUE(ClearBackgroundPicture("甲"));
    EXPECT_FALSE(QFile::exists(BackgroundPicturePath("甲")));
    prompts.answers.push_back(PromptAnswer::Yes);
    EXPECT_FALSE(ClearBackgroundPicture("甲"));
    EXPECT_EQ(prompts.shown.last(), "您确定要清除背景图？");

    const PreviewLayout p = ComputePreviewLayout(QSize(1000, 500), 3000, 2000);
    EXPECT_DOUBLE_EQ(p.imageHeight, 1500);
    EXPECT_FALSE(p.scrollEnabled);
    const PreviewLayout q = ComputePreviewLayout(QSize(1000, 500), 3000, 1000);
    EXPECT_TRUE(q.scrollEnabled);
    EXPECT_EQ(q.scrollMax, 15);
}
