#pragma once
#include "core/ProgressReporter.h"

#include <QList>
#include <QStringList>

namespace slip::test {

// Records what an operation reports to its progress window.
struct RecordingProgress : ProgressReporter {
    void Start(const QString& title, int total) override
    {
        titles << title;
        totals << total;
        ++starts;
        open = true;
    }
    void Step(int step, const QString& unit) override { stepped += step, units << unit; }
    void End() override
    {
        ++ends;
        open = false;
    }
    QStringList titles, units;
    QList<int> totals;
    int starts = 0;
    int ends = 0;
    int stepped = 0;
    bool open = false;
};

} // namespace slip::test
