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
