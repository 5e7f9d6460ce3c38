#include "DialogTestSupport.h"

#include "workspace/dialogs/CaptionedBoxDialogs.h"

#include <QRadioButton>

using namespace slip;
using namespace slip::test;

namespace {

struct CaptionedDialogTest : ::testing::Test {
    TestHome home;
    ScriptedPrompter prompter;
    SlipFormat format;
    std::unique_ptr<CaptionedBoxDialog> dialog;

    void SetUp() override { LoadSampleFormat(format); }

    template <class Dialog>
    Dialog& Open(BoxId id)
    {
        auto* d = new Dialog(format);
        dialog.reset(d);
        EXPECT_TRUE(d->Target(id));
        ShowAndWait(d);
        return *d;
    }
    const Box& B(BoxId id) { return *format.Find(id); }
};

} // namespace

TEST_F(CaptionedDialogTest, CheckBoxCaptionSideReachesTheSelectedCheckBoxesOnly)
{
    format.SetSelection({kTransfer, kOther, kAmount});
    std::map<BoxId, Box> before;
    for (BoxId id : {kCash, kTransfer, kOther}) before[id] = B(id);
    const std::vector<Box> others = BoxesBut(format, {kCash, kTransfer, kOther});
    auto& d = Open<CheckBoxDialog>(kCash);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("修改可选框属性"));
    // A check box's size is not edited.
    EXPECT_EQ(d.widthEdit, nullptr);
    EXPECT_TRUE(d.sideButtons[1]->isChecked());
    Click(d.sideButtons[3]);
    EXPECT_EQ(d.captionSample->Side(), CaptionSide::Below);
    Click(d.okButton);
    for (BoxId id : {kCash, kTransfer, kOther}) {
        Box expected = before[id];
        expected.captionSide = CaptionSide::Below;
        EXPECT_EQ(B(id), expected) << id;
    }
    EXPECT_EQ(BoxesBut(format, {kCash, kTransfer, kOther}), others);
}

TEST_F(CaptionedDialogTest, CheckBoxCaptionAndPlace)
{
    auto& d = Open<CheckBoxDialog>(kOther);
    EXPECT_EQ(d.captionEdit->text(), QStringLiteral("其他"));
    EXPECT_EQ(d.xEdit->text(), QStringLiteral("80"));
    TypeInto(d.captionEdit, QStringLiteral("支票"));
    TypeInto(d.yEdit, QStringLiteral("85.5"));
    Click(d.okButton);
    EXPECT_EQ(B(kOther).caption, QStringLiteral("支票"));
    EXPECT_EQ(B(kOther).rect, QRectF(80, 85.5, 5, 5));
}

TEST_F(CaptionedDialogTest, PictureBoxCaptionChangeKeepsItsBarcode)
{
    auto& d = Open<PictureBoxDialog>(kBarcode);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("添加/修改图像框"));
    TypeInto(d.captionEdit, QStringLiteral("条形码"));
    Click(d.okButton);
    EXPECT_EQ(B(kBarcode).caption, QStringLiteral("条形码"));
    EXPECT_EQ(format.Value(kBarcode), QStringLiteral("6901234567892"));
}

TEST_F(CaptionedDialogTest, PictureBoxTakesItsNewSize)
{
    format.SetSelection({kPhoto});
    auto& d = Open<PictureBoxDialog>(kBarcode);
    TypeInto(d.widthEdit, QStringLiteral("40"));
    TypeInto(d.heightEdit, QStringLiteral("20"));
    Click(d.okButton);
    EXPECT_EQ(B(kBarcode).rect, QRectF(120, 60, 40, 20));
    EXPECT_EQ(B(kPhoto).rect, QRectF(185, 60, 40, 20));
}

TEST_F(CaptionedDialogTest, PictureBoxSizeBeyondTheSlipIsRefused)
{
    const std::vector<Box> before = format.Boxes();
    auto& d = Open<PictureBoxDialog>(kBarcode);
    TypeInto(d.heightEdit, QStringLiteral("150"));
    Click(d.okButton);
    EXPECT_EQ(prompter.shown, QStringList{QStringLiteral("“高”不能超过单据的高度（100毫米）！")});
    EXPECT_EQ(format.Boxes(), before);
}

TEST_F(CaptionedDialogTest, TypedCaptionKeepsItsSideOfTheSample)
{
    auto& d = Open<CheckBoxDialog>(kCash);
    const QRect box = d.captionSample->SampleBoxRect();
    TypeInto(d.captionEdit, QStringLiteral("现金支付方式"));
    EXPECT_EQ(d.captionSample->Caption(), QStringLiteral("现金支付方式"));
    EXPECT_LE(d.captionSample->CaptionRect().right(), box.left());
    Click(d.sideButtons[2]);
    EXPECT_GE(d.captionSample->CaptionRect().left(), box.right());
    Click(d.sideButtons[0]);
    EXPECT_LE(d.captionSample->CaptionRect().bottom(), box.top());
}

TEST_F(CaptionedDialogTest, FontReachesTheBox)
{
    auto& d = Open<CheckBoxDialog>(kCash);
    FontChoice f;
    f.name = QStringLiteral("宋体");
    f.size = 12;
    f.underline = true;
    f.color = 0xFF0000;  // blue as &HBBGGRR
    {
        ScriptedFont font(f);
        Click(d.fontButton);
    }
    Click(d.okButton);
    EXPECT_EQ(B(kCash).font, (BoxFont{QStringLiteral("宋体"), 12, false, false, true, false}));
    EXPECT_EQ(B(kCash).color, QColor(0, 0, 255));
}

TEST_F(CaptionedDialogTest, OkWithoutAnEditAndCancelWriteNothing)
{
    format.SetSelection({kTransfer, kPhoto});
    format.SetModified(false);
    const std::vector<Box> before = format.Boxes();
    Click(Open<CheckBoxDialog>(kCash).okButton);
    Click(Open<PictureBoxDialog>(kBarcode).okButton);
    auto& d = Open<PictureBoxDialog>(kBarcode);
    TypeInto(d.xEdit, QStringLiteral("1"));
    Click(d.sideButtons[0]);
    Click(d.cancelButton);
    EXPECT_EQ(format.Boxes(), before);
    EXPECT_FALSE(format.IsModified());
}
