#pragma once
#include <QColor>
#include <QHash>
#include <QString>
#include <vector>

#include "model/SlipFormat.h"

namespace slip {

// How a box stands to the text box being edited, shown by its back colour
// while that box is edited.
enum class RelationMark {
    Related,         // reached from it through related-box links: green
    ChainMember,     // member of its relation chain: pink
    AddsInto,        // adds into it (a sum target names it): light green
    MultipliesInto,  // multiplies into it (a product target names it): light blue
};

// The back colour of a mark.
QColor RelationMarkColor(RelationMark mark);

// The marks of the boxes related to the text box being edited: the boxes
// reached through its related-box links, the members of its relation chain
// (itself too when the ring closes on it) and the text boxes that feed it
// as a sum or a product target, each walk ending after 201 steps or at a
// broken link; where a box is reached more than once the later group in that
// order wins. A box that carries the selection mark keeps the selection
// colour and gets none; a box that itself carries the selection mark colours
// nothing.
QHash<BoxId, RelationMark> RelationMarks(const SlipFormat& format, BoxId edited);

// Ticking one check box of a relation chain unticks the others: the members
// after `checkBox` are unticked one after another along the ring until the
// walk comes back to it (at most 501 rounds; a broken link or a box that is
// not a check box ends it). Answers the boxes unticked.
std::vector<BoxId> SetCheckBoxRCtl(SlipFormat& format, BoxId checkBox);

// A tick-mark text box (code 115) shows "√" or nothing; a click turns one
// into the other.
bool IsTickCode(const DataType& type);
QString ToggleTick(const QString& text);

// The text box after (or before) `current` in index order, going round from
// the last to the first; the first (or last) when `current` is no text box;
// 0 when the format has none.
BoxId NextTextBoxInTabOrder(const SlipFormat& format, BoxId current, bool backwards = false);

} // namespace slip
