#include "CupsSpooler.h"
#include "SlipPrintTestSupport.h"

#include "print/PrintJobs.h"
#include "print/SlipPrinter.h"
#include "ScriptedPrompter.h"
#include "TestHome.h"

#include <QFileInfo>

using namespace slip;
using namespace slip::test;

// A slip printed through a real spooler (our own CUPS scheduler with a
// cups-pdf printer) comes out on paper of the slip's size with every box where
// the program's own PDF puts it; a job the spooler refuses stores nothing.

namespace {

constexpr double kDotsPerMm = 20;

// Ink-weighted centre (mm) of a window of a page.
QPointF InkCentre(const QImage& img, const QRectF& w)
{
    double sum = 0, sx = 0, sy = 0;
    for (int y = std::max(0, int(w.top() * kDotsPerMm)); y < std::min(img.height(), int(w.bottom() * kDotsPerMm)); ++y) {
        const uchar* row = img.constScanLine(y);
        for (int x = std::max(0, int(w.left() * kDotsPerMm)); x < std::min(img.width(), int(w.right() * kDotsPerMm)); ++x) {
            const double ink = 255 - row[x];
            sum += ink;
            sx += ink * (x + 0.5);
            sy += ink * (y + 0.5);
        }
    }
    if (sum < 255 * 10) return {-1, -1};
    return {sx / sum / kDotsPerMm, sy / sum / kDotsPerMm};
}

// A custom-size slip with boxes near its edges: pictures (black squares), a
// line, a text and a barcode.
void LoadSlip(SlipFormat& f, const QString& picture)
{
    FormatHeader h = SlipHeader(QStringLiteral("回单"), 175.6, 88.9, 11, 9);  // 1 mm left, 1 mm down
    h.options.setPaper = true;
    f.Load(h, {KindBox(1, BoxKind::Picture, QRectF(9, 9, 4, 4)), KindBox(2, BoxKind::Picture, QRectF(161.6, 9, 4, 4)),
               KindBox(3, BoxKind::Picture, QRectF(9, 74.9, 4, 4)), KindBox(4, BoxKind::Picture, QRectF(161.6, 74.9, 4, 4)),
               TextBox(5, QRectF(40.3, 30.7, 60, 8)), LineBox(6, QLineF(40, 50, 140, 50)),
               KindBox(7, BoxKind::Picture, QRectF(110, 25, 50, 15), 2)});
    for (BoxId id : {1, 2, 3, 4}) f.SetValue(id, picture);
    f.SetValue(5, QStringLiteral("SPOOLED"));
    f.SetValue(7, QStringLiteral("7-SLIP"));
}

// Windows (mm, on the page) holding one mark each.
const std::vector<QRectF> kMarks = {QRectF(5, 5, 10, 10),     QRectF(157, 5, 10, 10), QRectF(5, 71, 10, 10),
                                    QRectF(157, 71, 10, 10), QRectF(38, 29, 40, 9),  QRectF(35, 48, 110, 5),
                                    QRectF(108, 24, 55, 18)};

} // namespace

