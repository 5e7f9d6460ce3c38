#include "PrintTestSupport.h"

#include "print/PaperForm.h"
#include "ScriptedPrompter.h"
#include "TestHome.h"

using namespace slip;
using namespace slip::test;

namespace {
struct PaperForms : ::testing::Test {
    TestHome home;
    ScriptedPrompter prompter;
};
} // namespace

TEST_F(PaperForms, AnExistingPaperOfExactlyTheSlipsSizeIsUsed)
{
    SlipPrinter printer;
    printer.UsePdfFile(home.file(QStringLiteral("a4.pdf")));
    printer.SetPaper(QPageSize(QPageSize::A5));
    QString name = SlipPaperName();
    EXPECT_TRUE(SetCustomPaper(printer, name, 210, 297, prompter));
    EXPECT_EQ(name, QStringLiteral("A4"));
    EXPECT_EQ(printer.Paper().id(), QPageSize::A4);
    QString found;
    EXPECT_EQ(FindFormBySize(PrinterForms(printer), FormSizeOf(210.001, 297), found), -1);  // 0.001 mm off
    EXPECT_EQ(FindFormBySize(PrinterForms(printer), FormSizeOf(297, 210), found), -1);      // not turned
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(PaperForms, TheSlipSizeIsAddedOnceAndFoundAgain)
{
    const QString pdf = home.file(QStringLiteral("slip.pdf"));
    SlipPrinter printer;
    printer.UsePdfFile(pdf);
    QString name = SlipPaperName();
    EXPECT_TRUE(SetCustomPaper(printer, name, 210.001, 297, prompter));
    EXPECT_EQ(printer.Paper().name(), SlipPaperName());
    EXPECT_TRUE(SetCustomPaper(printer, name, 200, 100, prompter));  // replaces the older paper of that name
    const auto forms = PrinterForms(printer);
    EXPECT_TRUE(SetCustomPaper(printer, name, 200, 100, prompter));  // found, not added again
    EXPECT_EQ(PrinterForms(printer).size(), forms.size());
    EXPECT_EQ(std::count_if(forms.begin(), forms.end(), [](const PaperForm& f) { return f.name == SlipPaperName(); }), 1);
    EXPECT_EQ(name, SlipPaperName());
    EXPECT_TRUE(prompter.shown.isEmpty());

    printer.SetFontName(QStringLiteral("DejaVu Sans"));
    printer.SetCurrentX(Tw(170));
    printer.SetCurrentY(Tw(90));
    printer.Print(QStringLiteral("CORNER"));
    ASSERT_TRUE(printer.EndDoc());
    const PdfInfo info = ReadPdfInfo(pdf);  // whole points: within 0.18 mm
    EXPECT_NEAR(info.widthMm, 200, 0.18);
    EXPECT_NEAR(info.heightMm, 100, 0.18);
    EXPECT_TRUE(RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).contains(QStringLiteral("CORNER")));
}

TEST_F(PaperForms, APrinterThatRefusesKeepsItsPaperAndAnUnusableOneChangesNothing)
{
    FakePrinters fake;
    fake.names = {QStringLiteral("窄行打印机"), QStringLiteral("离线打印机")};
    fake.files[fake.names[0]] = home.file(QStringLiteral("narrow.pdf"));
    fake.unreachable = {fake.names[1]};
    fake.acceptsCustom = false;
    PrintersScope scope(&fake);
    SlipPrinter printer;
    printer.SetPaper(QPageSize(QPageSize::Letter));
    QString name = SlipPaperName();
    EXPECT_TRUE(SetCustomPaper(printer, name, 241, 140, prompter));
    EXPECT_EQ(prompter.shown, QStringList({QStringLiteral("对打印机“窄行打印机”您没有权限添加自定义纸张!")}));
    EXPECT_EQ(prompter.titles, QStringList({QStringLiteral("设置错误！")}));
    EXPECT_EQ(prompter.icons, QList<PromptIcon>({PromptIcon::Warning}));
    EXPECT_EQ(printer.Paper().id(), QPageSize::Letter);
    EXPECT_TRUE(SetCustomPaper(printer, name, 210, 297, prompter));  // its own A4 is still found
    EXPECT_EQ(printer.Paper().id(), QPageSize::A4);
    // A paper it does not have is refused, also when asked for directly.
    EXPECT_FALSE(printer.SetPaper(QPageSize(QPageSize::A5)));
    EXPECT_EQ(printer.Paper().id(), QPageSize::A4);
    EXPECT_TRUE(printer.SetPaper(QPageSize(QPageSize::Letter)));
    EXPECT_TRUE(printer.SetOrientation(QPageLayout::Landscape));
    EXPECT_EQ(PaperRefusedMessage(fake.names[0], QPageSize(QPageSize::A5)),
              QStringLiteral("打印机“窄行打印机”没有148×210毫米的纸张，单据将打印在它现有的纸张上。"));

    printer.UsePrinter(fake.names[1]);
    const QPageSize before = printer.Paper();
    EXPECT_FALSE(SetCustomPaper(printer, name, 200, 100, prompter));
    EXPECT_TRUE(printer.Paper().isEquivalentTo(before));
    EXPECT_EQ(prompter.shown.size(), 1);
}

TEST_F(PaperForms, ASizeNoPaperCanHaveIsToldByItsErrorNumber)
{
    SlipPrinter printer;
    printer.UsePdfFile(home.file(QStringLiteral("none.pdf")));
    printer.SetPaper(QPageSize(QPageSize::A5));
    EXPECT_EQ(AddCustomForm(printer, FormSizeOf(0, 100), SlipPaperName(), prompter), QStringLiteral("None"));
    EXPECT_EQ(prompter.shown, QStringList({QStringLiteral("错误号: %1").arg(EINVAL)}));
    EXPECT_EQ(prompter.titles, QStringList({QStringLiteral("添加自定义纸张错误！")}));
    EXPECT_EQ(prompter.icons, QList<PromptIcon>({PromptIcon::None}));
    QString name = SlipPaperName();
    EXPECT_TRUE(SetCustomPaper(printer, name, 0, 100, prompter));
    EXPECT_EQ(printer.Paper().id(), QPageSize::A5);  // the paper it had
}
