#include "DialogTestSupport.h"

#include "storage/BoxRecord.h"
#include "storage/Params.h"
#include "workspace/dialogs/TextBoxDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>

using namespace slip;
using namespace slip::test;

// --- The dialog -----------------------------------------------------------------

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

TEST_F(TextDialogTest, LoadsEveryFieldOfTheBox)
{
    format.SetSelection({});
    Box b = B(kWords);
    b.charSpacingMm = 0.5;
    b.sum1 = {kAmount, SumOp::Multiply, true};
    b.relation = {RelationKind::Related, kDate};
    format.UpdateBox(b);
    TextBoxDialog& d = Open(kWords);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("添加/修改控件"));
    EXPECT_EQ(d.captionEdit->text(), QStringLiteral("大写"));
    EXPECT_TRUE(d.sideButtons[0]->isChecked());
    EXPECT_EQ(d.xEdit->text(), QStringLiteral("30"));
    EXPECT_EQ(d.yEdit->text(), QStringLiteral("40"));
    EXPECT_EQ(d.widthEdit->text(), QStringLiteral("80"));
    EXPECT_EQ(d.heightEdit->text(), QStringLiteral("8"));
    EXPECT_EQ(d.charSpacingEdit->text(), QStringLiteral("0.5"));
    EXPECT_TRUE(d.alignButtons[2]->isChecked());
    EXPECT_EQ(d.typeList->currentText(), QStringLiteral("103｜大写金额(元)"));
    EXPECT_EQ(d.cellCaption->text(), QStringLiteral("数据类型代码："));
    EXPECT_EQ(d.cellCount->text(), QStringLiteral("103"));
    EXPECT_FALSE(d.cellCount->isEnabled());
    // The sum target -45.1: box 45, multiplied, negated.
    EXPECT_EQ(d.sumLists[0]->currentText(), QStringLiteral("000045｜金额"));
    EXPECT_TRUE(d.sumMultiplyButtons[0]->isChecked());
    EXPECT_TRUE(d.sumNegateBoxes[0]->isChecked());
    EXPECT_EQ(d.sumLists[1]->currentIndex(), 0);
    EXPECT_EQ(d.relatedList->currentText(), QStringLiteral("000047｜日期"));
    EXPECT_EQ(d.sameAsList->currentIndex(), 0);
    EXPECT_FALSE(d.HasChanges());
}

TEST_F(TextDialogTest, BoxListsShowSavedTextBoxesButTheEditedOne)
{
    TextBoxDialog& d = Open(kAmount);
    QStringList items;
    for (int i = 0; i < d.sameAsList->count(); ++i) items << d.sameAsList->itemText(i);
    EXPECT_EQ(items, (QStringList{QStringLiteral("000000｜没有相关联输入框"), QStringLiteral("000046｜大写"),
                                  QStringLiteral("000047｜日期"), QStringLiteral("1234567｜账号")}));
    EXPECT_EQ(d.sumLists[1]->count(), 4);
}

TEST_F(TextDialogTest, StoredMoneyPlacesShowWithoutRoundingLoss)
{
    Box b = B(kAmount);
    b.dataType = DataType::FromStored(114.08);
    format.UpdateBox(b);
    TextBoxDialog& d = Open(kAmount);
    EXPECT_EQ(d.typeList->currentText(), QStringLiteral("114｜大写金额(仅数字)"));
    EXPECT_EQ(d.cellCaption->text(), QStringLiteral("大写金额位数："));
    EXPECT_EQ(d.cellCount->text(), QStringLiteral("8"));
    EXPECT_TRUE(d.cellCount->isEnabled());
    EXPECT_FALSE(d.lineSpacingEdit->isEnabled());
}

struct PickCase {
    int itemCode;
    const char* cells;  // nullptr: the count is left as picking sets it
    double stored;
};

class TextDialogPick : public TextDialogTest, public ::testing::WithParamInterface<PickCase> {};

TEST_P(TextDialogPick, PickingATypeAndCellCountStoresTheFoldedCode)
{
    const PickCase& c = GetParam();
    TextBoxDialog& d = Open(kAccount);
    PickComboItem(d.typeList, ItemIndex(c.itemCode));
    if (c.cells) TypeInto(d.cellCount, QString::fromUtf8(c.cells));
    Click(d.okButton);
    EXPECT_EQ(B(kAccount).dataType.Stored(), c.stored);
    // Opened again, the dialog shows what was chosen.
    TextBoxDialog& again = Open(kAccount);
    EXPECT_EQ(again.typeList->currentIndex(), ItemIndex(c.itemCode));
    EXPECT_EQ(again.cellCount->text(),
              QString::fromUtf8(c.cells ? c.cells
                                        : (DataTypeItems()[size_t(ItemIndex(c.itemCode))].family == DataType::Family::Plain
                                               ? QByteArray::number(c.itemCode).constData()
                                               : "11")));
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, TextDialogPick,
                         ::testing::Values(PickCase{11, nullptr, 11}, PickCase{11, "6", 6}, PickCase{211, "6", 206},
                                           PickCase{311, "12", 312}, PickCase{114, "8", 114.08},
                                           PickCase{121, nullptr, 121.11}, PickCase{0, nullptr, 0},
                                           PickCase{116, nullptr, 116}));

