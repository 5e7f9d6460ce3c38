#include "TestHome.h"

#include "storage/Database.h"
#include "storage/Prompt.h"
#include "template/FormatRecords.h"
#include "template/PictureBox.h"
#include "template/SelFormat.h"
#include "storage/Params.h"
#include "template/SlipTemplate.h"

#include <QComboBox>
#include <QTextEdit>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

using namespace slip;

namespace {

// A canvas 3000 twips per 10 mm wide... 200 mm slip on 12000 twips: 60 twips per mm.
struct Fixture {
    std::unique_ptr<QWidget> canvas = std::make_unique<QWidget>();
    std::unique_ptr<SlipTemplate> t;
    Fixture()
    {
        canvas->resize(800, 600);
        t = std::make_unique<SlipTemplate>(canvas.get());
        t->state.name = "测试格式";
        t->state.width = "200";
        t->state.height = "100";
        t->SetCanvasMetrics(12000, 12000);
    }
    SlipBox* Add(int clas)
    {
        int row = 0;
        return t->CreateInputBox(clas, row);
    }
    bool Save(const QString& name, bool asNew = false)
    {
        DbConnection conn;
        if (!conn.begin()) return false;
        if (!t->SaveRowsToFmtRecords(name, conn, asNew)) return false;
        return conn.commit();
    }
};

} // namespace

TEST(InputBoxes, IndexesCountsAndNewRows)
{
    Fixture f;
    SlipBox* tt = f.Add(kTextBox);
    SlipBox* cc = f.Add(kCheckBox);
    SlipBox* lb = f.Add(kLabelBox);
    SlipBox* tt2 = f.Add(kTextBox);
    EXPECT_EQ(tt->Index, 1);
    EXPECT_EQ(cc->Index, 1001);
    EXPECT_EQ(lb->Index, 4001);
    EXPECT_EQ(tt2->Index, 2);
    EXPECT_EQ(f.t->LastControlIndex(0), 2);
    EXPECT_EQ(f.t->LastControlIndex(2), 2000);
    EXPECT_EQ(f.t->GetControlByIndex(1001), cc);
    EXPECT_EQ(f.t->GetControlByIndex(2001), nullptr);
    const BoxTable& tab = f.t->table;
    EXPECT_EQ(tab.DataRowCount(), 4);
    EXPECT_EQ(tt->Tag, "2");
    EXPECT_EQ(tab.TextMatrix(2, BoxTable::ColID), "-1");
    EXPECT_EQ(tab.TextMatrix(5, BoxTable::ColID), "-4");
    EXPECT_EQ(tab.TextMatrix(4, BoxTable::ColSeq), "3");
    EXPECT_EQ(tab.TextMatrix(3, BoxTable::ColClas), "1");
    EXPECT_EQ(f.t->GetCtlByRow(4), lb);
    EXPECT_EQ(f.t->GetCtlByID(-2), cc);
    EXPECT_EQ(f.t->GetCtlIndexByID(-2), 0);
    EXPECT_EQ(f.t->GetCtlIndexByRow(3), 1001);

    SlipBox* line = f.Add(kLineBox);
    const int lr = f.t->RowOf(line);
    EXPECT_EQ(tab.TextMatrix(lr, BoxTable::ColLBL), "线条");
    EXPECT_EQ(tab.TextMatrix(lr, BoxTable::ColFName), "宋体");
    EXPECT_EQ(line->CaptionLabel, nullptr);
}

TEST(InputBoxes, TheThousandthBoxOfAClassIsRefused)
{
    Fixture f;
    ScriptedPrompter prompts;
    for (int i = 0; i < kMaxBoxesPerClass; ++i) ASSERT_NE(f.Add(kLabelBox), nullptr);
    EXPECT_EQ(f.t->LastControlIndex(kLabelBox), 4999);
    EXPECT_EQ(f.Add(kLabelBox), nullptr);
    EXPECT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(f.t->Count(kLabelBox), 999);
    EXPECT_EQ(f.t->table.DataRowCount(), 999);
}

