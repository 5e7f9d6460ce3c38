#include "PrintTestSupport.h"

#include "print/SlipPrinter.h"
#include "TestHome.h"

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
    ExpectSpan(DarkSpan(img, true, 2400, 0, 1000), 300, 700);  // the picture
    ExpectSpan(DarkSpan(img, false, 500, 2200, 2600), 2300, 2500);
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

TEST(PainterSurface, WidthsAreEachFontsOwnWhileFontsTakeTurns)
{
    // Boxes take turns with their fonts, page after page: a width measured in one never answers for another.
    QImage image(10, 10, QImage::Format_RGB32);
    image.setDotsPerMeterX(23622);  // 600 dots to the inch
    image.setDotsPerMeterY(23622);
    QPainter painter(&image);
    PainterSurface surface(&painter);
    const struct { const char* family; bool bold; const char16_t* text; } rows[] = {{"DejaVu Sans", false, u"W"}, {"DejaVu Sans", false, u"AVAVA"}, {"DejaVu Sans", true, u"W"},
                {"DejaVu Sans", true, u"AVAVA"}, {"宋体", false, u"壹贰叁"}, {"DejaVu Sans", false, u"\U0001D400"}};
    for (int round = 0; round < 2; ++round)
        for (const auto& r : rows) {
            surface.SetFontName(QString::fromUtf8(r.family));
            surface.SetFontBold(r.bold);
            const QString text = QString::fromUtf16(r.text);
            EXPECT_DOUBLE_EQ(surface.TextWidth(text),
                             QFontMetricsF(surface.Font(), &image).horizontalAdvance(text) * 1440 / image.logicalDpiX())
                << r.family << " " << text.toStdString();
        }
}
