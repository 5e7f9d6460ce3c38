#include "PrintTestSupport.h"

#include "print/SlipPrinter.h"
#include "TestHome.h"

#include <QImage>

using namespace slip;
using namespace slip::test;

namespace {

// A span within a dot (0.1 mm) of where it should be.
void ExpectSpan(std::pair<int, int> span, int first, int end)
{
    EXPECT_NEAR(span.first, first, 1);
    EXPECT_NEAR(span.second, end, 1);
}

} // namespace

TEST(SlipPrinter, TextLinesBoxesAndPicturesStandAtTheirMillimetres)
{
    TestHome home;
    const QString pdf = home.file(QStringLiteral("page.pdf"));
    SlipPrinter printer;
    printer.UsePdfFile(pdf);
    printer.SetFontName(QStringLiteral("DejaVu Sans"));
    printer.SetFontSize(12);
    const auto print = [&](double x, double y, const QString& t) {
        printer.SetCurrentX(Tw(x));
        printer.SetCurrentY(Tw(y));
        printer.Print(t);
    };
    print(30, 50, QStringLiteral("MARK"));
    print(180.5, 285, QStringLiteral("EDGE"));  // near the far corner: nothing moved inwards
    printer.SetFontName(QStringLiteral("宋体"));
    print(100, 200, QStringLiteral("壹贰叁"));
    EXPECT_NEAR(printer.TextWidth(QStringLiteral("鑫")), 240, 2);  // 12 points, one em
    printer.SetDrawWidth(12);  // dots at 600 dpi: half a millimetre
    printer.Line(Tw(120), Tw(20), Tw(120), Tw(120), Qt::black);
    printer.FillBox(Tw(10), Tw(10), Tw(20), Tw(20), Qt::black);
    printer.Circle(Tw(100), Tw(100), Tw(10), Qt::black);
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::black);
    printer.PaintPicture(picture, Tw(30), Tw(230), Tw(40), Tw(20));
    ASSERT_TRUE(printer.EndDoc());

    const struct { const char16_t* word; double x, y; } words[] = {
        {u"MARK", 30, 50}, {u"EDGE", 180.5, 285}, {u"壹贰叁", 100, 200}};
    for (const auto& w : words) {
        const QPointF at = WordAt(pdf, QString::fromUtf16(w.word));
        EXPECT_NEAR(at.x(), w.x, 0.1) << QString::fromUtf16(w.word).toStdString();
        EXPECT_NEAR(at.y(), w.y, 0.3) << QString::fromUtf16(w.word).toStdString();
    }
    const QImage img = RasterisePage(pdf, 1, 10);
    ASSERT_NEAR(img.width(), 2100, 1);
    const auto line = DarkSpan(img, true, 700, 1100, 1300);
    EXPECT_NEAR((line.first + line.second) / 2.0, 1200, 2);  // centred on 120 mm
    EXPECT_NEAR(line.second - line.first, 5, 2);
    ExpectSpan(DarkSpan(img, false, 1200, 0, 1400), 200, 1200);
    ExpectSpan(DarkSpan(img, true, 150, 0, 400), 100, 200);  // the square
    ExpectSpan(DarkSpan(img, false, 150, 0, 400), 100, 200);
    const auto ring = DarkSpan(img, true, 1000, 800, 1180);   // the circle, 10 mm round (100, 100)
    EXPECT_NEAR(ring.first, 897, 4);
    EXPECT_NEAR(ring.second, 1103, 4);
    ExpectSpan(DarkSpan(img, true, 2400, 0, 1000), 300, 700);  // the picture
    ExpectSpan(DarkSpan(img, false, 500, 2200, 2600), 2300, 2500);
}

TEST(SlipPrinter, AJobOfNSlipsHasNPages)
{
    TestHome home;
    const QString pdf = home.file(QStringLiteral("batch.pdf"));
    SlipPrinter printer;
    printer.UsePdfFile(pdf);
    for (int slip = 1; slip <= 3; ++slip) {
        if (slip != 2) printer.Print(QStringLiteral("slip"));  // the second has nothing on it
        printer.NewPage();
    }
    ASSERT_TRUE(printer.EndDoc());
    EXPECT_EQ(ReadPdfInfo(pdf).pages, 3);
    printer.Print(QStringLiteral("single"));
    ASSERT_TRUE(printer.EndDoc());
    EXPECT_EQ(ReadPdfInfo(pdf).pages, 1);
}

TEST(SlipPrinter, LandscapeTurnsTheSheet)
{
    TestHome home;
    const QString pdf = home.file(QStringLiteral("landscape.pdf"));
    SlipPrinter printer;
    printer.UsePdfFile(pdf);
    EXPECT_EQ(std::make_pair(printer.PageWidth(), printer.PageHeight()), std::make_pair(11905, 16838));
    printer.SetOrientation(QPageLayout::Landscape);
    EXPECT_EQ(std::make_pair(printer.PageWidth(), printer.PageHeight()), std::make_pair(16838, 11905));
    printer.SetFontName(QStringLiteral("DejaVu Sans"));
    printer.SetCurrentX(Tw(250));
    printer.Print(QStringLiteral("WIDE"));
    ASSERT_TRUE(printer.EndDoc());
    EXPECT_NEAR(ReadPdfInfo(pdf).widthMm, 297, 0.2);
    EXPECT_NEAR(WordAt(pdf, QStringLiteral("WIDE")).x(), 250, 0.1);
}

TEST(SlipPrinter, APrinterThatCannotBeReachedPrintsNothingAndSaysSo)
{
    TestHome home;
    FakePrinters fake;
    fake.names = {QStringLiteral("柜台打印机")};
    fake.files[fake.names[0]] = home.file(QStringLiteral("counter.pdf"));
    PrintersScope scope(&fake);
    SlipPrinter printer;  // on the default printer
    EXPECT_EQ(printer.DeviceName(), fake.names[0]);
    EXPECT_TRUE(printer.EndDoc());
    fake.unreachable = {fake.names[0]};
    printer.Print(QStringLiteral("lost"));
    EXPECT_FALSE(printer.EndDoc());
    printer.UsePrinter(QString());
    EXPECT_FALSE(printer.EndDoc());
}
