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
        const HistoryCompletion c = CompleteFromHistory(format_.Name(), id, StoredForm(typed));
        return c.proposal.isEmpty() ? QString() : BoxValueFromHistory(BoxKind::Text, c.proposal, marker_());
    });
    entry_->SetEarlierValuesSource([this](BoxId id) {
        QStringList out;
        for (const QString& v : EarlierBoxValues(format_.Name(), id).values)
            out << BoxValueFromHistory(BoxKind::Text, v, marker_());
        return out;
    });
    entry_->SetLinkedSlipLookup([this](BoxId id, const QString& shown) {
        QHash<BoxId, QString> out;
        const HistoryNewest newest = NewestSlipWithValue(format_.Name(), id, StoredForm(shown));
        if (!newest.ok || newest.slipNumber == 0) return out;
        const HistorySlipValues slip = ReadHistorySlip(format_.Name(), newest.slipNumber);
        for (auto it = slip.values.cbegin(); it != slip.values.cend(); ++it)
            if (const Box* b = format_.Find(BoxId(it.key())))
                out.insert(b->id, BoxValueFromHistory(b->kind, it.value(), marker_()));
        return out;
    });
}

SlipFilling::~SlipFilling() = default;

QString SlipFilling::StoredForm(const QString& shown) const
{
    // The history keeps line breaks as the line-break marker.
    QString stored = shown;
    if (!marker_().isEmpty()) stored.replace(QStringLiteral("\n"), marker_());
    return stored;
}

HistorySlip SlipFilling::SlipForHistory() const
{
    // Line breaks go in as the line-break marker, as the database keeps them.
    const QString marker = marker_();
    return HistorySlipOf(format_, format_.Values(), marker.isEmpty() ? QStringLiteral("\r\n") : marker);
}

QString SlipFilling::StoreSlip()
{
    // The box being typed in is left first, so its value is converted and
    // the totals are up to date in what is stored.
    view_.EditBox(0);
    if (format_.Name().isEmpty()) return QString();
    for (const Box& b : format_.Boxes())
        if (b.id < 0)  // a slip refers to its boxes by their record IDs
            return QStringLiteral("请先保存格式，再添加单据！");
    const HistorySaveResult r = SaveHistoryRecord(format_.Name(), SlipForHistory());
    if (!r.ok) return r.error;
    if (r.slipNumber > 0) emit slipStored(format_.Name(), r.slipNumber);
    return QString();
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
        const HistoryNewest n = NewestBoxValue(format_.Name(), id);
        if (!n.ok || n.slipNumber == 0) return std::nullopt;
        return BoxValueFromHistory(BoxKind::Text, n.value, marker_());
    });
}

bool SlipFilling::AddNextSlip()
{
    const QString error = StoreSlip();
    if (!error.isEmpty()) {
        MsgBox(error, PromptIcon::Warning);
        return false;
    }
    StartNextSlip();
    return true;
}

} // namespace slip