TEST(PrintJobsThroughSpooler, ACustomSizeSlipKeepsItsPaperAndPlacesThroughTheSpooler)
{
    CupsSpooler spooler;
    ASSERT_TRUE(spooler.Ok()) << "the print spooler could not be started: " << spooler.Failure().toStdString();
    const QString queue = spooler.AddPdfPrinter();
    ASSERT_FALSE(queue.isEmpty()) << spooler.Failure().toStdString();

    TestHome home;
    QImage black(40, 40, QImage::Format_RGB32);
    black.fill(Qt::black);
    const QString picture = home.file(QStringLiteral("mark.png"));
    ASSERT_TRUE(black.save(picture));
    SlipFormat f;
    LoadSlip(f, picture);

    SlipPrinter printer;
    ScriptedPrompter prompter;
    PrintServices services{printer, prompter, NoProgress(), {}, SaveToHistory};
    const QString direct = home.file(QStringLiteral("direct.pdf"));
    services.selectPrinter = [&] {
        printer.UsePdfFile(direct);
        return direct;
    };
    ASSERT_EQ(PrintBill(services, f, {}).status, PrintStatus::Printed) << prompter.shown.join('\n').toStdString();
    services.selectPrinter = [&] {
        printer.UsePrinter(queue);
        return queue;
    };
    const PrintOutcome out = PrintBill(services, f, {});
    ASSERT_EQ(out.status, PrintStatus::Printed) << prompter.shown.join('\n').toStdString();
    EXPECT_EQ(out.stored, 1);
    const QString spooled = spooler.WaitForOutput(queue);
    ASSERT_FALSE(spooled.isEmpty()) << spooler.Failure().toStdString();

    const PdfInfo d = ReadPdfInfo(direct), s = ReadPdfInfo(spooled);
    EXPECT_EQ(s.pages, 1);
    EXPECT_NEAR(d.widthMm, 175.6, 0.18);  // whole points of the slip's size
    EXPECT_NEAR(d.heightMm, 88.9, 0.18);
    EXPECT_NEAR(s.widthMm, d.widthMm, 0.01);
    EXPECT_NEAR(s.heightMm, d.heightMm, 0.01);
    const QImage a = RasterisePage(direct, 1, int(kDotsPerMm)), b = RasterisePage(spooled, 1, int(kDotsPerMm));
    for (const QRectF& w : kMarks) {
        const QPointF p = InkCentre(a, w), q = InkCentre(b, w);
        ASSERT_GT(p.x(), 0) << "nothing printed in " << w.x() << ", " << w.y();
        EXPECT_NEAR(q.x(), p.x(), 0.3) << w.x() << ", " << w.y();
        EXPECT_NEAR(q.y(), p.y(), 0.3) << w.x() << ", " << w.y();
    }
    // The direct page has the squares where the offsets put them.
    EXPECT_NEAR(InkCentre(a, kMarks[0]).x(), 10, 0.1);
    EXPECT_NEAR(InkCentre(a, kMarks[0]).y(), 12, 0.1);
    EXPECT_EQ(HistorySlipNumbersOf(f.Name()).numbers, QVector<qint64>({2, 1}));
}

TEST(PrintJobsThroughSpooler, AJobTheSpoolerRefusesStoresNothing)
{
    CupsSpooler spooler;
    ASSERT_TRUE(spooler.Ok()) << "the print spooler could not be started: " << spooler.Failure().toStdString();
    const QString queue = spooler.AddPdfPrinter();
    ASSERT_FALSE(queue.isEmpty()) << spooler.Failure().toStdString();
    TestHome home;
    SlipFormat f;
    f.Load(SlipHeader(QStringLiteral("拒收"), 180, 90), {TextBox(1, QRectF(20, 20, 60, 8))});
    f.SetValue(1, QStringLiteral("REFUSED"));
    SlipPrinter printer;
    ScriptedPrompter prompter;
    PrintServices services{printer, prompter, NoProgress(), [&] {
                               printer.UsePrinter(queue);
                               return queue;
                           },
                           SaveToHistory};
    // The printer is chosen, then stops taking jobs.
    bool ok = false;
    spooler.Run(QStringLiteral("cupsreject"), {queue}, &ok);
    ASSERT_TRUE(ok) << spooler.Failure().toStdString();
    const PrintOutcome out = PrintBill(services, f, {});
    EXPECT_EQ(out.status, PrintStatus::Failed);
    EXPECT_EQ(out.stored, 0);
    EXPECT_TRUE(HistorySlipNumbersOf(f.Name()).numbers.isEmpty());
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].startsWith(QStringLiteral("打印失败"))) << prompter.shown[0].toStdString();

    // Taking jobs again, the same slip prints and is stored once.
    spooler.Run(QStringLiteral("cupsaccept"), {queue}, &ok);
    ASSERT_TRUE(ok) << spooler.Failure().toStdString();
    EXPECT_EQ(PrintBill(services, f, {}).status, PrintStatus::Printed);
    EXPECT_FALSE(spooler.WaitForOutput(queue).isEmpty()) << spooler.Failure().toStdString();
    EXPECT_EQ(HistorySlipNumbersOf(f.Name()).numbers, QVector<qint64>({1}));
}
