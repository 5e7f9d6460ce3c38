#include "PrintTestSupport.h"

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

TEST(BarcodeScan, EachSymbologyDecodesAt300And600Dpi)
{
    TestHome home;
    const struct { bool ean; const char* text; const char* read; double boxMm; } cases[] = {
        {false, "ABC-123", "CODE-39:ABC-123", 70}, {false, "%$-9Z", "CODE-39:%$-9Z", 60}, {false, "*A1B2*", "CODE-39:A1B2", 50},
        // The narrowest box that still gets a symbol: module 8, narrow bars of 0.21 mm.
        {false, "6901234567", "CODE-39:6901234567", *MeasureCode39(QStringLiteral("6901234567"), 8) / kPaperTwipsPerMm},
        {true, "6901234567890", "EAN-13:6901234567892", 40},  // wrong check digit replaced
        {true, "978-7-111-12345", "EAN-13:0097871111232", 45},  // cut before the separators go
        {true, "5012345678900", "EAN-13:5012345678900", 30},
    };
    int n = 0;
    for (int dpi : {300, 600})
        for (const auto& c : cases)
            EXPECT_EQ(Decode(Render(c.ean, QLatin1String(c.text), c.boxMm, dpi), home.file(QString::number(++n) + ".png")),
                      QStringList({QLatin1String(c.read)}))
                << c.text << " at " << dpi << " dpi";
}
