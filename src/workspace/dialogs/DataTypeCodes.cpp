#include "workspace/dialogs/DataTypeCodes.h"

#include "core/TextNumber.h"

#include <cmath>

namespace slip {

const std::vector<DataTypeItem>& DataTypeItems()
{
    using F = DataTypeFamily;
    static const std::vector<DataTypeItem> items = {
        {0, QStringLiteral("000｜普通文本"), F::Plain},
        {100, QStringLiteral("100｜年(中文)"), F::Plain},
        {101, QStringLiteral("101｜月(中文)"), F::Plain},
        {102, QStringLiteral("102｜日(中文)"), F::Plain},
        {103, QStringLiteral("103｜大写金额(元)"), F::Plain},
        {120, QStringLiteral("120｜大写金额(圆)"), F::Plain},
        {104, QStringLiteral("104｜小写金额(不对格)(有￥)"), F::Plain},
        {105, QStringLiteral("105｜小写金额(不对格)(无￥)"), F::Plain},
        {117, QStringLiteral("117｜小写金额(不对格)(无￥无逗号)"), F::Plain},
        {118, QStringLiteral("118｜小写金额(不对格)(有￥无逗号)"), F::Plain},
        {11, QStringLiteral("011｜小写金额(对格 有￥)"), F::AmountCells},
        {311, QStringLiteral("311｜小写金额(对格 无￥)"), F::DigitCells},
        {211, QStringLiteral("211｜数字(对格)"), F::DigitCells},
        {106, QStringLiteral("106｜年(阿拉伯)"), F::Plain},
        {107, QStringLiteral("107｜月(阿拉伯)"), F::Plain},
        {108, QStringLiteral("108｜日(阿拉伯)"), F::Plain},
        {109, QStringLiteral("109｜邮编"), F::Plain},
        {110, QStringLiteral("110｜日期：YYYY年MM月DD日"), F::Plain},
        {111, QStringLiteral("111｜日期：YYYY-MM-DD"), F::Plain},
        {112, QStringLiteral("112｜日期：MM年DD月"), F::Plain},
        {113, QStringLiteral("113｜日期：MM-DD"), F::Plain},
        {119, QStringLiteral("119｜自定义日期："), F::Plain},
        {114, QStringLiteral("114｜大写金额(仅数字)"), F::MoneyPlaces},
        {121, QStringLiteral("121｜大写金额(仅数字,无角分)"), F::MoneyPlaces},
        {115, QStringLiteral("115｜只打√"), F::Plain},
        {116, QStringLiteral("116｜百分数"), F::Plain},
        {122, QStringLiteral("122｜自动编号"), F::Plain},
    };
    return items;
}

int DataTypeItemIndex(int code)
{
    const auto& items = DataTypeItems();
    for (int i = 0; i < int(items.size()); ++i)
        if (items[i].code == code) return i;
    return -1;
}

bool CellCountInRange(double n) { return std::isfinite(n) && n > 0 && n <= 99; }

double CheckedCellCount(const QString& typed)
{
    const double n = Val(typed);
    return CellCountInRange(n) ? n : kDefaultCellCount;
}

double FoldDataType(int itemCode, double n)
{
    double v;
    switch (itemCode) {
    case 11: v = n; break;
    case 211: v = 200 + n; break;
    case 311: v = 300 + n; break;
    case 114: v = 114 + n / 100; break;
    case 121: v = 121 + n / 100; break;
    default: return itemCode;
    }
    // Through the decimal text, so that the stored number is the one its
    // text names (114 + 8 / 100 is not quite 114.08 in binary).
    return NumberText(v).toDouble();
}

DataTypeShown ReadDataType(double c)
{
    DataTypeShown s;
    if (!std::isfinite(c)) c = 0;
    const double whole = std::trunc(c);
    const bool plain = (c <= 0 || c >= 100) && (c <= 200 || c >= 400) && whole != 114 && whole != 121;
    if (plain) {
        s.family = DataTypeFamily::Plain;
        s.item = DataTypeItemIndex(int(RoundHalfEven(c)));
        s.count = c;
        s.countCaption = QStringLiteral("数据类型代码：");
        return s;
    }
    s.countEditable = true;
    if (c > 200) {
        // 200 < c < 400: the number cells; above 300 the amount cells without ￥.
        s.family = DataTypeFamily::DigitCells;
        s.item = DataTypeItemIndex(c > 300 ? 311 : 211);
        s.count = NumberText(c > 300 ? c - 300 : c - 200).toDouble();
        s.countCaption = QStringLiteral("数字格数：");
        s.charSpacingEditable = false;
        s.lineSpacingEditable = false;
    } else if (whole == 114 || whole == 121) {
        s.family = DataTypeFamily::MoneyPlaces;
        s.item = DataTypeItemIndex(int(whole));
        // The 0.0001 takes up the binary error of the two decimals: 114.08
        // is 8 places, not 7.
        s.count = std::trunc(c * 100 + 0.0001 - whole * 100);
        s.countCaption = QStringLiteral("大写金额位数：");
        s.lineSpacingEditable = false;
    } else {
        s.family = DataTypeFamily::AmountCells;
        s.item = DataTypeItemIndex(11);
        s.count = c;
        s.countCaption = QStringLiteral("小写金额格数：");
        s.charSpacingEditable = false;
        s.lineSpacingEditable = false;
    }
    return s;
}

bool DataTypeTakesAlignment(int itemCode)
{
    return itemCode != 11 && itemCode != 311 && itemCode != 114 && itemCode != 121;
}

QString CustomPatternParamName(int itemCode) { return QStringLiteral("自定义类型") + QString::number(itemCode); }

QString CustomItemText(const QString& itemText, const QString& pattern)
{
    const int colon = itemText.indexOf(QStringLiteral("："));
    const QString prefix = colon < 0 ? itemText : itemText.left(colon);
    return prefix + QStringLiteral("：") + pattern;
}

} // namespace slip
