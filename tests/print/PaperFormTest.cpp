#include "PrintTestSupport.h"

#include "print/PaperForm.h"
#include "print/SlipPrinter.h"
#include "storage/Prompt.h"
#include "TestHome.h"

using namespace slip;
using namespace slip::test;

namespace {

int FormsNamed(const SlipPrinter& printer, const QString& name)
{
    int n = 0;
    for (const PaperForm& f : PrinterForms(printer))
        if (f.name == name) ++n;
    return n;
}

} // namespace

TEST(PaperForm, SizesAreCountedInThousandthsOfAMillimetre)
{
    const FormSize a4 = FormSizeOf(210, 297);
    EXPECT_EQ(a4.cx, 210000);
    EXPECT_EQ(a4.cy, 297000);
    const FormSize slip = FormSizeOf(190.0004, 101.6);
    EXPECT_EQ(slip.cx, 190000);
    EXPECT_EQ(slip.cy, 101600);
    const FormSize letter = FormSizeOf(QPageSize(QPageSize::Letter));
    EXPECT_EQ(letter.cx, 215900);
    EXPECT_EQ(letter.cy, 279400);
}

TEST(PaperForm, FindsTheFirstFormOfExactlyTheSize)
{
    const QList<PaperForm> forms{PaperFormOf(QPageSize(QPageSize::Letter)), PaperFormOf(QPageSize(QPageSize::A4)),
                                 PaperForm{QStringLiteral("Other"), FormSizeOf(210, 297), QPageSize(QPageSize::A4)}};
    QString name = QStringLiteral("stale");
    EXPECT_EQ(FindFormBySize(forms, FormSizeOf(210, 297), name), 2);
    EXPECT_EQ(name, QStringLiteral("A4"));
    EXPECT_EQ(FindFormBySize(forms, FormSizeOf(210.001, 297), name), -1);
    EXPECT_EQ(name, QString());
    // Width and height are not swapped.
    EXPECT_EQ(FindFormBySize(forms, FormSizeOf(297, 210), name), -1);
}

TEST(PaperForm, AnExistingPaperOfTheSlipsSizeIsUsedAsItIs)
{
    TestHome home;
    ScriptedPrompter prompter;
    SlipPrinter printer;
    printer.UsePdfFile(home.file(QStringLiteral("a4.pdf")));
    printer.SetPaper(QPageSize(QPageSize::A5));
    QString name = SlipPaperName();
    EXPECT_TRUE(SetCustomPaper(printer, name, 210, 297));
    EXPECT_EQ(name, QStringLiteral("A4"));
    EXPECT_EQ(printer.Paper().id(), QPageSize::A4);
    EXPECT_EQ(FormsNamed(printer, SlipPaperName()), 0);
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST(PaperForm, TheSlipSizeBecomesAPaperOfTheSlipsName)
{
    TestHome home;
    ScriptedPrompter prompter;
    const QString pdf = home.file(QStringLiteral("slip.pdf"));
    SlipPrinter printer;
    printer.UsePdfFile(pdf);

    // 0.001 mm off A4 is not A4.
    QString name = SlipPaperName();
    EXPECT_TRUE(SetCustomPaper(printer, name, 210.001, 297));
    EXPECT_EQ(name, SlipPaperName());
    EXPECT_EQ(printer.Paper().name(), SlipPaperName());
    EXPECT_EQ(FormsNamed(printer, SlipPaperName()), 1);
    QString found;
    EXPECT_GT(FindFormBySize(PrinterForms(printer), FormSizeOf(210.001, 297), found), 0);
    EXPECT_EQ(found, SlipPaperName());

    // Another slip size replaces the older paper of that name.
    EXPECT_TRUE(SetCustomPaper(printer, name, 200, 100));
    EXPECT_EQ(FormsNamed(printer, SlipPaperName()), 1);
    // The same size again finds the paper added before.
    const int before = int(PrinterForms(printer).size());
    EXPECT_TRUE(SetCustomPaper(printer, name, 200, 100));
    EXPECT_EQ(int(PrinterForms(printer).size()), before);
    EXPECT_EQ(name, SlipPaperName());
    EXPECT_TRUE(prompter.shown.isEmpty());

    // The job comes out on paper of the slip's size, drawn from its corner.
    EXPECT_EQ(printer.PageWidth(), 11339);
    EXPECT_EQ(printer.PageHeight(), 5669);
    printer.SetFontName(QStringLiteral("DejaVu Sans"));
    printer.SetCurrentX(170 * kPaperTwipsPerMm);
    printer.SetCurrentY(90 * kPaperTwipsPerMm);
    printer.Print(QStringLiteral("CORNER"));
    ASSERT_TRUE(printer.EndDoc());
    // PDF pages are whole points: within half a point (0.18 mm).
    const PdfInfo info = ReadPdfInfo(pdf);
    EXPECT_NEAR(PtToMm(info.widthPt), 200, 0.18);
    EXPECT_NEAR(PtToMm(info.heightPt), 100, 0.18);
    const QString words = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(words.contains(QStringLiteral(">CORNER<")));
}

TEST(PaperForm, APrinterThatRefusesKeepsItsPaper)
{
    TestHome home;
    ScriptedPrompter prompter;
    FakePrinters fake;
    fake.names = {QStringLiteral("窄行打印机")};
    fake.files[QStringLiteral("窄行打印机")] = home.file(QStringLiteral("narrow.pdf"));
    fake.acceptsCustom = false;
    PrintersScope scope(&fake);
    SlipPrinter printer;
    printer.UsePrinter(QStringLiteral("窄行打印机"));
    printer.SetPaper(QPageSize(QPageSize::Letter));

    QString name = SlipPaperName();
    EXPECT_TRUE(SetCustomPaper(printer, name, 241, 140));
    EXPECT_EQ(prompter.shown, QStringList({QStringLiteral("添加自定义纸张错误！")}));
    EXPECT_EQ(printer.Paper().id(), QPageSize::Letter);
    EXPECT_EQ(FormsNamed(printer, SlipPaperName()), 0);

    // One of its own papers is still found by size.
    prompter.shown.clear();
    EXPECT_TRUE(SetCustomPaper(printer, name, 210, 297));
    EXPECT_EQ(printer.Paper().id(), QPageSize::A4);
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST(PaperForm, NothingChangesOnAPrinterThatCannotBeUsed)
{
    TestHome home;
    ScriptedPrompter prompter;
    FakePrinters fake;
    fake.names = {QStringLiteral("离线打印机")};
    fake.unreachable = {QStringLiteral("离线打印机")};
    PrintersScope scope(&fake);
    SlipPrinter printer;
    printer.UsePrinter(QStringLiteral("离线打印机"));
    const QPageSize before = printer.Paper();
    QString name = SlipPaperName();
    EXPECT_FALSE(SetCustomPaper(printer, name, 200, 100));
    EXPECT_EQ(name, SlipPaperName());
    EXPECT_TRUE(printer.Paper().isEquivalentTo(before));
    EXPECT_TRUE(prompter.shown.isEmpty());
}
