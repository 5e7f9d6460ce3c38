#pragma once

class QWidget;

namespace slip {

// Keeps a window above all others of the desktop.
void SetTopmost(QWidget* window);

} // namespace slip
