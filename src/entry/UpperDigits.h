#pragma once
#include <QChar>
#include <QDate>
#include <QString>
#include <optional>

#include "core/CommonHelpers.h"

namespace slip {

// The ten upper-case numerals of bank slips, 零 to 玖 for 0 to 9.
inline constexpr char16_t kUpperNumerals[] = u"零壹贰叁肆伍陆柒捌玖";
inline constexpr QChar kUpperTen = QChar(0x62FE);  // 拾

// The numeral of a figure 0..9.
inline QChar UpperNumeral(int digit) { return QChar(kUpperNumerals[digit]); }
// 0..9 for an upper-case numeral, -1 for any other character.
int UpperNumeralValue(QChar c);
inline bool IsUpperNumeral(QChar c) { return UpperNumeralValue(c) >= 0; }

enum class DatePart { Year = 0, Month = 1, Day = 2 };

// toFigures false: every figure becomes its numeral, nothing else changes.
// toFigures true: numerals (with 拾 for ten) become figures and everything
// else is dropped, so 贰拾伍 gives "25", 零壹拾 "10", 贰零壹贰年 "2012".
QString ConvertUpperDigits(const QString& text, bool toFigures);

// A year (2000-3000), month or day typed in figures, in upper-case words with
// the leading 零 the slips want (month 10 is 零壹拾, day 20 零贰拾). A text that
// does not start with a figure, or whose value is out of range, is kept.
QString DatePartToUpper(const QString& text, DatePart part);
// The words of an in-range value; DatePartToUpper decides when to call it.
QString DatePartUpperWithZero(const QString& text, DatePart part);

// A year, month or day typed in words or figures as plain figures; a value
// out of range (year 1000-5000) gives the part of `today` (an invalid date
// means the system date).
QString ParseDatePart(const QString& text, DatePart part, QDate today = QDate());

// An amount as one numeral per printed cell, the last two being 角 and 分,
// filled on the left with 零 to n cells (a longer row is kept whole). The
// amount is read as TryFormatAmount and the money words read it
// (ReadAmountFigures) and cut after the fen, so the cells always show the
// amount the figures and the words show. Texts already in numerals are kept.
// Nullopt for a text that is no amount, a negative amount and one of 10^13
// yuan or more, which the cells cannot show.
std::optional<QString> TryDigitCells(const QString& text, int n,
                                     QChar currencyChar = kDefaultCurrencyChar);

} // namespace slip
