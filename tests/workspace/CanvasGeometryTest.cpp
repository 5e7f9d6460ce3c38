#include "workspace/CanvasGeometry.h"

#include <gtest/gtest.h>

using namespace slip;

TEST(CanvasGeometry, FitAndScroll)
{
    // Wider than the frame's own ratio: lower than the frame, no vertical scrolling.
    CanvasFit f = FitCanvasToFrame(200, 50, 12000, 6000);
    EXPECT_EQ(f.width, 12000);
    EXPECT_EQ(f.height, 3000);
    EXPECT_FALSE(f.vScrollEnabled);
    EXPECT_FALSE(f.hScrollEnabled);
    // Exactly as high as the frame: still no scrolling.
    EXPECT_FALSE(FitCanvasToFrame(200, 100, 12000, 6000).vScrollEnabled);
    f = FitCanvasToFrame(100, 200, 12000, 6000);
    EXPECT_EQ(f.height, 24000);
    EXPECT_TRUE(f.vScrollEnabled);
    EXPECT_EQ(f.vScrollMax, 5);
    EXPECT_EQ(ScrollOffset(24000, 6000, 5), -18000);
    EXPECT_EQ(ScrollOffset(24000, 6000, 0), 0);
    // A stored size of zero never divides by zero.
    f = FitCanvasToFrame(0, 0, 12000, 6000);
    EXPECT_EQ(f.height, 6000);
}

TEST(CanvasGeometry, ZoomKeepsRelativePlaceAndStaysInBounds)
{
    CanvasFit f = FitCanvasToFrame(100, 100, 10000, 8000);  // 10000 x 10000, scrolls
    f.top = -800;  // one step down
    ZoomResult z = ZoomCanvasGeometry(f, 0.1, 10000, 8000);
    EXPECT_DOUBLE_EQ(z.fit.width, 11000);
    EXPECT_DOUBLE_EQ(z.fit.height, 11000);
    EXPECT_TRUE(z.fit.hScrollEnabled);
    EXPECT_EQ(z.vValue, 0);  // |-800/10000| * 5 = 0.4 rounds to 0
    z = ZoomCanvasGeometry(z.fit, -0.1, 10000, 8000);
    EXPECT_DOUBLE_EQ(z.fit.width, 9900);
    EXPECT_FALSE(z.fit.hScrollEnabled);
    EXPECT_EQ(z.fit.left, 0);
    EXPECT_DOUBLE_EQ(ZoomDelta(2, 20000, 10000), -0.5);
    EXPECT_DOUBLE_EQ(ZoomDelta(2, 10000, 10000), 0);
    // No zoom reaches zero, infinity or NaN.
    z = ZoomCanvasGeometry(f, -1.0, 10000, 8000);
    EXPECT_GT(z.fit.width, 0);
    z = ZoomCanvasGeometry(f, 1e12, 10000, 8000);
    EXPECT_LE(z.fit.width, 200000);
    z = ZoomCanvasGeometry(f, std::nan(""), 10000, 8000);
    EXPECT_EQ(z.fit.width, f.width);
}

TEST(CanvasGeometry, RulerGridOfTheExample)
{
    // A slip 20 mm wide on a canvas of 567 twips, 45 mm high.
    const double h = 567.0 * 45 / 20;
    const RulerDrawing d = ComputeRulers(567, h, 20);
    QVector<RulerLine> vertical, horizontal;
    for (const RulerLine& l : d.lines) (l.line.x1() == l.line.x2() ? vertical : horizontal) << l;
    ASSERT_EQ(vertical.size(), 11);
    EXPECT_NEAR(vertical[1].line.x1(), 56.7, 1e-9);
    EXPECT_NEAR(vertical[10].line.x1(), 567, 1e-9);
    EXPECT_TRUE(vertical[0].centimetre);
    EXPECT_TRUE(vertical[5].centimetre);
    EXPECT_FALSE(vertical[1].centimetre);
    EXPECT_EQ(horizontal.size(), 23);  // 0, 2, ... 44
    QStringList top, right;
    for (const RulerText& t : d.texts) {
        if (t.at.y() == 0) top << t.text;
        if (t.at.x() == 567 - 130 || t.at.x() == 567 - 260) right << t.text + "@" + QString::number(t.at.y());
    }
    EXPECT_EQ(top, (QStringList{"0", "1", "2"}));
    // Numbers below 10 stand 130 twips from the right edge; no 0 on the sides.
    EXPECT_EQ(right, (QStringList{"1@284", "2@567", "3@850", "4@1134"}));
}
