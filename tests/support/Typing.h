#pragma once
// Typing as the operator does, for widget tests.
#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>

namespace slip::test {

// Types text into a widget: plain keys for ASCII, and what an input method
// commits for the rest (there is no key for 条).
inline void TypeText(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(w, char(c.unicode()));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(w, &commit);
        }
    }
}

} // namespace slip::test
