#include "workspace/MainWindow.h"

#include "storage/Prompt.h"

namespace slip {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(ProgramCaption());
    resize(1024, 700);
}

} // namespace slip
