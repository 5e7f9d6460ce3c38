#pragma once
#include <QChar>
#include <QString>
#include <QVariant>
#include <QtGlobal>


namespace slip {

// The currency character put before amounts unless a format chose another.
inline constexpr QChar kDefaultCurrencyChar = QChar(0xFFE5);  // ￥

// --- Texts and values ----------------------------------------------------

// Seconds as d:h:m:s without leading zeros, leading "0:" parts dropped
// (at most two): 5 -> "0:5", 65 -> "1:5", 3725 -> "1:2:5"; 0 or less -> "0:0".
QString FormatDuration(qint64 seconds);

// The mark for true in grids and the box table: "√" for any value other than
// false, 0, an empty text or null; "" otherwise.
QString CheckMarkText(const QVariant& value);
inline QString CheckMarkText(bool value) { return value ? QStringLiteral("√") : QString(); }

// The system's text for an errno value ("No space left on device").
QString SystemText(int error);

// A reason in the operator's words, with the system's own text (for
// support) after it in brackets when there is one: "…无法写入！（reason）".
QString WithSystemText(const QString& what, const QString& system);

} // namespace slip
