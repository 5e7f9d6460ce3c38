#pragma once
#include <QString>

namespace slip {

// How long work below the windows reports its progress. Passed in; the
// default does nothing, the window layer shows the progress window.
class ProgressReporter {
public:
    virtual ~ProgressReporter() = default;
    // Begins a run (or a new phase) of `total` steps.
    virtual void Start(const QString& title, int total) { (void)title; (void)total; }
    // Advances by `step`. The unit "pages" also shows times and the count;
    // another non-empty unit becomes the new title.
    virtual void Step(int step = 1, const QString& unit = QString()) { (void)step; (void)unit; }
    virtual void End() {}
};

// A reporter that reports nothing, for callers that have no window.
inline ProgressReporter& NoProgress()
{
    static ProgressReporter none;
    return none;
}

} // namespace slip
