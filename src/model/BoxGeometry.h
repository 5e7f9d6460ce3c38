#pragma once
#include "core/ProgressReporter.h"
#include "model/Box.h"
#include "model/SlipFormat.h"

#include <QSizeF>

namespace slip {

// A box beyond both the top and the left edge comes back this far below the
// top, where its caption still shows: screen twips, so slip millimetres
// follow from the canvas scale (mmPerTwip).
inline constexpr double kPulledBoxTopTwips = 300;

// Moves a box that lies beyond a slip of this size (mm) back onto it; a
// line's ends are each kept on the slip. True when the box moved.
bool PullBoxInside(Box& box, const QSizeF& slip, double mmPerTwip);
// The same for every box of the format, kind by kind (one progress step
// each of "正在检查所有内容框..."); answers how many moved.
int PullBoxesInside(SlipFormat& format, double mmPerTwip, ProgressReporter& progress = NoProgress());

} // namespace slip
