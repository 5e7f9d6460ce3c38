#include "CupsSpooler.h"
#include "SlipPrintTestSupport.h"

#include "print/PaperForm.h"
#include "ScriptedPrompter.h"
#include "TestHome.h"

using namespace slip;
using namespace slip::test;

// Slips printed through a real spooler (our own CUPS scheduler with a
// cups-pdf printer) come out on the page the program's own PDF has, with
// every mark where that PDF puts it; a job the spooler refuses stores nothing.

namespace {

constexpr double kDotsPerMm = 20;

// Centre (mm) of the ink in a window of a page; (-1, -1) when it is blank.
QPointF InkCentre(const QImage& img, const QRectF& w)
{
    const QRectF ink = InkBounds(img, w, kDotsPerMm);
    return ink.isNull() ? QPointF(-1, -1) : ink.center();
}

// A spooler with one cups-pdf printer, and the program's own PDF beside it.
struct Spooled {
    CupsSpooler spooler;
    QString queue;
    TestHome home;
    QString picture, direct;
    SlipPrinter printer;
    ScriptedPrompter prompter;
    explicit Spooled(const QStringList& lpadmin = {})
    {
        queue = spooler.AddPdfPrinter(lpadmin);
        QImage black(40, 40, QImage::Format_RGB32);
        black.fill(Qt::black);
        picture = home.file(QStringLiteral("mark.png"));
        black.save(picture);
        direct = home.file(QStringLiteral("direct.pdf"));
    }
    PrintServices Services(bool onQueue)
    {
        return PrintServices{printer, prompter, NoProgress(),
                             [this, onQueue] {
                                 if (onQueue) printer.UsePrinter(queue);
                                 else printer.UsePdfFile(direct);
                                 return onQueue ? queue : direct;
                             },
                             SaveToHistory};
    }
    // The slip printed on both; the spooler's file, or "" (a failure is reported).
    QString PrintBoth(const SlipFormat& f)
    {
        for (bool onQueue : {false, true}) {
            PrintServices s = Services(onQueue);
            const PrintOutcome out = PrintBill(s, f, {});
            EXPECT_EQ(out.status, PrintStatus::Printed) << prompter.shown.join('\n').toStdString();
        }
        const QString out = spooler.WaitForOutput(queue);
        EXPECT_FALSE(out.isEmpty()) << spooler.Failure().toStdString();
        return out;
    }
};

// Black squares of 4 mm at these slip positions (mm), near every edge.
std::vector<QPointF> Squares(double w, double h) { return {{9, 9}, {w - 14, 9}, {9, h - 14}, {w - 14, h - 14}, {w / 2, h / 3}}; }

void LoadSquares(SlipFormat& f, FormatHeader h, const QString& picture, std::vector<Box> boxes = {})
{
    BoxId id = 0;
    for (const QPointF& at : Squares(h.widthMm, h.heightMm)) boxes.push_back(KindBox(++id, BoxKind::Picture, QRectF(at, QSizeF(4, 4))));
    boxes.push_back(TextBox(++id, QRectF(40.3, 30.7, 60, 8)));
    boxes.push_back(LineBox(++id, QLineF(40, 50, 140, 50)));
    f.Load(h, boxes);
    for (BoxId i = 1; i <= BoxId(Squares(1, 1).size()); ++i) f.SetValue(i, picture);
    f.SetValue(id - 1, QStringLiteral("SPOOLED"));
}

} // namespace

