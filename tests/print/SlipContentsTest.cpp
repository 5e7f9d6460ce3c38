#include "SlipPrintTestSupport.h"

#include "print/SlipContents.h"
#include "print/SlipDrawing.h"
#include "ScriptedPrompter.h"
#include "TestHome.h"

using namespace slip;
using namespace slip::test;

// A slip printed into a PDF: every box where its millimetres say, moved by
// the print offsets and the way the slip is fed, laid out by its data-type
// code, in fonts that keep the canvas's proportions.

namespace {

constexpr double kTolerance = 0.2;  // mm

QString BlackPicture(const TestHome& home, const QString& name)
{
    QImage img(60, 40, QImage::Format_RGB32);
    img.fill(Qt::black);
    const QString path = home.file(name);
    img.save(path);
    return path;
}

struct Printed {
    QString pdf;
    std::vector<PdfWord> words;
    QStringList told;
};

// With newPageAfter, a page is begun after the slip and left empty.
Printed PrintOne(const TestHome& home, const QString& name, const SlipFormat& format,
                 const SlipPrintSettings& settings = {}, bool newPageAfter = false)
{
    Printed out;
    out.pdf = home.file(name);
    SlipPrinter printer;
    printer.UsePdfFile(out.pdf);
    ScriptedPrompter prompter;
    // As a print job prints each slip.
    const PagePlacement page = SetUpSlipPage(printer, format, prompter);
    PrinterFontFitter fitter(PrintFrame(format, settings), settings.screenWidth);
    PrintSlipPage(printer, format, format.Values(), PrintShiftMm(format.Header().offsetXMm),
                  PrintShiftMm(format.Header().offsetYMm), page, settings, fitter, prompter);
    if (newPageAfter) EXPECT_TRUE(printer.NewPage());
    EXPECT_TRUE(printer.EndDoc()) << printer.LastError().toStdString();
    out.words = PdfWords(out.pdf);
    out.told = prompter.shown;
    return out;
}

// One slip with a box of every kind.
struct EveryKind {
    QString picture;
    std::vector<Box> boxes;
    EveryKind(const TestHome& home)
    {
        picture = BlackPicture(home, QStringLiteral("black.png"));
        boxes = {TextBox(1, QRectF(20.5, 15.3, 60, 8)),
                 KindBox(2, BoxKind::Check, QRectF(100, 15, 8, 8)),
                 KindBox(3, BoxKind::Picture, QRectF(20, 40, 30, 20)),
                 LineBox(5, QLineF(20, 70, 150, 70)),
                 KindBox(6, BoxKind::Label, QRectF(20.2, 80.4, 40, 8))};
        boxes[4].caption = QStringLiteral("LABEL");
        boxes[1].font.family = QStringLiteral("DejaVu Sans");
    }
    void Load(SlipFormat& f, double offX, double offY) const
    {
        FormatHeader h = SlipHeader(QStringLiteral("各种框"), 200, 120, offX, offY);
        h.options.setPaper = true;
        f.Load(h, boxes);
        f.SetValue(1, QStringLiteral("AB12"));
        f.SetValue(2, QStringLiteral("1"));
        f.SetValue(3, picture);
    }
    // Every box dx, dy (mm) from its own place.
    void ExpectAt(const Printed& p, double dx, double dy) const
    {
        const std::tuple<const char16_t*, double, double> words[] = {{u"AB12", 20.5, 15.3}, {u"√", 100, 15}, {u"LABEL", 20.2, 80.4}};
        for (const auto& [word, x, y] : words) {
            const PdfWord* w = FindWord(p.words, QString::fromUtf16(word));
            ASSERT_NE(w, nullptr) << x;
            EXPECT_NEAR(w->mm.left(), x + dx, kTolerance) << x;
            EXPECT_NEAR(w->mm.top(), y + dy, kTolerance) << x;
        }

        const QImage img = RasterisePage(p.pdf);
        const QRectF picture = InkBounds(img, QRectF(15 + dx, 35 + dy, 40, 30));
        EXPECT_NEAR(picture.left(), 20 + dx, kTolerance);
        EXPECT_NEAR(picture.top(), 40 + dy, kTolerance);
        EXPECT_NEAR(picture.right(), 50 + dx, kTolerance);
        EXPECT_NEAR(picture.bottom(), 60 + dy, kTolerance);
        const QRectF line = InkBounds(img, QRectF(10 + dx, 66 + dy, 150, 8));
        EXPECT_NEAR(line.left(), 20 + dx, kTolerance);
        EXPECT_NEAR(line.right(), 150 + dx, kTolerance);
        EXPECT_NEAR(line.center().y(), 70 + dy, kTolerance);
    }
};

} // namespace

