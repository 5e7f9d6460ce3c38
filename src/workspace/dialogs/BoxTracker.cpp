#include "workspace/dialogs/BoxTracker.h"

#include <QTimer>

namespace slip {

BoxTracker::BoxTracker(SlipFormat& format, BoxId id, QObject* parent) : QObject(parent), format_(format), id_(id)
{
    const Box* b = format_.Find(id);
    if (!b) {
        lost_ = true;
        return;
    }
    kind_ = b->kind;
    Snapshot();
    connect(&format_, &SlipFormat::headerChanged, this, [this] {
        if (headerJustChanged_) return;
        headerJustChanged_ = true;
        QTimer::singleShot(0, this, [this] { headerJustChanged_ = false; });
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

void BoxTracker::Snapshot()
{
    order_.clear();
    order_.reserve(format_.Boxes().size());
    for (const Box& b : format_.Boxes()) order_.emplace_back(b.id, b.kind);
}

void BoxTracker::Lose()
{
    if (lost_) return;
    lost_ = true;
    order_.clear();
    disconnect(&format_, nullptr, this, nullptr);
    emit lost();
}

void BoxTracker::BoxesChanged()
{
    if (lost_) return;
    // Loading replaces the settings and the boxes together and leaves the
    // format unchanged; adding and removing boxes always changes it.
    if (headerJustChanged_ && !format_.IsModified()) {
        Lose();
        return;
    }
    const std::vector<Box>& boxes = format_.Boxes();
    // A save keeps every box in its place and kind and only renames some.
    bool sameShape = boxes.size() == order_.size();
    for (size_t i = 0; sameShape && i < boxes.size(); ++i) sameShape = boxes[i].kind == order_[i].second;
    if (sameShape) {
        QHash<BoxId, BoxId> oldToNew;
        for (size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].id != order_[i].first) oldToNew.insert(order_[i].first, boxes[i].id);
        if (!oldToNew.isEmpty()) {
            id_ = oldToNew.value(id_, id_);
            Snapshot();
            if (!Current()) {
                Lose();
                return;
            }
            emit renamed(oldToNew);
            return;
        }
    }
    Snapshot();
    if (!Current()) {
        Lose();
        return;
    }
    emit rearranged();
}

} // namespace slip