TEST(InputBoxes, ValuesAsText)
{
    Fixture f;
    SlipBox* tt = f.Add(kTextBox);
    SlipBox* cc = f.Add(kCheckBox);
    SlipBox* lb = f.Add(kLabelBox);
    f.t->SetInputBoxValue(cc, "0");
    EXPECT_EQ(cc->Value(), 1);
    EXPECT_EQ(f.t->GetInputBoxValue(cc), "1");
    f.t->SetInputBoxValue(cc, "  ");
    EXPECT_EQ(cc->Value(), 0);
    EXPECT_EQ(f.t->GetInputBoxValue(cc), "");
    f.t->SetInputBoxValue(tt, "甲//乙//丙");
    EXPECT_EQ(tt->textEdit()->document()->blockCount(), 3);
    EXPECT_EQ(f.t->GetInputBoxValue(tt), "甲\r\n乙\r\n丙");
    f.t->lineBreakMarker = "##";
    f.t->SetInputBoxValue(tt, "a//b");
    EXPECT_EQ(f.t->GetInputBoxValue(tt), "a//b");
    f.t->SetInputBoxValue(lb, "x");
    EXPECT_EQ(f.t->GetInputBoxValue(lb), "");
    f.t->SetInputBoxValue(nullptr, "x");
}

TEST(BoxSync, ZoomScalesFontsAndLinesBothWays)
{
    Fixture f;
    SlipBox* tt = f.Add(kTextBox);
    SlipBox* line = f.Add(kLineBox);
    BoxTable& tab = f.t->table;
    const int tr = f.t->RowOf(tt), lr = f.t->RowOf(line);
    tab.SetTextMatrix(tr, BoxTable::ColFSize, "10");
    tab.SetTextMatrix(tr, BoxTable::ColX, "10");
    tab.SetTextMatrix(tr, BoxTable::ColW, "20.5");
    tab.SetTextMatrix(lr, BoxTable::ColFSize, "1.5");
    f.t->SetCanvasMetrics(24000, 12000);  // zoom 2
    f.t->ApplyRowToCtl(tr);
    f.t->ApplyRowToCtl(lr);
    EXPECT_DOUBLE_EQ(tt->FontSize, 20);
    EXPECT_EQ(tt->Left, 1200);  // 10 mm at 120 twips per mm
    EXPECT_EQ(tt->Width, 2460);
    EXPECT_DOUBLE_EQ(line->BorderWidth, 3);
    f.t->SaveCtlToRow(tt);
    EXPECT_EQ(tab.TextMatrix(tr, BoxTable::ColFSize), "10");
    EXPECT_EQ(tab.TextMatrix(tr, BoxTable::ColX), "10");
    EXPECT_EQ(tab.TextMatrix(tr, BoxTable::ColW), "20.5");
    f.t->SetCanvasMetrics(12000, 12000);
    f.t->ApplyRowToCtl(lr);
    EXPECT_DOUBLE_EQ(line->BorderWidth, 2);  // 1.5 rounds to even
    f.t->SaveCtlToRow(line);
    EXPECT_EQ(tab.TextMatrix(lr, BoxTable::ColFSize), "2");

    // A marked line keeps its stored colour.
    tab.SetColorAt(lr, 0x0000FF);
    f.t->ApplyRowToCtl(lr);
    f.t->SetSelectLook(line, false);
    f.t->SaveCtlToRow(line);
    EXPECT_EQ(tab.ColorAt(lr), 0x0000FF);
    f.t->SetSelectLook(line, true);
    EXPECT_EQ(line->BorderColor, 0x0000FF);

    // A check box keeps its own size and font size.
    SlipBox* cc = f.Add(kCheckBox);
    const int cr = f.t->RowOf(cc);
    const int w = cc->Width;
    tab.SetTextMatrix(cr, BoxTable::ColW, "99");
    tab.SetTextMatrix(cr, BoxTable::ColFSize, "30");
    f.t->ApplyRowToCtl(cr);
    EXPECT_EQ(cc->Width, w);
    EXPECT_NE(cc->FontSize, 30);
}