TEST(SlipOnPaper, EveryKindOfBoxStandsAtItsMillimetresMovedByTheOffsets)
{
    TestHome home;
    const EveryKind slip(home);
    // Offsets of 12 and 7 move everything two left and three down.
    for (const auto& [offX, offY] : {std::pair{10.0, 10.0}, {12.0, 7.0}}) {
        SlipFormat f;
        slip.Load(f, offX, offY);
        const Printed p = PrintOne(home, QStringLiteral("kinds%1.pdf").arg(offX), f);
        const PdfInfo info = ReadPdfInfo(p.pdf);
        EXPECT_NEAR(info.widthMm, 200, 0.18);  // the slip's own paper
        EXPECT_NEAR(info.heightMm, 120, 0.18);
        slip.ExpectAt(p, 10 - offX, 10 - offY);
        EXPECT_TRUE(p.told.isEmpty());
    }
}

TEST(SlipOnPaper, ALengthwiseSlipOnItsOwnPaperIsALandscapePageOfTheSlipsSize)
{
    TestHome home;
    for (const bool ownPaper : {true, false}) {
        SlipFormat f;
        FormatHeader h = SlipHeader(QStringLiteral("纵向"), 180, 90);
        h.options.lengthwise = true;
        h.options.setPaper = ownPaper;
        f.Load(h, {TextBox(1, QRectF(150.5, 70.5, 25, 8))});
        f.SetValue(1, QStringLiteral("FAR"));
        const Printed p = PrintOne(home, QStringLiteral("lengthwise%1.pdf").arg(ownPaper), f);
        // Landscape: the slip's own 180 x 90 mm, or A4 turned with the slip
        // moved down by the page height less the slip height.
        const PdfInfo info = ReadPdfInfo(p.pdf);
        EXPECT_NEAR(info.widthMm, ownPaper ? 180 : 297, 0.18);
        EXPECT_NEAR(info.heightMm, ownPaper ? 90 : 210, 0.18);
        const PdfWord* w = FindWord(p.words, QStringLiteral("FAR"));
        ASSERT_NE(w, nullptr);
        EXPECT_NEAR(w->mm.left(), 150.5, kTolerance);
        EXPECT_NEAR(w->mm.top(), 70.5 + (ownPaper ? 0 : 120), kTolerance);
        EXPECT_FALSE(InkBounds(RasterisePage(p.pdf), w->mm).isNull());
    }
}

