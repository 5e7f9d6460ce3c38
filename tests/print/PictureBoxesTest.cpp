#include "print/PictureBoxes.h"

#include "print/SlipDrawing.h"

#include "BoxBuilders.h"
#include "PrintTestSupport.h"
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

TEST(PictureBoxes, OneRuleTellsABarcodeFromAPictureOnTheCanvasAndOnPaper)
{
    TestHome home;
    const QString picture = SavePicture(home, QStringLiteral("9.png"), Qt::red);
    const struct { QString value; bool barcode; } cases[] = {
        {"123", true}, {"*123*", true}, {"-12", true}, {"%A1", true}, {"$5", true}, {picture, false}, {"A12", false},
        {"", false}};
    SlipFormat f;
    const Box box = MakeBox(1, BoxKind::Picture, QRectF(10, 10, 90, 12));
    f.Load(FormatHeader{}, {box});
    for (const auto& c : cases) {
        EXPECT_EQ(IsBarcodeValue(c.value), c.barcode) << c.value.toStdString();
        if (!c.value.isEmpty()) EXPECT_EQ(PictureBoxToolTip(c.value), (c.barcode ? "当前条码：" : "当前图片：") + c.value);
        for (bool canvas : {true, false}) {
            FakeSurface s;
            SlipDrawSettings settings;
            settings.canvasRules = canvas;
            settings.loadPicture = [](BoxId, const QString& path) { return QImage(path); };
            DrawSlipBox(f, box, c.value, s, SlipPlacement{}, settings);
            EXPECT_EQ(!s.boxes.empty(), c.barcode) << c.value.toStdString() << " canvas " << canvas;
            EXPECT_EQ(s.pictures.size(), c.value == picture ? 1u : 0u) << c.value.toStdString() << " canvas " << canvas;
        }
    }
}
