#include "entry/AutoCalculate.h"

#include <algorithm>
#include <optional>

#include "entry/AmountText.h"
#include "entry/Conversion.h"
#include "entry/Decimal.h"
#include "entry/MoneyWords.h"

namespace slip {

namespace {

const Box* TextBox(const SlipFormat& format, BoxId id)
{
    const Box* b = id ? format.Find(id) : nullptr;
    return b && b->kind == BoxKind::Text ? b : nullptr;
}

// The coefficient with which `box` enters the total of `target`: the sum
// target of the box that names the same box with the same operation (the
// second one wins when both do), none when the box is the target itself.
std::optional<SumTarget> FeedInto(const Box& box, const SumTarget& target)
{
    if (box.id == target.target) return std::nullopt;
    std::optional<SumTarget> c;
    if (box.sum1.IsSet() && box.sum1.target == target.target && box.sum1.op == target.op) c = box.sum1;
    if (box.sum2.IsSet() && box.sum2.target == target.target && box.sum2.op == target.op) c = box.sum2;
    return c;
}

bool FeedsTotals(const Box& b) { return b.sum1.IsSet() || b.sum2.IsSet(); }

struct QueueEntry {
    BoxId id;
    // A chain member written by a copy recomputes its totals but does not
    // copy back along its chain: reading its converted value back could
    // change the member the value came from (words hold no third decimal).
    bool copyAlongChain;
};

class Calculation {
public:
    Calculation(SlipFormat& format, const EntryContext& context)
        : format_(format), context_(context), currency_(format.Options().currencyChar)
    {
        // By ID, not by pointer: whoever listens to the values written may
        // change the boxes meanwhile.
        for (const Box* b : format.BoxesOfKind(BoxKind::Text)) texts_.push_back(b->id);
    }

    void Run(BoxId left, CalculationResult& result)
    {
        queue_.push_back({left, true});
        for (size_t pass = 0; pass < queue_.size() && int(pass) < kMaxCascadePasses; ++pass) {
            const QueueEntry e = queue_[pass];
            const Box* box = TextBox(format_, e.id);
            if (!box) break;
            ++result.passes;
            const SumTarget targets[] = {box->sum1, box->sum2};
            for (const SumTarget& t : targets) {
                if (!t.IsSet() || t.target == e.id) continue;
                Recompute(t, result);
            }
            if (e.copyAlongChain) CopyAlongChain(e.id, result);
        }
    }

private:
    void Enqueue(BoxId id, bool copyAlongChain)
    {
        for (const QueueEntry& q : queue_)
            if (q.id == id) return;
        queue_.push_back({id, copyAlongChain});
    }

    void Recompute(const SumTarget& t, CalculationResult& result)
    {
        const Box* target = TextBox(format_, t.target);
        if (!target) return;  // a link to a box that is gone
        const bool product = t.op == SumOp::Multiply;
        Decimal acc = Decimal::FromInt(product ? 1 : 0);
        bool noValue = false;
        for (BoxId id : texts_) {
            const Box* b = TextBox(format_, id);
            if (!b) continue;
            const std::optional<SumTarget> c = FeedInto(*b, t);
            if (!c) continue;
            const QString text = GetBoxText(format_, id);
            const Decimal v = ReadNumberOperand(text, currency_).value_or(Decimal());
            const Decimal signedV = c->negated ? -v : v;
            if (product) {
                if (text.isEmpty()) noValue = true;
                if (!noValue) acc = acc * signedV;
            } else {
                acc = acc + signedV;
            }
        }
        const QString newText = noValue ? QString() : ConvertBoxValue(format_, *target, acc.Text(), context_.today);
        const BoxId targetId = target->id;
        if (format_.Value(targetId) == newText) return;
        format_.SetValue(targetId, newText);
        result.totals.push_back(targetId);
        Enqueue(targetId, true);
    }