TEST(SlipOnPaper, EachRangeOfDataTypeCodesHasItsLayout)
{
    TestHome home;
    SlipFormat f;
    FormatHeader h = SlipHeader(QStringLiteral("版式"), 200, 200);
    struct Row { double code; QString value; };
    const std::vector<Row> rows = {
        {0, QStringLiteral("TEXT0")},   {5, QStringLiteral("7")},      {305, QStringLiteral("7")},
        {109, QStringLiteral("123")},   {203, QStringLiteral("456")},  {110, QStringLiteral("TEXT110")},
        {114.11, QStringLiteral("RIGHT")}, {150, QStringLiteral("NONE150")}, {300, QStringLiteral("NONE300")},
        {400, QStringLiteral("NONE400")}, {-3, QStringLiteral("TEXTNEG")}, {121.11, QStringLiteral("RIGHT121")}};
    std::vector<Box> boxes;
    for (size_t i = 0; i < rows.size(); ++i) boxes.push_back(TextBox(BoxId(i + 1), QRectF(40, 10 + 15.0 * i, 60, 8), rows[i].code));
    f.Load(h, boxes);
    for (size_t i = 0; i < rows.size(); ++i) f.SetValue(BoxId(i + 1), rows[i].value);
    const Printed p = PrintOne(home, QStringLiteral("codes.pdf"), f);
    const auto rowOf = [](int i) { return 10 + 15.0 * i; };
    // The words of one row, left to right.
    const auto inRow = [&](int i) {
        std::vector<PdfWord> r;
        for (const PdfWord& w : p.words)
            if (std::abs(w.mm.top() - rowOf(i)) < 3) r.push_back(w);
        std::sort(r.begin(), r.end(), [](const PdfWord& a, const PdfWord& b) { return a.mm.left() < b.mm.left(); });
        return r;
    };
    const auto expectCells = [&](int i, const QStringList& chars, int cells, int firstCell) {
        SCOPED_TRACE(QStringLiteral("code %1").arg(rows[i].code).toStdString());
        std::vector<PdfWord> r = inRow(i);
        std::erase_if(r, [&](const PdfWord& w) { return !chars.contains(w.text); });
        ASSERT_EQ(r.size(), size_t(chars.size()));
        const double cell = 60.0 / cells;
        for (int c = 0; c < chars.size(); ++c) {
            EXPECT_EQ(r[c].text, chars[c]);
            EXPECT_NEAR(r[c].mm.center().x(), 40 + (firstCell + c - 0.5) * cell, kTolerance) << c;
        }
    };
    // Wrapped text from the box's left edge.
    for (int i : {0, 5, 10}) {
        const auto r = inRow(i);
        ASSERT_EQ(r.size(), 1u) << rows[i].code;
        EXPECT_EQ(r[0].text, rows[i].value);
        EXPECT_NEAR(r[0].mm.left(), 40, kTolerance);
    }
    // Amounts end in the last cell: ￥7.00 in 5 cells puts 7, 0, 0 in the last three.
    expectCells(1, {QStringLiteral("7"), QStringLiteral("0"), QStringLiteral("0")}, 5, 3);
    expectCells(2, {QStringLiteral("7"), QStringLiteral("0"), QStringLiteral("0")}, 5, 3);
    EXPECT_EQ(inRow(1).size(), 4u);  // the currency character in its cell
    EXPECT_EQ(inRow(2).size(), 3u);  // its cell left blank
    // A postcode in 6 cells, digits in 3 cells, from the first cell.
    expectCells(3, {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}, 6, 1);
    expectCells(4, {QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6")}, 3, 1);
    // Upper-case digits are always right-aligned.
    for (int i : {6, 11}) {
        const auto right = inRow(i);
        ASSERT_EQ(right.size(), 1u) << rows[i].code;
        EXPECT_NEAR(right[0].mm.right(), 100, kTolerance) << rows[i].code;
    }
    // Codes that print nothing.
    for (int i : {7, 8, 9}) EXPECT_TRUE(inRow(i).empty()) << rows[i].code;
}

TEST(SlipOnPaper, AValueLargerThanItsBoxRunsOnBeyondIt)
{
    // Where the ink may go besides the box: below it (wrapped lines, a tall
    // font) within its width, or beside its cells on the box's own line.
    enum class RunsOn { Nowhere, Below, Right, Left };
    struct Case { BoxKind kind; double code; int align; double points; const char* value; RunsOn runsOn; };
    const Case cases[] = {
        {BoxKind::Text, 0, 0, 14, "第一行\r\n第二行\r\n第三行", RunsOn::Below},
        {BoxKind::Text, 0, 0, 40, "HH", RunsOn::Below},                     // a font taller than the box
        {BoxKind::Text, 11, 0, 14, "123456789012345678.99", RunsOn::Below}, // an amount kept as typed, wrapped
        {BoxKind::Text, 203, 0, 14, "12345678", RunsOn::Right},             // kept whole beside the cells
        {BoxKind::Text, 203, 1, 14, "12345678", RunsOn::Left},
        {BoxKind::Label, 0, 0, 14, "很长很长很长很长的标签", RunsOn::Below},
        {BoxKind::Check, 0, 0, 9, "1", RunsOn::Nowhere},
    };
    constexpr int kDpi = 96;
    const QRectF boxMm(30, 10, 30, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        SlipFormat f;
        Box b = TextBox(1, boxMm, c.code, c.points);
        b.kind = c.kind;
        b.align = TextAlign(c.align);
        if (c.kind == BoxKind::Label) b.caption = QString::fromUtf8(c.value);
        f.Load(SlipHeader(QStringLiteral("框外"), 100, 40), {b});
        ImageSurface surface(units::TwipsFromMm(100), units::TwipsFromMm(40), kDpi);
        DrawSlipBox(f, *f.Find(1), QString::fromUtf8(c.value), surface, SlipPlacement{}, SlipDrawSettings{});
        const double dotsPerMm = kDpi / units::kMmPerInch;
        const QRectF ink =
            InkBounds(surface.Finish().convertToFormat(QImage::Format_Grayscale8), QRectF(0, 0, 100, 40), dotsPerMm);
        ASSERT_FALSE(ink.isNull());
        const double slack = 1.5 / dotsPerMm;
        // Wrapped lines stay within the box's width; cells stay on its line.
        if (c.runsOn == RunsOn::Nowhere || c.runsOn == RunsOn::Below) {
            EXPECT_GE(ink.left(), boxMm.left() - slack);
            EXPECT_LE(ink.right(), boxMm.right() + slack);
        } else {
            EXPECT_LE(ink.bottom(), boxMm.bottom() + 2);
        }
        EXPECT_GE(ink.top(), boxMm.top() - slack);
        switch (c.runsOn) {
        case RunsOn::Nowhere: EXPECT_LE(ink.bottom(), boxMm.bottom() + slack); break;
        case RunsOn::Below: EXPECT_GT(ink.bottom(), boxMm.bottom() + 4); break;
        case RunsOn::Right: EXPECT_GT(ink.right(), boxMm.right() + 4); break;
        case RunsOn::Left: EXPECT_LT(ink.left(), boxMm.left() - 4); break;
        }
    }
}

TEST(SlipOnPaper, EveryLineAndEveryCellOfAValueLargerThanItsBoxHasInkOnThePage)
{
    TestHome home;
    SlipFormat f;
    const QRectF wrapped(20, 10, 30, 4), tall(70, 10, 40, 4), cells(60, 50, 50, 6);
    Box digits = TextBox(3, cells, 205);
    digits.align = TextAlign::Right;
    f.Load(SlipHeader(QStringLiteral("超框"), 150, 80), {TextBox(1, wrapped), TextBox(2, tall, 0, 40), digits});
    const QString text = QStringLiteral("这是一段很长的文字需要换行显示多行内容");
    f.SetValue(1, text);
    f.SetValue(2, QStringLiteral("HH"));
    f.SetValue(3, QStringLiteral("1234567"));
    const Printed p = PrintOne(home, QStringLiteral("oversized.pdf"), f);
    const QImage page = RasterisePage(p.pdf);

    // The wrapped lines, one under the other from the box's top, every one
    // inked where the page's text says it stands.
    std::vector<PdfWord> lines;
    for (const PdfWord& w : p.words)
        if (w.mm.left() < wrapped.right() && w.mm.right() > wrapped.left() - 1 && w.mm.top() < 40) lines.push_back(w);
    std::sort(lines.begin(), lines.end(), [](const PdfWord& a, const PdfWord& b) { return a.mm.top() < b.mm.top(); });
    ASSERT_GE(lines.size(), 3u);
    QString joined;
    for (const PdfWord& w : lines) {
        joined += w.text;
        EXPECT_NEAR(w.mm.left(), wrapped.left(), kTolerance) << w.text.toStdString();
        EXPECT_FALSE(InkBounds(page, w.mm).isNull()) << "no ink for the line " << w.text.toStdString();
    }
    // Every character on some line (the text layer names a few by look-alike
    // radicals).
    EXPECT_EQ(joined.size(), text.size()) << joined.toStdString();
    EXPECT_NEAR(lines.front().mm.top(), wrapped.top(), 1);
    EXPECT_GT(lines.back().mm.top(), wrapped.bottom() + 4);

    // A font taller than its box: the glyphs whole, far below the box.
    const QRectF hh = InkBounds(page, tall.adjusted(-2, -2, 2, 20));
    ASSERT_FALSE(hh.isNull());
    EXPECT_GT(hh.bottom(), tall.bottom() + 4);

    // Seven figures in five cells, right-aligned: 3 to 7 in the cells, 1 and
    // 2 in the two cell widths left of the box, each centred in its cell.
    const double cell = cells.width() / 5;
    for (int i = 0; i < 7; ++i) {
        const QRectF window(cells.left() + (i - 2) * cell, cells.top() - 1, cell, cells.height() + 4);
        const QRectF ink = InkBounds(page, window);
        ASSERT_FALSE(ink.isNull()) << "no figure " << i + 1;
        EXPECT_NEAR(ink.center().x(), window.center().x(), 0.5) << i + 1;
    }
}

TEST(SlipOnPaper, FontsKeepTheShareOfTheirBoxesTheCanvasShows)
{
    TestHome home;
    const auto widthOf = [&](double frameTwips, const QString& name) {
        SlipFormat f;
        f.Load(SlipHeader(QStringLiteral("字号"), 180, 90), {TextBox(1, QRectF(10, 10, 160, 20), 0, 12)});
        f.SetValue(1, QStringLiteral("MMMMMMMMMM"));
        SlipPrintSettings s;
        s.frameWidthTwips = frameTwips;
        const Printed p = PrintOne(home, name, f, s);
        const PdfWord* w = FindWord(p.words, QStringLiteral("MMMMMMMMMM"));
        return w ? w->mm.width() : 0.0;
    };
    // Without a window the slip counts as shown at its real size: 12 points
    // on the canvas print at about 12 points.
    const double real = widthOf(0, QStringLiteral("real.pdf"));
    QFont dejavu(QStringLiteral("DejaVu Sans"));
    dejavu.setPointSizeF(12);
    const double twelvePoints = QFontMetricsF(dejavu).horizontalAdvance(QStringLiteral("MMMMMMMMMM")) * units::kMmPerInch
                                / QFontMetricsF(dejavu).fontDpi();
    EXPECT_NEAR(real / twelvePoints, 1.0, 0.05);
    EXPECT_NEAR(widthOf(ReferenceFrameWidthTwips(180), QStringLiteral("same.pdf")), real, 0.01);
    // A frame twice as wide shows the slip twice as large: the same font
    // takes half the share of its box, and prints half as wide.
    EXPECT_NEAR(widthOf(2 * ReferenceFrameWidthTwips(180), QStringLiteral("half.pdf")) / real, 0.5, 0.03);
}

TEST(SlipOnPaper, BarcodesFollowTheStandardAndDecode)
{
    TestHome home;
    for (const int standard : {0, 1}) {
        SlipFormat f;
        f.Load(SlipHeader(QStringLiteral("条码"), 150, 60), {KindBox(1, BoxKind::Picture, QRectF(20, 15, 100, 25), 9),
                                                          KindBox(2, BoxKind::Picture, QRectF(20, 45, 60, 10), 2)});
        f.SetValue(1, standard == 0 ? QStringLiteral("2024-SLIP") : QStringLiteral("690123456789"));
        SlipPrintSettings s;
        s.barcodeStandard = standard;
        const Printed p = PrintOne(home, QStringLiteral("codes%1.pdf").arg(standard), f, s);
        RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                                             QStringLiteral("-mono"), QStringLiteral("-singlefile"), p.pdf, p.pdf});
        const QStringList found = RunTool(QStringLiteral("zbarimg"), {QStringLiteral("-q"), p.pdf + QStringLiteral(".png")})
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_EQ(found, QStringList({standard == 0 ? QStringLiteral("CODE-39:2024-SLIP")
                                                    : QStringLiteral("EAN-13:6901234567892")}));
        // The symbol starts at the box's left edge.
        const QRectF ink = InkBounds(RasterisePage(p.pdf), QRectF(10, 10, 130, 35));
        EXPECT_NEAR(ink.top(), 15, kTolerance);
        EXPECT_LE(ink.right(), 120 + kTolerance);
        if (standard == 0) EXPECT_NEAR(ink.left(), 20, kTolerance);
    }
}

