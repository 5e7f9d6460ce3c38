#include "DialogTestSupport.h"

#include "workspace/dialogs/LabelDialog.h"

#include <QRadioButton>

using namespace slip;
using namespace slip::test;

namespace {

struct LabelDialogTest : ::testing::Test {
    TestHome home;
    ScriptedPrompter prompter;
    SlipFormat format;
    std::unique_ptr<LabelDialog> dialog;

    void SetUp() override { LoadSampleFormat(format); }

    LabelDialog& Open(BoxId id)
    {
        dialog = std::make_unique<LabelDialog>(format);
        EXPECT_TRUE(dialog->Target(id));
        ShowAndWait(dialog.get());
        return *dialog;
    }
    const Box& B(BoxId id) { return *format.Find(id); }
};

} // namespace

TEST_F(LabelDialogTest, NegativeSpacingAndCentreLoadAndSurviveAnAlignmentChange)
{
    LabelDialog& d = Open(kTitle);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("标签属性修改"));
    EXPECT_EQ(d.textEdit->text(), QStringLiteral("银行进账单"));
    EXPECT_EQ(d.lineSpacingEdit->text(), QStringLiteral("-1.5"));
    EXPECT_TRUE(d.alignButtons[2]->isChecked());
    EXPECT_EQ(d.fontSample->text(), QStringLiteral("Quillmere"));
    EXPECT_EQ(d.fontSample->font().family(), QFont(QStringLiteral("黑体")).family());
    Box expected = B(kTitle);
    Click(d.alignButtons[0]);
    Click(d.okButton);
    expected.align = TextAlign::Left;
    EXPECT_EQ(B(kTitle), expected);
    EXPECT_EQ(B(kTitle).lineSpacingMm, -1.5);
}

TEST_F(LabelDialogTest, TextAndFontReachTheSelectedLabels)
{
    format.SetSelection({kNote, kAmount});
    const Box amount = B(kAmount);
    Box title = B(kTitle), note = B(kNote);
    LabelDialog& d = Open(kTitle);
    TypeInto(d.textEdit, QStringLiteral("中国银行进账单"));
    FontChoice f;
    f.name = QStringLiteral("楷体");
    f.size = 12;
    f.italic = true;
    {
        ScriptedFont font(f);
        Click(d.fontButton);
        ASSERT_EQ(font.presets.size(), 1u);
        EXPECT_EQ(font.presets[0].size, 16);
        EXPECT_TRUE(font.presets[0].bold);
    }
    Click(d.okButton);
    for (Box* b : {&title, &note}) {
        b->caption = QStringLiteral("中国银行进账单");
        b->font = {QStringLiteral("楷体"), 12, false, true, false, false};
        b->color = Qt::black;
        EXPECT_EQ(B(b->id), *b);
    }
    EXPECT_EQ(B(kAmount), amount);
}

TEST_F(LabelDialogTest, PlaceAndSizeAreChecked)
{
    LabelDialog& d = Open(kNote);
    TypeInto(d.xEdit, QStringLiteral("2mm"));
    TypeInto(d.widthEdit, QStringLiteral("abc"));
    Click(d.okButton);
    EXPECT_EQ(prompter.shown, QStringList{QStringLiteral("“宽”必须是数字（单位：毫米）！")});
    EXPECT_EQ(B(kNote).rect, QRectF(10, 90, 60, 6));
    TypeInto(d.widthEdit, QStringLiteral("80"));
    TypeInto(d.charSpacingEdit, QStringLiteral("0.75"));
    Click(d.okButton);
    EXPECT_EQ(B(kNote).rect, QRectF(2, 90, 80, 6));
    EXPECT_EQ(B(kNote).charSpacingMm, 0.75);
}

TEST_F(LabelDialogTest, OkWithoutAnEditAndCancelWriteNothing)
{
    format.SetSelection({kNote});
    format.SetModified(false);
    const std::vector<Box> before = format.Boxes();
    Click(Open(kTitle).okButton);
    LabelDialog& d = Open(kTitle);
    TypeInto(d.heightEdit, QStringLiteral("20"));
    Click(d.cancelButton);
    EXPECT_EQ(format.Boxes(), before);
    EXPECT_FALSE(format.IsModified());
}
