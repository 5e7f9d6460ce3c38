#pragma once
#include <QEventLoop>
#include <QMetaObject>
#include <chrono>
#include <optional>
#include <thread>
#include <utility>

namespace slip {

// Waits for `duration` while the event loop runs, so the windows stay usable
// (painting, timers, clicks) during a retry's pause. Anything may run in the
// meantime, another operation included; callers keep no state that such an
// operation could change under them.
void PauseWithEvents(std::chrono::milliseconds duration);

// Runs `work` on a thread of its own while this thread's event loop goes on,
// and answers its result: long decoding and parsing never hold the windows
// still. `work` touches nothing the windows use.
template <class Work>
auto RunOffThread(Work&& work) -> decltype(work())
{
    std::optional<decltype(work())> result;
    QEventLoop loop;
    std::thread worker([&] {
        result.emplace(work());
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    return std::move(*result);
}

} // namespace slip
