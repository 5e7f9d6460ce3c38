#pragma once
#include <QApplication>
#include <QWidget>

namespace slip::test {

// The shown top-level window of a kind, or nullptr.
template <class W>
W* Shown()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* shown = qobject_cast<W*>(w); shown && shown->isVisible()) return shown;
    return nullptr;
}

} // namespace slip::test
