#include "ui/PicturePreview.h"

#include <QTest>
#include <QScrollBar>
#include <QLabel>
#include <gtest/gtest.h>

using namespace slip;

namespace {

struct PicturePreviewTest : ::testing::Test {
    PicturePreview preview;

    void SetUp() override
    {
        preview.resize(320, 200);
        preview.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    }
    static QImage Picture(int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        return image;
    }
};

} // namespace

TEST_F(PicturePreviewTest, WithoutAPictureTheFrameSaysSoAndNothingScrolls)
{
    // Also after a picture is taken away.
    preview.ShowPicture(Picture(100, 400));
    preview.scrollBar->setValue(3);
    preview.ShowPicture(QImage());
    EXPECT_FALSE(preview.HasPicture());
    EXPECT_EQ(preview.picture->pos(), QPoint(0, 0));
    EXPECT_TRUE(preview.noPicture->isVisible());
    EXPECT_EQ(preview.noPicture->text(), QStringLiteral("此格式暂无图片！"));
    EXPECT_FALSE(preview.picture->isVisible());
    EXPECT_FALSE(preview.scrollBar->isEnabled());
    EXPECT_EQ(preview.scrollBar->maximum(), 0);
}

TEST_F(PicturePreviewTest, ATallPictureFillsTheWidthAndScrollsATenthOfTheFrameAStep)
{
    const int frameWidth = preview.frame->width(), frameHeight = preview.frame->height();
    ASSERT_GT(frameWidth, 0);
    // Twice as tall as wide: at the frame's width it is 2 * width high.
    preview.ShowPicture(Picture(100, 200));
    EXPECT_TRUE(preview.picture->isVisible());
    EXPECT_FALSE(preview.noPicture->isVisible());
    EXPECT_EQ(preview.picture->size(), QSize(frameWidth, 2 * frameWidth));
    EXPECT_TRUE(preview.scrollBar->isEnabled());
    EXPECT_EQ(preview.scrollBar->maximum(), qRound(2.0 * frameWidth / frameHeight * 10));
    EXPECT_EQ(preview.scrollBar->pageStep(), 10);
    preview.scrollBar->setValue(5);
    EXPECT_EQ(preview.picture->pos(), QPoint(0, -(5 * frameHeight / 10)));
}

TEST_F(PicturePreviewTest, ANewSizeLaysThePictureOutAgainFromItsTop)
{
    preview.ShowPicture(Picture(100, 300));
    preview.scrollBar->setValue(7);
    ASSERT_LT(preview.picture->y(), 0);
    preview.resize(500, 260);
    QCoreApplication::processEvents();
    EXPECT_EQ(preview.picture->width(), preview.frame->width());
    EXPECT_EQ(preview.picture->height(), 3 * preview.frame->width());
    EXPECT_EQ(preview.scrollBar->value(), 0);
    EXPECT_EQ(preview.picture->pos(), QPoint(0, 0));
}