TEST_F(TextDialogTest, EveryItemOfTheListRoundTripsThroughTheDialog)
{
    for (const DataTypeItem& item : DataTypeItems()) {
        const double n = item.family == DataType::Family::Plain ? 0 : 7;
        TextBoxDialog& d = Open(kAccount);
        PickComboItem(d.typeList, ItemIndex(item.code));
        if (n > 0) TypeInto(d.cellCount, QStringLiteral("7"));
        Click(d.okButton);
        const DataType stored = B(kAccount).dataType;
        EXPECT_EQ(stored, DataType::FromItem(item.code, n)) << item.text.toStdString();
        TextBoxDialog& again = Open(kAccount);
        EXPECT_EQ(again.typeList->currentIndex(), ItemIndex(item.code)) << item.text.toStdString();
        EXPECT_EQ(again.ChosenDataType(), stored) << item.text.toStdString();
    }
}

TEST_F(TextDialogTest, CellCountOutOfRangeTurnsIntoElevenWhenLeft)
{
    TextBoxDialog& d = Open(kAccount);
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    PickComboItem(d.typeList, ItemIndex(211));
    for (const auto& [typed, kept] : {std::pair{"0", "11"}, {"100", "11"}, {"ab", "11"}, {"99", "99"}, {"2.5", "2.5"}}) {
        d.cellCount->setFocus();
        TypeInto(d.cellCount, QString::fromLatin1(typed));
        d.xEdit->setFocus();  // leaving the field
        EXPECT_EQ(d.cellCount->text(), QString::fromLatin1(kept)) << typed;
    }
}

TEST_F(TextDialogTest, AlignmentOptionsFollowTheChosenType)
{
    TextBoxDialog& d = Open(kAccount);
    for (int code : {11, 311, 114, 121}) {
        PickComboItem(d.typeList, ItemIndex(code));
        for (QRadioButton* b : d.alignButtons) EXPECT_FALSE(b->isEnabled()) << code;
    }
    for (int code : {211, 104, 0}) {
        PickComboItem(d.typeList, ItemIndex(code));
        for (QRadioButton* b : d.alignButtons) EXPECT_TRUE(b->isEnabled()) << code;
    }
}

TEST_F(TextDialogTest, OkWritesOnlyTheChangedFieldIntoTheBoxAndTheSelectedTextBoxes)
{
    format.SetSelection({kWords, kDate, kAccount, kCash});
    const std::vector<Box> others = BoxesBut(format, {kAmount, kWords, kDate, kAccount});
    std::map<BoxId, Box> before;
    for (BoxId id : {kAmount, kWords, kDate, kAccount}) before[id] = B(id);
    TextBoxDialog& d = Open(kAmount);
    TypeInto(d.widthEdit, QStringLiteral("55.5"));
    EXPECT_TRUE(d.HasChanges());
    Click(d.okButton);
    EXPECT_FALSE(d.isVisible());
    for (BoxId id : {kAmount, kWords, kDate, kAccount}) {
        Box expected = before[id];
        expected.rect.setWidth(55.5);
        EXPECT_EQ(B(id), expected) << id;
    }
    // The check box carries the mark too, but is of another kind; unselected
    // text boxes are not touched.
    EXPECT_EQ(BoxesBut(format, {kAmount, kWords, kDate, kAccount}), others);
}

TEST_F(TextDialogTest, CancelAndTheCloseBoxWriteNothing)
{
    format.SetSelection({kWords});
    format.SetModified(false);
    const std::vector<Box> before = format.Boxes();
    TextBoxDialog& d = Open(kAmount);
    QSignalSpy closed(&d, &BoxPropertiesDialog::closedOn);
    TypeInto(d.captionEdit, QStringLiteral("新标签"));
    TypeInto(d.xEdit, QStringLiteral("12"));
    PickComboItem(d.typeList, ItemIndex(211));
    Click(d.cancelButton);
    EXPECT_EQ(format.Boxes(), before);
    EXPECT_FALSE(format.IsModified());
    ASSERT_EQ(closed.count(), 1);
    EXPECT_EQ(closed.at(0).at(0).value<BoxId>(), kAmount);

    TextBoxDialog& again = Open(kAmount);
    TypeInto(again.xEdit, QStringLiteral("12"));
    again.close();
    EXPECT_EQ(format.Boxes(), before);
}