TEST(BoxSync, CashRuleAndFixedTextSurvivesReload)
{
    Fixture f;
    SlipBox* tt = f.Add(kTextBox);
    const int r = f.t->RowOf(tt);
    BoxTable& tab = f.t->table;
    tab.SetTextMatrix(r, BoxTable::ColCash, "11");
    tab.SetTextMatrix(r, BoxTable::ColL, "2000");
    f.t->ApplyRowToCtl(r);
    EXPECT_EQ(tt->BorderStyle, 1);
    EXPECT_EQ(tt->Alignment, 1);
    tab.SetTextMatrix(r, BoxTable::ColCash, "211");
    f.t->ApplyRowToCtl(r);
    EXPECT_EQ(tt->Alignment, 2);

    // A fixed text typed but not yet saved is still there after a reload.
    tab.SetTextMatrix(r, BoxTable::ColLBL, "");
    f.t->ApplyRowToCtl(r);
    tt->textEdit()->setPlainText("固定文字");
    f.t->ReloadFormat(false);
    SlipBox* again = f.t->GetCtlByRow(r);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Text(), "固定文字");
}

TEST(BoxSync, SaveCarriesReferencesToFinalRecordIds)
{
    test::TestHome home;
    Fixture f;
    SlipBox* a = f.Add(kTextBox);
    SlipBox* b = f.Add(kTextBox);
    SlipBox* c = f.Add(kTextBox);
    BoxTable& tab = f.t->table;
    // First save gives a and b record IDs; c then becomes a new, unsaved box.
    ASSERT_TRUE(f.Save("甲"));
    const qint64 idA = *f.t->GetCtlID(a);
    const qint64 idB = *f.t->GetCtlID(b);
    Q_UNUSED(c);
    SlipBox* d = f.Add(kTextBox);
    const qint32 temp = *f.t->GetCtlID(d);
    ASSERT_LT(temp, 0);
    tab.SetTextMatrix(f.t->RowOf(a), BoxTable::ColRCtl, QString::number(temp));      // chain link to d
    tab.SetTextMatrix(f.t->RowOf(b), BoxTable::ColSumID, QString::number(-temp));    // product into d
    tab.SetTextMatrix(f.t->RowOf(d), BoxTable::ColSumID1, QString::number(idA) + ".1");
    ASSERT_TRUE(f.Save("甲"));
    const qint64 idD = *f.t->GetCtlID(d);
    EXPECT_GT(idD, 0);
    EXPECT_EQ(tab.TextMatrix(f.t->RowOf(a), BoxTable::ColRCtl), QString::number(idD));
    EXPECT_EQ(tab.TextMatrix(f.t->RowOf(b), BoxTable::ColSumID), QString::number(-idD));
    EXPECT_EQ(GetFieldById("Fmt", idA, "RCtl").toLongLong(), idD);
    EXPECT_EQ(GetFieldById("Fmt", idB, "SumID").toLongLong(), -idD);
    EXPECT_DOUBLE_EQ(GetFieldById("Fmt", idD, "SumID1").toDouble(), idA + 0.1);
    EXPECT_EQ(OpenRecordset("SELECT * FROM Fmt WHERE Fmt=?", {"甲"}).RecordCount(), 4);

    // Saving again changes nothing.
    QStringList before;
    for (int r = 2; r < tab.Rows(); ++r)
        for (int col : {0, 19, 20, 21}) before << tab.TextMatrix(r, col);
    ASSERT_TRUE(f.Save("甲"));
    QStringList after;
    for (int r = 2; r < tab.Rows(); ++r)
        for (int col : {0, 19, 20, 21}) after << tab.TextMatrix(r, col);
    EXPECT_EQ(before, after);
    EXPECT_EQ(OpenRecordset("SELECT * FROM Fmt WHERE Fmt=?", {"甲"}).RecordCount(), 4);

    // A copy under another name gets new records whose references point into the copy.
    ASSERT_TRUE(f.Save("乙", true));
    const qint64 copyA = *f.t->GetCtlID(a);
    const qint64 copyD = *f.t->GetCtlID(d);
    EXPECT_NE(copyA, idA);
    EXPECT_EQ(GetFieldById("Fmt", copyA, "RCtl").toLongLong(), copyD);
    EXPECT_EQ(GetFieldById("Fmt", copyA, "Fmt").toString(), "乙");
}

