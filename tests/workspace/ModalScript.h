#pragma once
// Answers the modal dialogs a command opens, in order, while the dialogs run
// their own event loops as they do for the operator.
#include "ui/Progress.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

namespace slip::test {

class ModalScript {
public:
    ModalScript()
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
        clock_.start();
    }
    ~ModalScript() { timer_.stop(); }
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    // The next modal dialog must be a T; `act` works it (and usually closes it).
    template <class T>
    void Expect(std::function<void(T&)> act)
    {
        steps_.push_back([act](QWidget* w) {
            T* d = qobject_cast<T*>(w);
            if (!d) return false;
            act(*d);
            return true;
        });
    }

    // Dialogs of an unexpected type or left open too long, by caption; each
    // was closed with reject so the test goes on.
    QStringList unexpected;
    bool Done() const { return steps_.empty(); }

private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        // The progress window of work that runs before the awaited dialog is
        // no step of the script: on a busy machine it is up long enough to be
        // seen, on a quiet one it never shows.
        if (qobject_cast<Indicator*>(modal)) return;
        if (modal == last_) {
            // The step left its dialog open: give it time, then end it.
            if (clock_.elapsed() > 20000) Reject(modal);
            return;
        }
        if (steps_.empty()) {
            Reject(modal);
            return;
        }
        auto step = steps_.front();
        steps_.pop_front();
        last_ = modal;
        clock_.restart();
        if (!step(modal)) Reject(modal);
    }
    void Reject(QWidget* modal)
    {
        unexpected << modal->windowTitle();
        if (auto* d = qobject_cast<QDialog*>(modal)) d->reject();
        else modal->close();
    }

    QTimer timer_;
    QElapsedTimer clock_;
    QPointer<QWidget> last_;
    std::deque<std::function<bool(QWidget*)>> steps_;
};

} // namespace slip::test
