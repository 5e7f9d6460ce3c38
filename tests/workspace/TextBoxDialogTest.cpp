#include "DialogTestSupport.h"

#include "storage/Params.h"
#include "workspace/dialogs/TextBoxDialog.h"

#include <QLabel>

using namespace slip;
using namespace slip::test;

namespace {

struct TextDialogTest : ::testing::Test {
    TestHome home;
    ScriptedPrompter prompter;
    SlipFormat format;
    std::unique_ptr<TextBoxDialog> dialog;

    void SetUp() override { LoadSampleFormat(format); }

    TextBoxDialog& Open(BoxId id)
    {
        dialog = std::make_unique<TextBoxDialog>(format);
        EXPECT_TRUE(dialog->Target(id));
        ShowAndWait(dialog.get());
        return *dialog;
    }
    const Box& B(BoxId id) { return *format.Find(id); }
};

int ItemIndex(int code) { return DataTypeItemIndex(code); }

} // namespace

TEST_F(TextDialogTest, LoadsTheBoxItsTypeLinksAndSums)
{
    std::vector<Box> boxes = format.Boxes();
    for (Box& b : boxes)
        if (b.id == kWords) {
            b.dataType = DataType::FromStored(114.08);
            b.sum1 = {kAmount, SumOp::Multiply, true};
            b.relation = {RelationKind::Related, kDate};
            b.rect = QRectF(11.943127962, 91.00000000000001, 60.0625, 8);  // as stored, not yet kept to thousandths
        }
    format.Load(format.Header(), boxes);
    TextBoxDialog& d = Open(kWords);
    EXPECT_EQ(d.xEdit->text(), QStringLiteral("11.943"));  // millimetres to three decimals
    EXPECT_EQ(d.yEdit->text(), QStringLiteral("91"));
    EXPECT_EQ(d.widthEdit->text(), QStringLiteral("60.062"));
    EXPECT_EQ(d.windowTitle(), QStringLiteral("添加/修改控件"));
    EXPECT_EQ(d.captionEdit->text(), QStringLiteral("大写"));
    EXPECT_TRUE(d.alignButtons[2]->isChecked());
    EXPECT_EQ(d.typeList->currentText(), QStringLiteral("114｜大写金额(仅数字)"));
    EXPECT_EQ(d.cellCaption->text(), QStringLiteral("大写金额位数："));
    EXPECT_EQ(d.cellCount->text(), QStringLiteral("8"));
    EXPECT_FALSE(d.lineSpacingEdit->isEnabled());
    EXPECT_EQ(d.sumLists[0]->currentText(), QStringLiteral("000045｜金额"));
    EXPECT_TRUE(d.sumMultiplyButtons[0]->isChecked());
    EXPECT_TRUE(d.sumNegateBoxes[0]->isChecked());
    EXPECT_EQ(d.relatedList->currentData().toInt(), kDate);
    EXPECT_EQ(d.sameAsList->currentIndex(), 0);  // a link shows in its own list only
    // Saved text boxes but the edited one; a long record ID is kept whole.
    EXPECT_EQ(d.sameAsList->count(), 4);
    EXPECT_EQ(d.sameAsList->itemText(3), QStringLiteral("1234567｜账号"));
    EXPECT_FALSE(d.HasChanges());
}

TEST_F(TextDialogTest, PickingATypeAndCellCountStoresItsCode)
{
    struct Case { int item; const char* cells; double stored; bool alignment; };
    const Case cases[] = {{11, nullptr, 11, false}, {211, "6", 206, true}, {114, "8", 114.08, false}, {116, nullptr, 116, true}};
    for (const Case& c : cases) {
        TextBoxDialog& d = Open(kAccount);
        PickComboItem(d.typeList, ItemIndex(c.item));
        for (QRadioButton* b : d.alignButtons) EXPECT_EQ(b->isEnabled(), c.alignment) << c.item;
        if (c.cells) TypeInto(d.cellCount, QString::fromUtf8(c.cells));
        Click(d.okButton);
        EXPECT_EQ(B(kAccount).dataType.Stored(), c.stored) << c.item;
    }
}

TEST_F(TextDialogTest, ACellCountOutOfRangeBecomesElevenWhenLeft)
{
    TextBoxDialog& d = Open(kAccount);
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    PickComboItem(d.typeList, ItemIndex(211));
    d.cellCount->setFocus();
    TypeInto(d.cellCount, QStringLiteral("100"));
    d.xEdit->setFocus();
    EXPECT_EQ(d.cellCount->text(), QStringLiteral("11"));
}

TEST_F(TextDialogTest, OkWritesOnlyTheChangedFieldIntoTheBoxAndTheSelectedTextBoxes)
{
    format.SetSelection({kWords, kDate, kCash});
    std::map<BoxId, Box> before;
    for (BoxId id : {kAmount, kWords, kDate}) before[id] = B(id);
    const std::vector<Box> others = BoxesBut(format, {kAmount, kWords, kDate});
    TextBoxDialog& d = Open(kAmount);
    TypeInto(d.widthEdit, QStringLiteral("55.5"));
    // Stored alone, unlike the line spacing, which shares the alignment's number.
    TypeInto(d.charSpacingEdit, QStringLiteral("1200"));
    Click(d.okButton);
    EXPECT_FALSE(d.isVisible());
    for (BoxId id : {kAmount, kWords, kDate}) {
        Box expected = before[id];
        expected.rect.setWidth(55.5);
        expected.charSpacingMm = 1200;
        EXPECT_EQ(B(id), expected) << id;
    }
    EXPECT_EQ(BoxesBut(format, {kAmount, kWords, kDate}), others);
}

