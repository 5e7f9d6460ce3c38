#pragma once
#include "model/SlipFormat.h"

#include <QRectF>

namespace slip {

// Whether a box is touched by a band (mm, corners in any order): a line when
// one of its ends lies inside (edges included), any other box when it
// overlaps the band at all (an edge on the band's edge counts).
bool CtlInRect(const Box& box, const QRectF& band);

// Marks the boxes touched by the band. With Ctrl alone the other boxes keep
// their marks; otherwise the touched boxes become the only marked ones.
void SelectCtlsInRect(SlipFormat& format, const QRectF& band, bool ctrlOnly);

// The marked text, check and picture boxes (lines and labels not counted).
int CountSelectedCtls(const SlipFormat& format);

} // namespace slip
