#include "model/DataType.h"

#include <gtest/gtest.h>

using namespace slip;
using Family = DataType::Family;

TEST(DataType, ListHasTheTwentySevenItemsAndStoredNumbersReadAsItemCellsAndLook)
{
    const auto& items = DataTypeItems();
    ASSERT_EQ(items.size(), 27u);
    EXPECT_EQ(items[10].text, QStringLiteral("011｜小写金额(对格 有￥)"));
    EXPECT_EQ(items[21].text, QStringLiteral("119｜自定义日期："));
    EXPECT_EQ(items.back().text, QStringLiteral("122｜自动编号"));
    for (const DataTypeItem& item : items) {
        EXPECT_EQ(item.text.left(4), QStringLiteral("%1｜").arg(item.code, 3, 10, QLatin1Char('0')));
        EXPECT_EQ(item.custom(), item.code == 119) << item.text.toStdString();
    }
    struct Case {
        double stored;
        Family family;
        int item, code;
        double count;
        int cells;
        bool border, alignment;
    };
    const Case cases[] = {
        {0, Family::Plain, 0, 0, 0, 0, false, true},
        {110, Family::Plain, 110, 110, 110, 0, false, true},
        {103.5, Family::Plain, 104, 103, 103.5, 0, false, true},  // the item rounds, the code cuts
        {-3, Family::Plain, -1, 0, -3, 0, false, true},
        {400, Family::Plain, -1, 400, 400, 0, false, true},
        {1e300, Family::Plain, -1, 100000, 1e300, 0, false, true},
        {15, Family::AmountCells, 11, 15, 15, 15, true, false},
        {2.5, Family::AmountCells, 11, 2, 2.5, 2, true, false},
        {0.5, Family::AmountCells, 11, 0, 0.5, 0, true, false},
        {206, Family::DigitCells, 211, 206, 6, 6, true, true},
        {300, Family::DigitCells, 211, 300, 100, 100, true, true},
        {312, Family::DigitCells, 311, 312, 12, 12, true, false},
        {114.08, Family::MoneyPlaces, 114, 114, 8, 8, false, false},  // 8, not 7
        {121.11, Family::MoneyPlaces, 121, 121, 11, 11, false, false},
        {114.025, Family::MoneyPlaces, 114, 114, 2, 2, false, false},
    };
    for (const Case& c : cases) {
        const DataType t = DataType::FromStored(c.stored);
        EXPECT_EQ(t.family(), c.family) << c.stored;
        EXPECT_EQ(t.ItemCode(), c.item) << c.stored;
        EXPECT_EQ(t.Code(), c.code) << c.stored;
        EXPECT_EQ(t.CellCount(), c.count) << c.stored;
        EXPECT_EQ(t.Cells(), c.cells) << c.stored;
        EXPECT_EQ(t.ShowsCellBorder(), c.border) << c.stored;
        EXPECT_EQ(t.TakesAlignment(), c.alignment) << c.stored;
        EXPECT_EQ(t.Stored(), c.stored) << c.stored;
    }
    EXPECT_EQ(DataType::FromStored(std::nan("")), DataType());
}

TEST(DataType, TheBorderOnOpeningRoundsTheCodeWhileLeavingABoxTakesItAsStored)
{
    struct Case { double stored; bool opened, left; };
    const Case cases[] = {
        {0, false, false},   {0.5, false, true},  {0.7, true, true},   {2.5, true, true},  {11, true, true},
        {99, true, true},    {99.5, false, true}, {100, false, false}, {104, false, false}, {114.08, false, false},
        {200.4, false, true}, {201, true, true},  {311, true, true},   {399.5, false, true}, {400, false, false},
    };
    for (const Case& c : cases) {
        const DataType t = DataType::FromStored(c.stored);
        EXPECT_EQ(t.BorderWhenOpened(), c.opened) << c.stored;
        EXPECT_EQ(t.ShowsCellBorder(), c.left) << c.stored;
    }
}

TEST(DataType, ItemsFoldTheirCheckedCellCountIntoTheNumberStoredFormatsHold)
{
    struct Case { int item; double n; double stored; };
    const Case cases[] = {{11, 6, 6},       {11, 99, 99},        {211, 1, 201},      {211, 6, 206},
                          {311, 12, 312},   {311, 99, 399},      {114, 8, 114.08},   {114, 1, 114.01},
                          {114, 2.5, 114.025}, {121, 11, 121.11}, {121, 99, 121.99}, {0, 11, 0},
                          {104, 7, 104},    {122, 11, 122}};
    for (const Case& c : cases) EXPECT_EQ(DataType::FromItem(c.item, c.n).Stored(), c.stored) << c.item << " " << c.n;
    for (const DataTypeItem& item : DataTypeItems()) {
        for (int n = 1; n <= 99; ++n) {
            const DataType t = DataType::FromItem(item.code, n);
            const DataType back = DataType::FromStored(t.Stored());
            EXPECT_EQ(back.Stored(), t.Stored());
            EXPECT_EQ(back.ItemCode(), item.code) << item.code << " " << n;
            EXPECT_EQ(back.family(), item.family) << item.code;
            EXPECT_EQ(back.CellCount(), item.family == Family::Plain ? item.code : n) << item.code << " " << n;
        }
    }
    // A typed cell count out of range becomes eleven.
    for (const auto& [typed, n] : {std::pair{"0", 11.0}, {"100", 11.0}, {"abc", 11.0}, {"-3", 11.0}, {"99", 99.0}, {"2.5", 2.5}, {"6格", 6.0}})
        EXPECT_EQ(CheckedCellCount(QString::fromUtf8(typed)), n) << typed;
}
