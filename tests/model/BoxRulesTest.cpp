#include "model/BoxRules.h"

#include <gtest/gtest.h>

using namespace slip;

TEST(BoxRules, TextBoxLookByDataTypeCode)
{
    struct Case { double cash; int border; int align; };  // align -1: keeps its own
    const Case cases[] = {{0, 0, -1}, {11, 1, 1}, {103, 0, -1}, {114.12, 0, 1}, {121, 0, 1},
                          {211, 1, -1}, {311, 1, 1}, {99, 1, 1}, {100, 0, -1}, {299.4, 1, -1}};
    for (const Case& c : cases) {
        const DataTypeLook look = TextBoxLookForDataType(c.cash);
        EXPECT_EQ(look.borderStyle, c.border) << c.cash;
        EXPECT_EQ(look.alignment.value_or(-1), c.align) << c.cash;
    }
}