TEST(Spooler, ACustomSizeSlipKeepsItsPaperAndPlacesOnAPrinterSetUpToFitPages)
{
    // Its owner asked for every document to be fitted to the page.
    Spooled run({QStringLiteral("-o"), QStringLiteral("print-scaling-default=fit"), QStringLiteral("-o"),
                 QStringLiteral("fit-to-page-default=true")});
    ASSERT_FALSE(run.queue.isEmpty()) << run.spooler.Failure().toStdString();
    SlipFormat f;
    FormatHeader h = SlipHeader(QStringLiteral("回单"), 175.6, 88.9, 11, 9);  // 1 mm left, 1 mm down
    h.options.setPaper = true;
    LoadSquares(f, h, run.picture);
    const QString spooled = run.PrintBoth(f);
    ASSERT_FALSE(spooled.isEmpty());

    const PdfInfo d = ReadPdfInfo(run.direct), s = ReadPdfInfo(spooled);
    EXPECT_EQ(s.pages, 1);
    EXPECT_NEAR(d.widthMm, 175.6, 0.18);  // whole points of the slip's size
    EXPECT_NEAR(d.heightMm, 88.9, 0.18);
    EXPECT_NEAR(s.widthMm, d.widthMm, 0.01);
    EXPECT_NEAR(s.heightMm, d.heightMm, 0.01);
    const QImage a = RasterisePage(run.direct, 1, int(kDotsPerMm)), b = RasterisePage(spooled, 1, int(kDotsPerMm));
    for (const QPointF& at : Squares(h.widthMm, h.heightMm)) {
        const QRectF window(at.x() - 4, at.y() - 2, 10, 10);
        EXPECT_NEAR(InkCentre(a, window).x(), at.x() + 1, 0.1);
        EXPECT_NEAR(InkCentre(a, window).y(), at.y() + 3, 0.1);
        EXPECT_NEAR(InkCentre(b, window).x(), at.x() + 1, 0.1);
        EXPECT_NEAR(InkCentre(b, window).y(), at.y() + 3, 0.1);
    }
    for (const QRectF& w : {QRectF(38, 30, 40, 9), QRectF(35, 49, 110, 5)}) {  // the text and the line
        const QPointF p = InkCentre(a, w), q = InkCentre(b, w);
        ASSERT_GT(p.x(), 0) << "nothing printed in " << w.x() << ", " << w.y();
        EXPECT_NEAR(q.x(), p.x(), 0.3);
        EXPECT_NEAR(q.y(), p.y(), 0.3);
    }
    EXPECT_EQ(HistorySlipNumbersOf(f.Name()).numbers, QVector<qint64>({2, 1}));
    EXPECT_TRUE(run.prompter.shown.isEmpty());
}

// The spooler turns a landscape page onto its paper a quarter turn
// anticlockwise (the cups-pdf driver's landscape is "Plus90"); a quarter
// turn clockwise gives the page back as the program drew it.
QImage TurnedBack(const QImage& paper) { return paper.transformed(QTransform().rotate(90)); }