TEST(BoxSync, LoadFormatGridScalesFontsAndShowsCaptionPositions)
{
    test::TestHome home;
    Fixture f;
    SlipBox* a = f.Add(kTextBox);
    f.t->table.SetTextMatrix(f.t->RowOf(a), BoxTable::ColLBL, "户名");
    f.t->ApplyRowToCtl(f.t->RowOf(a));
    f.t->table.SetTextMatrix(f.t->RowOf(a), BoxTable::ColFSize, "10");
    f.t->table.SetTextMatrix(f.t->RowOf(a), BoxTable::ColDir, "下方");
    ASSERT_TRUE(f.Save("丙"));
    f.t->state.screenFontFactor = 1.234;
    ASSERT_TRUE(f.t->LoadFormatGrid("丙"));
    EXPECT_EQ(f.t->table.DataRowCount(), 1);
    EXPECT_EQ(f.t->table.TextMatrix(2, BoxTable::ColFSize), "12.34");
    EXPECT_EQ(f.t->table.TextMatrix(2, BoxTable::ColDir), "下方");
    EXPECT_EQ(f.t->table.TextMatrix(2, BoxTable::ColLBL), "户名");
    EXPECT_EQ(f.t->table.ColWidth(BoxTable::ColID), 900);
}

TEST(Selection, BandsMarksAndCounts)
{
    Fixture f;
    SlipBox* t1 = f.Add(kTextBox);
    t1->Left = 100; t1->Top = 100; t1->Width = 200; t1->Height = 100;
    SlipBox* cc = f.Add(kCheckBox);
    cc->Left = 1000; cc->Top = 1000; cc->Width = 200; cc->Height = 200;
    SlipBox* line = f.Add(kLineBox);
    line->X1 = 0; line->Y1 = 500; line->X2 = 3000; line->Y2 = 500;
    SlipBox* lb = f.Add(kLabelBox);
    lb->Left = 5000; lb->Top = 5000; lb->Width = 100; lb->Height = 100;

    // A zero-size band touches boxes containing the point, edges included.
    EXPECT_TRUE(SlipTemplate::CtlInRect(t1, 300, 200, 300, 200));
    EXPECT_FALSE(SlipTemplate::CtlInRect(t1, 301, 200, 301, 200));
    EXPECT_FALSE(SlipTemplate::CtlInRect(line, 1000, 500, 1000, 500));
    EXPECT_TRUE(SlipTemplate::CtlInRect(line, 3000, 500, 3000, 500));
    // Corner order does not matter; a line crossing the band with both ends outside is untouched.
    EXPECT_EQ(SlipTemplate::CtlInRect(cc, 1300, 1300, 900, 900), SlipTemplate::CtlInRect(cc, 900, 900, 1300, 1300));
    EXPECT_FALSE(SlipTemplate::CtlInRect(line, 1000, 0, 2000, 1000));

    f.t->SelectCtlsInRect(0, 0, 0, 1500, 1500);
    EXPECT_TRUE(SlipTemplate::IsCtlSelected(t1));
    EXPECT_TRUE(SlipTemplate::IsCtlSelected(cc));
    EXPECT_TRUE(SlipTemplate::IsCtlSelected(line));
    EXPECT_EQ(f.t->CountSelectedCtls(), 2);
    f.t->SelectCtlsInRect(2, 4900, 4900, 5200, 5200);  // Ctrl adds
    EXPECT_TRUE(SlipTemplate::IsCtlSelected(t1));
    EXPECT_TRUE(SlipTemplate::IsCtlSelected(lb));
    f.t->SelectCtlsInRect(3, 4900, 4900, 5200, 5200);  // Ctrl+Shift replaces
    EXPECT_FALSE(SlipTemplate::IsCtlSelected(t1));
    EXPECT_TRUE(SlipTemplate::IsCtlSelected(lb));
    EXPECT_EQ(f.t->CountSelectedCtls(), 0);
    t1->BackColor = 0xD0D0D0;
    EXPECT_TRUE(SlipTemplate::IsCtlSelected(t1));
}