TEST_F(TextDialogTest, OkWithoutAnEditWritesNothingEvenToSelectedBoxes)
{
    format.SetSelection({kWords, kDate});
    format.SetModified(false);
    const std::vector<Box> before = format.Boxes();
    TextBoxDialog& d = Open(kAmount);
    Click(d.okButton);
    EXPECT_EQ(format.Boxes(), before);
    EXPECT_FALSE(format.IsModified());
}

TEST_F(TextDialogTest, SumTargetTakesBoxOperationAndSign)
{
    TextBoxDialog& d = Open(kAmount);
    PickComboItem(d.sumLists[0], d.sumLists[0]->findData(kWords));
    Click(d.sumMultiplyButtons[0]);
    Click(d.sumNegateBoxes[0]);
    // "取负" without a target is no target.
    Click(d.sumNegateBoxes[1]);
    Click(d.okButton);
    EXPECT_EQ(B(kAmount).sum1, (SumTarget{kWords, SumOp::Multiply, true}));
    EXPECT_EQ(EncodeSumTarget(B(kAmount).sum1), -46.1);
    EXPECT_FALSE(B(kAmount).sum2.IsSet());

    TextBoxDialog& again = Open(kAmount);
    PickComboItem(again.sumLists[0], again.sumLists[0]->findData(kDate));
    Click(again.sumAddButtons[0]);
    Click(again.sumNegateBoxes[0]);
    Click(again.okButton);
    EXPECT_EQ(B(kAmount).sum1, (SumTarget{kDate, SumOp::Add, false}));
    EXPECT_EQ(EncodeSumTarget(B(kAmount).sum1), 47);
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
    // A stored link shows in its own list only.
    TextBoxDialog& d = Open(kAmount);
    EXPECT_EQ(d.relatedList->currentData().toInt(), kDate);
    EXPECT_EQ(d.sameAsList->currentIndex(), 0);
}

TEST_F(TextDialogTest, MillimetresShowToThreeDecimals)
{
    std::vector<Box> boxes = format.Boxes();
    for (Box& b : boxes)
        if (b.id == kAmount) b.rect = QRectF(11.943127962, 91.00000000000001, 60.0625, 8);
    format.Load(format.Header(), boxes);  // as stored, not yet kept to thousandths
    TextBoxDialog& d = Open(kAmount);
    EXPECT_EQ(d.xEdit->text(), QStringLiteral("11.943"));
    EXPECT_EQ(d.yEdit->text(), QStringLiteral("91"));
    EXPECT_EQ(d.widthEdit->text(), QStringLiteral("60.062"));
}

TEST_F(TextDialogTest, SelectedBoxesAreNeverLinkedToThemselves)
{
    format.SetSelection({kWords});
    TextBoxDialog& d = Open(kAmount);
    PickComboItem(d.sumLists[0], d.sumLists[0]->findData(kWords));
    Click(d.okButton);
    EXPECT_EQ(B(kAmount).sum1.target, kWords);
    EXPECT_FALSE(B(kWords).sum1.IsSet());
}

TEST_F(TextDialogTest, ValuesThatAreNoLengthsAreRefusedAndNothingIsWritten)
{
    const std::vector<Box> before = format.Boxes();
    TextBoxDialog& d = Open(kAmount);
    struct Refused {
        QLineEdit* edit;
        const char* typed;
        const char* message;
    };
    const Refused cases[] = {
        {d.widthEdit, "abc", "“宽”必须是数字（单位：毫米）！"},
        {d.widthEdit, "-5", "“宽”不能为负数！"},
        {d.widthEdit, "0", "“宽”必须大于零！"},
        {d.widthEdit, "500", "“宽”不能超过单据的宽度（210毫米）！"},
        {d.heightEdit, "1e9", "“高”必须是数字（单位：毫米）！"},
        {d.yEdit, "101", "“纵向坐标”不能超过单据的高度（100毫米）！"},
        {d.charSpacingEdit, "9999", "“字间距”不能超过单据的宽度（210毫米）！"},
        {d.lineSpacingEdit, "x1", "“行间距”必须是数字（单位：毫米）！"},
    };
    for (const Refused& c : cases) {
        const QString original = c.edit->text();
        TypeInto(c.edit, QString::fromUtf8(c.typed));
        prompter.shown.clear();
        Click(d.okButton);
        ASSERT_EQ(prompter.shown.size(), 1) << c.typed;
        EXPECT_EQ(prompter.shown.front(), QString::fromUtf8(c.message));
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(format.Boxes(), before);
        TypeInto(c.edit, original);
    }
    // A length may carry its unit.
    TypeInto(d.widthEdit, QStringLiteral("42mm"));
    TypeInto(d.lineSpacingEdit, QStringLiteral("-0.5"));
    prompter.shown.clear();
    Click(d.okButton);
    EXPECT_TRUE(prompter.shown.isEmpty());
    EXPECT_EQ(B(kAmount).rect.width(), 42);
    EXPECT_EQ(B(kAmount).lineSpacingMm, -0.5);
}