// On queues taking any size, only A4, or only their own margined papers (A4, Letter...): the set-up's page.
TEST(Spooler, ASlipComesOutOnThePageItsSetUpGivesWithEveryBoxWhereThePageSetUpPutsIt)
{
    CupsSpooler spooler;
    ASSERT_TRUE(spooler.Ok()) << spooler.Failure().toStdString();
    const QString anySize = spooler.AddPdfPrinter();
    const QString a4Only = spooler.AddA4OnlyPdfPrinter();
    const QString margined = spooler.AddMarginedPdfPrinter();
    ASSERT_FALSE(anySize.isEmpty() || a4Only.isEmpty() || margined.isEmpty()) << spooler.Failure().toStdString();
    TestHome home;
    QImage black(40, 40, QImage::Format_RGB32);
    black.fill(Qt::black);
    const QString picture = home.file(QStringLiteral("mark.png"));
    ASSERT_TRUE(black.save(picture));
    struct Row {
        QString queue;
        QSizeF slip;
        bool lengthwise, ownPaper, centre;
        QSizeF page;  // as it lies
        int told;     // messages: the slip's own paper refused
    };
    const QSizeF wide(270, 100), letter(215.9, 279.4), a4Turned(297, 210), a4(210, 297);
    std::vector<Row> rows;
    for (const QString& queue : {anySize, a4Only, margined})
        for (const bool ownPaper : {false, true})
            for (const bool centre : {false, true}) {
                // The slip's own size where its paper can be set, else A4 turned; refused, it is told.
                const bool slipPaper = ownPaper && queue == anySize;
                rows.push_back({queue, wide, true, ownPaper, centre, slipPaper ? wide : a4Turned,
                                ownPaper && !slipPaper ? 1 : 0});
            }
    // A slip of the size of a paper the printer has prints on it.
    rows.push_back({margined, letter, false, true, false, letter, 0});
    rows.push_back({a4Only, letter, false, true, false, a4, 1});
    for (const Row& row : rows) {
        SCOPED_TRACE(QStringLiteral("%1, %2 x %3, lengthwise %4, own paper %5, centre feed %6").arg(row.queue)
                         .arg(row.slip.width()).arg(row.slip.height()).arg(row.lengthwise).arg(row.ownPaper).arg(row.centre)
                         .toStdString());
        const double w = row.slip.width(), h = row.slip.height();
        SlipFormat f;
        FormatHeader header = SlipHeader(QStringLiteral("纵向"), w, h);
        header.options.lengthwise = row.lengthwise;
        header.options.setPaper = row.ownPaper;
        header.options.guidesToCentre = row.centre;
        // Values near the far edge besides the squares: a text and a barcode.
        const QRectF farText(w - 40, h - 20, 36, 8), farBarcode(w - 70, h - 60, 60, 14);
        LoadSquares(f, header, picture, {TextBox(20, farText), KindBox(21, BoxKind::Picture, farBarcode, 2)});
        f.SetValue(20, QStringLiteral("FAREDGE"));
        f.SetValue(21, QStringLiteral("2026"));

        SlipPrinter printer;
        ScriptedPrompter prompter;
        PrintServices services{printer, prompter, NoProgress(), [&] {
                                   printer.UsePrinter(row.queue);
                                   return row.queue;
                               },
                               SaveToHistory};
        ASSERT_EQ(PrintBill(services, f, {}).status, PrintStatus::Printed) << prompter.shown.join('\n').toStdString();
        const QString spooled = spooler.WaitForOutput(row.queue);
        ASSERT_FALSE(spooled.isEmpty()) << spooler.Failure().toStdString();

        EXPECT_EQ(prompter.shown.size(), row.told) << prompter.shown.join('\n').toStdString();
        const PdfInfo paper = ReadPdfInfo(spooled);
        EXPECT_EQ(paper.pages, 1);
        const QSizeF fed = row.lengthwise ? row.page.transposed() : row.page;
        EXPECT_NEAR(paper.widthMm, fed.width(), 0.2);
        EXPECT_NEAR(paper.heightMm, fed.height(), 0.2);
        const QImage printed = RasterisePage(spooled, 1, int(kDotsPerMm));
        const QImage page = row.lengthwise ? TurnedBack(printed) : printed;
        ASSERT_NEAR(page.width() / kDotsPerMm, row.page.width(), 0.2);

        // Fed lengthwise: moved down by the page height less the slip's, by half with centre feed.
        const double down = row.lengthwise ? (row.page.height() - h) / (row.centre ? 2 : 1) : 0;
        for (const QPointF& at : Squares(w, h)) {
            const QRectF window(at.x() - 3, at.y() + down - 3, 10, 10);
            EXPECT_NEAR(InkCentre(page, window).x(), at.x() + 2, 0.15) << at.x() << ", " << at.y();
            EXPECT_NEAR(InkCentre(page, window).y(), at.y() + down + 2, 0.15) << at.x() << ", " << at.y();
        }
        for (const QRectF& box : {farText, farBarcode}) {
            const QRectF placed = box.translated(0, down);
            const QRectF ink = InkBounds(page, placed.adjusted(-1, -1, 1, 1), kDotsPerMm);
            ASSERT_FALSE(ink.isNull()) << "nothing printed at " << box.x() << ", " << box.y();
            EXPECT_NEAR(ink.left(), placed.left(), 1.5) << box.x() << ", " << box.y();
            EXPECT_NEAR(ink.top(), placed.top(), 1.5) << box.x() << ", " << box.y();
        }
    }
}

TEST(Spooler, AValueLargerThanItsBoxComesOutWhole)
{
    Spooled run;
    ASSERT_FALSE(run.queue.isEmpty()) << run.spooler.Failure().toStdString();
    SlipFormat f;
    const QRectF wrapped(20, 10, 30, 4), cells(60, 50, 50, 6);
    Box digits = TextBox(2, cells, 205);
    digits.align = TextAlign::Right;
    FormatHeader h = SlipHeader(QStringLiteral("超框"), 150, 80);
    h.options.setPaper = true;
    f.Load(h, {TextBox(1, wrapped), digits});
    f.SetValue(1, QStringLiteral("这是一段很长的文字需要换行显示多行内容"));
    f.SetValue(2, QStringLiteral("1234567"));
    const QString spooled = run.PrintBoth(f);
    ASSERT_FALSE(spooled.isEmpty());
    const QImage page = RasterisePage(spooled, 1, int(kDotsPerMm));
    // Every wrapped line where the program's own page has it, below the box.
    int lines = 0;
    for (const PdfWord& w : PdfWords(run.direct)) {
        if (w.mm.right() > cells.left()) continue;
        ++lines;
        EXPECT_FALSE(InkBounds(page, w.mm, kDotsPerMm).isNull()) << "no ink for the line at " << w.mm.top();
    }
    EXPECT_GE(lines, 3);
    // Seven figures in five cells: 1 and 2 left of the box.
    const double cell = cells.width() / 5;
    for (int i = 0; i < 7; ++i) {
        const QRectF window(cells.left() + (i - 2) * cell, cells.top() - 1, cell, cells.height() + 4);
        EXPECT_NEAR(InkCentre(page, window).x(), window.center().x(), 0.5) << "figure " << i + 1;
    }
}

