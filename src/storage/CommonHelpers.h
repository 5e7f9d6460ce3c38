#pragma once
#include <QChar>
#include <QString>

namespace slip {

// The currency character put before amounts unless a format chose another.
inline constexpr QChar kDefaultCurrencyChar = QChar(0xFFE5);  // ￥

// A number from a money text: the format's currency character, "￥", "$" and
// "," are removed; a text then ending in "%" is read without its "%" signs and
// divided by 100; otherwise the leading number of the text (0 when none).
double ParseAmount(const QString& text, QChar currencyChar = kDefaultCurrencyChar);

} // namespace slip
