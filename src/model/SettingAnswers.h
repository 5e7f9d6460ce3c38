#pragma once
#include <QChar>
#include <QString>

namespace slip {

// What the operator typed for a setting, checked before it is taken.
struct SettingAnswer {
    bool take = false;   // false: keep the old value
    QString value;       // the value to take
    QString error;       // for the operator when the answer was refused
};

// The currency character from an answer: its first whole character. An
// empty answer keeps the old character silently. Refused with a message: the
// option separator "|" (it would split the stored options), a control
// character, a lone half of a surrogate pair, and a character beyond the
// 16-bit range (a surrogate pair), which the format cannot keep as one
// character.
SettingAnswer CurrencyCharFromAnswer(const QString& answer);

// The line-break marker from an answer. An empty answer keeps the old marker
// silently. Refused with a message: one holding a line break or another
// control character or a lone half of a surrogate pair, and one of blanks
// only (every blank of a stored value would turn into a line break).
SettingAnswer LineBreakMarkerFromAnswer(const QString& answer);

// Whether a slip size may be used: both above 0, and the width to the height
// between 1:20 and 20:1, both ends included.
bool SlipSizeAcceptable(double widthMm, double heightMm);

// The message for a number typed into the field `name` ("宽") that is larger
// than `max` allows: "“宽”不能超过100000毫米！".
QString OverLimitMessage(const QString& name, double max, const QString& unit = QStringLiteral("毫米"));

// "" when a side of the slip (mm) typed into the field `name` ("单据宽度") is
// no longer than any typed length may be (kMaxTypedLength), else its
// OverLimitMessage.
QString SlipSideProblem(const QString& name, double mm);

// A slip size typed as a width and a height: each the number its text starts
// with (a text without one reads 0). A side longer than a typed length may
// be is refused with its SlipSideProblem ("单据宽度", "单据高度"); a size
// SlipSizeAcceptable refuses, with the ratio message, a width or height of 0
// too.
struct SlipSizeAnswer {
    bool take = false;
    double widthMm = 0;
    double heightMm = 0;
    QString error;
};
SlipSizeAnswer SlipSizeFromAnswer(const QString& width, const QString& height);

} // namespace slip
