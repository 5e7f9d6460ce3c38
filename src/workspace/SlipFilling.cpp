#include "workspace/SlipFilling.h"

#include "entry/AutoValues.h"
#include "model/BoxEditing.h"
#include "storage/Params.h"
#include "storage/PrintedSlips.h"
#include "ui/Prompt.h"
#include "ui/WindowPos.h"
#include "workspace/SlipView.h"
#include "workspace/ValueEntry.h"

#include <QDateTime>

namespace slip {

SlipFilling::SlipFilling(SlipFormat& format, SlipView& view, std::function<QString()> marker, QObject* parent)
    : QObject(parent), format_(format), view_(view), marker_(std::move(marker)),
      entry_(new ValueEntry(format, view, this))
{
    entry_->SetProposalSource([this](const QString& typed, BoxId id) {
        return CompleteFromHistory(format_.Name(), id, typed, marker_()).proposal;
    });
    entry_->SetEarlierValuesSource(
        [this](BoxId id) { return EarlierBoxValues(format_.Name(), id, -1, marker_()).values; });
    entry_->SetLinkedSlipLookup([this](BoxId id, const QString& shown) {
        QHash<BoxId, QString> out;
        // A history that can't be read is told; the boxes keep their values.
        const HistoryNewest newest = NewestSlipWithValue(format_.Name(), id, shown, marker_());
        if (!newest.ok) MsgBox(newest.error);
        if (!newest.ok || newest.slipNumber == 0) return out;
        const HistorySlipValues slip = ReadHistorySlip(format_.Name(), newest.slipNumber);
        if (!slip.ok) {
            MsgBox(slip.error);
            return out;
        }
        for (auto it = slip.values.cbegin(); it != slip.values.cend(); ++it)
            if (const Box* b = format_.Find(BoxId(it.key())))
                out.insert(b->id, BoxValueOf(b->kind, it.value(), marker_()));
        return out;
    });
}

SlipFilling::~SlipFilling() = default;

HistorySlip SlipFilling::SlipForHistory() const { return HistorySlipOf(format_, format_.Values()); }

HistorySaveResult SlipFilling::StoreSlip()
{
    // The box being typed in is left first, so its value is converted and
    // the totals are up to date in what is stored.
    view_.EditBox(0);
    HistorySaveResult r;
    if (format_.Name().isEmpty()) {
        r.ok = true;
        return r;
    }
    for (const Box& b : format_.Boxes())
        if (b.id < 0) {  // a slip refers to its boxes by their record IDs
            r.error = QStringLiteral("请先保存格式，再添加单据！");
            return r;
        }
    r = SaveHistoryRecord(format_.Name(), SlipForHistory());
    if (r.ok && r.slipNumber > 0) emit slipStored(format_.Name(), r.slipNumber);
    return r;
}

void SlipFilling::FillDates()
{
    AutoFillDates(format_, QDateTime::currentDateTime(), ParamOrTell(CustomPatternKey(119)));
}

void SlipFilling::StartNextSlip()
{
    view_.EditBox(0);
    ClearBoxValues(format_);
    FillDates();
    ApplyAutoNumbers(format_, [this](BoxId id) -> std::optional<QString> {
        // A history that can't be read is told; the box keeps its value.
        const HistoryNewest n = NewestBoxValue(format_.Name(), id);
        if (!n.ok) MsgBox(n.error);
        if (!n.ok || n.slipNumber == 0) return std::nullopt;
        return BoxValueOf(BoxKind::Text, n.value, marker_());
    });
}

std::optional<qint64> SlipFilling::AddNextSlip()
{
    const HistorySaveResult r = StoreSlip();
    if (!r.ok) {
        MsgBox(r.error);
        return std::nullopt;
    }
    StartNextSlip();
    return r.slipNumber;
}

} // namespace slip
