#pragma once
#include "ui/Progress.h"

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QStringList>
#include <QTimer>
#include <atomic>

namespace slip::test {

// Watches the progress window while it lives: a fast clock lets every step refresh it; titles noted in order.
class ProgressWatch {
public:
    ProgressWatch()
    {
        SetProgressClock([this] { return QDateTime::currentDateTime().addSecs(++seconds_); });
        QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
        timer_.start(0);
    }
    ~ProgressWatch() { SetProgressClock({}); }

    QStringList titles;

private:
    void Look()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* i = qobject_cast<Indicator*>(w); i && i->isVisible() && !titles.contains(i->LBL->text()))
                titles << i->LBL->text();
    }
    std::atomic<int> seconds_{0};
    QTimer timer_;
};

} // namespace slip::test