TEST(InputBoxes, DeletingMarkedBoxesAndRowsRebuildsInRowOrder)
{
    test::TestHome home;
    Fixture f;
    ScriptedPrompter prompts;
    std::vector<SlipBox*> boxes;
    for (int i = 0; i < 5; ++i) boxes.push_back(f.Add(i % 2 ? kCheckBox : kTextBox));
    for (int i = 0; i < 5; ++i) f.t->table.SetTextMatrix(f.t->RowOf(boxes[i]), BoxTable::ColLBL, QString("框%1").arg(i));
    f.t->ReloadFormat(false);
    f.t->SetSelectLook(f.t->GetCtlByRow(3), false);   // 框1, a check box
    f.t->DeleteSelectedInputBoxes(f.t->GetCtlByRow(4));  // and 框2, a text box
    EXPECT_EQ(prompts.shown.last(), "您确定要删除选定的输入框和当前输入框？");
    const BoxTable& tab = f.t->table;
    ASSERT_EQ(tab.DataRowCount(), 3);
    EXPECT_EQ(tab.TextMatrix(2, BoxTable::ColLBL), "框0");
    EXPECT_EQ(tab.TextMatrix(3, BoxTable::ColLBL), "框3");
    EXPECT_EQ(tab.TextMatrix(4, BoxTable::ColLBL), "框4");
    EXPECT_EQ(f.t->Count(kTextBox), 2);
    EXPECT_EQ(f.t->Count(kCheckBox), 1);
    for (int r = 2; r < 5; ++r) EXPECT_EQ(f.t->RowOf(f.t->GetCtlByRow(r)), r);
    EXPECT_EQ(f.t->GetControlByIndex(2)->CaptionText(), "框4");

    // Deleting rows by the table asks with running numbers.
    f.t->table.Row = 3;
    f.t->table.RowSel = 4;
    prompts.answers.push_back(PromptAnswer::No);
    f.t->DeleteInputBoxRows(true);
    EXPECT_EQ(prompts.shown.last(), "您确定要删除第2行至第3行对应的输入框？");
    EXPECT_EQ(tab.DataRowCount(), 3);
    f.t->DeleteInputBoxRows(true);
    EXPECT_EQ(tab.DataRowCount(), 1);
}

TEST(Defaults, RoundTripAndReplaceAsAWhole)
{
    test::TestHome home;
    Fixture f;
    SlipBox* tt = f.Add(kTextBox);
    SlipBox* cc = f.Add(kCheckBox);
    SlipBox* cc2 = f.Add(kCheckBox);
    f.t->SetInputBoxValue(tt, "第一行\r\n第二行");
    f.t->SetInputBoxValue(cc, "1");
    ASSERT_TRUE(f.t->SaveDefaultRecord("甲"));
    EXPECT_EQ(OpenRecordset("SELECT * FROM 默认 WHERE Fmt=?", {"甲"}).RecordCount(), 2);
    f.t->SetInputBoxValue(tt, "");
    f.t->SetInputBoxValue(cc, "");
    f.t->LoadDefaultRecord("甲");
    EXPECT_EQ(f.t->GetInputBoxValue(tt), "第一行\r\n第二行");
    EXPECT_EQ(cc->Value(), 1);
    EXPECT_EQ(cc2->Value(), 0);
    f.t->SetInputBoxValue(tt, "");
    f.t->SetInputBoxValue(cc, "");
    ASSERT_TRUE(f.t->SaveDefaultRecord("甲"));
    EXPECT_EQ(OpenRecordset("SELECT * FROM 默认 WHERE Fmt=?", {"甲"}).RecordCount(), 0);
}

