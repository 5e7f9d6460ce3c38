// Every dialog laid out on a real format (nothing cut off or outside its
// window; with SLIP_DIALOG_SHOTS set to a folder each is saved there as a
// picture), each dialog's OK reaching its rule, and the rules of the fields.
#include "DialogTestSupport.h"

#include "core/ProgramName.h"
#include "workspace/dialogs/AboutDialog.h"
#include "workspace/dialogs/CaptionedBoxDialogs.h"
#include "workspace/dialogs/LabelDialog.h"
#include "workspace/dialogs/LineDialog.h"
#include "workspace/dialogs/SlipDialogs.h"
#include "workspace/dialogs/TextBoxDialog.h"

#include <QGroupBox>
#include <QLabel>

using namespace slip;
using namespace slip::test;

namespace {

struct EveryDialogTest : ::testing::Test {
    TestHome home;
    ScriptedPrompter prompter;
    SlipFormat format;

    void SetUp() override { LoadSampleFormat(format); }
    const Box& B(BoxId id) { return *format.Find(id); }

    // Shows the dialog and checks that every caption fits in its place.
    void Check(QDialog& d, const QString& file)
    {
        d.adjustSize();
        ShowAndWait(&d);
        const QRect inside = d.rect();
        for (QWidget* w : d.findChildren<QWidget*>()) {
            if (!w->isVisible() || w->window() != &d) continue;
            EXPECT_TRUE(inside.contains(QRect(w->mapTo(&d, QPoint(0, 0)), w->size())))
                << file.toStdString() << ": " << w->metaObject()->className();
            QString text;
            if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap()) text = l->text();
            if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
            if (!text.isEmpty()) EXPECT_GE(w->width(), w->sizeHint().width()) << text.toStdString();
            if (auto* g = qobject_cast<QGroupBox*>(w))
                EXPECT_GE(g->width(), g->fontMetrics().horizontalAdvance(g->title()) + 10) << g->title().toStdString();
            if (auto* c = qobject_cast<QComboBox*>(w))
                EXPECT_GE(c->width(), c->fontMetrics().horizontalAdvance(c->currentText()) + 30)
                    << c->currentText().toStdString();
        }
        const QString folder = qEnvironmentVariable("SLIP_DIALOG_SHOTS");
        if (!folder.isEmpty() && QDir().mkpath(folder)) d.grab().save(folder + QLatin1Char('/') + file);
        d.close();
    }
};

} // namespace

TEST_F(EveryDialogTest, EveryDialogFitsItsCaptions)
{
    const std::pair<BoxKind, BoxId> boxes[] = {{BoxKind::Text, kWords}, {BoxKind::Check, kCash},
                                               {BoxKind::Picture, kBarcode}, {BoxKind::Line, kLine2},
                                               {BoxKind::Label, kTitle}};
    for (const auto& [kind, id] : boxes) {
        std::unique_ptr<BoxPropertiesDialog> d;
        switch (kind) {
        case BoxKind::Text: d = std::make_unique<TextBoxDialog>(format); break;
        case BoxKind::Check: d = std::make_unique<CheckBoxDialog>(format); break;
        case BoxKind::Picture: d = std::make_unique<PictureBoxDialog>(format); break;
        case BoxKind::Line: d = std::make_unique<LineDialog>(format); break;
        case BoxKind::Label: d = std::make_unique<LabelDialog>(format); break;
        }
        ASSERT_TRUE(d->Target(id));
        Check(*d, QStringLiteral("box-%1.png").arg(int(kind)));
    }
    SlipSizeDialog size(format);
    Check(size, QStringLiteral("slip-size.png"));
    PrintMarginDialog margin(format);
    Check(margin, QStringLiteral("print-margin.png"));
    BarcodeStandardDialog standard;
    Check(standard, QStringLiteral("barcode-standard.png"));
    AboutDialog about;
    Check(about, QStringLiteral("about.png"));
    // The project's own lines, every one shown; contacts it doesn't keep say so.
    EXPECT_TRUE(about.copyrightLine->text().contains(ProgramVersion()));
    EXPECT_FALSE(about.copyrightLine->text().contains(QLatin1Char('\n')));  // owner and version on one line
    EXPECT_LT(about.copyrightLine->height(), 2 * about.copyrightLine->fontMetrics().lineSpacing());
    const QStringList lines = {"开发者：slipprint 开发组", "开发日期：2026年12月", "电话：本项目不设联系电话",
                               "电子邮件：本项目不设电子邮件地址", "网址：未设置（设置 → 服务器地址设置）",
                               "即时通讯：本项目不设即时通讯联系方式"};
    ASSERT_EQ(about.makerLabels.size(), size_t(lines.size()));
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(about.makerLabels[i]->text(), lines[i]);
        EXPECT_FALSE(about.makerLabels[i]->isHidden());
    }
}

