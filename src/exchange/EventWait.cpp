#include "exchange/EventWait.h"

#include <QEventLoop>
#include <QTimer>

namespace slip {

void PauseWithEvents(std::chrono::milliseconds duration)
{
    if (duration.count() <= 0) return;
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace slip
