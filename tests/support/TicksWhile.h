#pragma once

#include <QFileInfo>
#include <QObject>
#include <QString>
#include <QTimer>

namespace slip::test {

// Runs work on this thread's event loop side and counts how often a
// zero-interval timer of this thread fired while `file` stood on disk: work
// that keeps this thread's events going counts several ticks, work that
// blocks it none.
template <class Work>
int TicksWhileFileExists(const QString& file, Work&& work)
{
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (QFileInfo::exists(file)) ++ticks;
    });
    tick.start(0);
    work();
    tick.stop();
    return ticks;
}

} // namespace slip::test
