#include "model/DataType.h"

#include "core/TextNumber.h"

#include <cmath>

namespace slip {

namespace {

// Codes past this one convert nothing and print nothing; capping them keeps
// a hostile number out of integer overflow.
constexpr double kHighestCode = 100000;

} // namespace

DataType DataType::FromStored(double c)
{
    DataType t;
    if (!std::isfinite(c)) return t;
    t.stored_ = c;
    const double whole = std::trunc(c);
    t.code_ = whole > 0 ? int(std::min(whole, kHighestCode)) : 0;
    const bool plain = (c <= 0 || c >= 100) && (c <= 200 || c >= 400) && whole != 114 && whole != 121;
    if (plain) {
        t.family_ = Family::Plain;
        t.item_ = std::fabs(c) < 1000 ? DataTypeItemIndex(int(RoundHalfEven(c))) : -1;
        if (t.item_ >= 0) t.item_ = DataTypeItems()[size_t(t.item_)].code;
        t.count_ = c;
        return t;
    }
    if (c > 200) {
        // The number cells, and above 300 the amount cells without the
        // currency character (the subtraction is exact in this range).
        t.family_ = Family::DigitCells;
        t.item_ = c > 300 ? 311 : 211;
        t.count_ = c - (c > 300 ? 300 : 200);
    } else if (whole == 114 || whole == 121) {
        t.family_ = Family::MoneyPlaces;
        t.item_ = int(whole);
        // The small addition takes up the binary error of the two decimals:
        // 114.08 is 8 places, not 7.
        t.count_ = std::trunc((c - whole) * 100 + 0.0001);
    } else {
        t.family_ = Family::AmountCells;
        t.item_ = 11;
        t.count_ = c;
    }
    t.cells_ = int(std::trunc(t.count_));
    return t;
}

DataType DataType::FromItem(int itemCode, double n)
{
    double v;
    switch (itemCode) {
    case 11: v = n; break;
    case 211: v = 200 + n; break;
    case 311: v = 300 + n; break;
    case 114: v = 114 + n / 100; break;
    case 121: v = 121 + n / 100; break;
    default: return FromStored(itemCode);
    }
    return FromStored(NumberText(v).toDouble());
}

bool DataType::ShowsCellBorder() const
{
    const double c = stored_;
    return (c > 0 && c < 100) || (c > 200 && c < 400);
}

bool DataType::BorderWhenOpened() const
{
    const double c = std::nearbyint(stored_);
    return (c >= 1 && c <= 99) || (c >= 201 && c <= 399);
}

bool DataType::TakesAlignment() const
{
    return item_ != 11 && item_ != 311 && item_ != 114 && item_ != 121;
}

const std::vector<DataTypeItem>& DataTypeItems()
{
    using F = DataType::Family;
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

int DataTypeItemIndex(int itemCode)
{
    const auto& items = DataTypeItems();
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].code == itemCode) return int(i);
    return -1;
}

double CheckedCellCount(const QString& typed)
{
    const double n = Val(typed);
    return std::isfinite(n) && n > 0 && n <= 99 ? n : kDefaultCellCount;
}

} // namespace slip
