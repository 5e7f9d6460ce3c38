#pragma once
#include <QChar>
#include <QString>

#include "core/CommonHelpers.h"
#include "model/DataType.h"

namespace slip {

inline constexpr QChar kYuanUnit = QChar(0x5143);     // 元
inline constexpr QChar kYuanUnitOld = QChar(0x5706);  // 圆

// The amount in upper-case money words with the given unit (元 or 圆):
// "1005.30" gives 壹仟零伍元叁角整, "-1234" -壹仟贰佰叁拾肆元整, "" stays "".
// The amount is read as TryFormatAmount reads it (ReadAmountFigures), so the
// words always say the amount the figures and the cells show. Text already in
// words is kept, and so is a text that is no amount and an amount of 10^13
// yuan or more, which the words (up to 万亿) cannot hold.
QString MoneyToUpper(const QString& text, QChar unit = kYuanUnit,
                     QChar currencyChar = kDefaultCurrencyChar);

// The figures of a box's value for the automatic sums: money words (codes
// 103 and 120) and upper-case digit cells (114 and 121) are read back to an
// amount ("1005.3" for 壹仟零伍元叁角整), a value of those codes that is still
// in figures is given as it stands, and every other code gives the text.
QString ParseUpperMoney(const DataType& type, const QString& text);

} // namespace slip
