#include "DialogTestSupport.h"

#include "workspace/dialogs/Dialogs.h"
#include "workspace/dialogs/SlipDialogs.h"

#include <QLabel>

using namespace slip;
using namespace slip::test;

namespace {

struct PrintMarginDialogTest : ::testing::Test {
    TestHome home;
    ScriptedPrompter prompter;
    SlipFormat format;
    std::unique_ptr<PrintMarginDialog> dialog;

    void SetUp() override { LoadSampleFormat(format); }

    PrintMarginDialog& Open()
    {
        dialog = std::make_unique<PrintMarginDialog>(format);
        ShowAndWait(dialog.get());
        return *dialog;
    }
};

} // namespace

TEST_F(PrintMarginDialogTest, ShowsTheOffsetsAndTheInstructions)
{
    format.SetPrintOffsets(12.5, 8);
    PrintMarginDialog& d = Open();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("输入打印页边距"));
    EXPECT_EQ(d.xEdit->text(), QStringLiteral("12.5"));
    EXPECT_EQ(d.yEdit->text(), QStringLiteral("8"));
    EXPECT_EQ(d.xEdit->toolTip(), QStringLiteral("横向打印页边距。"));
    EXPECT_TRUE(d.windowFlags() & Qt::WindowStaysOnTopHint);
    QStringList texts;
    for (QLabel* l : d.findChildren<QLabel*>()) texts << l->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("向左移")));
    EXPECT_TRUE(texts.contains(QStringLiteral("毫米（纵向边距）")));
    EXPECT_TRUE(texts.join(QString()).contains(QStringLiteral("如需向反方向移动，请填写负数。")));
}

TEST_F(PrintMarginDialogTest, NegativeFractionsReachTheFormat)
{
    PrintMarginDialog& d = Open();
    TypeInto(d.xEdit, QStringLiteral("-1.5"));
    TypeInto(d.yEdit, QStringLiteral("10.250"));
    Click(d.okButton);
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(d.Changed());
    EXPECT_EQ(format.Header().offsetXMm, -1.5);
    EXPECT_EQ(format.Header().offsetYMm, 10.25);
}

TEST_F(PrintMarginDialogTest, OffsetsThatAreNoNumbersAreRefusedNotTakenForZero)
{
    // 0 would shift the print by 10 mm: letters must not become 0.
    for (const auto& [x, y, message] :
         {std::tuple{"abc", "10", "“横向边距”必须是数字（单位：毫米）！"},
          std::tuple{"10", "", "“纵向边距”必须是数字（单位：毫米）！"},
          std::tuple{"-300", "10", "“横向边距”不能超过单据的宽度（210毫米）！"},
          std::tuple{"10", "101", "“纵向边距”不能超过单据的高度（100毫米）！"}}) {
        PrintMarginDialog& d = Open();
        TypeInto(d.xEdit, QString::fromLatin1(x));
        TypeInto(d.yEdit, QString::fromLatin1(y));
        prompter.shown.clear();
        Click(d.okButton);
        EXPECT_EQ(prompter.shown, QStringList{QString::fromUtf8(message)});
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(format.Header().offsetXMm, 10);
        EXPECT_EQ(format.Header().offsetYMm, 10);
    }
}

TEST_F(PrintMarginDialogTest, CancelAndUnchangedValuesLeaveTheFormatUnchanged)
{
    format.SetModified(false);
    PrintMarginDialog& d = Open();
    TypeInto(d.xEdit, QStringLiteral("3"));
    Click(d.cancelButton);
    PrintMarginDialog& again = Open();
    Click(again.okButton);
    EXPECT_FALSE(again.Changed());
    EXPECT_FALSE(format.IsModified());
    EXPECT_EQ(format.Header().offsetXMm, 10);
}

TEST_F(PrintMarginDialogTest, EntryPointWaitsForTheOperator)
{
    WhenModalShown<PrintMarginDialog>([](PrintMarginDialog* d) {
        TypeInto(d->yEdit, QStringLiteral("7.5"));
        Click(d->okButton);
    });
    EXPECT_TRUE(EditPrintMargins(nullptr, format));
    EXPECT_EQ(format.Header().offsetYMm, 7.5);
    SlipFormat closed;
    EXPECT_FALSE(EditPrintMargins(nullptr, closed));
}
