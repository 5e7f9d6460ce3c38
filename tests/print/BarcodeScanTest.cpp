#include "PrintTestSupport.h"

#include "print/Code39.h"
#include "print/Ean13.h"
#include "print/SlipPrinter.h"
#include "TestHome.h"

using namespace slip;
using namespace slip::test;

// Printed symbols must scan: they are rendered as a printer would print them
// and read back with a standard decoder (zbarimg).

namespace {

QStringList Decode(const QString& imagePath)
{
    const QString out = RunTool(QStringLiteral("zbarimg"), {QStringLiteral("-q"), imagePath});
    return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A Code 39 symbol fitted into a box boxMm wide, with a quiet zone around it.
QImage RenderCode39(const QString& text, double boxMm, int dpi)
{
    const double margin = 10;
    ImageSurface surface((boxMm + 2 * margin) * kPaperTwipsPerMm, 30 * kPaperTwipsPerMm, dpi);
    const auto module = FitCode39Module(text, boxMm * kPaperTwipsPerMm);
    EXPECT_TRUE(module.has_value() && *module >= 1) << text.toStdString();
    if (module) DrawCode39(surface, text, margin, 5, 20, *module, 9, true);
    return surface.Finish();
}

QImage RenderEan13(const QString& text, double boxMm, int dpi)
{
    const double margin = 10;
    ImageSurface surface((boxMm + 2 * margin) * kPaperTwipsPerMm, 35 * kPaperTwipsPerMm, dpi);
    DrawEan13(surface, text, margin, 5, 25, boxMm, 9, true);
    return surface.Finish();
}

} // namespace

TEST(BarcodeScan, Code39SymbolsDecodeAt300And600Dpi)
{
    TestHome home;
    const struct {
        QString text;
        QString read;
        double boxMm;
    } cases[] = {
        {QStringLiteral("ABC-123"), QStringLiteral("ABC-123"), 70},
        {QStringLiteral("slip-2024"), QStringLiteral("SLIP-2024"), 80},
        {QStringLiteral("%$-9Z"), QStringLiteral("%$-9Z"), 60},
        {QStringLiteral("0"), QStringLiteral("0"), 25},
        {QStringLiteral("*A1B2*"), QStringLiteral("A1B2"), 50},
        {QStringLiteral("6901234567"), QStringLiteral("6901234567"), 45},
    };
    for (int dpi : {300, 600}) {
        for (const auto& c : cases) {
            const QString path = home.file(QStringLiteral("c39-%1-%2.png").arg(dpi).arg(c.read.size()));
            ASSERT_TRUE(RenderCode39(c.text, c.boxMm, dpi).save(path));
            EXPECT_EQ(Decode(path), QStringList({QStringLiteral("CODE-39:") + c.read}))
                << c.text.toStdString() << " at " << dpi << " dpi";
        }
    }
}

TEST(BarcodeScan, Ean13SymbolsDecodeWithTheirComputedCheckDigits)
{
    TestHome home;
    const struct {
        QString text;
        QString read;
        double boxMm;
    } cases[] = {
        {QStringLiteral("690123456789"), QStringLiteral("6901234567892"), 40},
        {QStringLiteral("6901234567890"), QStringLiteral("6901234567892"), 40},  // wrong check digit
        {QStringLiteral("4006381333931"), QStringLiteral("4006381333931"), 35},
        // Cut to 13 characters before the separators go: 9787111123 remain.
        {QStringLiteral("978-7-111-12345"), QStringLiteral("0097871111232"), 45},
        {QStringLiteral("5012345678900"), QStringLiteral("5012345678900"), 30},
    };
    for (int dpi : {300, 600}) {
        for (const auto& c : cases) {
            const QString path = home.file(QStringLiteral("ean-%1-%2.png").arg(dpi).arg(c.read));
            ASSERT_TRUE(RenderEan13(c.text, c.boxMm, dpi).save(path));
            EXPECT_EQ(Decode(path), QStringList({QStringLiteral("EAN-13:") + c.read}))
                << c.text.toStdString() << " at " << dpi << " dpi";
        }
    }
}

TEST(BarcodeScan, SymbolsPrintedIntoAPdfDecode)
{
    TestHome home;
    const QString pdf = home.file(QStringLiteral("codes.pdf"));
    SlipPrinter printer;
    printer.UsePdfFile(pdf);
    const auto module = FitCode39Module(QStringLiteral("SLIP-7"), 60 * kPaperTwipsPerMm);
    ASSERT_TRUE(module.has_value());
    DrawCode39(printer, QStringLiteral("SLIP-7"), 20, 20, 15, *module, 9, true);
    printer.NewPage();
    DrawEan13(printer, QStringLiteral("690123456789"), 20, 20, 25, 40, 9, true);
    ASSERT_TRUE(printer.EndDoc());
    ASSERT_EQ(ReadPdfInfo(pdf).pages, 2);

    const QString stem = home.file(QStringLiteral("codes"));
    RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                                         QStringLiteral("-mono"), pdf, stem});
    QStringList found = Decode(stem + QStringLiteral("-1.png")) + Decode(stem + QStringLiteral("-2.png"));
    found.sort();
    EXPECT_EQ(found, QStringList({QStringLiteral("CODE-39:SLIP-7"), QStringLiteral("EAN-13:6901234567892")}));
}
