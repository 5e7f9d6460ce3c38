#include "app/Startup.h"
#include "ui/Translations.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    slip::ChineseSystemLocale locale;
    QApplication app(argc, argv);
    locale.RestoreEnvironment();
    QApplication::setOrganizationName(QStringLiteral("Tessel_Orn"));
    QApplication::setApplicationName(QStringLiteral("slipprint"));
    return slip::Main(app);
}
