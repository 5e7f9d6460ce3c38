#include "DialogTestSupport.h"

#include "workspace/dialogs/Dialogs.h"
#include "workspace/dialogs/SlipDialogs.h"

using namespace slip;
using namespace slip::test;

namespace {

const QString kRatio = QStringLiteral("单据的宽度与高度比例应为1：20到20：1之间！");

struct SlipSizeDialogTest : ::testing::Test {
    TestHome home;
    ScriptedPrompter prompter;
    SlipFormat format;
    std::unique_ptr<SlipSizeDialog> dialog;

    void SetUp() override { LoadSampleFormat(format); }

    SlipSizeDialog& Open()
    {
        dialog = std::make_unique<SlipSizeDialog>(format);
        ShowAndWait(dialog.get());
        return *dialog;
    }
    // Types a size and presses OK; true when the dialog closed.
    bool Try(const QString& w, const QString& h)
    {
        SlipSizeDialog& d = Open();
        TypeInto(d.widthEdit, w);
        TypeInto(d.heightEdit, h);
        prompter.shown.clear();
        Click(d.okButton);
        return !d.isVisible();
    }
};

} // namespace

TEST_F(SlipSizeDialogTest, ShowsTheSlipSize)
{
    SlipSizeDialog& d = Open();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("修改单据尺寸"));
    EXPECT_EQ(d.widthEdit->text(), QStringLiteral("210"));
    EXPECT_EQ(d.heightEdit->text(), QStringLiteral("100"));
}

TEST_F(SlipSizeDialogTest, RatioOfTwentyEitherWayIsTheLimit)
{
    EXPECT_TRUE(Try(QStringLiteral("200"), QStringLiteral("10")));
    EXPECT_EQ(format.Header().widthMm, 200);
    EXPECT_EQ(format.Header().heightMm, 10);
    EXPECT_TRUE(Try(QStringLiteral("10"), QStringLiteral("200")));
    EXPECT_EQ(format.Header().widthMm, 10);
    for (const auto& [w, h] : {std::pair{"210", "10"}, {"10", "210"}}) {
        EXPECT_FALSE(Try(QString::fromLatin1(w), QString::fromLatin1(h)));
        EXPECT_EQ(prompter.shown, QStringList{kRatio});
        EXPECT_EQ(format.Header().widthMm, 10);
        EXPECT_EQ(format.Header().heightMm, 200);
        // The operator's values stay in the fields.
        EXPECT_EQ(dialog->widthEdit->text(), QString::fromLatin1(w));
    }
}

TEST_F(SlipSizeDialogTest, SizesThatAreNoSizesAreRefused)
{
    const FormatHeader before = format.Header();
    for (const auto& [w, h, message] :
         {std::tuple{"abc", "100", "“单据宽度”必须是数字（单位：毫米）！"},
          std::tuple{"210", "0", "“单据高度”必须大于零！"},
          std::tuple{"-210", "-100", "“单据宽度”不能为负数！"},
          std::tuple{"6000", "1000", "“单据宽度”不能超过5000毫米！"},
          std::tuple{"", "100", "“单据宽度”必须是数字（单位：毫米）！"}}) {
        EXPECT_FALSE(Try(QString::fromLatin1(w), QString::fromLatin1(h))) << w << " " << h;
        EXPECT_EQ(prompter.shown, QStringList{QString::fromUtf8(message)});
        EXPECT_EQ(format.Header(), before);
    }
}

TEST_F(SlipSizeDialogTest, TheSizeAlreadySetChangesNothing)
{
    format.SetModified(false);
    QSignalSpy header(&format, &SlipFormat::headerChanged);
    EXPECT_TRUE(Try(QStringLiteral("210"), QStringLiteral("100mm")));
    EXPECT_FALSE(dialog->Changed());
    EXPECT_EQ(header.count(), 0);
    EXPECT_FALSE(format.IsModified());
}

TEST_F(SlipSizeDialogTest, BoxesKeepTheirPlaceOrComeBackOntoASmallerSlip)
{
    const Box words = *format.Find(kWords);  // 30..110 across, 40..48 down
    ASSERT_TRUE(Try(QStringLiteral("150"), QStringLiteral("60")));
    EXPECT_TRUE(dialog->Changed());
    EXPECT_EQ(format.Find(kWords)->rect, words.rect);
    // Beyond the new edges: brought back inside, size kept.
    EXPECT_EQ(format.Find(kAmount)->rect, QRectF(90, 40, 60, 8));
    EXPECT_EQ(format.Find(kBarcode)->rect, QRectF(90, 45, 60, 15));
    EXPECT_EQ(format.Find(kPhoto)->rect, QRectF(130, 40, 20, 20));
    EXPECT_EQ(format.Find(kLine1)->line, QLineF(10, 30, 150, 30));
    EXPECT_EQ(format.Find(kNote)->rect, QRectF(10, 54, 60, 6));
    for (const Box& b : format.Boxes()) {
        const QRectF r = b.Bounds();
        EXPECT_TRUE(r.left() >= 0 && r.top() >= 0 && r.right() <= 150 && r.bottom() <= 60) << b.id;
    }
}

TEST_F(SlipSizeDialogTest, EntryPointWaitsForTheOperator)
{
    WhenModalShown<SlipSizeDialog>([](SlipSizeDialog* d) {
        TypeInto(d->widthEdit, QStringLiteral("180"));
        Click(d->okButton);
    });
    EXPECT_TRUE(EditSlipSize(nullptr, format));
    EXPECT_EQ(format.Header().widthMm, 180);
    WhenModalShown<SlipSizeDialog>([](SlipSizeDialog* d) {
        TypeInto(d->widthEdit, QStringLiteral("120"));
        Click(d->cancelButton);
    });
    EXPECT_FALSE(EditSlipSize(nullptr, format));
    EXPECT_EQ(format.Header().widthMm, 180);
}