TEST(FormatRecordsDb, HeaderAndStateRoundTrip)
{
    test::TestHome home;
    FormatState s;
    s.width = "190.5";
    s.height = "101.6";
    s.offsetX = "10";
    s.offsetY = "12.5";
    s.options.o2 = {1, 0, 1, 0, 1};
    s.options.currencyChar = '$';
    const QString name = "x' OR 'a'='a";
    ASSERT_TRUE(SaveFormatHeader(name, s, 15360));
    ASSERT_TRUE(SaveFormatHeader(name, s, 15360));
    EXPECT_EQ(OpenRecordset("SELECT * FROM Fmt WHERE Fmt=?", {name}).RecordCount(), 1);
    FormatState r;
    ASSERT_TRUE(LoadFormatHeader(name, r, 19200));
    EXPECT_EQ(r.width, "190.5");
    EXPECT_EQ(r.offsetY, "12.5");
    EXPECT_EQ(r.options.o2, s.options.o2);
    EXPECT_EQ(r.options.currencyChar, QChar('$'));
    EXPECT_DOUBLE_EQ(r.screenFontFactor, (19200 - 340) / 15020.0);
    FormatState none;
    none.width = "5";
    EXPECT_FALSE(LoadFormatHeader("没有", none, 19200));
    EXPECT_EQ(none.width, "5");

    // The state record is written even when the file has lost it.
    ASSERT_TRUE(ExecuteSql("DELETE FROM Fmt WHERE Fmt=''"));
    std::array<int, 5> o2{0, 0, 0, 0, 0};
    EXPECT_EQ(LoadCurrentFormatState(o2), "");
    ASSERT_TRUE(SaveCurrentFormatState("甲", {1, 1, 0, 0, 0}));
    ASSERT_TRUE(SaveCurrentFormatState("乙", {1, 0, 1, 0, 0}));
    EXPECT_EQ(OpenRecordset("SELECT * FROM Fmt WHERE Fmt=''").RecordCount(), 1);
    EXPECT_EQ(LoadCurrentFormatState(o2), "乙");
    EXPECT_EQ(o2, (std::array<int, 5>{1, 0, 1, 0, 0}));
}

TEST(Chooser, AnswersAndCancel)
{
    test::TestHome home;
    ExecuteSql("INSERT INTO Fmt(Fmt, LBL) VALUES('乙', 'a'), ('甲', 'b'), ('乙', 'c')");
    SelFormat::TestResponder() = [](SelFormat& d) {
        d.CMB->setCurrentIndex(4);
        d.OkClicked();
    };
    EXPECT_EQ(AskInputBoxClass(), "4");
    SelFormat::TestResponder() = [](SelFormat& d) { d.OkClicked(); };
    EXPECT_EQ(AskInputBoxClass(), "0");
    SelFormat::TestResponder() = [](SelFormat& d) {
        EXPECT_EQ(d.CMB->count(), 2);
        EXPECT_EQ(d.CMB->currentText(), "当前");
        d.CMB->setEditText("  新名称 ");
        d.OkClicked();
    };
    EXPECT_EQ(RunSelFormat("Format", true, "请选择格式名称", "当前"), "新名称");
    SelFormat::TestResponder() = [](SelFormat& d) { d.CancelClicked(); };
    EXPECT_EQ(RunSelFormat("Format", false, "请选择格式名称", "当前"), "");
    SelFormat::TestResponder() = nullptr;
}

TEST(BoxSync, TextBoxesConvertByTheirRowsCodeAndTheFormatsCurrency)
{
    Fixture f;
    SlipBox* tt = f.Add(kTextBox);
    SlipBox* cc = f.Add(kCheckBox);
    f.t->table.SetTextMatrix(f.t->RowOf(tt), BoxTable::ColCash, "103");
    EXPECT_EQ(f.t->AutoConvert(tt, "1234.5"), "壹仟贰佰叁拾肆元伍角整");
    EXPECT_EQ(f.t->AutoConvert(cc, "1234.5"), "1234.5");
    f.t->state.options.currencyChar = '$';
    f.t->table.SetTextMatrix(f.t->RowOf(tt), BoxTable::ColCash, "0");
    EXPECT_EQ(f.t->AutoConvert(tt, "abc"), "abc");
}

