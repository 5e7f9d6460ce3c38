#include "workspace/CanvasGeometry.h"

#include <gtest/gtest.h>

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

TEST(CanvasGeometry, ZoomKeepsTheScrolledShareInFifths)
{
    const struct {
        double offset, oldSize, newSize, frame, want;
    } cases[] = {
        {0, 1000, 1100, 800, 0},          // fitted at the top: the top stays in view
        {200, 1000, 1100, 800, 60},       // a fifth of the canvas: one fifth of 300
        {500, 1000, 2000, 800, 480},      // half: 2.5 fifths rounds to 2
        {700, 1000, 2000, 800, 960},      // 3.5 fifths rounds to 4
        {1000, 1000, 2000, 800, 1200},    // never past the last step
        {300, 1000, 700, 800, 0},         // the canvas now fits the frame
        {-200, 1000, 1100, 800, 60},      // the share counts whatever its sign
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(OffsetAfterZoom(c.offset, c.oldSize, c.newSize, c.frame), c.want) << c.offset << " " << c.newSize;
}

TEST(CanvasGeometry, LinesAreWholePixelsByTheZoomAlone)
{
    // Halves go to the even neighbour; a line keeps one pixel at least.
    const struct { double width, zoom; int pixels; } cases[] = {
        {1.5, 1, 2}, {1.5, 2, 3}, {2.5, 1, 2}, {1, 1, 1}, {1, 1.1, 1}, {3, 1.1, 3}, {1, 0.5, 1}, {0, 1, 1}, {-4, 1, 1},
        {std::numeric_limits<double>::quiet_NaN(), 1, 1}, {1e300, 20, int(kMaxLinePixels)}};
    for (const auto& c : cases) EXPECT_EQ(CanvasLinePixels(c.width, c.zoom), c.pixels) << c.width << " at " << c.zoom;
}

TEST(Rulers, LinesEveryTwoMillimetresAtEveryZoom)
{
    // 100 x 50 mm at 4 px/mm.
    const RulerDrawing d = ComputeRulers(400, 200, 100);
    int cm = 0;
    for (const RulerLine& l : d.lines) cm += l.centimetre;
    EXPECT_EQ(d.lines.size(), 51 + 26);
    EXPECT_EQ(cm, 11 + 6);
    // Zoomed far out the lines come close, and are all still drawn.
    EXPECT_EQ(ComputeRulers(300, 150, 1000).lines.size(), 501 + 251);
    // Ten kilometres of slip: four lines a pixel, the first and last centimetre numbered.
    const RulerDrawing far = ComputeRulers(1000, 50, 1e7);
    EXPECT_LE(far.lines.size(), 4 * (1000 + 50) + 2);
    QStringList top;
    for (const RulerText& t : far.texts)
        if (t.at.y() == 0) top << t.text;
    ASSERT_GE(top.size(), 2);
    EXPECT_EQ(top.front(), "0");
    EXPECT_EQ(top.back(), "1000000");
}

TEST(Rulers, EveryCentimetreIsNumberedOnAllFourEdgesAtTheFittedZoom)
{
    // A slip of 200 x 45 mm in frames of 800 and 1000 pixels.
    for (double cw : {800.0, 1000.0}) {
        const double ch = cw * 45 / 200;
        const RulerDrawing d = ComputeRulers(cw, ch, 200, 7, 14);
        QStringList top, bottom, left, right;
        for (const RulerText& t : d.texts) {
            if (t.at.y() == 0) top << t.text;
            else if (t.at.y() == ch - 14) bottom << t.text;
            else if (t.at.x() == 0) left << t.text;
            else right << t.text;
        }
        QStringList cms;
        for (int n = 0; n <= 20; ++n) cms << QString::number(n);
        EXPECT_EQ(top, cms);
        EXPECT_EQ(bottom, cms);
        EXPECT_EQ(left, QStringList({"1", "2", "3", "4"})) << cw;
        EXPECT_EQ(right, left);
    }
    // Zoomed out to 21% of a frame of 1200 pixels the one-digit numbers
    // still all fit; of the two-digit ones every other one, and the last.
    QStringList top;
    for (const RulerText& t : ComputeRulers(252, 252 * 45 / 200.0, 200, 7, 14).texts)
        if (t.at.y() == 0) top << t.text;
    EXPECT_EQ(top, QStringList({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "12", "14", "16", "20"}));
}

TEST(Rulers, EveryNumberStandsOnTheSlipAndNoneCollideWithAnotherOfItsEdgeAtEveryZoom)
{
    const struct {
        double w, h;
    } slips[] = {{180, 90}, {200, 100}, {100, 50}, {230, 110}, {45, 180}};
    for (const auto& slip : slips) {
        for (double zoom = 0.25; zoom <= 3.15; zoom *= 1.01) {
            const double cw = 1000 * zoom, ch = cw * slip.h / slip.w;
            const RulerDrawing d = ComputeRulers(cw, ch, slip.w, 7, 14);
            const QString where = QStringLiteral("%1x%2 at %3").arg(slip.w).arg(slip.h).arg(zoom);
            QStringList top;
            // Top, bottom, left and right: a side number may stand beside
            // the top or bottom row.
            auto edge = [&](const RulerText& t) {
                return t.at.y() == 0 ? 0 : t.at.y() == ch - 14 ? 1 : t.at.x() == 0 ? 2 : 3;
            };
            for (int i = 0; i < d.texts.size(); ++i) {
                const QRectF r(d.texts[i].at, d.texts[i].size);
                EXPECT_TRUE(QRectF(0, 0, cw, ch).contains(r)) << where.toStdString();
                for (int j = 0; j < i; ++j)
                    if (edge(d.texts[i]) == edge(d.texts[j]))
                    EXPECT_FALSE(r.intersects(QRectF(d.texts[j].at, d.texts[j].size)))
                        << where.toStdString() << " " << d.texts[i].text.toStdString() << "/"
                        << d.texts[j].text.toStdString();
                if (r.top() == 0) top << d.texts[i].text;
            }
            // The first and the last centimetre are always numbered.
            ASSERT_GE(top.size(), 2) << where.toStdString();
            EXPECT_EQ(top.front(), "0");
            EXPECT_EQ(top.back(), QString::number(int(slip.w) / 10)) << where.toStdString();
        }
    }
    // Zoomed in far, every centimetre keeps its number on every edge.
    EXPECT_EQ(ComputeRulers(20000, 10000, 100).texts.size(), 11 * 2 + 4 * 2);
}
