#pragma once
#include <chrono>

namespace slip {

// Waits for `duration` while the event loop runs, so the windows stay usable
// (painting, timers, clicks) during a retry's pause. Anything may run in the
// meantime, another operation included; callers keep no state that such an
// operation could change under them.
void PauseWithEvents(std::chrono::milliseconds duration);

} // namespace slip
