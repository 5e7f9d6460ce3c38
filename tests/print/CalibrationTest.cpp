#include "PrintTestSupport.h"

#include "print/Calibration.h"
#include "ScriptedPrompter.h"
#include "TestHome.h"

using namespace slip;
using namespace slip::test;

TEST(Calibration, ASquareOnA4OnlyWhenAskedAndTheWizardsShiftCorrectsTheOffsets)
{
    TestHome home;
    const QString pdf = home.file(QStringLiteral("figure.pdf"));
    SlipPrinter printer;
    printer.UsePdfFile(pdf);
    const QPageSize slip(QSizeF(180, 90), QPageSize::Millimeter, QStringLiteral("slip"), QPageSize::ExactMatch);
    printer.SetPaper(slip);
    printer.SetOrientation(QPageLayout::Landscape);

    ScriptedPrompter prompter;
    prompter.answers = {PromptAnswer::No, PromptAnswer::Yes};
    EXPECT_FALSE(PrintCalibrationFigure(printer, prompter));
    EXPECT_FALSE(QFileInfo::exists(pdf));
    EXPECT_TRUE(PrintCalibrationFigure(printer, prompter));
    EXPECT_EQ(prompter.shown, QStringList(2, CalibrationQuestion()));
    EXPECT_EQ(prompter.titles, QStringList(2, CalibrationQuestionTitle()));
    EXPECT_EQ(prompter.icons, QList<PromptIcon>(2, PromptIcon::None));
    const PdfInfo info = ReadPdfInfo(pdf);
    EXPECT_EQ(info.pages, 1);
    EXPECT_NEAR(info.widthMm, 210, 0.2);  // A4 portrait
    EXPECT_NEAR(info.heightMm, 297, 0.2);
    // Across and down the square, at 10 dots a millimetre: ink from 10 to 20 mm.
    const QImage img = RasterisePage(pdf, 1, 10);
    for (const int at : {110, 150, 190})
        for (const bool across : {true, false})
            EXPECT_EQ(DarkSpan(img, across, at, 0, 400), std::make_pair(100, 200)) << at;
    // Later slips keep their own paper.
    EXPECT_TRUE(printer.Paper().isEquivalentTo(slip));
    EXPECT_EQ(printer.Orientation(), QPageLayout::Landscape);
    const struct { int option; bool shift; int topic; } steps[] = {{0, true, 0}, {1, false, 19}, {2, false, 30}, {3, false, 31}, {4, false, 0}};
    for (const auto& s : steps) {
        EXPECT_EQ(ValWizardNextStep(s.option).enterShift, s.shift) << s.option;
        EXPECT_EQ(ValWizardNextStep(s.option).helpTopic, s.topic) << s.option;
    }
    MeasuredShift shift;
    shift.leftMm = QStringLiteral("2.5");
    shift.rightMm = QStringLiteral("9");  // not chosen: ignored
    shift.contentUp = false;
    shift.upMm = QStringLiteral("4");
    shift.downMm = QStringLiteral("1");
    OffsetCaptions offsets = ValValueOffsets({QStringLiteral("10"), QStringLiteral("10")}, shift);
    EXPECT_EQ(offsets.x, QStringLiteral("7.5"));
    EXPECT_EQ(offsets.y, QStringLiteral("11"));
    // Corrections add up over runs, without binary leftovers.
    MeasuredShift again;
    again.contentLeft = false;
    again.rightMm = QStringLiteral("0.1");
    again.upMm = QStringLiteral("0.2毫米");
    offsets = ValValueOffsets(offsets, again);
    EXPECT_EQ(offsets.x, QStringLiteral("7.6"));
    EXPECT_EQ(offsets.y, QStringLiteral("10.8"));
    // A box without a number counts as 0.
    MeasuredShift nothing;
    nothing.leftMm = QStringLiteral("abc");
    EXPECT_EQ(ValValueOffsets({QStringLiteral("12.25"), QStringLiteral("9")}, nothing).x, QStringLiteral("12.25"));
}

