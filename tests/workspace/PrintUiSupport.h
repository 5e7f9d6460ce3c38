#pragma once
// Printing from the window in tests: the printer chooser answered as the
// operator answers it, and the history read back.
#include "storage/HistoryStore.h"
#include "ui/SelPrinter.h"

#include <QApplication>
#include <QComboBox>
#include <QMap>
#include <QPushButton>
#include <QTimer>

namespace slip::test {

// Answers the printer chooser whenever it shows: picks `printer`, or cancels
// when it is "".
struct ChooserAnswer {
    QString printer;
    int shown = 0;
    QTimer timer;
    explicit ChooserAnswer(QString p) : printer(std::move(p))
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* chooser = qobject_cast<SelPrinter*>(w);
                if (!chooser || !chooser->isVisible()) continue;
                ++shown;
                if (printer.isEmpty()) {
                    chooser->buttons[1]->click();
                } else {
                    chooser->choices->setEditText(printer);
                    chooser->buttons[0]->click();
                }
            }
        });
        timer.start();
    }
};

// The shown window of a kind, or nullptr.
template <class W>
W* Shown()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* shown = qobject_cast<W*>(w); shown && shown->isVisible()) return shown;
    return nullptr;
}

inline QMap<qint64, QHash<qint64, QString>> History(const QString& format)
{
    QMap<qint64, QHash<qint64, QString>> out;
    for (qint64 n : HistorySlipNumbersOf(format).numbers) out.insert(n, ReadHistorySlip(format, n).values);
    return out;
}

} // namespace slip::test
