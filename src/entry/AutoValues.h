#pragma once
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

#include "model/SlipFormat.h"

namespace slip {

// The parameter under which the operator's own pattern for a data-type code
// is kept: "自定义类型" followed by the code in figures ("自定义类型119").
QString CustomPatternKey(int code);

// Today's date in every date box, each in its code's form: the year (100
// and 106), month (101 and 107) or day (102 and 108), the whole date
// (110-113) and the operator's own pattern (119, `customPattern`, the date
// and time as plain text when it is ""). Every other text box is converted
// again by its code, as on leaving it (a converted value stays as it is).
// Answers how many boxes changed.
int AutoFillDates(SlipFormat& format, const QDateTime& now, const QString& customPattern = QString());

// A date and time written with a pattern of date and time letters, read
// without regard to case: yyyy yy year, y day of the year, q quarter, m mm
// month (minutes right after an hour), mmm mmmm month name, d dd day, ddd dddd
// weekday name, w weekday (1 Sunday), ww week of the year (weeks from Sunday,
// the first holding 1 January), h hh hour, n nn minutes, s ss seconds, AM/PM
// and A/P a twelve-hour clock. Text in double quotes and a character after
// "\" are copied as they are, and so is every other character. An empty
// pattern gives the date and time as plain text ("2012-5-3 14:05:06").
QString FormatCustomDate(const QDateTime& when, const QString& pattern);

// The serial number that follows `text`: the last run of figures counts up
// by one, keeping its width ("A0010" → "A0011", "0009" → "0010") and growing
// a figure past its last ("99" → "100", "A99" → "A100"); everything before
// and after the run stays ("NO.2012-009号" → "NO.2012-010号"). Runs of any
// length count exactly. A text without figures has no number to count and is
// kept; "" stays "". Full-width figures count as figures and the run keeps
// their form.
QString NextSerial(const QString& text);

// The value box `id` held on the newest printed slip of the open format that
// has one; nullopt when none does (or the history cannot be read).
using NewestValueLookup = std::function<std::optional<QString>(BoxId id)>;

// Every serial-number box (code 122) takes the serial after its value on the
// newest slip that holds one; a box without history keeps its value. Answers
// how many boxes changed.
int ApplyAutoNumbers(SlipFormat& format, const NewestValueLookup& newestValue);

} // namespace slip