TEST(Spooler, EveryLineOfAMultiLineValueComesOutOnItsOwnLine)
{
    Spooled run;
    ASSERT_FALSE(run.queue.isEmpty()) << run.spooler.Failure().toStdString();
    SlipFormat f;
    const QRectF box(20, 15, 60, 30);
    FormatHeader h = SlipHeader(QStringLiteral("多行"), 120, 60);
    h.options.setPaper = true;
    f.Load(h, {TextBox(1, box)});
    const QStringList lines = {QStringLiteral("第一行"), QStringLiteral("第二行"), QStringLiteral("第三行")};
    f.SetValue(1, lines.join(QStringLiteral("\r\n")));  // as typed with Enter
    const QString spooled = run.PrintBoth(f);
    ASSERT_FALSE(spooled.isEmpty());
    const QImage page = RasterisePage(spooled, 1, int(kDotsPerMm));
    // The extractor reads some ideographs as their radicals ("⼀" for "一").
    std::vector<PdfWord> words = PdfWords(run.direct);
    for (PdfWord& w : words) w.text = w.text.normalized(QString::NormalizationForm_KC);
    // Each line from the box's left edge, one line pitch below the one
    // before, and ink under every one of its characters.
    double lastTop = box.top() - 10, pitch = 0;
    for (int i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i].toStdString());
        const PdfWord* w = FindWord(words, lines[i]);
        ASSERT_NE(w, nullptr);
        EXPECT_NEAR(w->mm.left(), box.left(), 0.5);
        if (i == 0) EXPECT_NEAR(w->mm.top(), box.top(), 1.5);
        if (i == 1) pitch = w->mm.top() - lastTop;
        if (i == 2) EXPECT_NEAR(w->mm.top() - lastTop, pitch, 0.2);
        EXPECT_GT(w->mm.top(), lastTop + 12 * 25.4 / 72 * 0.9);  // at least a 12 pt line below
        lastTop = w->mm.top();
        const double each = w->mm.width() / 3;
        for (int c = 0; c < 3; ++c) {
            const QRectF ink = InkBounds(page, QRectF(w->mm.left() + c * each, w->mm.top(), each, w->mm.height()), kDotsPerMm);
            EXPECT_FALSE(ink.isNull()) << "no ink for character " << c + 1;
        }
    }
}

TEST(Spooler, AJobTheSpoolerRefusesStoresNothing)
{
    Spooled run;
    ASSERT_FALSE(run.queue.isEmpty()) << run.spooler.Failure().toStdString();
    SlipFormat f;
    f.Load(SlipHeader(QStringLiteral("拒收"), 180, 90), {TextBox(1, QRectF(20, 20, 60, 8))});
    f.SetValue(1, QStringLiteral("REFUSED"));
    PrintServices services = run.Services(true);
    // The printer is chosen, then stops taking jobs.
    bool ok = false;
    run.spooler.Run(QStringLiteral("cupsreject"), {run.queue}, &ok);
    ASSERT_TRUE(ok) << run.spooler.Failure().toStdString();
    const PrintOutcome out = PrintBill(services, f, {});
    EXPECT_EQ(out.status, PrintStatus::Failed);
    EXPECT_EQ(out.stored, 0);
    EXPECT_TRUE(HistorySlipNumbersOf(f.Name()).numbers.isEmpty());
    ASSERT_EQ(run.prompter.shown.size(), 1);
    EXPECT_TRUE(run.prompter.shown[0].startsWith(QStringLiteral("打印失败"))) << run.prompter.shown[0].toStdString();

    // Taking jobs again, the same slip prints and is stored once.
    run.spooler.Run(QStringLiteral("cupsaccept"), {run.queue}, &ok);
    ASSERT_TRUE(ok) << run.spooler.Failure().toStdString();
    EXPECT_EQ(PrintBill(services, f, {}).status, PrintStatus::Printed);
    EXPECT_FALSE(run.spooler.WaitForOutput(run.queue).isEmpty()) << run.spooler.Failure().toStdString();
    EXPECT_EQ(HistorySlipNumbersOf(f.Name()).numbers, QVector<qint64>({1}));
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