TEST(SlipOnPaper, AnUnreadableBoxIsLeftOutAndTheNextKeepsItsOwnPlaceAndFont)
{
    TestHome home;
    SlipFormat f;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Box lost = TextBox(1, QRectF(nan, 20, 50, 8), 0, 30);
    Box badFont = TextBox(2, QRectF(20, 40, 50, 8), 0, nan);
    Box badLine = LineBox(4, QLineF(20, nan, 100, 60));
    Box kept = TextBox(3, QRectF(60.5, 70.5, 80, 8), 0, 10);
    f.Load(SlipHeader(QStringLiteral("坏记录"), 180, 100), {lost, badFont, kept, badLine});
    f.SetValue(1, QStringLiteral("LOST"));
    f.SetValue(2, QStringLiteral("BADFONT"));
    f.SetValue(3, QStringLiteral("KEPT"));
    const Printed p = PrintOne(home, QStringLiteral("unreadable.pdf"), f);
    EXPECT_EQ(FindWord(p.words, QStringLiteral("LOST")), nullptr);
    EXPECT_EQ(FindWord(p.words, QStringLiteral("BADFONT")), nullptr);
    const PdfWord* w = FindWord(p.words, QStringLiteral("KEPT"));
    ASSERT_NE(w, nullptr);
    EXPECT_NEAR(w->mm.left(), 60.5, kTolerance);
    EXPECT_NEAR(w->mm.top(), 70.5, kTolerance);
    // Its own 10 points, not the 30 of the box before it.
    EXPECT_LT(w->mm.height(), 16 * units::kMmPerInch / units::kPointsPerInch);
    EXPECT_FALSE(InkBounds(RasterisePage(p.pdf), QRectF(0, 0, 180, 100)).isEmpty());
    EXPECT_TRUE(InkBounds(RasterisePage(p.pdf), QRectF(0, 0, 180, 65)).isEmpty());  // no stray line either
}