TEST_F(EveryDialogTest, TheTypeListShowsEveryItemWhole)
{
    TextBoxDialog d(format);
    ASSERT_TRUE(d.Target(kAmount));
    ShowAndWait(&d);
    d.typeList->showPopup();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d.typeList->view()->window()));
    int widest = 0;
    for (int i = 0; i < d.typeList->count(); ++i)
        widest = std::max(widest, d.typeList->view()->fontMetrics().horizontalAdvance(d.typeList->itemText(i)));
    EXPECT_GE(d.typeList->view()->viewport()->width(), widest);
    d.typeList->hidePopup();
}

TEST(FieldChecks, NumbersTypedIntoFieldsAreReadAndCheckedByTheirRule)
{
    struct Case { const char* typed; NumberRule rule; std::optional<double> value; const char* problem; };
    const NumberRule width = SizeRule(QStringLiteral("宽"));
    const NumberRule x = PositionRule(QStringLiteral("横向坐标"));
    const NumberRule lineWidth = SizeRule(QStringLiteral("粗细"), QString());
    const Case cases[] = {
        {"42mm", width, 42, ""},
        {"12.5毫米", width, 12.5, ""},
        {"abc", width, std::nullopt, "“宽”必须是数字（单位：毫米）！"},
        {"-5", width, std::nullopt, "“宽”不能为负数！"},
        {"0", width, std::nullopt, "“宽”必须大于零！"},
        // Beyond any slip, and on either side of it.
        {"500", width, 500, ""}, {"-5", x, -5, ""}, {"150", lineWidth, 150, ""},
        {"1000", PositionRule(QStringLiteral("纵向坐标")), 1000, ""}, {"-300", PositionRule(QStringLiteral("横向边距")), -300, ""},
        {"0", lineWidth, std::nullopt, "“粗细”必须大于零！"}, {"x", lineWidth, std::nullopt, "“粗细”必须是数字！"},
        {"abc", x, std::nullopt, "“横向坐标”必须是数字（单位：毫米）！"},
        {"1e9", SizeRule(QStringLiteral("高")), std::nullopt, "“高”必须是数字（单位：毫米）！"},
        {"200000", x, std::nullopt, "“横向坐标”不能超过100000毫米！"},
        {"-0.5", LineSpacingRule(), -0.5, ""}, {"999.999", LineSpacingRule(), 999.999, ""},
        {"1000", LineSpacingRule(), std::nullopt, "“行间距”不能超过999.999毫米！"},
    };
    for (const Case& c : cases) {
        QString problem;
        EXPECT_EQ(CheckTypedNumber(QString::fromUtf8(c.typed), c.rule, problem), c.value) << c.typed;
        EXPECT_EQ(problem, QString::fromUtf8(c.problem)) << c.typed;
    }
    EXPECT_EQ(FontSizeProblem(500), QString());
    EXPECT_EQ(FontSizeProblem(600), QStringLiteral("字号不能超过500！"));
}

// --- Each dialog's OK: the changed field reaches the box and the selected
// boxes of its kind, and nothing else.

TEST_F(EveryDialogTest, CheckBoxCaptionSideReachesTheSelectedCheckBoxes)
{
    format.SetSelection({kTransfer, kAmount});
    const std::vector<Box> others = BoxesBut(format, {kCash, kTransfer});
    CheckBoxDialog d(format);
    ASSERT_TRUE(d.Target(kCash));
    ShowAndWait(&d);
    EXPECT_EQ(d.widthEdit, nullptr);  // a check box's size is not edited
    Click(d.sideButtons[3]);
    Click(d.okButton);
    EXPECT_EQ(B(kCash).captionSide, CaptionSide::Below);
    EXPECT_EQ(B(kTransfer).captionSide, CaptionSide::Below);
    EXPECT_EQ(BoxesBut(format, {kCash, kTransfer}), others);
}

TEST_F(EveryDialogTest, PictureBoxTakesItsNewSizeAndKeepsItsBarcode)
{
    format.SetSelection({kPhoto});
    PictureBoxDialog d(format);
    ASSERT_TRUE(d.Target(kBarcode));
    ShowAndWait(&d);
    TypeInto(d.widthEdit, QStringLiteral("40"));
    TypeInto(d.heightEdit, QStringLiteral("20"));
    Click(d.okButton);
    EXPECT_EQ(B(kBarcode).rect, QRectF(120, 60, 40, 20));
    EXPECT_EQ(B(kPhoto).rect, QRectF(185, 60, 40, 20));
    EXPECT_EQ(format.Value(kBarcode), QStringLiteral("6901234567892"));
}

