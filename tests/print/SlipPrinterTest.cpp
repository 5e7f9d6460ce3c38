#include "PrintTestSupport.h"

#include "print/SlipPrinter.h"
#include "TestHome.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <cmath>

using namespace slip;
using namespace slip::test;

namespace {

struct Word {
    QString text;
    double xMinMm, yMinMm, xMaxMm, yMaxMm;
};

// Words of page 1 with their boxes in millimetres from the sheet's corner.
std::vector<Word> PdfWords(const QString& pdf)
{
    std::vector<Word> words;
    const QString html = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"),
                                                                QStringLiteral("1"), QStringLiteral("-l"),
                                                                QStringLiteral("1"), pdf, QStringLiteral("-")});
    static const QRegularExpression re(QStringLiteral(
        "<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" xMax=\"([-0-9.]+)\" yMax=\"([-0-9.]+)\">([^<]*)</word>"));
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.push_back({m.captured(5), PtToMm(m.captured(1).toDouble()), PtToMm(m.captured(2).toDouble()),
                         PtToMm(m.captured(3).toDouble()), PtToMm(m.captured(4).toDouble())});
    }
    return words;
}

const Word* FindWord(const std::vector<Word>& words, const QString& text)
{
    for (const Word& w : words)
        if (w.text == text) return &w;
    return nullptr;
}

// Page 1 rendered at 10 dots per millimetre, grey.
QImage Rasterise(const QString& pdf, const QString& stem)
{
    RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-gray"),
                                         QStringLiteral("-singlefile"), QStringLiteral("-f"), QStringLiteral("1"),
                                         QStringLiteral("-l"), QStringLiteral("1"), pdf, stem});
    QImage img(stem + QStringLiteral(".pgm"));
    return img.convertToFormat(QImage::Format_Grayscale8);
}

bool Dark(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 128; }

// First and last dark dot along a row or a column.
std::pair<int, int> DarkSpanInRow(const QImage& img, int y, int from, int to)
{
    int first = -1, last = -1;
    for (int x = from; x < to; ++x)
        if (Dark(img, x, y)) {
            if (first < 0) first = x;
            last = x;
        }
    return {first, last};
}

std::pair<int, int> DarkSpanInColumn(const QImage& img, int x, int from, int to)
{
    int first = -1, last = -1;
    for (int y = from; y < to; ++y)
        if (Dark(img, x, y)) {
            if (first < 0) first = y;
            last = y;
        }
    return {first, last};
}

double Tw(double mm) { return mm * kPaperTwipsPerMm; }

} // namespace

TEST(SlipPrinter, TextStandsAtItsMillimetresFromTheSheetCorner)
{
    TestHome home;
    const QString pdf = home.file(QStringLiteral("text.pdf"));
    SlipPrinter printer;
    printer.UsePdfFile(pdf);
    printer.SetFontName(QStringLiteral("DejaVu Sans"));
    printer.SetFontSize(12);
    printer.SetCurrentX(Tw(30));
    printer.SetCurrentY(Tw(50));
    printer.Print(QStringLiteral("MARK"));
    // Near the far corner: nothing is moved into a printable area.
    printer.SetCurrentX(Tw(180.5));
    printer.SetCurrentY(Tw(285));
    printer.Print(QStringLiteral("EDGE"));
    printer.SetFontName(QStringLiteral("宋体"));
    printer.SetCurrentX(Tw(100));
    printer.SetCurrentY(Tw(200));
    printer.Print(QStringLiteral("壹贰叁"));
    ASSERT_TRUE(printer.EndDoc());

    const auto words = PdfWords(pdf);
    const Word* mark = FindWord(words, QStringLiteral("MARK"));
    const Word* edge = FindWord(words, QStringLiteral("EDGE"));
    const Word* cjk = FindWord(words, QStringLiteral("壹贰叁"));
    ASSERT_TRUE(mark && edge && cjk);
    EXPECT_NEAR(mark->xMinMm, 30, 0.1);
    EXPECT_NEAR(mark->yMinMm, 50, 0.3);
    EXPECT_NEAR(edge->xMinMm, 180.5, 0.1);
    EXPECT_NEAR(edge->yMinMm, 285, 0.3);
    EXPECT_NEAR(cjk->xMinMm, 100, 0.1);
    EXPECT_NEAR(cjk->yMinMm, 200, 0.3);
    // A full-width character is one em: 12 points each.
    EXPECT_NEAR(cjk->xMaxMm - cjk->xMinMm, 3 * PtToMm(12), 0.1);
}

