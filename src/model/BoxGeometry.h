#pragma once
#include "model/Box.h"

#include <QSizeF>

namespace slip {

// Moves a box that lies beyond a slip of this size (mm) back onto it; a
// line's ends are each kept on the slip. A box at the top-left beyond both
// edges comes back a little below the top, where its caption still shows.
// True when the box moved.
bool PullBoxInside(Box& box, const QSizeF& slip);

} // namespace slip
