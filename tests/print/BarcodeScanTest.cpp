#include "PrintTestSupport.h"

#include "core/Prompter.h"
#include "print/barcode/Code39.h"
#include "print/barcode/Ean13.h"
#include "TestHome.h"

using namespace slip;
using namespace slip::test;

// Symbols must scan: rendered as a printer prints them and read back with a
// standard decoder (zbarimg).

namespace {

QStringList Decode(const QImage& image, const QString& path)
{
    EXPECT_TRUE(image.save(path));
    return RunTool(QStringLiteral("zbarimg"), {QStringLiteral("-q"), path}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A symbol in a box boxMm wide, 10 mm of quiet zone around it.
QImage Render(bool ean, const QString& text, double boxMm, int dpi)
{
    SilentPrompter quiet;
    ImageSurface surface(Tw(boxMm + 20), Tw(35), dpi);
    if (ean)
        DrawEan13(surface, text, 10, 5, 25, boxMm, 9, true);
    else
        EXPECT_EQ(DrawFittedCode39(surface, text, 10, 5, 20, Tw(boxMm), 9, true, quiet), Code39Outcome::Drawn);
    return surface.Finish();
}

} // namespace

TEST(BarcodeScan, Code39DecodesAt300And600DpiDownToTheThinnestSymbolDrawn)
{
    TestHome home;
    const struct { const char* text; const char* read; double boxMm; } cases[] = {
        {"ABC-123", "CODE-39:ABC-123", 70}, {"%$-9Z", "CODE-39:%$-9Z", 60}, {"*A1B2*", "CODE-39:A1B2", 50},
        // The narrowest box that still gets a symbol: module 8, narrow bars of 0.21 mm.
        {"6901234567", "CODE-39:6901234567", *MeasureCode39(QStringLiteral("6901234567"), 8) / kPaperTwipsPerMm},
    };
    int n = 0;
    for (int dpi : {300, 600})
        for (const auto& c : cases)
            EXPECT_EQ(Decode(Render(false, QLatin1String(c.text), c.boxMm, dpi), home.file(QString::number(++n) + ".png")),
                      QStringList({QLatin1String(c.read)}))
                << c.text << " at " << dpi << " dpi";
}

TEST(BarcodeScan, Ean13DecodesAt300And600Dpi)
{
    TestHome home;
    const struct { const char* text; const char* read; double boxMm; } cases[] = {
        {"6901234567890", "EAN-13:6901234567892", 40},  // wrong check digit replaced
        {"978-7-111-12345", "EAN-13:0097871111232", 45},  // cut before the separators go
        {"5012345678900", "EAN-13:5012345678900", 30},
    };
    int n = 0;
    for (int dpi : {300, 600})
        for (const auto& c : cases)
            EXPECT_EQ(Decode(Render(true, QLatin1String(c.text), c.boxMm, dpi), home.file(QString::number(++n) + ".png")),
                      QStringList({QLatin1String(c.read)}))
                << c.text << " at " << dpi << " dpi";
}
