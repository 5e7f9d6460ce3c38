#pragma once
#include <QIODevice>
#include <QString>
#include <functional>

namespace slip {

// The one way the program puts a whole file on the disk, so that whoever
// reads it finds the old file or the whole new one, never a part, also when
// the disk fills or fails midway. The content goes into a new file made
// beside the target for this write alone (never a file someone else put
// there); every write into it is checked for its whole length, it is synced
// to the disk and closed, each checked, and only then renamed over the
// target, whose folder is then synced. A failure at any step removes the new
// file and leaves the old one as it was.
//
// A link at the path is followed: the file it leads to is replaced, the
// link stays. A file written over keeps its permissions; a new one gets the
// system's usual ones, or with ownerOnly only its owner's, from its first
// byte. The new file is newer than the one it replaces, to the millisecond:
// a reader that tells a changed file by its size and time (QSettings does)
// would otherwise take a quick second save of the same length for the first.

// Looks at the new file, whole and on the disk, before it takes the old
// one's place; false (with why) leaves the old one.
using WrittenFileCheck = std::function<bool(const QString& written, QString& why)>;

struct WholeFileOptions {
    bool ownerOnly = false;
    WrittenFileCheck check;
};

struct WholeFileWrite {
    bool ok = true;
    // What stands at the path can't be replaced: a folder, a file that is
    // not writable, or a folder that takes no new file or rename there. Lack
    // of room and the disk's own errors are never this: they fail the write.
    bool notReplaced = false;
    // The system's reason ("No space left on device") or the check's; ""
    // when the fill gave up for a reason of its own.
    QString why;
};

// `fill` writes the content into the device it is given; false from it aborts.
WholeFileWrite WriteWholeFile(const QString& path, const std::function<bool(QIODevice&)>& fill,
                              const WholeFileOptions& options = {});

} // namespace slip
