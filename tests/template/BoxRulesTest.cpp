#include "template/BoxRules.h"
#include "template/BoxTable.h"
#include "template/FormatRecords.h"

#include <QVariant>
#include <gtest/gtest.h>

using namespace slip;

TEST(BoxRules, PackedAlignSpacingAndCaptionPositions)
{
    EXPECT_DOUBLE_EQ(PackAlignSpacing(1.5, 1), 1001.5);
    EXPECT_DOUBLE_EQ(PackAlignSpacing(-1.5, 2), -2001.5);
    EXPECT_DOUBLE_EQ(PackAlignSpacing(0, 2), 2000);
    EXPECT_DOUBLE_EQ(PackAlignSpacing(0, 0), 0);
    EXPECT_EQ(DirCodeToText(4), QString());
    EXPECT_EQ(DirCodeToText(-1), QString());
    EXPECT_EQ(DirTextToCode("左边 "), 0);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(DirTextToCode(DirCodeToText(c)), c);
}

TEST(BoxRules, IndexRanges)
{
    EXPECT_EQ(FirstControlIndex(2), 2001);
    EXPECT_EQ(LastControlIndexOf(2, 3), 2003);
    EXPECT_EQ(LastControlIndexOf(2, 0), 2000);
    EXPECT_EQ(ClassOfIndex(1), 0);
    EXPECT_EQ(ClassOfIndex(4999), 4);
    EXPECT_EQ(ClassOfIndex(2000), -1);
    EXPECT_EQ(ClassOfIndex(5001), -1);
    EXPECT_EQ(ClassOfIndex(0), -1);
}

TEST(BoxRules, TextBoxLookByDataTypeCode)
{
    struct Case { double cash; int border; int align; };  // align -1: keeps its own
    const Case cases[] = {{0, 0, -1}, {11, 1, 1}, {103, 0, -1}, {114.12, 0, 1}, {121, 0, 1},
                          {211, 1, -1}, {311, 1, 1}, {99, 1, 1}, {100, 0, -1}, {299.4, 1, -1}};
    for (const Case& c : cases) {
        const CashLook look = TextBoxLookForCash(c.cash);
        EXPECT_EQ(look.borderStyle, c.border) << c.cash;
        EXPECT_EQ(look.alignment.value_or(-1), c.align) << c.cash;
    }
}

TEST(BoxRules, ReferencesFollowTheirBoxOnceAndKeepKindAndTenth)
{
    const QHash<qint64, qint64> map = {{-3, 57}, {40, 40}, {12, 90}};
    EXPECT_EQ(RemapReference(-3, map), 57);      // chain link to the unsaved box
    EXPECT_EQ(RemapReference(3, map), -57);      // negated reference to it
    EXPECT_EQ(RemapReference(40, map), 40);
    EXPECT_EQ(RemapReference(-40, map), -40);
    EXPECT_EQ(RemapReference(0, map), 0);
    EXPECT_DOUBLE_EQ(RemapReference(12.1, map), 90.1);   // add, negated term
    EXPECT_DOUBLE_EQ(RemapReference(-12.1, map), -90.1); // multiply, negated term
    EXPECT_DOUBLE_EQ(RemapReference(-2.9, map), 57.1);   // -3 + 0.1
    EXPECT_EQ(RemapReference(77, map), 77);               // names no box of the map
    // A value rewritten once is not matched again: 12 -> 90 even though 90 is no key.
    const QHash<qint64, qint64> chain = {{12, 90}, {90, 5}};
    EXPECT_EQ(RemapReference(12, chain), 90);
}

TEST(BoxTable, TemporaryIds)
{
    BoxTable t;
    EXPECT_EQ(t.GetNewTempID(), -1);
    for (const char* id : {"12", "15", "-1", "-2"}) t.SetTextMatrix(t.AddRow(), BoxTable::ColID, id);
    EXPECT_EQ(t.GetNewTempID(), -3);
    BoxTable u;
    for (const char* id : {"-2", "-3"}) u.SetTextMatrix(u.AddRow(), BoxTable::ColID, id);
    EXPECT_EQ(u.GetNewTempID(), -4);
    // A temporary ID never mirrors a record ID of the table.
    BoxTable v;
    for (const char* id : {"1", "2", "x", ""}) v.SetTextMatrix(v.AddRow(), BoxTable::ColID, id);
    EXPECT_EQ(v.GetNewTempID(), -3);
}

