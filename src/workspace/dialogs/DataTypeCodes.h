#pragma once
#include <QString>
#include <vector>

namespace slip {

// The data-type codes a text box can be given, as the type list offers them.
// Five of them spread a value over cells: their cell count n is folded into
// the stored number (see FoldDataType).
enum class DataTypeFamily {
    Plain,         // stored as the item code itself
    AmountCells,   // item 011: stored as n (1 to 99)
    DigitCells,    // items 211 and 311: stored as 200 + n or 300 + n
    MoneyPlaces,   // items 114 and 121: stored as code + n / 100
};

struct DataTypeItem {
    int code;            // the three-digit item code (11 for "011")
    QString text;        // "011｜小写金额(对格 有￥)"
    DataTypeFamily family;
    // Whether the item takes a custom pattern (its text holds "自定义").
    bool custom() const { return text.contains(QStringLiteral("自定义")); }
};

// The 27 items, in the order the list shows them.
const std::vector<DataTypeItem>& DataTypeItems();
// The position of the item with this code in DataTypeItems(), or -1.
int DataTypeItemIndex(int code);

// The cell count a cell item starts with when picked, and the one that
// replaces a count out of range.
inline constexpr double kDefaultCellCount = 11;
// Whether n can be a cell count: above 0 and at most 99.
bool CellCountInRange(double n);
// The cell count typed into the dialog: its leading number when that is
// above 0 and at most 99 (fractions kept), otherwise 11.
double CheckedCellCount(const QString& typed);

// The stored number for an item and its cell count (ignored by plain items),
// written with at most 15 significant digits so that 114 with 8 places is
// exactly 114.08.
double FoldDataType(int itemCode, double cellCount);

// How a stored number shows in the dialog.
struct DataTypeShown {
    int item = -1;              // position in DataTypeItems(); -1 when no item has the code
    DataTypeFamily family = DataTypeFamily::Plain;
    double count = 0;           // the cell count; for a plain code the code itself
    QString countCaption;       // the caption beside the count field
    bool countEditable = false;
    bool charSpacingEditable = true;
    bool lineSpacingEditable = true;
};
DataTypeShown ReadDataType(double stored);

// Whether the alignment options apply to the item: not to the amount cells
// (011, 311) nor the money-word places (114, 121); the number cells of 211
// and every plain item keep them.
bool DataTypeTakesAlignment(int itemCode);

// The parameter that keeps the custom pattern of an item code.
QString CustomPatternParamName(int itemCode);
// The list text of a custom item with its pattern: the text up to its first
// "：", "：" and the pattern.
QString CustomItemText(const QString& itemText, const QString& pattern);

} // namespace slip
