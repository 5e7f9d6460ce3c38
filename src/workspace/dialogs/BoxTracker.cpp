#include "workspace/dialogs/BoxTracker.h"

namespace slip {

BoxTracker::BoxTracker(SlipFormat& format, BoxId id, QObject* parent) : QObject(parent), format_(format), id_(id)
{
    const Box* b = format_.Find(id);
    if (!b) {
        lost_ = true;
        return;
    }
    kind_ = b->kind;
    connect(&format_, &SlipFormat::loaded, this, &BoxTracker::Lose);
    connect(&format_, &SlipFormat::idsRenamed, this, [this](const QHash<BoxId, BoxId>& oldToNew) {
        id_ = oldToNew.value(id_, id_);
        emit renamed(oldToNew);
    });
    connect(&format_, &SlipFormat::boxesChanged, this, &BoxTracker::BoxesChanged);
    connect(&format_, &QObject::destroyed, this, [this] { Lose(); });
}

const Box* BoxTracker::Current() const
{
    if (lost_) return nullptr;
    const Box* b = format_.Find(id_);
    return b && b->kind == kind_ ? b : nullptr;
}

void BoxTracker::Lose()
{
    if (lost_) return;
    lost_ = true;
    disconnect(&format_, nullptr, this, nullptr);
    emit lost();
}

void BoxTracker::BoxesChanged()
{
    if (lost_) return;
    if (!Current()) {
        Lose();
        return;
    }
    emit rearranged();
}

} // namespace slip