TEST(SlipOnPaper, BackgroundOnlyWhenItsToggleIsOn)
{
    TestHome home;
    QImage grey(90, 45, QImage::Format_RGB32);
    grey.fill(QColor(40, 40, 40));
    const auto print = [&](bool background, bool grid) {
        SlipFormat f;
        FormatHeader h = SlipHeader(QStringLiteral("底图"), 180, 90, 15, 10);  // 5 mm to the left
        h.options.printBackground = background;
        h.options.printRulers = grid;
        f.Load(h, {});
        SlipPrintSettings s;
        s.background = grey;
        const Printed p = PrintOne(home, QStringLiteral("layers%1%2.pdf").arg(background).arg(grid), f, s, true);
        EXPECT_EQ(ReadPdfInfo(p.pdf).pages, 1);
        return InkBounds(RasterisePage(p.pdf), QRectF(0, 0, 210, 297));
    };
    EXPECT_TRUE(print(false, false).isEmpty());
    EXPECT_FALSE(print(false, true).isEmpty());  // the grid alone
    const QRectF picture = print(true, false);
    EXPECT_NEAR(picture.left(), 0, kTolerance);  // its left 5 mm off the page
    EXPECT_NEAR(picture.top(), 0, kTolerance);
    EXPECT_NEAR(picture.right(), 175, kTolerance);
    EXPECT_NEAR(picture.bottom(), 90, kTolerance);
}

