#pragma once
#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <vector>

namespace slip {

// An exact decimal number for the automatic sums: amounts are added and
// multiplied on their decimal figures, so 0.1 + 0.2 is 0.3 and never
// 0.30000000000000004, and no total can come out as NaN or infinity.
class Decimal {
public:
    Decimal() = default;  // zero
    // The number whose figures are `whole` followed by `decimals` (figures
    // 0-9 only; any other character is skipped).
    static Decimal FromFigures(bool negative, const QString& whole, const QString& decimals);
    static Decimal FromInt(qint64 v);

    bool IsZero() const { return digits_.empty(); }
    // How many figures the number holds (without leading zeros).
    int FigureCount() const { return int(digits_.size()); }

    Decimal operator-() const;
    Decimal operator+(const Decimal& o) const;
    Decimal operator-(const Decimal& o) const { return *this + -o; }
    Decimal operator*(const Decimal& o) const;
    // The number divided by 10^places (places >= 0).
    Decimal Shifted(int places) const;
    bool operator==(const Decimal& o) const = default;

    // Plain decimal figures without exponent or trailing decimal zeros:
    // "1234.5", "-0.25", "0".
    QString Text() const;

private:
    void Normalise();

    bool negative_ = false;
    // Figures of the magnitude, least significant first, no leading zeros
    // (empty for zero) and no trailing decimal zeros.
    std::vector<std::uint8_t> digits_;
    int scale_ = 0;  // figures after the point
};

} // namespace slip