TEST_F(TextDialogTest, FontsOfNoUsableSizeAreRefused)
{
    TextBoxDialog& d = Open(kAmount);
    FontChoice huge;
    huge.name = QStringLiteral("黑体");
    huge.size = 600;
    {
        ScriptedFont font(huge);
        Click(d.fontButton);
        ASSERT_EQ(font.presets.size(), 1u);
        EXPECT_EQ(font.presets[0].size, 10.5);
    }
    EXPECT_EQ(prompter.shown, QStringList{QStringLiteral("字号不能超过500！")});
    EXPECT_FALSE(d.HasChanges());
    FontChoice fine = huge;
    fine.size = 14;
    fine.bold = true;
    fine.color = 0x0000FF;  // red as &HBBGGRR
    {
        ScriptedFont font(fine);
        Click(d.fontButton);
    }
    Click(d.okButton);
    EXPECT_EQ(B(kAmount).font, (BoxFont{QStringLiteral("黑体"), 14, true, false, false, false}));
    EXPECT_EQ(B(kAmount).color, QColor(255, 0, 0));
}

TEST_F(TextDialogTest, NegativeLineSpacingShowsAndSurvivesAnAlignmentChange)
{
    TextBoxDialog& d = Open(kDate);
    EXPECT_EQ(d.lineSpacingEdit->text(), QStringLiteral("-1.5"));
    Click(d.alignButtons[2]);
    Click(d.okButton);
    EXPECT_EQ(B(kDate).align, TextAlign::Centre);
    EXPECT_EQ(B(kDate).lineSpacingMm, -1.5);
}

TEST_F(TextDialogTest, CustomPatternIsStoredAndShownInTheList)
{
    TextBoxDialog& d = Open(kDate);
    EXPECT_FALSE(d.customButton->isEnabled());
    PickComboItem(d.typeList, ItemIndex(119));
    ASSERT_TRUE(d.customButton->isEnabled());
    prompter.inputs.push_back(QStringLiteral("YYYY.MM.DD"));
    Click(d.customButton);
    EXPECT_EQ(prompter.shown.back(), QStringLiteral("请输入自定义数据格式信息(类型编号119)："));
    EXPECT_EQ(GetParam(QStringLiteral("自定义类型119")), QStringLiteral("YYYY.MM.DD"));
    EXPECT_EQ(d.typeList->currentText(), QStringLiteral("119｜自定义日期：YYYY.MM.DD"));
    // An empty answer changes nothing.
    prompter.inputs.push_back(QString());
    Click(d.customButton);
    EXPECT_EQ(GetParam(QStringLiteral("自定义类型119")), QStringLiteral("YYYY.MM.DD"));
    TextBoxDialog& again = Open(kDate);
    EXPECT_EQ(again.typeList->itemText(ItemIndex(119)), QStringLiteral("119｜自定义日期：YYYY.MM.DD"));
}

TEST_F(TextDialogTest, ValuesAreShownAgainUnderTheNewCode)
{
    TextBoxDialog& d = Open(kAmount);
    PickComboItem(d.typeList, ItemIndex(11));
    Click(d.okButton);
    EXPECT_EQ(format.Value(kAmount), QStringLiteral("￥1,234.50"));
}

TEST_F(TextDialogTest, ABoxLosingItsCaptionKeepsItsTextAsFixedText)
{
    TextBoxDialog& d = Open(kAmount);
    TypeInto(d.captionEdit, QString());
    EXPECT_EQ(d.captionSample->Caption(), QString());
    Click(d.okButton);
    EXPECT_TRUE(B(kAmount).caption.isEmpty());
    EXPECT_EQ(B(kAmount).fixedText, format.Value(kAmount));
    EXPECT_EQ(format.StartValue(B(kAmount)), format.Value(kAmount));
}

TEST_F(TextDialogTest, CaptionSideAndTextMoveTheSampleCaption)
{
    TextBoxDialog& d = Open(kAmount);
    TypeInto(d.captionEdit, QStringLiteral("很长很长的标签"));
    Click(d.sideButtons[1]);
    EXPECT_LE(d.captionSample->CaptionRect().right(), d.captionSample->SampleBoxRect().left());
    Click(d.sideButtons[3]);
    EXPECT_GE(d.captionSample->CaptionRect().top(), d.captionSample->SampleBoxRect().bottom());
    Click(d.okButton);
    EXPECT_EQ(B(kAmount).caption, QStringLiteral("很长很长的标签"));
    EXPECT_EQ(B(kAmount).captionSide, CaptionSide::Below);
}
