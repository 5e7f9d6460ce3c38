#pragma once
#include <QString>
#include <optional>

namespace slip {

// What a number typed into a dialog field may be.
struct NumberRule {
    QString name;              // the field's caption without its colon: "宽"
    bool allowNegative = false;
    bool allowZero = true;
    // Above 0: the largest value allowed (in size, for a field that may be
    // negative), with what it is ("单据的宽度") and its unit ("毫米").
    double max = 0;
    QString maxWhat;
    QString unit = QStringLiteral("毫米");
};

// The number a field holds: a decimal number, optionally followed by "mm" or
// "毫米" ("2mm" is 2); anything else is no number.
std::optional<double> ReadTypedNumber(const QString& text);

// Checks a typed value against its rule: the number, or no value and the
// message that tells the operator why it is refused.
std::optional<double> CheckTypedNumber(const QString& text, const NumberRule& rule, QString& problem);

// The rules of the lengths of a box on a slip of this size (mm).
NumberRule PositionRule(const QString& name, double slipExtent, bool across);
NumberRule SizeRule(const QString& name, double slipExtent, bool across);
// Spacings may be negative (characters or lines closer than normal), but no
// larger either way than the slip.
NumberRule SpacingRule(const QString& name, double slipExtent, bool across);

// The largest font size a box may have.
inline constexpr double kMaxFontPoints = 500;
// "" when a font size may be used, else the message.
QString FontSizeProblem(double points);

} // namespace slip
