#pragma once
#include "core/TextNumber.h"
#include <QChar>
#include <QDate>
#include <QString>
#include <optional>

#include "core/CommonHelpers.h"
#include "entry/AmountText.h"
#include "model/DataType.h"

namespace slip {

// The outcome of converting one value by a data-type code.
struct Converted {
    QString text;
    // The border style the box takes; unset when the box's border is left
    // as it is (an empty value).
    std::optional<int> borderStyle;
};

// The value converted by the data-type code, as a box of that code shows it
// once the operator leaves it. Every code that reads a number (amounts, money
// words, cells, percentages, dates, postcodes) reads full-width figures,
// point, comma and minus sign as their plain forms. Dates typed without a
// year take the year of `today` (an invalid date means the system date), and
// so do year, month and day parts that are out of range. A conversion that
// fails, or a text that is no amount in an amount box, keeps the text as
// typed.
Converted ConvertByCode(const DataType& type, const QString& text, QChar currencyChar = kDefaultCurrencyChar,
                        QDate today = QDate());

// The characters an amount fills the cells of an amount-cells type with
// (1 to 99 cells with the currency character, 301 to 399 with its cell left
// blank): the formatted amount without point and commas, blanks before it up
// to the cell count. A text that is no amount goes in as it stands. A text
// longer than the cells leaves the currency character out; figures and the
// minus are never cut: an amount longer than the cells gives a longer text.
QString AmountCellText(const QString& text, const DataType& type, QChar currencyChar = kDefaultCurrencyChar);

// Whether a box of this type can show the value it holds within its
// rectangle: an amount in cells has no more figures than cells (the currency
// character gives up its cell first), upper-case digits have a cell for
// every figure (no minus), money words reach no further than their largest
// unit. An amount a box can't show is kept as typed, and the window tells the
// operator so. Any other value shows whole: it runs on beyond the box (below
// it, or beside its cells, as upper-case digits beyond the cells do).
bool BoxCanShow(const DataType& type, const QString& value, QChar currencyChar = kDefaultCurrencyChar);

// The amount with the currency character, thousands commas and exactly two
// decimals (cut, never rounded): "1234.5" gives "￥1,234.50"; "" stays "".
// The amount is read as ReadAmountFigures reads it, every figure kept, so no
// amount is rounded; a minus sign before or after a leading currency mark
// makes it negative: "-￥1,234.50". Nullopt for a text that is no amount.
std::optional<QString> TryFormatAmount(const QString& text, QChar currencyChar = kDefaultCurrencyChar);

// The date in the text put into the pattern (YYYY year, MM month, DD day,
// other characters copied), or "" when the text is no date. Dates are read as
// year-month-day with "-", "/", "." or 年月日 between them and a year of four
// figures or of two (00-29 this century, 30-99 the last), as eight figures
// run together (20120503), as month-day in the year of `today`, or with the
// month's English name or its first three letters ("May 3, 2012",
// "3-May-2012", "2012-May-3", "May 3"); each optionally followed by a time of
// day. A date box keeps a text that is no date as typed.
QString FormatDateText(const QString& text, const QString& pattern, QDate today = QDate());
// The date a text stands for, as FormatDateText reads it.
std::optional<QDate> ReadDateText(const QString& text, QDate today = QDate());

// Six digits for a postal code: the figures of the text, cut to six or
// padded on the left with "0"; "" when it has no figure.
QString SixDigitText(const QString& text);

// The text without the characters that do not occur in allowed (UTF-16
// units compared exactly), in one pass over the text.
QString KeepAllowedChars(const QString& text, const QString& allowed);


} // namespace slip
