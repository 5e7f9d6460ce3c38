#include "storage/BoxRecord.h"

#include <gtest/gtest.h>

using namespace slip;

TEST(BoxRecord, EveryStoredDataTypeComesBackAsTheSameNumber)
{
    for (double stored : {0.0, 11.0, 1.0, 99.0, 2.5, 0.5, 104.0, 119.0, 122.0, 114.08, 114.11, 114.99, 114.025, 121.11,
                          121.01, 201.0, 206.0, 299.0, 300.0, 312.0, 399.0, 400.0, -3.0, 103.5, 1e300}) {
        BoxRecord r = EncodeBox(NewBoxOfKind(BoxKind::Text, {10, 10}), {});
        r[FieldCash] = stored;
        Box b;
        ASSERT_TRUE(DecodeBox(r, 1.0, b));
        EXPECT_EQ(EncodeBox(b, {})[FieldCash].toDouble(), stored) << stored;
    }
}

TEST(BoxRecord, FontsScaleByTheSavedScreenWidthAndASumTargetWithAnyFractionIsNegated)
{
    struct Case { QVariant stored; int screen; double factor; };
    const Case cases[] = {
        {QVariant(), 30380, 1},      {QString(), 30380, 1},  {15360, 15360, 1},  {7850, 15360, 2},
        {0, 15360, 1},               {0, 30380, 2},          // 0: saved on the default screen
        {340, 15360, 1},             {300, 15360, 1},        {-5, 15360, 1},     // no real screen: unscaled
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(ScreenFontFactor(c.stored, c.screen), c.factor) << c.stored.toString().toStdString();
    const std::pair<double, SumTarget> targets[] = {
        {12, {12, SumOp::Add, false}},     {12.1, {12, SumOp::Add, true}},  {12.5, {12, SumOp::Add, true}},
        {-12, {12, SumOp::Multiply, false}}, {-12.1, {12, SumOp::Multiply, true}}, {12.999, {12, SumOp::Add, true}},
        {0, {}},                           {0.5, {}},
    };
    for (const auto& [stored, target] : targets) EXPECT_EQ(DecodeSumTarget(stored), target) << stored;
    EXPECT_EQ(EncodeSumTarget({12, SumOp::Multiply, true}), -12.1);
}


TEST(BoxRecord, AlignmentAndLineSpacingComeApartWithAtMostTwentyThousandsTakenOff)
{
    struct Case { double packed; TextAlign align; double spacing; };
    const Case cases[] = {
        {-2300.5, TextAlign::Centre, -300.5}, {1000, TextAlign::Right, 0}, {0, TextAlign::Left, 0},
        {1002.25, TextAlign::Right, 2.25},    {25000, TextAlign(25), 5000}, {-21500, TextAlign(21), -1500},
        {20999, TextAlign(20), 999},          {3000, TextAlign(3), 0},        {-3999.5, TextAlign(3), -999.5},
        {1e12, TextAlign(32767), 1e12 - 20000},
    };
    for (const Case& c : cases) {
        double spacing = -1;
        TextAlign align = TextAlign::Right;
        UnpackAlignSpacing(c.packed, spacing, align);
        EXPECT_EQ(align, c.align) << c.packed;
        EXPECT_DOUBLE_EQ(spacing, c.spacing) << c.packed;
    }
}

// The screen font factor scales the size column of every record, a line's
// width too; a caption position that is none of the four reads as above.
TEST(BoxRecord, TheFontFactorScalesEverySizeAndAnUnknownPositionIsAbove)
{
    const struct {
        BoxKind kind;
        QVariant size, dir;
        double factor;
        double shownSize;
        CaptionSide side;
    } cases[] = {
        {BoxKind::Text, 9, 1, 1.0, 9, CaptionSide::Left},
        {BoxKind::Text, 9, 2, 1.5, 13.5, CaptionSide::Right},
        {BoxKind::Check, 10.5, 3, 1.3333, 14, CaptionSide::Below},
        {BoxKind::Line, 1.5, 1, 8.375, 12.56, CaptionSide::Left},  // 12.5625 to two decimals, ties to even
        {BoxKind::Line, 2, 0, 2.0, 4, CaptionSide::Above},
        {BoxKind::Text, 9, QVariant(), 1.0, 9, CaptionSide::Above},
        {BoxKind::Text, 9, QString(), 1.0, 9, CaptionSide::Above},
        {BoxKind::Text, 9, 4, 1.0, 9, CaptionSide::Above},
        {BoxKind::Picture, 9, -1, 1.0, 9, CaptionSide::Above},
        {BoxKind::Text, 9, QStringLiteral("左边"), 1.0, 9, CaptionSide::Above},
    };
    for (const auto& c : cases) {
        BoxRecord r = EncodeBox(NewBoxOfKind(c.kind, {10, 10}), {});
        r[FieldFSize] = c.size;
        r[FieldDir] = c.dir;
        Box b;
        ASSERT_TRUE(DecodeBox(r, c.factor, b));
        EXPECT_DOUBLE_EQ(c.kind == BoxKind::Line ? b.lineWidth : b.font.pointSize, c.shownSize)
            << int(c.kind) << " " << c.factor;
        if (c.kind != BoxKind::Line) EXPECT_EQ(b.captionSide, c.side) << c.dir.toString().toStdString();
        // Stored again it says what it showed: above is 0.
        if (c.kind != BoxKind::Line) EXPECT_EQ(EncodeBox(b, {})[FieldDir].toInt(), int(c.side));
    }
}
