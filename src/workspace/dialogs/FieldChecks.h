#pragma once
#include "model/FormatHeader.h"

#include <QString>
#include <optional>

namespace slip {

// What a number typed into a dialog field may be.
struct NumberRule {
    QString name;              // the field's caption without its colon: "宽"
    bool allowNegative = false;
    bool allowZero = true;
    // Above 0: the largest value allowed (in size, for a field that may be
    // negative), in its unit ("毫米"); lengths stop at kMaxTypedLength.
    double max = 0;
    QString unit = QStringLiteral("毫米");
};

// The number a field holds: a decimal number, optionally followed by "mm" or
// "毫米" ("2mm" is 2); anything else is no number.
std::optional<double> ReadTypedNumber(const QString& text);

// Checks a typed value against its rule: the number, or no value and the
// message that tells the operator why it is refused.
std::optional<double> CheckTypedNumber(const QString& text, const NumberRule& rule, QString& problem);

// The line spacing stays below 1000 mm: it is stored together with the
// alignment, which takes the thousands.
inline constexpr double kMaxLineSpacingMm = 999.999;

// A position or print offset (mm): any sign, inside or beyond the slip.
NumberRule PositionRule(const QString& name);
// A size (mm), or a line width without unit (unit ""): above 0, and may be
// larger than the slip.
NumberRule SizeRule(const QString& name, const QString& unit = QStringLiteral("毫米"));
// "行间距" may be negative (lines closer than normal). The character
// spacing, stored alone, is checked as a position.
NumberRule LineSpacingRule();

// The largest font size a box may have.
inline constexpr double kMaxFontPoints = 500;
// "" when a font size may be used, else the message.
QString FontSizeProblem(double points);

} // namespace slip
