#pragma once
#include <cmath>

// Lengths travel between the layers in millimetres. Twips exist only where
// the paper is drawn or a screen size is stored, and pixels only where the
// canvas shows a slip; these are the only conversions between them.
namespace slip::units {

inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kTwipsPerMm = 56.6928;  // 1440 twips to the inch
inline constexpr double kMmPerInch = 25.4;
inline constexpr double kPointsPerInch = 72.0;

// The screen: a fixed 15 twips to the logical pixel (96 dpi), so stored
// positions, widths and font scales keep their meaning whatever the display's
// resolution; a screen of unknown size counts as 1024 pixels wide.
inline constexpr double kTwipsPerPixel = 15.0;
inline constexpr int kDefaultScreenWidthTwips = 15360;

constexpr double TwipsFromMm(double mm) { return mm * kTwipsPerMm; }
constexpr double MmFromTwips(double twips) { return twips / kTwipsPerMm; }
// Millimetres as the slip keeps them: to three decimals, halves to the even
// neighbour, so that a box dragged on the canvas stands at 11.943 mm, not at
// 11.943127962..., and 90.1 + 0.9 is 91.
inline double RoundMm(double mm)
{
    const double k = std::nearbyint(mm * 1000);  // the default rounding mode: halves to even
    return std::isfinite(k) ? k / 1000 : mm;
}

// Pixels of a device with `dpi` dots to the inch.
constexpr double MmFromPixels(double pixels, double dpi) { return pixels * kMmPerInch / dpi; }

} // namespace slip::units
