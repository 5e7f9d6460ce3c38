#pragma once
#include <QDate>
#include <QHash>
#include <QString>
#include <functional>
#include <vector>

#include "model/SlipFormat.h"

namespace slip {

// The values of the newest printed slip of the open format on which the box
// `id` held `value` (as the box shows it): box record ID → value as stored.
// Empty when no slip held that value, or when the history cannot be read.
using LinkedSlipLookup = std::function<QHash<BoxId, QString>(BoxId id, const QString& value)>;

// What the work done on leaving a box needs besides the format.
struct EntryContext {
    QDate today;                   // for dates typed without a year; invalid: the system date
    LinkedSlipLookup linkedSlip;   // unset: related boxes are not completed
};

// The most boxes one leave recomputes: the box left and ten totals after it.
inline constexpr int kMaxCascadePasses = 11;
// Walks along relation chains and related boxes end after this many steps, so
// that links that loop without coming back cannot hang the program.
inline constexpr int kMaxChainSteps = 201;
inline constexpr int kMaxRelatedHops = 21;

// A text box's value converted by its data-type code with its format's
// currency character, as the box shows it once it is left.
QString ConvertBoxValue(const SlipFormat& format, const Box& box, const QString& text, QDate today = QDate());

// A text box's value as the sums and relation chains read it: an amount in
// yuan as plain figures wherever the box shows one (money words and
// upper-case cells read back, "1005.3" for 壹仟零伍元叁角整, cells holding
// fen; "￥1,005.30" of an amount code gives "1005.3"), so each linked box
// and total takes the amount in its own form; any other box's text, and an
// amount box's text that is no amount, as it stands. "" for a box that is not
// there.
QString GetBoxText(const SlipFormat& format, BoxId id);

// What AutoCalculate wrote, in the order it wrote it.
struct CalculationResult {
    std::vector<BoxId> totals;   // sum and product boxes given a new value
    std::vector<BoxId> copies;   // relation-chain members written
    std::vector<BoxId> related;  // related boxes completed from the history
    int passes = 0;              // boxes whose targets were recomputed
};

// The automatic values that follow from the text box `left` having been left
// (its own value already converted):
// 1. Totals. Every sum or product box the box feeds (Box::sum1, sum2) is
//    recomputed from all the boxes that feed it: a sum adds each operand (or
//    subtracts a negated one), an empty or non-numeric box counting 0; a
//    product multiplies them, and one empty factor empties the total. Figures
//    are added and multiplied as exact decimals. The total is converted by the
//    target's own code and written only when it changes the target, and a
//    changed total feeds its own targets in turn: at most kMaxCascadePasses
//    boxes are recomputed per leave.
// 2. Chain copies. The value of every recomputed box is copied, converted by
//    each member's code, into the other members of its relation chain; a
//    member that changes and feeds totals has them recomputed too.
// 3. Related boxes. When the box that was left holds a value, the boxes
//    related to it (Relation::Related, followed from box to box) take their
//    values from the newest printed slip on which the box left held the same
//    value; a box that was empty on that slip keeps its value.
// A box that is not a text box sets nothing off.
CalculationResult AutoCalculate(SlipFormat& format, BoxId left, const EntryContext& context = {});

// Leaving a text box: its value converted by its data-type code, then
// AutoCalculate. Also what the property dialog and batch navigation run for a
// box they have filled.
CalculationResult LeaveTextBox(SlipFormat& format, BoxId id, const EntryContext& context = {});

// The boxes a leave wrote (the box left, then its totals and chain copies)
// that keep an amount as typed because they can't show it (BoxCanShow).
std::vector<BoxId> BoxesThatCannotShow(const SlipFormat& format, BoxId left, const CalculationResult& written);

// The related boxes of `from`, followed from box to box, given their values
// from a slip (box record ID → value); boxes the slip has no value for keep
// theirs. Answers the boxes written.
std::vector<BoxId> FillRelatedBoxes(SlipFormat& format, BoxId from, const QHash<BoxId, QString>& slip);

} // namespace slip