// A line break typed in the editor (a bare LF) or brought by a record with
// the marker is a line break on paper: the second line's ink stands below
// the first.
TEST(SlipOnPaper, EveryLineBreakOfAValueStartsANewLineOnPaper)
{
    constexpr int kDpi = 96;
    const QRectF boxMm(10, 10, 60, 30);
    for (const char* typed : {"Aa12\nBb34", "Aa12//Bb34", "Aa12\r\nBb34"}) {
        SlipFormat f;
        f.Load(SlipHeader(QStringLiteral("换行"), 80, 50), {TextBox(1, boxMm, 0, 14)});
        f.SetStoredValue(1, QString::fromUtf8(typed), QStringLiteral("//"));
        ImageSurface surface(units::TwipsFromMm(80), units::TwipsFromMm(50), kDpi);
        DrawSlipBox(f, *f.Find(1), f.Value(1), surface, SlipPlacement{}, SlipDrawSettings{});
        const QImage image = surface.Finish();
        QVector<int> inkRows;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 128) {
                    inkRows << y;
                    break;
                }
        ASSERT_FALSE(inkRows.isEmpty()) << typed;
        int lines = 1;
        for (int i = 1; i < inkRows.size(); ++i) lines += inkRows[i] > inkRows[i - 1] + 1;
        EXPECT_EQ(lines, 2) << typed;
    }
}
