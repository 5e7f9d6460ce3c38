#include "PrintTestSupport.h"

#include "print/FontFit.h"
#include "TestHome.h"

#include <QFontMetrics>

using namespace slip;
using namespace slip::test;

namespace {

// A printer that sets every size exactly: the sample is 12 full-width
// characters of one em (20 twips per point) each.
void LinearMetrics(FakeSurface& printer)
{
    printer.widthAtSize = [](const QString& text, double size) { return text.size() * size * 20.0; };
}

// A frame showing the slip at paper size: screen twips and paper twips agree
// (250 mm: a width at which the scaling comes out exact in floating point).
const CanvasFrame kTrueSize{250, 250 * kPaperTwipsPerMm};

// The screen measures the sample as wide as the printer would at `points`.
ScreenTextWidth ScreenAt(double points)
{
    return [points](const QString& text, const QFont&) { return text.size() * points * 20.0; };
}

} // namespace

TEST(FontFit, TheSampleIsTwelveFullWidthCharacters)
{
    const QString sample = FontFitSample();
    ASSERT_EQ(sample.size(), 12);
    for (const QChar c : sample) EXPECT_TRUE(c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF);
}

TEST(FontFit, CoarseSearchHalvesTheStepAtEveryCrossing)
{
    FakeSurface printer;
    LinearMetrics(printer);
    const double result =
        FitPrinterFontSize(printer, 12, QStringLiteral("宋体"), true, 1.0, kTrueSize, ScreenAt(17.2));
    // 10.5 to start, then the coarse sizes, then tenths towards the target.
    ASSERT_GE(printer.measuredAt.size(), 9u);
    const std::vector<double> coarse(printer.measuredAt.begin(), printer.measuredAt.begin() + 7);
    EXPECT_EQ(coarse, (std::vector<double>{10.5, 20.5, 15.5, 18, 16.75, 17.375, 17.0625}));
    EXPECT_NEAR(printer.measuredAt[7], 17.1625, 1e-5);
    EXPECT_NEAR(printer.measuredAt[8], 17.2625, 1e-5);
    // 17.2625 prints wider than the screen; the last size that doesn't is kept.
    EXPECT_NEAR(result, 17.1625, 1e-5);
    EXPECT_DOUBLE_EQ(printer.FontSize(), result);
    EXPECT_TRUE(printer.Font().bold());
}

TEST(FontFit, StartsUpwardsUnlessTheSampleIsWiderThanTheTarget)
{
    // Exactly the target at 10.5 points: the first step is +10.
    FakeSurface exact;
    LinearMetrics(exact);
    FitPrinterFontSize(exact, 12, QStringLiteral("宋体"), false, 1.0, kTrueSize, ScreenAt(10.5));
    ASSERT_GE(exact.measuredAt.size(), 2u);
    EXPECT_DOUBLE_EQ(exact.measuredAt[1], 20.5);

    // Wider: the first step is -4.
    FakeSurface shrink;
    LinearMetrics(shrink);
    const double result =
        FitPrinterFontSize(shrink, 6, QStringLiteral("宋体"), false, 1.0, kTrueSize, ScreenAt(6.04));
    EXPECT_DOUBLE_EQ(shrink.measuredAt[1], 6.5);
    EXPECT_NEAR(result, 6.04, 0.1);
    EXPECT_LE(shrink.TextWidth(FontFitSample()), 12 * 6.04 * 20 + 1e-6);
    EXPECT_FALSE(shrink.Font().bold());
}

TEST(FontFit, ScalesTheScreenWidthToTheSlipsRealWidth)
{
    // The canvas shows a 200 mm slip in a frame half its paper width: the
    // sample measured at 8 points on screen prints at 16.
    FakeSurface printer;
    LinearMetrics(printer);
    const CanvasFrame half{200, 100 * kPaperTwipsPerMm};
    const double result = FitPrinterFontSize(printer, 8, QStringLiteral("宋体"), false, 1.0, half, ScreenAt(8));
    EXPECT_NEAR(result, 16, 0.1);
    EXPECT_LE(result, 16);

    // The scale factor applies to the size measured on screen.
    FakeSurface scaled;
    LinearMetrics(scaled);
    double seen = 0;
    FitPrinterFontSize(scaled, 10, QStringLiteral("宋体"), false, 1.5, kTrueSize,
                       [&](const QString& text, const QFont& f) {
                           seen = f.pointSizeF();
                           return text.size() * f.pointSizeF() * 20.0;
                       });
    EXPECT_DOUBLE_EQ(seen, 15);
    EXPECT_NEAR(scaled.FontSize(), 15, 0.1);
}

TEST(FontFit, NoFrameFallsBackToTheBoxsOwnSize)
{
    for (const CanvasFrame frame : {CanvasFrame{200, 0}, CanvasFrame{0, 11338}, CanvasFrame{200, -5}}) {
        FakeSurface printer;
        LinearMetrics(printer);
        bool measured = false;
        const double result = FitPrinterFontSize(printer, 12, QStringLiteral("宋体"), true, 1.0, frame,
                                                 [&](const QString&, const QFont&) {
                                                     measured = true;
                                                     return 100.0;
                                                 });
        EXPECT_DOUBLE_EQ(result, 12);
        EXPECT_DOUBLE_EQ(printer.FontSize(), 12);
        EXPECT_TRUE(printer.Font().bold());
        EXPECT_FALSE(measured);
    }
    // A screen that measures nothing: the box's size, not a size near 0.
    FakeSurface printer;
    LinearMetrics(printer);
    EXPECT_DOUBLE_EQ(FitPrinterFontSize(printer, 9, QStringLiteral("宋体"), false, 1.0, kTrueSize, ScreenAt(0)), 9);
}

TEST(FontFit, OnThePrinterAFontShownAtPaperSizeKeepsItsSize)
{
    TestHome home;
    SlipPrinter printer;
    printer.UsePdfFile(home.file(QStringLiteral("fit.pdf")));
    printer.SetFontName(QStringLiteral("宋体"));
    // A frame whose screen twips equal the slip's paper twips.
    const double result = FitPrinterFontSize(printer, 12, QStringLiteral("宋体"), false, 1.0, kTrueSize);
    const double screen = ScreenLabelWidth(FontFitSample(), QFont(QStringLiteral("宋体"), 12));
    EXPECT_NEAR(result, 12, 0.6);
    EXPECT_DOUBLE_EQ(printer.FontSize(), result);
    EXPECT_LE(printer.TextWidth(FontFitSample()), screen + 1e-6);
    EXPECT_FALSE(printer.JobOpen());
}
