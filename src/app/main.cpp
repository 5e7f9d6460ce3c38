#include "app/Startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tessel_Orn"));
    QApplication::setApplicationName(QStringLiteral("slipprint"));
    return slip::Main(app);
}
