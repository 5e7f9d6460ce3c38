#include "PrintTestSupport.h"

#include "print/PageLayers.h"

#include <QImage>

using namespace slip;
using namespace slip::test;

namespace {

QImage Black(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::black);
    return img;
}

} // namespace

TEST(PageLayers, RulerGridEveryTwoMillimetresThickEveryTenNoneOnTheFarEdges)
{
    FakeSurface a4;  // portrait A4: 210 x 297 mm
    a4.SetDrawWidth(5);
    a4.SetDrawStyle(kLineDash);
    PrintRulerGrid(a4, 11905, 16838);
    std::vector<double> vertical, horizontal, thick;
    for (const auto& l : a4.lines) {
        const bool isVertical = l.x1 == l.x2;
        const double mm = (isVertical ? l.x1 : l.y1) / kPaperTwipsPerMm;
        (isVertical ? vertical : horizontal).push_back(mm);
        const bool tenth = std::fmod(std::round(mm), 10.0) == 0;
        EXPECT_EQ(l.width, tenth ? 2 : 1) << mm;
        EXPECT_EQ(l.color, tenth ? QColor(Qt::black) : QColor(0x33, 0x33, 0x33)) << mm;
        if (isVertical) {
            EXPECT_DOUBLE_EQ(l.y1, 0);
            EXPECT_NEAR(l.y2, Tw(297), 1e-6);
        } else {
            EXPECT_DOUBLE_EQ(l.x1, 0);
            EXPECT_NEAR(l.x2, Tw(210), 1e-6);
        }
    }
    ASSERT_EQ(vertical.size(), 105u);    // 0, 2, ... 208
    ASSERT_EQ(horizontal.size(), 148u);  // 0, 2, ... 294
    EXPECT_NEAR(vertical.back(), 208, 1e-9);
    EXPECT_NEAR(horizontal.back(), 294, 1e-9);
    EXPECT_EQ(a4.DrawWidth(), 5);  // the surface as it was
    EXPECT_EQ(a4.DrawStyle(), int(kLineDash));
}

TEST(PageLayers, PlacementOnThePageForLengthwiseAndCentreFeed)
{
    const double w = Tw(180), h = Tw(90);
    PagePlacement page{16838, 11905, false, false};  // A4 landscape
    EXPECT_EQ(PlaceOnPage({100, 200}, w, h, page), QPointF(100, 200));
    page.lengthwise = true;
    EXPECT_EQ(PlaceOnPage({100, 200}, w, h, page), QPointF(100, 200 + 11905 - h));
    page.centreFeed = true;
    EXPECT_EQ(PlaceOnPage({100, 200}, w, h, page), QPointF(100, 200 + (11905 - h) / 2));
    page = PagePlacement{11905, 16838, false, true};  // crosswise, guides to the centre
    EXPECT_EQ(PlaceOnPage({100, 200}, w, h, page), QPointF(100 + (11905 - w) / 2, 200));
}

TEST(PageLayers, BackgroundPictureCoversTheSlipInRegisterWithTheBoxes)
{
    const QImage picture = Black(36, 18);
    const PagePlacement a4{11905, 16838, false, false};
    FakeSurface s;
    EXPECT_TRUE(PrintBackgroundPicture(s, picture, 0, 0, 180, 90, a4));  // captions of 10: no shift
    EXPECT_TRUE(PrintBackgroundPicture(s, picture, 5, -2, 180, 90, a4));  // caption "15" and "8"
    EXPECT_TRUE(PrintBackgroundPicture(s, picture, 0, 0, 180, 90, PagePlacement{16838, 11905, true, false}));
    ASSERT_EQ(s.pictures.size(), 3u);
    EXPECT_EQ(s.pictures[0], QRectF(0, 0, Tw(180), Tw(90)));
    EXPECT_EQ(s.pictures[1], QRectF(-Tw(5), Tw(2), Tw(180), Tw(90)));  // its left 5 mm off the page
    EXPECT_EQ(s.pictures[2], QRectF(0, 11905 - Tw(90), Tw(180), Tw(90)));  // moved as the boxes are

    FakeSurface none;
    EXPECT_FALSE(PrintBackgroundPicture(none, QImage(), 0, 0, 180, 90, a4));
    EXPECT_FALSE(PrintBackgroundPicture(none, picture, 0, 0, 0, 90, a4));
    EXPECT_TRUE(none.pictures.empty());
}
