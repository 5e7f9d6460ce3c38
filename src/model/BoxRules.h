#pragma once
#include <optional>

namespace slip {

// How a text box looks for its data-type code: a single border for the
// cell layouts, right alignment for amounts and upper-case digits; an empty
// alignment keeps the box's own.
struct DataTypeLook {
    int borderStyle = 0;
    std::optional<int> alignment;
};
DataTypeLook TextBoxLookForDataType(double dataType);

} // namespace slip
