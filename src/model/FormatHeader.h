#pragma once
#include <QChar>
#include <QString>
#include <cmath>

namespace slip {

// The currency character put before amounts unless a format chose another.
inline constexpr QChar kYuanSign = QChar(0xFFE5);  // ￥

// The switches and toggles a format keeps with it.
struct SlipOptions {
    // Shown on the canvas and kept with the format.
    bool showRulers = false;        // 显示标尺
    bool lengthwise = false;        // 纵向打印: the slip is fed in lengthwise
    bool locked = false;            // 锁定格式: the layout can't be changed
    bool guidesToCentre = false;    // 卡纸器两边向中间收缩: the printer centres narrow paper
    bool showBackground = false;    // 显示底图
    // Print toggles.
    bool setPaper = false;          // 自动设置纸张
    bool printBackground = false;   // 连同底图打印
    bool printRulers = false;       // 打印标尺坐标
    QChar currencyChar = kYuanSign;
    bool operator==(const SlipOptions&) const = default;
};

// A slip format's own settings. Print offsets are kept as the operator sets
// them: 10 means no shift.
struct FormatHeader {
    QString name;
    double widthMm = 0;
    double heightMm = 0;
    double offsetXMm = 10;
    double offsetYMm = 10;
    SlipOptions options;
    // The factor the stored font sizes were scaled by when the format was
    // read, to fit the screen in use; a format read without a header record
    // keeps the factor of the one before.
    double screenFontFactor = 1.0;
    bool operator==(const FormatHeader&) const = default;
};

inline constexpr double kNoPrintShift = 10;

// The longest length (mm) a format's exchange file carries, either way, for
// a position or a size of the slip or of a box: its reader refuses a file
// with a longer one.
inline constexpr double kMaxLengthInFileMm = 1e6;
// The most a typed length (mm) or line width may be either way, the slip's
// own size included: the canvas and the printer place boxes in 32-bit whole
// pixels and twips, which longer lengths would overrun. Far beyond any slip,
// and within what the exchange file carries, so that every format made by
// typing exports to a file its import takes.
inline constexpr double kMaxTypedLength = 100000;
static_assert(kMaxTypedLength <= kMaxLengthInFileMm);

// Whether a slip of this size can be shown and printed: both sides above 0.
inline bool SlipSizeUsable(double widthMm, double heightMm)
{
    return widthMm > 0 && heightMm > 0 && std::isfinite(widthMm) && std::isfinite(heightMm);
}

// The size a slip gets that has none it could be shown at: a format stored
// without a header record, or with one of 0 × 0.
inline constexpr double kNewSlipWidthMm = 180;
inline constexpr double kNewSlipHeightMm = 90;
// Gives a slip without a usable size that size; true when it did.
inline bool MakeSlipSizeUsable(double& widthMm, double& heightMm)
{
    if (SlipSizeUsable(widthMm, heightMm)) return false;
    widthMm = kNewSlipWidthMm;
    heightMm = kNewSlipHeightMm;
    return true;
}

} // namespace slip