TEST_F(EveryDialogTest, LineWidthAndColourReachTheSelectedLines)
{
    format.SetSelection({kLine3, kTitle});
    const std::vector<Box> others = BoxesBut(format, {kLine2, kLine3});
    LineDialog d(format);
    ASSERT_TRUE(d.Target(kLine2));
    ShowAndWait(&d);
    EXPECT_EQ(d.styleList->currentText(), QStringLiteral("2 - 虚线"));
    TypeInto(d.widthEdit, QStringLiteral("3"));
    {
        ScriptedColor colour(QColor(Qt::green));
        Click(d.colorButton);
    }
    Click(d.okButton);
    for (BoxId id : {kLine2, kLine3}) {
        EXPECT_EQ(B(id).lineWidth, 3) << id;
        EXPECT_EQ(B(id).color, QColor(Qt::green)) << id;
    }
    EXPECT_EQ(B(kLine3).lineStyle, 7);  // untouched fields stay
    EXPECT_EQ(BoxesBut(format, {kLine2, kLine3}), others);
}

TEST_F(EveryDialogTest, LabelTextAndFontReachTheSelectedLabels)
{
    format.SetSelection({kNote, kAmount});
    const Box amount = B(kAmount);
    LabelDialog d(format);
    ASSERT_TRUE(d.Target(kTitle));
    ShowAndWait(&d);
    EXPECT_EQ(d.lineSpacingEdit->text(), QStringLiteral("-1.5"));
    TypeInto(d.captionEdit, QStringLiteral("中国银行进账单"));
    FontChoice f;
    f.font.family = QStringLiteral("楷体");
    f.font.pointSize = 12;
    {
        ScriptedFont font(f);
        Click(d.fontButton);
    }
    Click(d.okButton);
    for (BoxId id : {kTitle, kNote}) {
        EXPECT_EQ(B(id).caption, QStringLiteral("中国银行进账单")) << id;
        EXPECT_EQ(B(id).font.family, QStringLiteral("楷体")) << id;
    }
    EXPECT_EQ(B(kTitle).lineSpacingMm, -1.5);
    EXPECT_EQ(B(kAmount), amount);
}

TEST_F(EveryDialogTest, SlipSizeOutsideTheRatioIsToldAndAnotherIsTaken)
{
    SlipSizeDialog d(format);
    ShowAndWait(&d);
    TypeInto(d.widthEdit, QStringLiteral("210"));
    TypeInto(d.heightEdit, QStringLiteral("10"));
    Click(d.okButton);
    EXPECT_EQ(prompter.shown, QStringList{QStringLiteral("单据的宽度与高度比例应为1：20到20：1之间！")});
    EXPECT_EQ(prompter.icons, QList<PromptIcon>{PromptIcon::None});
    EXPECT_TRUE(d.isVisible() && d.widthEdit->text() == QStringLiteral("210"));  // open, with the typed values
    TypeInto(d.widthEdit, QStringLiteral("200"));
    Click(d.okButton);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(format.Header().widthMm, 200);
    EXPECT_EQ(format.Header().heightMm, 10);
}

// Values beyond the slip, on either side of it, reach the boxes as typed.
TEST_F(EveryDialogTest, ValuesBeyondTheSlipReachTheBoxesAsTyped)
{
    {
        PictureBoxDialog d(format);
        ASSERT_TRUE(d.Target(kBarcode));
        ShowAndWait(&d);
        TypeInto(d.xEdit, QStringLiteral("-5"));
        TypeInto(d.yEdit, QStringLiteral("120"));
        TypeInto(d.widthEdit, QStringLiteral("300"));
        Click(d.okButton);
        EXPECT_EQ(B(kBarcode).rect, QRectF(-5, 120, 300, 15));
    }
    {
        LineDialog d(format);
        ASSERT_TRUE(d.Target(kLine2));
        ShowAndWait(&d);
        TypeInto(d.widthEdit, QStringLiteral("150"));
        TypeInto(d.endXEdit, QStringLiteral("400"));
        Click(d.okButton);
        EXPECT_EQ(B(kLine2).lineWidth, 150);
        EXPECT_EQ(B(kLine2).line.p2(), QPointF(400, 50));
    }
    PrintMarginDialog d(format);
    ShowAndWait(&d);
    TypeInto(d.xEdit, QStringLiteral("-300"));
    Click(d.okButton);
    EXPECT_EQ(format.Header().offsetXMm, -300);
    EXPECT_TRUE(prompter.shown.isEmpty());
}