TEST_F(TextDialogTest, TheListsTakeNoTypingAndTypingOverTheFontSampleGivesItsFont)
{
    TextBoxDialog& d = Open(kAmount);
    EXPECT_EQ(d.customButton->toolTip(), QStringLiteral("修改输入框内的字体/字号/颜色等。"));
    PickComboItem(d.typeList, ItemIndex(211));
    TypeInto(d.cellCount, QStringLiteral("6"));
    for (QComboBox* list : {d.typeList, d.sameAsList, d.relatedList}) {
        const int before = list->currentIndex();
        list->setFocus();
        QTest::keyClicks(list, QStringLiteral("3"));
        EXPECT_EQ(list->currentIndex(), before) << list->objectName().toStdString();
    }
    EXPECT_EQ(d.cellCount->text(), QStringLiteral("6"));
    // A font is marked by editing the sample's text: OK gives every marked
    // box the edited box's font.
    Box words = B(kWords);
    words.font.bold = !B(kAmount).font.bold;
    words.font.pointSize = B(kAmount).font.pointSize + 3;
    format.UpdateBox(words);
    format.SetSelection({kWords});
    d.fontSample->setFocus();
    QTest::keyClicks(d.fontSample, QStringLiteral("x"));
    Click(d.okButton);
    EXPECT_EQ(B(kWords).font, B(kAmount).font);
}

TEST_F(TextDialogTest, ARefusedLengthIsToldAndCancelWritesNothing)
{
    format.SetModified(false);
    const std::vector<Box> before = format.Boxes();
    TextBoxDialog& d = Open(kAmount);
    QSignalSpy closed(&d, &BoxPropertiesDialog::closedOn);
    // A width beyond the slip is taken; one that is no number is refused.
    TypeInto(d.widthEdit, QStringLiteral("5OO"));
    PickComboItem(d.typeList, ItemIndex(211));
    Click(d.okButton);
    EXPECT_EQ(prompter.shown, QStringList{QStringLiteral("“宽”必须是数字（单位：毫米）！")});
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(format.Boxes(), before);
    Click(d.cancelButton);
    EXPECT_EQ(format.Boxes(), before);
    EXPECT_FALSE(format.IsModified());
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(TextDialogTest, SumTargetTakesBoxOperationAndSignButNeverTheBoxItself)
{
    format.SetSelection({kWords});
    TextBoxDialog& d = Open(kAmount);
    PickComboItem(d.sumLists[0], d.sumLists[0]->findData(kWords));
    Click(d.sumMultiplyButtons[0]);
    Click(d.sumNegateBoxes[0]);
    Click(d.sumNegateBoxes[1]);  // "取负" without a target is no target
    Click(d.okButton);
    EXPECT_EQ(B(kAmount).sum1, (SumTarget{kWords, SumOp::Multiply, true}));
    EXPECT_FALSE(B(kAmount).sum2.IsSet());
    EXPECT_FALSE(B(kWords).sum1.IsSet());  // the selected box chosen as its own target
}

TEST_F(TextDialogTest, TheSameValueListWritesTheLinkThenTheRelatedListWins)
{
    struct Case { BoxId same, related; Relation stored; };  // -1: the list is left alone
    const Case cases[] = {{kWords, -1, {RelationKind::ChainNext, kWords}}, {kWords, kDate, {RelationKind::Related, kDate}},
                          {kWords, 0, {}}, {-1, kDate, {RelationKind::Related, kDate}}};
    for (const Case& c : cases) {
        TextBoxDialog& d = Open(kAmount);
        if (c.same >= 0) PickComboItem(d.sameAsList, d.sameAsList->findData(c.same));
        if (c.related >= 0) PickComboItem(d.relatedList, d.relatedList->findData(c.related));
        Click(d.okButton);
        EXPECT_EQ(B(kAmount).relation, c.stored) << c.same << " " << c.related;
    }
}

TEST_F(TextDialogTest, CustomPatternIsStoredAndShownInTheList)
{
    TextBoxDialog& d = Open(kDate);
    PickComboItem(d.typeList, ItemIndex(119));
    prompter.inputs.push_back(QStringLiteral("YYYY.MM.DD"));
    Click(d.customButton);
    EXPECT_EQ(prompter.shown.back(), QStringLiteral("请输入自定义数据格式信息(类型编号119)："));
    EXPECT_EQ(GetParam(QStringLiteral("自定义类型119")), QStringLiteral("YYYY.MM.DD"));
    EXPECT_EQ(Open(kDate).typeList->itemText(ItemIndex(119)), QStringLiteral("119｜自定义日期：YYYY.MM.DD"));
}

TEST_F(TextDialogTest, ValuesAreShownAgainUnderTheNewCodeAndACaptionTakenAwayKeepsTheText)
{
    TextBoxDialog& d = Open(kAmount);
    PickComboItem(d.typeList, ItemIndex(11));
    TypeInto(d.captionEdit, QString());
    Click(d.okButton);
    EXPECT_EQ(format.Value(kAmount), QStringLiteral("￥1,234.50"));
    EXPECT_EQ(B(kAmount).fixedText, format.Value(kAmount));
}