TEST(PictureBoxes, PicturesAndBarcodesByTheirValue)
{
    test::TestHome home;
    Fixture f;
    SlipBox* ii = f.Add(kPictureBox);
    ii->Width = 3000;
    ii->Height = 900;
    EXPECT_EQ(ii->ToolTipText, "");
    f.t->SetInputBoxValue(ii, "");
    EXPECT_EQ(ii->ToolTipText, PictureBoxHint());

    QImage pic(30, 20, QImage::Format_RGB32);
    pic.fill(Qt::green);
    const QString path = home.file("图.png");
    ASSERT_TRUE(pic.save(path));
    f.t->SetInputBoxValue(ii, path);
    EXPECT_EQ(ii->LinkItem, path);
    EXPECT_EQ(ii->ToolTipText, "当前图片：" + path);
    EXPECT_EQ(ii->Picture.size(), QSize(30, 20));
    EXPECT_EQ(f.t->GetInputBoxValue(ii), path);

    // A missing file and a value starting with "-" (a file name on the canvas) leave it empty.
    f.t->SetInputBoxValue(ii, "-123");
    EXPECT_EQ(ii->LinkItem, "");
    EXPECT_TRUE(ii->Picture.isNull());
    EXPECT_EQ(ii->ToolTipText, PictureBoxHint());

    f.t->SetInputBoxValue(ii, "123");
    EXPECT_EQ(ii->LinkItem, "123");
    EXPECT_EQ(ii->ToolTipText, "当前条码：123");
    ASSERT_FALSE(ii->Picture.isNull());
    EXPECT_EQ(ii->Picture.width(), 200);
    int dark = 0;
    for (int x = 0; x < ii->Picture.width(); ++x) dark += qGray(ii->Picture.pixel(x, 10)) < 128;
    EXPECT_GT(dark, 20);  // bars were drawn

    ASSERT_TRUE(SetParam("StrBarCodeStand", "1"));
    f.t->SetInputBoxValue(ii, "123");
    EXPECT_EQ(ii->LinkItem, "123");  // the value as passed, not the normalised code
    EXPECT_FALSE(ii->Picture.isNull());
}

TEST(BoxSync, FontColumnsTravelToADialogSampleAndBackAndCopyRowKeepsIdentity)
{
    Fixture f;
    SlipBox* a = f.Add(kTextBox);
    SlipBox* b = f.Add(kTextBox);
    BoxTable& tab = f.t->table;
    const int ra = f.t->RowOf(a), rb = f.t->RowOf(b);
    tab.SetTextMatrix(ra, BoxTable::ColFName, "黑体");
    tab.SetTextMatrix(ra, BoxTable::ColFSize, "12.5");
    tab.SetFlag(ra, BoxTable::ColBold, true);
    tab.SetColorAt(ra, 0x0000FF);
    f.t->SetCanvasMetrics(24000, 12000);  // the sample shows the unzoomed size
    QTextEdit sample;
    f.t->SetCtlFontFromRow(ra, &sample);
    EXPECT_DOUBLE_EQ(sample.font().pointSizeF(), 12.5);
    EXPECT_TRUE(sample.font().bold());
    f.t->GetCtlFontToRow(rb, &sample);
    EXPECT_EQ(tab.TextMatrix(rb, BoxTable::ColFSize), "12.5");
    EXPECT_EQ(tab.TextMatrix(rb, BoxTable::ColBold), "√");
    EXPECT_EQ(tab.ColorAt(rb), 0x0000FF);

    tab.SetTextMatrix(ra, BoxTable::ColX, "33");
    f.t->CopyCtlRow(a, b);
    EXPECT_EQ(tab.TextMatrix(rb, BoxTable::ColX), "33");
    EXPECT_EQ(tab.TextMatrix(rb, BoxTable::ColID), "-2");
    EXPECT_EQ(tab.TextMatrix(rb, BoxTable::ColSeq), "2");
    EXPECT_EQ(b->Left, 33 * 120);  // a 24000-twip canvas over a 200 mm slip
}

TEST(InputBoxes, ARowOfNoKnownClassGetsNoBoxAndBreaksNothing)
{
    Fixture f;
    f.Add(kTextBox);
    SlipBox* odd = f.Add(kLabelBox);
    f.t->table.SetTextMatrix(f.t->RowOf(odd), BoxTable::ColClas, "7");
    f.Add(kCheckBox);
    f.t->ReloadFormat(false);
    EXPECT_EQ(f.t->Count(kTextBox), 1);
    EXPECT_EQ(f.t->Count(kLabelBox), 0);
    EXPECT_EQ(f.t->Count(kCheckBox), 1);
    EXPECT_EQ(f.t->GetCtlByRow(3), nullptr);
    EXPECT_EQ(f.t->RowOf(f.t->GetControlByIndex(1001)), 4);
}
