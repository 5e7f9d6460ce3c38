#pragma once
#include <QChar>
#include <QString>
#include <optional>

#include "core/CommonHelpers.h"
#include "entry/Decimal.h"

namespace slip {

// The text with the full-width figures, point, comma and minus sign that
// Chinese input methods give ("１，２３４．５", "－５") and the ideographic
// blank in their plain forms; every other character, the currency character
// "￥" included, stays as it is.
QString HalfWidthNumberText(const QString& text);
// One character in its plain form, as HalfWidthNumberText writes it.
QChar HalfWidthNumberChar(QChar c);

// An amount as typed, every figure kept.
struct AmountFigures {
    // Below zero: a minus sign before an amount with a figure other than 0,
    // even one past the fen ("-0.001" is negative, "-0.00" is not).
    bool negative = false;
    QString whole;          // figures without leading zeros, "0" when none
    QString decimals;       // every decimal figure typed
    // The first two decimals, filled with "0": the fen the slip shows.
    // Amounts are cut after the fen, never rounded.
    QString Cents() const;
    // The amount in fen as figures without leading zeros ("0" for nothing).
    QString FenFigures() const;
};

// The one reading of an amount, shared by every amount code (figures, money
// words, cells, percentages), so the same text gives the same amount in every
// box. Full-width forms read as their plain forms and blanks are passed over.
// An amount is
//   an optional sign, an optional currency mark (the format's currency
//   character, ￥, ¥, $, RMB, CNY or 人民币) with an optional sign after it,
//   figures (commas only between groups of three: 1,234,567), an optional
//   point with decimal figures, and an optional 元 or 圆 (and 整) at the end.
// Anything else is no amount: nullopt, and the box keeps the text as typed
// rather than show an amount that was never typed ("1e3", "50%", "1.2.3",
// "12,34", "abc" are refused).
std::optional<AmountFigures> ReadAmountFigures(const QString& text,
                                               QChar currencyChar = kDefaultCurrencyChar);

// The exact value of an amount as ReadAmountFigures reads it, all decimals
// kept.
std::optional<Decimal> ReadAmountValue(const QString& text, QChar currencyChar = kDefaultCurrencyChar);

// A number that the automatic sums and the percentage code take from a box:
// an amount as above, or an amount followed by "%", which stands for its
// hundredth ("25%" is 0.25). nullopt when the text holds no such number, or
// one of more than kMaxOperandFigures figures.
std::optional<Decimal> ReadNumberOperand(const QString& text, QChar currencyChar = kDefaultCurrencyChar);
inline constexpr int kMaxOperandFigures = 40;

} // namespace slip
