#pragma once
#include <QString>
#include <vector>

namespace slip {

// The data-type code of a text box: how its value is converted on screen and
// laid out on paper, and over how many cells it is spread. A box record keeps
// it as one number with the cell count n folded in: a plain code as itself,
// the amount cells with the currency character (item 011) as the bare count
// 1-99, the number cells (211) as 200 + n, the amount cells without it (311)
// as 300 + n, and the upper-case digits (114, 121) as the code + n / 100, so
// that 114.08 is item 114 with 8 places. The number is read here and nowhere
// else, and kept as it came, so a format is stored again exactly as it was
// read.
class DataType {
public:
    enum class Family {
        Plain,        // a code of its own: text, dates, money words, amounts without cells
        AmountCells,  // item 011: an amount with the currency character, a figure per cell
        DigitCells,   // items 211 (a number) and 311 (an amount without the currency character)
        MoneyPlaces,  // items 114 and 121: upper-case digits, one per money place
    };

    // Plain text.
    DataType() = default;
    // The code a box record holds; a number that is no number is plain text.
    static DataType FromStored(double stored);
    // The code of a type-list item with a cell count; plain items ignore the
    // count. The number is the one its decimal text names (114 + 8 / 100 is
    // not quite 114.08 in binary).
    static DataType FromItem(int itemCode, double cellCount);

    // The number a box record keeps.
    double Stored() const { return stored_; }
    Family family() const { return family_; }
    // The type-list item (its code: 11 for "011"), -1 when no item has it.
    int ItemCode() const { return item_; }
    // The whole part of the code, which picks the conversion and the layout
    // on paper: 0 for plain text and every code below it.
    int Code() const { return code_; }
    // The cell count as the operator gave it (fractions kept); a plain code's
    // own number.
    double CellCount() const { return count_; }
    // The whole cells a value is spread over (money places for 114 and 121);
    // 0 for a plain code.
    int Cells() const { return cells_; }
    // The cell layouts show a single border on the canvas: a stored number
    // strictly between 0 and 100 or between 200 and 400. A box takes it when
    // it is left holding a value (an empty box keeps the border it has).
    bool ShowsCellBorder() const;
    // The border a box shows once its format is opened: the stored number
    // rounded to a whole one (halves to even) from 1 to 99 or 201 to 399.
    bool BorderWhenOpened() const;
    // The alignment options serve every item but the amount cells (011, 311)
    // and the money places (114, 121): there figures always end at the right.
    bool TakesAlignment() const;

    bool operator==(const DataType& o) const { return stored_ == o.stored_; }

private:
    double stored_ = 0;
    Family family_ = Family::Plain;
    int item_ = 0;
    int code_ = 0;
    double count_ = 0;
    int cells_ = 0;
};

// One item of the type list: its three-digit code, its text ("011｜小写金额(对格 有￥)")
// and how it keeps a cell count.
struct DataTypeItem {
    int code;
    QString text;
    DataType::Family family;
    // Whether the item takes a custom pattern (its text holds "自定义").
    bool custom() const { return text.contains(QStringLiteral("自定义")); }
};
// The 27 items, in the order the list shows them.
const std::vector<DataTypeItem>& DataTypeItems();
// The position of the item with this code in DataTypeItems(), or -1.
int DataTypeItemIndex(int itemCode);

// The cell count a cell item starts with when picked, and the one that
// replaces a count out of range.
inline constexpr double kDefaultCellCount = 11;
// The cell count typed: its leading number when that is above 0 and at most
// 99 (fractions kept), otherwise 11.
double CheckedCellCount(const QString& typed);

} // namespace slip
