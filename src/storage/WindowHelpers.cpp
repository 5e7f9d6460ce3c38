#include "storage/WindowHelpers.h"

#include <QWidget>

namespace slip {

void SetTopmost(QWidget* window)
{
    if (!window) return;
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (visible) window->show();
}

} // namespace slip
