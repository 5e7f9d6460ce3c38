#include "model/BoxRules.h"

#include <cmath>

namespace slip {

DataTypeLook TextBoxLookForDataType(double cash)
{
    DataTypeLook look;
    const double c = std::nearbyint(cash);
    look.borderStyle = ((c >= 1 && c <= 99) || (c >= 201 && c <= 399)) ? 1 : 0;
    const double f = std::trunc(cash);
    if ((f >= 1 && f <= 99) || (f >= 301 && f <= 399) || f == 114 || f == 121) look.alignment = 1;
    return look;
}

} // namespace slip
