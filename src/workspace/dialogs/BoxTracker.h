#pragma once
#include "model/SlipFormat.h"

#include <QHash>
#include <QObject>

namespace slip {

// Follows one box of the open format while a window edits it. The box is
// known by its ID and kind; a save that gives unsaved boxes their record IDs
// renames it and the tracker follows. When the box is removed, or the format
// is loaded again or another one opened, the box is lost for good: a box
// that later turns up under the same ID is another box.
class BoxTracker : public QObject {
    Q_OBJECT
public:
    BoxTracker(SlipFormat& format, BoxId id, QObject* parent = nullptr);

    // The box's ID now, 0 once it is lost.
    BoxId Id() const { return lost_ ? 0 : id_; }
    bool Lost() const { return lost_; }
    // The box, or null once it is lost.
    const Box* Current() const;

signals:
    // A save renamed boxes (old ID to new ID); the tracked box may be among them.
    void renamed(const QHash<slip::BoxId, slip::BoxId>& oldToNew);
    // Boxes were added or removed; the tracked box is still there.
    void rearranged();
    // The box is gone.
    void lost();

private:
    void BoxesChanged();
    void Lose();

    SlipFormat& format_;
    BoxId id_ = 0;
    BoxKind kind_ = BoxKind::Text;
    bool lost_ = false;
};

} // namespace slip