TEST(BoxTable, NewRowAndCellReaders)
{
    BoxTable t;
    const int r = t.AddBoxRow();
    EXPECT_EQ(r, 2);
    EXPECT_EQ(t.TextMatrix(r, BoxTable::ColID), "-1");
    EXPECT_EQ(t.TextMatrix(r, BoxTable::ColSeq), "1");
    EXPECT_EQ(t.TextMatrix(r, BoxTable::ColDir), "左边");
    for (int c : {BoxTable::ColS, BoxTable::ColL, BoxTable::ColCash, BoxTable::ColRCtl, BoxTable::ColSumID, BoxTable::ColSumID1})
        EXPECT_EQ(t.TextMatrix(r, c), "0");
    t.SetTextMatrix(r, BoxTable::ColSumID, "12.1");
    t.SetTextMatrix(r, BoxTable::ColSumID1, "-12.1");
    EXPECT_EQ(t.SumIDAt(r), 12);
    EXPECT_EQ(t.SumID1At(r), -12);
    t.SetTextMatrix(r, BoxTable::ColSumID, "40000");  // record IDs beyond 16 bits stay
    EXPECT_EQ(t.SumIDAt(r), 40000);
    t.SetTextMatrix(r, BoxTable::ColID, "12abc");
    EXPECT_FALSE(t.IdAt(r).has_value());
    t.SetColorAt(r, 0);
    EXPECT_EQ(t.CellBackColor(r, BoxTable::ColColor), GridModel::kStoredBlack);
    EXPECT_EQ(t.ColorAt(r), 0);
    t.SetTextMatrix(r, BoxTable::ColClas, "7");
    EXPECT_EQ(t.ClasAt(r), -1);
}

TEST(FormatCodecs, OptionList)
{
    SlipOptions o;
    o.setPaper = true;
    o.o2 = {1, 0, 0, 1, 1};
    EXPECT_EQ(EncodeOptionList(o), "True|False|1|0|0|1|1|False|￥|");
    EXPECT_EQ(EncodeOptionList(o).split('|').size(), 10);

    SlipOptions r;
    ApplyOptionList("TRUE|false|0|1|1|0|1|True|$|", r);
    EXPECT_TRUE(r.setPaper);
    EXPECT_FALSE(r.printBackground);
    EXPECT_EQ(r.o2, (std::array<int, 5>{0, 1, 1, 0, 1}));
    EXPECT_TRUE(r.printRulers);
    EXPECT_EQ(r.currencyChar, QChar('$'));

    ApplyOptionList("yes|False|0|0|0|0|0|False||", r);
    EXPECT_FALSE(r.setPaper);
    EXPECT_EQ(r.currencyChar, QChar(0xFFE5));
    r.currencyChar = '$';
    ApplyOptionList("True|True|1|1|1|1|1|True", r);  // eight items: no currency item
    EXPECT_EQ(r.currencyChar, QChar(0xFFE5));
    SlipOptions keep;
    keep.o2 = {1, 1, 1, 1, 1};
    keep.currencyChar = '$';
    ApplyOptionList("True|False|0|0", keep);  // too short: options stay
    EXPECT_EQ(keep.o2, (std::array<int, 5>{1, 1, 1, 1, 1}));
    EXPECT_EQ(keep.currencyChar, QChar(0xFFE5));
}

TEST(FormatCodecs, ScreenFontFactor)
{
    EXPECT_DOUBLE_EQ(ScreenFontFactor(QVariant(), 19200), 1.0);
    EXPECT_DOUBLE_EQ(ScreenFontFactor(QVariant(QString()), 19200), 1.0);
    EXPECT_DOUBLE_EQ(ScreenFontFactor(0, 15360), 1.0);
    EXPECT_DOUBLE_EQ(ScreenFontFactor(0, 19200), (19200 - 340) / 15020.0);
    EXPECT_DOUBLE_EQ(ScreenFontFactor(15360, 19200), (19200 - 340) / 15020.0);
    EXPECT_DOUBLE_EQ(ScreenFontFactor(19200, 19200), 1.0);
    EXPECT_DOUBLE_EQ(ScreenFontFactor(340, 19200), 1.0);  // would divide by zero
    EXPECT_DOUBLE_EQ(ScreenFontFactor(200, 19200), 1.0);  // would turn sizes negative
}

TEST(FormatCodecs, StateSwitches)
{
    std::array<int, 5> o2{0, 1, 1, 1, 1};
    EXPECT_EQ(EncodeStateSwitches({1, 0, 0, 1, 1}), "1§☆§0§☆§0");
    ApplyStateSwitches("1", o2);
    EXPECT_EQ(o2, (std::array<int, 5>{1, 1, 1, 1, 1}));
    ApplyStateSwitches("0§☆§0§☆§0§☆§1", o2);
    EXPECT_EQ(o2, (std::array<int, 5>{0, 0, 0, 1, 1}));
    ApplyStateSwitches("", o2);
    EXPECT_EQ(o2, (std::array<int, 5>{0, 0, 0, 1, 1}));
}
