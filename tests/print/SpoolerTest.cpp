#include "CupsSpooler.h"
#include "PrintTestSupport.h"

#include "print/Calibration.h"
#include "print/PaperForm.h"
#include "print/SlipPrinter.h"
#include "ScriptedPrompter.h"
#include "TestHome.h"

#include <QImage>

using namespace slip;
using namespace slip::test;

// Slips printed through a real spooler (CUPS, into cups-pdf) land where the
// program's own PDF puts them: same page, every mark within 0.1 mm.

namespace {

constexpr int kDotsPerMm = 20;  // pages are read back at 508 dpi

// Centre (mm) of the ink inside a window (mm) of a page, weighted by its
// darkness: a square's centre to a fraction of a dot.
QPointF InkCentre(const QImage& img, const QRectF& windowMm)
{
    double sum = 0, sx = 0, sy = 0;
    const int x0 = std::max(0, int(windowMm.left() * kDotsPerMm));
    const int x1 = std::min(img.width(), int(windowMm.right() * kDotsPerMm));
    const int y0 = std::max(0, int(windowMm.top() * kDotsPerMm));
    const int y1 = std::min(img.height(), int(windowMm.bottom() * kDotsPerMm));
    for (int y = y0; y < y1; ++y) {
        const uchar* row = img.constScanLine(y);
        for (int x = x0; x < x1; ++x) {
            const double ink = 255 - row[x];
            sum += ink;
            sx += ink * (x + 0.5);
            sy += ink * (y + 0.5);
        }
    }
    if (sum < 255 * 10) return {-1, -1};  // nothing there
    return {sx / sum / kDotsPerMm, sy / sum / kDotsPerMm};
}

// 4 mm squares (top-left corners in mm) near every edge of a slip, one more
// off the middle so that a turned page shows, and two words.
struct TestSlip {
    double w, h;
    std::vector<QPointF> squares() const
    {
        return {{8, 8}, {w - 12, 8}, {8, h - 12}, {w - 12, h - 12}, {w / 2, h / 2}, {40, 12.3}};
    }
    QPointF left() const { return {20.3, 30.7}; }
    QPointF right() const { return {w - 45.1, h - 25.2}; }

    void Draw(SlipPrinter& p) const
    {
        for (const QPointF& s : squares()) p.FillBox(Tw(s.x()), Tw(s.y()), Tw(s.x() + 4), Tw(s.y() + 4), Qt::black);
        p.SetFontName(QStringLiteral("DejaVu Sans"));
        p.SetFontSize(12);
        for (const auto& [at, word] : {std::pair{left(), QStringLiteral("LEFTWORD")}, std::pair{right(), QStringLiteral("RIGHTWORD")}}) {
            p.SetCurrentX(Tw(at.x()));
            p.SetCurrentY(Tw(at.y()));
            p.Print(word);
        }
    }

    // Windows (mm) around the words: room for the word at 12 points.
    QRectF around(QPointF at) const { return QRectF(at.x() - 1, at.y() - 1, 35, 7); }

    // Every square within 0.1 mm of its place; the words' ink centres, when
    // a reference page is given, within 0.1 mm of the reference's.
    void ExpectPlaced(const QString& pdf, const char* what, const QString& reference = QString()) const
    {
        SCOPED_TRACE(QStringLiteral("%1 x %2 mm, %3").arg(w).arg(h).arg(QLatin1String(what)).toStdString());
        const QImage img = RasterisePage(pdf, 1, kDotsPerMm);
        ASSERT_FALSE(img.isNull());
        for (const QPointF& s : squares()) {
            const QPointF c = InkCentre(img, QRectF(s.x() - 1.5, s.y() - 1.5, 7, 7));
            EXPECT_NEAR(c.x(), s.x() + 2, 0.1) << "square at " << s.x() << ", " << s.y();
            EXPECT_NEAR(c.y(), s.y() + 2, 0.1) << "square at " << s.x() << ", " << s.y();
        }
        if (reference.isEmpty()) {
            // The program's own PDF keeps its text: the words start where printed.
            EXPECT_NEAR(WordAt(pdf, QStringLiteral("LEFTWORD")).x(), left().x(), 0.1);
            EXPECT_NEAR(WordAt(pdf, QStringLiteral("RIGHTWORD")).x(), right().x(), 0.1);
            return;
        }
        const QImage ref = RasterisePage(reference, 1, kDotsPerMm);
        for (const QPointF& at : {left(), right()}) {
            const QPointF c = InkCentre(img, around(at)), r = InkCentre(ref, around(at));
            ASSERT_GT(r.x(), at.x()) << "no word at " << at.x() << ", " << at.y();
            EXPECT_NEAR(c.x(), r.x(), 0.1) << "word at " << at.x() << ", " << at.y();
            EXPECT_NEAR(c.y(), r.y(), 0.1) << "word at " << at.x() << ", " << at.y();
        }
    }
};

} // namespace

