#include "workspace/CanvasGeometry.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace slip;

TEST(CanvasGeometry, CanvasKeepsTheSlipsProportionsAtEveryZoom)
{
    EXPECT_EQ(CanvasSize(200, 100, 1000, 1), QSizeF(1000, 500));
    EXPECT_EQ(CanvasSize(200, 100, 1000, 2), QSizeF(2000, 1000));
    // A slip without a usable size has no canvas: nothing divides by zero.
    EXPECT_TRUE(CanvasSize(0, 100, 1000, 1).isEmpty());
    EXPECT_TRUE(CanvasSize(200, std::numeric_limits<double>::quiet_NaN(), 1000, 1).isEmpty());
    EXPECT_TRUE(CanvasSize(200, 100, 0, 1).isEmpty());
}

TEST(CanvasGeometry, ZoomStaysWithinItsBoundsAndIgnoresJunkSteps)
{
    EXPECT_DOUBLE_EQ(ZoomAfterButton(0, 1), 1.1);
    EXPECT_DOUBLE_EQ(ZoomAfterButton(1, 1), 0.9);
    EXPECT_DOUBLE_EQ(ZoomAfterButton(2, 7.3), 1);
    EXPECT_DOUBLE_EQ(ZoomAfterStep(0.1, -0.5), kMinZoom);
    EXPECT_DOUBLE_EQ(ZoomAfterStep(19, 1), kMaxZoom);
    EXPECT_DOUBLE_EQ(ZoomAfterStep(2, std::numeric_limits<double>::infinity()), 2);
    EXPECT_DOUBLE_EQ(ZoomAfterStep(2, std::numeric_limits<double>::quiet_NaN()), 2);
    EXPECT_DOUBLE_EQ(ClampZoom(std::numeric_limits<double>::quiet_NaN()), 1);
}

TEST(CanvasGeometry, TransformMapsMillimetresToPixelsAndBack)
{
    CanvasTransform t{5, QPointF(10, 20)};
    EXPECT_EQ(t.ToPx(QPointF(2, 4)), QPointF(20, 40));
    EXPECT_EQ(t.ToMm(QPointF(20, 40)), QPointF(2, 4));
    EXPECT_EQ(t.ToPx(QRectF(0, 0, 10, 2)), QRectF(10, 20, 50, 10));
    CanvasTransform none;
    EXPECT_EQ(none.ToMm(QPointF(20, 40)), QPointF());
}

TEST(Rulers, LinesEveryTwoMillimetresAndNumbersEveryCentimetre)
{
    // 100 x 50 mm at 4 px/mm.
    const RulerDrawing d = ComputeRulers(400, 200, 100, 16);
    int cm = 0;
    for (const RulerLine& l : d.lines) cm += l.centimetre;
    EXPECT_EQ(d.lines.size(), 51 + 26);
    EXPECT_EQ(cm, 11 + 6);
    // 0..10 along the top and bottom, 1..4 down both sides: the 5 at the
    // bottom edge would stand outside the canvas.
    EXPECT_EQ(d.texts.size(), 11 * 2 + 4 * 2);
    for (const RulerText& t : d.texts) EXPECT_LE(t.at.y() + 16, 200);
    EXPECT_EQ(d.texts.front().text, "0");
}

TEST(Rulers, NumbersThinOutWhenZoomedOutAndNeverVanish)
{
    EXPECT_EQ(RulerNumberStep(40, 16), 1);
    EXPECT_EQ(RulerNumberStep(12, 16), 2);
    EXPECT_EQ(RulerNumberStep(3, 16), 10);
    // A 1,000 mm slip shown 300 pixels wide: numbers never overlap.
    const RulerDrawing d = ComputeRulers(300, 150, 1000, 16);
    ASSERT_GE(d.texts.size(), 2);
    double lastX = -100;
    for (const RulerText& t : d.texts) {
        if (t.at.y() != 0) continue;
        EXPECT_GE(t.at.x() - lastX, 16) << t.text.toStdString();
        lastX = t.at.x();
    }
    // Lines closer than 3 pixels are left out.
    for (int i = 1; i < d.lines.size(); ++i) {
        const QLineF a = d.lines[i - 1].line, b = d.lines[i].line;
        if (a.x1() == a.x2() && b.x1() == b.x2()) EXPECT_GE(b.x1() - a.x1(), 2.9);
    }
    // Zoomed in far, every centimetre keeps its number.
    const RulerDrawing big = ComputeRulers(20000, 10000, 100, 16);
    int top = 0;
    for (const RulerText& t : big.texts) top += t.at.y() == 0;
    EXPECT_EQ(top, 11);
}