    void CopyAlongChain(BoxId from, CalculationResult& result)
    {
        const QString t = GetBoxText(format_, from);
        BoxId cur = from;
        for (int step = 0; step < kMaxChainSteps; ++step) {
            const Box* b = TextBox(format_, cur);
            if (!b || b->relation.kind != RelationKind::ChainNext || b->relation.target == 0) break;
            if (b->relation.target == from) break;  // round the ring
            const Box* member = TextBox(format_, b->relation.target);
            if (!member) break;
            const BoxId memberId = member->id;
            const bool feeds = FeedsTotals(*member);
            const QString value = ConvertBoxValue(format_, *member, t, context_.today);
            if (format_.Value(memberId) != value) {
                format_.SetValue(memberId, value);
                if (feeds) Enqueue(memberId, false);
            }
            result.copies.push_back(memberId);
            cur = memberId;
        }
    }

    SlipFormat& format_;
    const EntryContext& context_;
    std::vector<BoxId> texts_;
    const QChar currency_;
    std::vector<QueueEntry> queue_;
};

} // namespace

QString ConvertBoxValue(const SlipFormat& format, const Box& box, const QString& text, QDate today)
{
    return ConvertByCode(box.dataType, text, format.Options().currencyChar, today).text;
}

namespace {

// The codes that show an amount in figures: with or without the currency
// character and commas (104, 105, 117, 118) and in cells (011, 311).
bool ShowsAmountFigures(const DataType& type)
{
    const int f = type.Code();
    return f == 104 || f == 105 || f == 117 || f == 118 || (f >= 1 && f <= 99) || (f >= 301 && f <= 399);
}

} // namespace

QString GetBoxText(const SlipFormat& format, BoxId id)
{
    const Box* b = format.Find(id);
    if (!b) return QString();
    const QString value = format.Value(id);
    if (b->kind != BoxKind::Text) return value;
    if (ShowsAmountFigures(b->dataType)) {
        const std::optional<Decimal> yuan = ReadAmountValue(value, format.Options().currencyChar);
        return yuan ? yuan->Text() : value;
    }
    return ParseUpperMoney(b->dataType, value);
}

std::vector<BoxId> FillRelatedBoxes(SlipFormat& format, BoxId from, const QHash<BoxId, QString>& slip)
{
    std::vector<BoxId> written;
    BoxId cur = from;
    for (int hop = 0; hop < kMaxRelatedHops; ++hop) {
        const Box* b = TextBox(format, cur);
        if (!b || b->relation.kind != RelationKind::Related || b->relation.target == 0) break;
        const BoxId next = b->relation.target;
        if (next == from || !TextBox(format, next)) break;
        const auto it = slip.constFind(next);
        if (it != slip.constEnd()) {
            format.SetValue(next, *it);
            written.push_back(next);
        }
        cur = next;
    }
    return written;
}

CalculationResult AutoCalculate(SlipFormat& format, BoxId left, const EntryContext& context)
{
    CalculationResult result;
    if (!TextBox(format, left)) return result;
    Calculation(format, context).Run(left, result);

    // The related boxes belong to the box the operator left, whatever totals
    // its value went on to change. The history holds values as the boxes
    // showed them, so the box's own text is looked up, not its figures.
    const QString value = format.Value(left);
    if (value.isEmpty() || !context.linkedSlip) return result;
    const Box* box = TextBox(format, left);
    if (!box || box->relation.kind != RelationKind::Related) return result;
    const QHash<BoxId, QString> slip = context.linkedSlip(left, value);
    if (!slip.isEmpty()) result.related = FillRelatedBoxes(format, left, slip);
    return result;
}

std::vector<BoxId> BoxesThatCannotShow(const SlipFormat& format, BoxId left, const CalculationResult& written)
{
    std::vector<BoxId> ids{left};
    ids.insert(ids.end(), written.totals.begin(), written.totals.end());
    ids.insert(ids.end(), written.copies.begin(), written.copies.end());
    std::vector<BoxId> out;
    for (BoxId id : ids) {
        const Box* b = TextBox(format, id);
        if (b && std::find(out.begin(), out.end(), id) == out.end() &&
            !BoxCanShow(b->dataType, format.Value(id), format.Options().currencyChar))
            out.push_back(id);
    }
    return out;
}

CalculationResult LeaveTextBox(SlipFormat& format, BoxId id, const EntryContext& context)
{
    const Box* box = TextBox(format, id);
    if (!box) return {};
    const QString converted = ConvertBoxValue(format, *box, format.Value(id), context.today);
    if (converted != format.Value(id)) format.SetValue(id, converted);
    return AutoCalculate(format, id, context);
}

} // namespace slip
