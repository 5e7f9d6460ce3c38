#include "DialogTestSupport.h"

#include "workspace/dialogs/LineDialog.h"

#include <QComboBox>

using namespace slip;
using namespace slip::test;

namespace {

struct LineDialogTest : ::testing::Test {
    TestHome home;
    ScriptedPrompter prompter;
    SlipFormat format;
    std::unique_ptr<LineDialog> dialog;

    void SetUp() override { LoadSampleFormat(format); }

    LineDialog& Open(BoxId id)
    {
        dialog = std::make_unique<LineDialog>(format);
        EXPECT_TRUE(dialog->Target(id));
        ShowAndWait(dialog.get());
        return *dialog;
    }
    const Box& B(BoxId id) { return *format.Find(id); }
};

} // namespace

TEST_F(LineDialogTest, LoadsTheLine)
{
    LineDialog& d = Open(kLine2);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("线条属性修改"));
    EXPECT_EQ(d.widthEdit->text(), QStringLiteral("2"));
    EXPECT_EQ(d.startXEdit->text(), QStringLiteral("10"));
    EXPECT_EQ(d.startYEdit->text(), QStringLiteral("50"));
    EXPECT_EQ(d.endXEdit->text(), QStringLiteral("200"));
    EXPECT_EQ(d.endYEdit->text(), QStringLiteral("50"));
    EXPECT_EQ(d.styleList->currentText(), QStringLiteral("2 - 虚线"));
    EXPECT_EQ(d.sample->Color(), QColor(Qt::red));
    EXPECT_EQ(d.sample->Style(), 2);
    EXPECT_EQ(d.sample->LineWidth(), 2);
    // Only boxes of its kind: a label is no line.
    EXPECT_FALSE(d.Target(kTitle));
    EXPECT_EQ(d.EditedBox(), kLine2);
}

TEST_F(LineDialogTest, WidthChangedOnOneLineReachesTheSelectedLinesOnly)
{
    format.SetSelection({kLine2, kLine3, kTitle});
    std::map<BoxId, Box> before;
    for (BoxId id : {kLine1, kLine2, kLine3}) before[id] = B(id);
    const std::vector<Box> others = BoxesBut(format, {kLine1, kLine2, kLine3});
    LineDialog& d = Open(kLine1);
    TypeInto(d.widthEdit, QStringLiteral("3"));
    EXPECT_EQ(d.sample->LineWidth(), 3);
    Click(d.okButton);
    for (BoxId id : {kLine1, kLine2, kLine3}) {
        Box expected = before[id];
        expected.lineWidth = 3;
        EXPECT_EQ(B(id), expected) << id;
    }
    EXPECT_EQ(BoxesBut(format, {kLine1, kLine2, kLine3}), others);
}

TEST_F(LineDialogTest, AStyleNoItemStandsForIsKeptUnlessOneIsChosen)
{
    LineDialog& d = Open(kLine3);
    EXPECT_EQ(d.styleList->currentIndex(), -1);
    TypeInto(d.endXEdit, QStringLiteral("150"));
    Click(d.okButton);
    EXPECT_EQ(B(kLine3).lineStyle, 7);
    EXPECT_EQ(B(kLine3).line.x2(), 150);

    LineDialog& again = Open(kLine3);
    PickComboItem(again.styleList, 3);
    EXPECT_EQ(again.sample->Style(), 4);
    Click(again.okButton);
    EXPECT_EQ(B(kLine3).lineStyle, 4);
}

TEST_F(LineDialogTest, PointsAreNumbersWithinTheSlip)
{
    LineDialog& d = Open(kLine1);
    TypeInto(d.startXEdit, QStringLiteral("2mm"));
    TypeInto(d.endYEdit, QStringLiteral("33.25"));
    Click(d.okButton);
    EXPECT_EQ(B(kLine1).line, QLineF(2, 30, 200, 33.25));

    const std::vector<Box> before = format.Boxes();
    LineDialog& bad = Open(kLine1);
    for (const auto& [edit, typed, message] :
         {std::tuple{bad.startXEdit, "abc", "“起点X”必须是数字（单位：毫米）！"},
          std::tuple{bad.endXEdit, "211", "“终点X”不能超过单据的宽度（210毫米）！"},
          std::tuple{bad.startYEdit, "-1", "“起点Y”不能为负数！"},
          std::tuple{bad.widthEdit, "0", "“粗细”必须大于零！"},
          std::tuple{bad.widthEdit, "101", "“粗细”不能超过100！"}}) {
        const QString original = edit->text();
        TypeInto(edit, QString::fromLatin1(typed));
        prompter.shown.clear();
        Click(bad.okButton);
        EXPECT_EQ(prompter.shown, QStringList{QString::fromUtf8(message)}) << typed;
        EXPECT_TRUE(bad.isVisible());
        TypeInto(edit, original);
    }
    EXPECT_EQ(format.Boxes(), before);
}

TEST_F(LineDialogTest, ColourIsChosenForTheLine)
{
    format.SetSelection({kLine2});
    LineDialog& d = Open(kLine1);
    {
        // A cancelled colour dialog is no edit.
        ScriptedColor colour(std::nullopt);
        Click(d.colorButton);
        ASSERT_EQ(colour.presets.size(), 1u);
        EXPECT_EQ(colour.presets[0], QColor(Qt::black));
    }
    EXPECT_FALSE(d.HasChanges());
    {
        ScriptedColor colour(QColor(0, 128, 0));
        Click(d.colorButton);
    }
    EXPECT_EQ(d.sample->Color(), QColor(0, 128, 0));
    Click(d.okButton);
    EXPECT_EQ(B(kLine1).color, QColor(0, 128, 0));
    EXPECT_EQ(B(kLine2).color, QColor(0, 128, 0));
    EXPECT_EQ(B(kLine2).lineWidth, 2);
}

TEST_F(LineDialogTest, CancelWritesNothing)
{
    format.SetModified(false);
    const std::vector<Box> before = format.Boxes();
    LineDialog& d = Open(kLine1);
    TypeInto(d.widthEdit, QStringLiteral("5"));
    PickComboItem(d.styleList, 1);
    Click(d.cancelButton);
    EXPECT_EQ(format.Boxes(), before);
    EXPECT_FALSE(format.IsModified());
}