TEST(Spooler, CustomSlipsKeepTheirPageAndPlacesThroughTheSpooler)
{
    CupsSpooler spooler;
    ASSERT_TRUE(spooler.Ok()) << spooler.Failure().toStdString();
    const QString queue = spooler.AddPdfPrinter();
    ASSERT_FALSE(queue.isEmpty()) << spooler.Failure().toStdString();

    TestHome home;
    ScriptedPrompter prompter;
    // Slip sizes of whole and of odd millimetres, each off whole points in
    // another way.
    for (const TestSlip slip : {TestSlip{180, 90}, TestSlip{175.6, 88.9}, TestSlip{241, 140}, TestSlip{210, 99}}) {
        SCOPED_TRACE(QStringLiteral("%1 x %2 mm").arg(slip.w).arg(slip.h).toStdString());
        SlipPrinter printer;
        const QString direct = home.file(QStringLiteral("direct-%1.pdf").arg(slip.w));
        printer.UsePdfFile(direct);
        QString name = SlipPaperName();
        ASSERT_TRUE(SetCustomPaper(printer, name, slip.w, slip.h, prompter));
        slip.Draw(printer);
        ASSERT_TRUE(printer.EndDoc());

        printer.UsePrinter(queue);
        ASSERT_EQ(printer.DeviceName(), queue);
        ASSERT_TRUE(SetCustomPaper(printer, name, slip.w, slip.h, prompter));
        slip.Draw(printer);
        ASSERT_TRUE(printer.EndDoc());
        const QString spooled = spooler.WaitForOutput(queue);
        ASSERT_FALSE(spooled.isEmpty()) << spooler.Failure().toStdString();

        const PdfInfo d = ReadPdfInfo(direct), s = ReadPdfInfo(spooled);
        EXPECT_EQ(s.pages, 1);
        // The slip's page, whole points (within 0.18 mm), the same both ways.
        EXPECT_NEAR(d.widthMm, slip.w, 0.18);
        EXPECT_NEAR(d.heightMm, slip.h, 0.18);
        EXPECT_NEAR(s.widthMm, d.widthMm, 0.01);
        EXPECT_NEAR(s.heightMm, d.heightMm, 0.01);
        slip.ExpectPlaced(direct, "direct PDF");
        slip.ExpectPlaced(spooled, "through the spooler", direct);
    }
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST(Spooler, PageAndPaperReadAsTheSameWholePoints)
{
    for (int tenths = 500; tenths <= 4200; tenths += 7) {  // 50.0 to 420.0 mm, every way off whole points
        const double mm = tenths / 10.0;
        const QPageSize asked(QSizeF(mm, mm * 0.53), QPageSize::Millimeter, SlipPaperName(), QPageSize::ExactMatch);
        const QPageSize spooled = SpoolerPageSize(asked);
        EXPECT_EQ(spooled.sizePoints(), asked.sizePoints()) << mm;  // the page Qt writes
        EXPECT_EQ(spooled.name(), SlipPaperName());
        EXPECT_NEAR(spooled.size(QPageSize::Millimeter).width(), mm, 0.2);
        // The paper the spooler takes: the name in hundredths of a millimetre,
        // cut to whole points, also when a hundredth is lost on the way.
        const auto m = QRegularExpression(QStringLiteral("^Custom\\.([0-9.]+)x([0-9.]+)mm$")).match(spooled.key());
        ASSERT_TRUE(m.hasMatch()) << spooled.key().toStdString();
        for (int i : {1, 2}) {
            const double hundredths = std::round(m.captured(i).toDouble() * 100);
            const int points = i == 1 ? asked.sizePoints().width() : asked.sizePoints().height();
            EXPECT_EQ(int(std::floor(hundredths * 72 / 2540)), points) << mm;
            EXPECT_EQ(int(std::floor((hundredths - 1) * 72 / 2540)), points) << mm;
        }
    }
    // The printers' own papers are asked for by their names.
    EXPECT_EQ(SpoolerPageSize(QPageSize(QPageSize::A4)).key(), QPageSize(QPageSize::A4).key());
}

TEST(Spooler, APrinterSetUpToFitPagesLeavesSlipsAndTheFigureAlone)
{
    CupsSpooler spooler;
    ASSERT_TRUE(spooler.Ok()) << spooler.Failure().toStdString();
    // Printers whose owner asked for every document to be fitted to the page.
    const QStringList fit{QStringLiteral("-o"), QStringLiteral("print-scaling-default=fit"), QStringLiteral("-o"),
                          QStringLiteral("fit-to-page-default=true")};
    const QString margins = spooler.AddMarginedPdfPrinter(fit);
    ASSERT_FALSE(margins.isEmpty()) << spooler.Failure().toStdString();
    const QString plain = spooler.AddPdfPrinter(fit);
    ASSERT_FALSE(plain.isEmpty()) << spooler.Failure().toStdString();

    TestHome home;
    ScriptedPrompter prompter;
    prompter.answers = {PromptAnswer::Yes};
    SlipPrinter printer;
    printer.UsePrinter(margins);
    ASSERT_TRUE(PrintCalibrationFigure(printer, prompter));  // on A4, whose printable area has margins
    const QString figure = spooler.WaitForOutput(margins);
    ASSERT_FALSE(figure.isEmpty()) << spooler.Failure().toStdString();
    const QImage img = RasterisePage(figure, 1, kDotsPerMm);
    const QPointF c = InkCentre(img, QRectF(5, 5, 30, 30));
    EXPECT_NEAR(c.x(), 15, 0.1);
    EXPECT_NEAR(c.y(), 15, 0.1);
    double inked = 0;  // the square keeps its size: 10 x 10 mm of ink
    for (int y = 0; y < int(35 * kDotsPerMm); ++y)
        for (int x = 0; x < int(35 * kDotsPerMm); ++x) inked += (255 - qGray(img.pixel(x, y))) / 255.0;
    EXPECT_NEAR(inked / (kDotsPerMm * kDotsPerMm), 100, 2);

    const TestSlip slip{175.6, 88.9};
    const QString direct = home.file(QStringLiteral("direct.pdf"));
    printer.UsePdfFile(direct);
    QString name = SlipPaperName();
    ASSERT_TRUE(SetCustomPaper(printer, name, slip.w, slip.h, prompter));
    slip.Draw(printer);
    ASSERT_TRUE(printer.EndDoc());
    printer.UsePrinter(plain);
    ASSERT_TRUE(SetCustomPaper(printer, name, slip.w, slip.h, prompter));
    slip.Draw(printer);
    ASSERT_TRUE(printer.EndDoc());
    const QString spooled = spooler.WaitForOutput(plain);
    ASSERT_FALSE(spooled.isEmpty()) << spooler.Failure().toStdString();
    slip.ExpectPlaced(spooled, "through a printer that fits pages", direct);
    EXPECT_EQ(prompter.shown, QStringList({CalibrationQuestion()}));
}

TEST(Spooler, ALengthwiseSlipComesOutTurnedOntoItsPaperMarkForMark)
{
    CupsSpooler spooler;
    ASSERT_TRUE(spooler.Ok()) << spooler.Failure().toStdString();
    const QString queue = spooler.AddPdfPrinter();
    ASSERT_FALSE(queue.isEmpty()) << spooler.Failure().toStdString();
    TestHome home;
    ScriptedPrompter prompter;
    // The page lies turned (landscape); the spooler puts it onto the paper as
    // the paper is fed, a quarter turn: (x, y) on the page is (y, W - x) on
    // the paper, W being the turned page's width.
    const std::vector<QPointF> squares{{10, 10}, {40, 10}, {10, 30}, {60, 70}};
    for (const bool custom : {true, false}) {
        SCOPED_TRACE(custom ? "175.6 x 88.9 mm slip" : "A4");
        SlipPrinter printer;
        const QString direct = home.file(QStringLiteral("turned-%1.pdf").arg(custom));
        for (const bool spooled : {false, true}) {
            if (spooled)
                printer.UsePrinter(queue);
            else
                printer.UsePdfFile(direct);
            QString name = SlipPaperName();
            if (custom)
                ASSERT_TRUE(SetCustomPaper(printer, name, 175.6, 88.9, prompter));
            else
                printer.SetPaper(QPageSize(QPageSize::A4));
            printer.SetOrientation(QPageLayout::Landscape);
            for (const QPointF& s : squares) printer.FillBox(Tw(s.x()), Tw(s.y()), Tw(s.x() + 4), Tw(s.y() + 4), Qt::black);
            ASSERT_TRUE(printer.EndDoc());
        }
        const QString out = spooler.WaitForOutput(queue);
        ASSERT_FALSE(out.isEmpty()) << spooler.Failure().toStdString();
        const PdfInfo d = ReadPdfInfo(direct), s = ReadPdfInfo(out);
        EXPECT_NEAR(s.widthMm, d.heightMm, 0.01);
        EXPECT_NEAR(s.heightMm, d.widthMm, 0.01);
        const QImage page = RasterisePage(direct, 1, kDotsPerMm), paper = RasterisePage(out, 1, kDotsPerMm);
        for (const QPointF& at : squares) {
            const QPointF onPage = InkCentre(page, QRectF(at.x() - 1.5, at.y() - 1.5, 7, 7));
            EXPECT_NEAR(onPage.x(), at.x() + 2, 0.1);
            EXPECT_NEAR(onPage.y(), at.y() + 2, 0.1);
            const QPointF turned(at.y(), d.widthMm - at.x() - 4);
            const QPointF onPaper = InkCentre(paper, QRectF(turned.x() - 1.5, turned.y() - 1.5, 7, 7));
            EXPECT_NEAR(onPaper.x(), turned.x() + 2, 0.1) << at.x() << ", " << at.y();
            EXPECT_NEAR(onPaper.y(), turned.y() + 2, 0.1) << at.x() << ", " << at.y();
        }
    }
    EXPECT_TRUE(prompter.shown.isEmpty());
}