TEST(SlipPrinter, MeasuresTextInTwipsOfThePaper)
{
    TestHome home;
    SlipPrinter printer;
    printer.UsePdfFile(home.file(QStringLiteral("m.pdf")));
    printer.SetFontName(QStringLiteral("宋体"));
    printer.SetFontSize(12);
    // 12 points are 240 twips; a full-width character is as wide as the size.
    EXPECT_NEAR(printer.TextWidth(QStringLiteral("鑫")), 240, 2);
    EXPECT_NEAR(printer.TextWidth(QStringLiteral("壹贰叁肆")), 960, 4);
    EXPECT_GT(printer.TextHeight(QStringLiteral("鑫")), 240);
    printer.SetFontSize(24);
    EXPECT_NEAR(printer.TextWidth(QStringLiteral("鑫")), 480, 3);
    // Measuring starts no job.
    EXPECT_FALSE(printer.JobOpen());
}

TEST(SlipPrinter, LinesAndBoxesStandAtTheirMillimetres)
{
    TestHome home;
    const QString pdf = home.file(QStringLiteral("lines.pdf"));
    SlipPrinter printer;
    printer.UsePdfFile(pdf);
    printer.SetDrawWidth(12);  // 12 dots at 600 dpi: half a millimetre
    printer.Line(Tw(120), Tw(20), Tw(120), Tw(120), Qt::black);
    printer.Line(Tw(20), Tw(150), Tw(180), Tw(150), Qt::black);
    printer.FillBox(Tw(10), Tw(10), Tw(20), Tw(20), Qt::black);
    ASSERT_TRUE(printer.EndDoc());

    const QImage img = Rasterise(pdf, home.file(QStringLiteral("lines")));
    ASSERT_FALSE(img.isNull());
    ASSERT_NEAR(img.width(), 2100, 1);   // 210 mm at 10 dots per mm
    ASSERT_NEAR(img.height(), 2970, 1);

    // The vertical line: centred on 120 mm, half a millimetre wide, from 20 to 120 mm.
    const auto across = DarkSpanInRow(img, 700, 1100, 1300);
    ASSERT_GE(across.first, 0);
    EXPECT_NEAR((across.first + across.second + 1) / 2.0, 1200, 2);
    EXPECT_NEAR(across.second - across.first + 1, 5, 2);
    const auto down = DarkSpanInColumn(img, 1200, 0, 1400);
    EXPECT_NEAR(down.first, 200, 2);
    EXPECT_NEAR(down.second + 1, 1200, 2);

    // The horizontal line at 150 mm from 20 to 180 mm.
    const auto row = DarkSpanInColumn(img, 1000, 1400, 1600);
    EXPECT_NEAR((row.first + row.second + 1) / 2.0, 1500, 2);
    const auto length = DarkSpanInRow(img, 1500, 0, 2100);
    EXPECT_NEAR(length.first, 200, 2);
    EXPECT_NEAR(length.second + 1, 1800, 2);

    // The filled 10 mm square from (10, 10) mm.
    const auto squareX = DarkSpanInRow(img, 150, 0, 400);
    const auto squareY = DarkSpanInColumn(img, 150, 0, 400);
    EXPECT_NEAR(squareX.first, 100, 1);
    EXPECT_NEAR(squareX.second + 1, 200, 1);
    EXPECT_NEAR(squareY.first, 100, 1);
    EXPECT_NEAR(squareY.second + 1, 200, 1);
}

TEST(SlipPrinter, AJobOfNSlipsHasNPages)
{
    TestHome home;
    const QString pdf = home.file(QStringLiteral("batch.pdf"));
    SlipPrinter printer;
    printer.UsePdfFile(pdf);
    for (int slip = 1; slip <= 3; ++slip) {
        // The second slip has nothing to print and is a page all the same.
        if (slip != 2) {
            printer.SetCurrentX(Tw(10));
            printer.SetCurrentY(Tw(10));
            printer.Print(QStringLiteral("slip%1").arg(slip));
        }
        printer.NewPage();
    }
    EXPECT_EQ(printer.PageCount(), 3);
    ASSERT_TRUE(printer.EndDoc());
    EXPECT_EQ(ReadPdfInfo(pdf).pages, 3);

    // One slip ended at once: one page.
    printer.SetCurrentX(Tw(10));
    printer.SetCurrentY(Tw(10));
    printer.Print(QStringLiteral("single"));
    ASSERT_TRUE(printer.EndDoc());
    EXPECT_EQ(ReadPdfInfo(pdf).pages, 1);
    EXPECT_EQ(printer.PageCount(), 1);
}

