#include "PrintTestSupport.h"

#include "print/Calibration.h"
#include "print/SlipPrinter.h"
#include "ScriptedPrompter.h"
#include "TestHome.h"

#include <QFileInfo>
#include <QImage>

using namespace slip;
using namespace slip::test;

TEST(Calibration, TheFigureIsATenMillimetreSquareTenMillimetresIn)
{
    FakeSurface s;
    DrawCalibrationFigure(s);
    ASSERT_EQ(s.boxes.size(), 1u);
    EXPECT_NEAR(s.boxes[0].x1, Tw(10), 1e-9);
    EXPECT_NEAR(s.boxes[0].y1, Tw(10), 1e-9);
    EXPECT_NEAR(s.boxes[0].x2, Tw(20), 1e-9);
    EXPECT_NEAR(s.boxes[0].y2, Tw(20), 1e-9);
    EXPECT_EQ(s.boxes[0].color, QColor(Qt::black));
}

TEST(Calibration, PrintedOnAnA4SheetOnlyWhenTheOperatorSaysYes)
{
    TestHome home;
    const QString pdf = home.file(QStringLiteral("figure.pdf"));
    SlipPrinter printer;
    printer.UsePdfFile(pdf);
    const QPageSize slip(QSizeF(180, 90), QPageSize::Millimeter, QStringLiteral("slip"), QPageSize::ExactMatch);
    printer.SetPaper(slip);
    printer.SetOrientation(QPageLayout::Landscape);

    ScriptedPrompter prompter;
    prompter.answers = {PromptAnswer::No};
    EXPECT_FALSE(PrintCalibrationFigure(printer, prompter));
    EXPECT_EQ(prompter.shown, QStringList({CalibrationQuestion()}));
    EXPECT_FALSE(QFileInfo::exists(pdf));
    EXPECT_FALSE(printer.JobOpen());

    prompter.answers = {PromptAnswer::Yes};
    EXPECT_TRUE(PrintCalibrationFigure(printer, prompter));
    const PdfInfo info = ReadPdfInfo(pdf);
    EXPECT_EQ(info.pages, 1);
    EXPECT_NEAR(info.widthMm, 210, 0.2);  // A4 portrait
    EXPECT_NEAR(info.heightMm, 297, 0.2);
    const QImage img = RasterisePage(pdf, 1, 10);
    // Across and down the square, at 10 dots a millimetre: ink from 10 to 20 mm.
    const auto dark = [&](bool across, int at) {
        std::pair<int, int> span{-1, -1};
        for (int i = 0; i < 400; ++i)
            if (qGray(across ? img.pixel(i, at) : img.pixel(at, i)) < 128) {
                if (span.first < 0) span.first = i;
                span.second = i + 1;
            }
        return span;
    };
    for (const int at : {110, 150, 190})
        for (const bool across : {true, false}) {
            EXPECT_NEAR(dark(across, at).first, 100, 1) << at;
            EXPECT_NEAR(dark(across, at).second, 200, 1) << at;
        }
    // Later slips keep their own paper.
    EXPECT_TRUE(printer.Paper().isEquivalentTo(slip));
    EXPECT_EQ(printer.Orientation(), QPageLayout::Landscape);
}

TEST(Calibration, ACaptionOfTenMeansNoShift)
{
    EXPECT_DOUBLE_EQ(PrintOffsetMm(QStringLiteral("10")), 0);
    EXPECT_DOUBLE_EQ(PrintOffsetMm(QStringLiteral("15")), 5);
    EXPECT_DOUBLE_EQ(PrintOffsetMm(QStringLiteral("7.5")), -2.5);
    EXPECT_DOUBLE_EQ(PrintOffsetMm(QString()), -10);
}

TEST(Calibration, WizardLeadsToTheShiftOrToHelp)
{
    EXPECT_TRUE(ValWizardNextStep(0).enterShift);
    const int topics[] = {19, 30, 31};
    for (int option = 1; option <= 3; ++option) {
        EXPECT_FALSE(ValWizardNextStep(option).enterShift);
        EXPECT_EQ(ValWizardNextStep(option).helpTopic, topics[option - 1]);
    }
    EXPECT_FALSE(ValWizardNextStep(4).enterShift);
    EXPECT_EQ(ValWizardNextStep(4).helpTopic, 0);
}

TEST(Calibration, MeasuredShiftCorrectsTheOffsets)
{
    MeasuredShift shift;
    shift.contentLeft = true;
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
    again.contentUp = true;
    again.upMm = QStringLiteral("0.2毫米");
    offsets = ValValueOffsets(offsets, again);
    EXPECT_EQ(offsets.x, QStringLiteral("7.6"));
    EXPECT_EQ(offsets.y, QStringLiteral("10.8"));
    // A box without a number counts as 0.
    MeasuredShift nothing;
    nothing.leftMm = QStringLiteral("abc");
    EXPECT_EQ(ValValueOffsets({QStringLiteral("12.25"), QStringLiteral("9")}, nothing).x, QStringLiteral("12.25"));
    EXPECT_EQ(ValValueDoneMessage(), QStringLiteral("调整完成，再试打印一下看？"));
}
