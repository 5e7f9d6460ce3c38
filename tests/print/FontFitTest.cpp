#include "PrintTestSupport.h"

#include "print/FontFit.h"

using namespace slip;
using namespace slip::test;

namespace {

// A printer applying every size exactly: the sample is one em per character.
FakeSurface LinearPrinter()
{
    FakeSurface p;
    p.widthAtSize = [](const QString& text, double size) { return text.size() * size * 20.0; };
    return p;
}

// The slip shown at paper size (250 mm: the scaling is exact in floating point).
const CanvasFrame kTrueSize{250, 250 * kPaperTwipsPerMm};

ScreenTextWidth ScreenAt(double points)
{
    return [points](const QString& text, const QFont&) { return text.size() * points * 20.0; };
}

} // namespace

TEST(FontFit, SearchHalvesTheStepAtEveryCrossingThenStepsTenthsAndNeedsAFrame)
{
    FakeSurface p = LinearPrinter();
    const double result = FitPrinterFontSize(p, 12, QStringLiteral("宋体"), true, 1.0, kTrueSize, ScreenAt(17.2));
    ASSERT_GE(p.measuredAt.size(), 9u);
    EXPECT_EQ(std::vector<double>(p.measuredAt.begin(), p.measuredAt.begin() + 7),
              (std::vector<double>{10.5, 20.5, 15.5, 18, 16.75, 17.375, 17.0625}));
    EXPECT_NEAR(p.measuredAt[8], 17.2625, 1e-5);
    // 17.2625 prints wider than the screen: the size before it is kept.
    EXPECT_NEAR(result, 17.1625, 1e-5);
    EXPECT_DOUBLE_EQ(p.FontSize(), result);
    EXPECT_TRUE(p.Font().bold());

    FakeSurface exact = LinearPrinter();  // the target at 10.5 itself: first step +10
    FitPrinterFontSize(exact, 12, QStringLiteral("宋体"), false, 1.0, kTrueSize, ScreenAt(10.5));
    EXPECT_DOUBLE_EQ(exact.measuredAt[1], 20.5);
    FakeSurface wider = LinearPrinter();  // wider than the target: first step -4
    EXPECT_NEAR(FitPrinterFontSize(wider, 6, QStringLiteral("宋体"), false, 1.0, kTrueSize, ScreenAt(6.04)), 6.04, 0.1);
    EXPECT_DOUBLE_EQ(wider.measuredAt[1], 6.5);
    for (const CanvasFrame frame : {CanvasFrame{200, 0}, CanvasFrame{0, 11338}}) {
        FakeSurface own = LinearPrinter();
        EXPECT_DOUBLE_EQ(FitPrinterFontSize(own, 12, QStringLiteral("宋体"), true, 1.0, frame, ScreenAt(12)), 12);
        EXPECT_DOUBLE_EQ(own.FontSize(), 12);
        EXPECT_TRUE(own.Font().bold());
    }
    FakeSurface blind = LinearPrinter();  // a screen that measures nothing
    EXPECT_DOUBLE_EQ(FitPrinterFontSize(blind, 9, QStringLiteral("宋体"), false, 1.0, kTrueSize, ScreenAt(0)), 9);
}