TEST(SlipPrinter, LandscapeTurnsTheSheet)
{
    TestHome home;
    const QString pdf = home.file(QStringLiteral("landscape.pdf"));
    SlipPrinter printer;
    printer.UsePdfFile(pdf);
    EXPECT_EQ(printer.PageWidth(), 11905);   // 210 mm
    EXPECT_EQ(printer.PageHeight(), 16838);  // 297 mm
    printer.SetOrientation(QPageLayout::Landscape);
    EXPECT_EQ(printer.PageWidth(), 16838);
    EXPECT_EQ(printer.PageHeight(), 11905);
    printer.SetFontName(QStringLiteral("DejaVu Sans"));
    printer.SetCurrentX(Tw(250));
    printer.SetCurrentY(Tw(20));
    printer.Print(QStringLiteral("WIDE"));
    ASSERT_TRUE(printer.EndDoc());
    const PdfInfo info = ReadPdfInfo(pdf);
    EXPECT_NEAR(info.widthPt, MmToPt(297), 0.5);
    EXPECT_NEAR(info.heightPt, MmToPt(210), 0.5);
    const Word* wide = FindWord(PdfWords(pdf), QStringLiteral("WIDE"));
    ASSERT_TRUE(wide);
    EXPECT_NEAR(wide->xMinMm, 250, 0.1);
}

TEST(SlipPrinter, APrinterThatCannotBeReachedPrintsNothingAndSaysSo)
{
    TestHome home;
    FakePrinters fake;
    fake.names = {QStringLiteral("柜台打印机")};
    fake.unreachable = {QStringLiteral("柜台打印机")};
    PrintersScope scope(&fake);
    SlipPrinter printer;
    printer.UsePrinter(QStringLiteral("柜台打印机"));
    printer.Print(QStringLiteral("lost"));
    printer.Line(0, 0, 100, 100);
    EXPECT_FALSE(printer.JobOpen());
    EXPECT_FALSE(printer.EndDoc());

    printer.UsePrinter(QString());
    EXPECT_FALSE(printer.EndDoc());
}

TEST(SlipPrinter, PrintsOnAChosenPrinterOfTheDirectory)
{
    TestHome home;
    FakePrinters fake;
    fake.names = {QStringLiteral("票据打印机")};
    fake.files[QStringLiteral("票据打印机")] = home.file(QStringLiteral("device.pdf"));
    PrintersScope scope(&fake);
    SlipPrinter printer;
    EXPECT_EQ(printer.DeviceName(), QStringLiteral("票据打印机"));  // the default printer
    EXPECT_TRUE(printer.EndDoc());  // reachable, no job
    printer.Print(QStringLiteral("x"));
    printer.NewPage();
    printer.Print(QStringLiteral("y"));
    ASSERT_TRUE(printer.EndDoc());
    EXPECT_EQ(ReadPdfInfo(home.file(QStringLiteral("device.pdf"))).pages, 2);
}

TEST(SlipPrinter, CirclesPicturesAndLineStylesLandWhereTheyAreDrawn)
{
    TestHome home;
    const QString pdf = home.file(QStringLiteral("shapes.pdf"));
    SlipPrinter printer;
    printer.UsePdfFile(pdf);
    printer.SetDrawWidth(12);
    printer.Circle(Tw(100), Tw(100), Tw(10), Qt::black);
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::black);
    printer.PaintPicture(picture, Tw(30), Tw(200), Tw(40), Tw(20));  // stretched to 40 x 20 mm
    printer.SetDrawStyle(kLineDash);
    printer.SetDrawWidth(6);
    printer.Line(Tw(20), Tw(250), Tw(180), Tw(250), Qt::black);
    ASSERT_TRUE(printer.EndDoc());

    const QImage img = Rasterise(pdf, home.file(QStringLiteral("shapes")));
    ASSERT_FALSE(img.isNull());
    // The circle's outline crosses its row at 90 and 110 mm; its middle is empty.
    const auto ring = DarkSpanInRow(img, 1000, 800, 1200);
    EXPECT_NEAR(ring.first, 900, 4);
    EXPECT_NEAR(ring.second, 1100, 4);
    EXPECT_FALSE(Dark(img, 1000, 1000));
    const auto ringDown = DarkSpanInColumn(img, 1000, 800, 1200);
    EXPECT_NEAR(ringDown.first, 900, 4);
    EXPECT_NEAR(ringDown.second, 1100, 4);

    // The picture fills its rectangle from (30, 200) to (70, 220) mm.
    const auto picX = DarkSpanInRow(img, 2100, 0, 1000);
    const auto picY = DarkSpanInColumn(img, 500, 1900, 2300);
    EXPECT_NEAR(picX.first, 300, 1);
    EXPECT_NEAR(picX.second + 1, 700, 1);
    EXPECT_NEAR(picY.first, 2000, 1);
    EXPECT_NEAR(picY.second + 1, 2200, 1);

    // The dashed line: dashes and gaps along its length.
    int dark = 0;
    for (int x = 200; x < 1800; ++x) dark += Dark(img, x, 2500) ? 1 : 0;
    EXPECT_GT(dark, 1600 / 4);
    EXPECT_LT(dark, 1600 * 9 / 10);
}
