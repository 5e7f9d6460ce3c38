#include "core/DataFolder.h"

#include <QDir>
#include <QStandardPaths>

namespace slip {

QString DataFolder()
{
    QString folder = qEnvironmentVariable("SLIPPRINT_HOME");
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (folder.isEmpty())
            folder = QDir::homePath();
        folder += QStringLiteral("/slipprint");
    }
    QDir().mkpath(folder);
    return QDir(folder).absolutePath();
}

QString DataFile(const QString& name)
{
    return DataFolder() + QLatin1Char('/') + name;
}

QString DatabasePath()
{
    return DataFile(QStringLiteral("DATA.mdb"));
}

} // namespace slip
