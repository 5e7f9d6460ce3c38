#include "entry/Relations.h"

#include <cmath>

namespace slip {

namespace {

constexpr int kMaxColourSteps = 201;
constexpr int kMaxRingRounds = 501;

// Walks the links of one kind from `edited`, marking each box reached, until
// a box without such a link, a broken link, the edited box itself or the
// step limit.
void MarkWalk(const SlipFormat& format, BoxId edited, RelationKind kind, RelationMark mark,
              QHash<BoxId, RelationMark>& marks)
{
    const Box* cur = format.Find(edited);
    for (int step = 0; cur && step < kMaxColourSteps; ++step) {
        if (cur->relation.kind != kind || cur->relation.target == 0) break;
        const BoxId next = cur->relation.target;
        cur = format.Find(next);
        if (!cur) break;
        if (!format.IsSelected(next)) marks.insert(next, mark);
        if (next == edited) break;
    }
}

} // namespace

QColor RelationMarkColor(RelationMark mark)
{
    switch (mark) {
    case RelationMark::Related: return QColor(0x00, 0xFF, 0x11);
    case RelationMark::ChainMember: return QColor(0xFF, 0xAA, 0xAA);
    case RelationMark::AddsInto: return QColor(0xAA, 0xFF, 0xAA);
    case RelationMark::MultipliesInto: return QColor(0xAA, 0xAA, 0xFF);
    }
    return QColor(Qt::white);
}

QHash<BoxId, RelationMark> RelationMarks(const SlipFormat& format, BoxId edited)
{
    QHash<BoxId, RelationMark> marks;
    const Box* box = format.Find(edited);
    if (!box || format.IsSelected(edited)) return marks;
    MarkWalk(format, edited, RelationKind::Related, RelationMark::Related, marks);
    MarkWalk(format, edited, RelationKind::ChainNext, RelationMark::ChainMember, marks);
    const std::vector<const Box*> texts = format.BoxesOfKind(BoxKind::Text);
    for (int which = 0; which < 2; ++which) {
        for (const Box* b : texts) {
            const SumTarget& s = which == 0 ? b->sum1 : b->sum2;
            if (!s.IsSet() || s.target != edited || format.IsSelected(b->id)) continue;
            marks.insert(b->id, s.op == SumOp::Multiply ? RelationMark::MultipliesInto : RelationMark::AddsInto);
        }
    }
    return marks;
}

std::vector<BoxId> SetCheckBoxRCtl(SlipFormat& format, BoxId checkBox)
{
    std::vector<BoxId> unticked;
    const Box* start = format.Find(checkBox);
    if (!start) return unticked;
    BoxId next = start->relation.kind == RelationKind::ChainNext ? start->relation.target : 0;
    for (int round = 0; round < kMaxRingRounds; ++round) {
        if (next == 0 || next == checkBox) break;
        const Box* member = format.Find(next);
        if (!member || member->kind != BoxKind::Check) break;
        const BoxId id = member->id;
        next = member->relation.kind == RelationKind::ChainNext ? member->relation.target : 0;
        if (IsTicked(format.Value(id))) {
            format.SetValue(id, QString());
            unticked.push_back(id);
        }
    }
    return unticked;
}

bool IsTickCode(const DataType& type) { return type.Code() == 115; }

QString ToggleTick(const QString& text) { return text.isEmpty() ? QStringLiteral("√") : QString(); }

BoxId NextTextBoxInTabOrder(const SlipFormat& format, BoxId current, bool backwards)
{
    const std::vector<const Box*> boxes = format.BoxesOfKind(BoxKind::Text);
    const int n = int(boxes.size());
    if (n == 0) return 0;
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (boxes[size_t(i)]->id == current) at = i;
    if (at < 0) return boxes[backwards ? size_t(n - 1) : 0]->id;
    const int next = backwards ? (at + n - 1) % n : (at + 1) % n;
    return boxes[size_t(next)]->id;
}

} // namespace slip
