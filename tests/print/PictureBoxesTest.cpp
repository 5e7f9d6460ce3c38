#include "print/PictureBoxes.h"

#include "TestHome.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace slip;
using namespace slip::test;

namespace {

QString SavePicture(const TestHome& home, const QString& name, const QColor& colour)
{
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(colour);
    const QString path = home.file(name);
    EXPECT_TRUE(img.save(path));
    return path;
}

} // namespace

TEST(PictureBoxes, AMissingPictureFileEmptiesTheBoxWhileBarcodesStay)
{
    TestHome home;
    const QString there = SavePicture(home, QStringLiteral("there.png"), Qt::red);
    const struct {
        QString value, kept;
    } cases[] = {
        {there, there},
        {home.file(QStringLiteral("gone.png")), QString()},
        {home.path(), QString()},  // a folder is no picture file
        {QString(), QString()},
        {QStringLiteral("690123456789"), QStringLiteral("690123456789")},
        // Barcodes on paper, though the canvas looks them up as files.
        {QStringLiteral("-12"), QStringLiteral("-12")},
        {QStringLiteral("*AB*"), QStringLiteral("*AB*")},
    };
    for (const auto& c : cases) EXPECT_EQ(PictureBoxValue(c.value), c.kept) << c.value.toStdString();
}

TEST(PictureBoxes, APictureIsReadOnceForItsBoxAndAgainOnlyWhenTheBoxShowsAnotherPath)
{
    TestHome home;
    const QString first = SavePicture(home, QStringLiteral("first.png"), Qt::red);
    BoxPictures pictures;
    EXPECT_EQ(pictures.Picture(7, first).pixelColor(0, 0), QColor(Qt::red));
    // The file changes on disk: the box repaints (and prints) what it read.
    SavePicture(home, QStringLiteral("first.png"), Qt::blue);
    EXPECT_EQ(pictures.Picture(7, first).pixelColor(0, 0), QColor(Qt::red));
    // Another box, or another path, reads the file as it is now.
    EXPECT_EQ(pictures.Picture(8, first).pixelColor(0, 0), QColor(Qt::blue));
    const QString second = SavePicture(home, QStringLiteral("second.png"), Qt::green);
    EXPECT_EQ(pictures.Picture(7, second).pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(pictures.Picture(7, first).pixelColor(0, 0), QColor(Qt::blue));
    pictures.Forget(8);
    QFile::remove(first);
    EXPECT_TRUE(pictures.Picture(8, first).isNull());
    EXPECT_TRUE(pictures.Picture(9, QString()).isNull());
}
