#include "core/Registry.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace slip {

namespace {

// The settings file of one root; read anew each time so that the config folder
// follows XDG_CONFIG_HOME.
QString SettingsPath(const QString& root)
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QLatin1Char('/') + root + QStringLiteral("/settings.conf");
}

QString Key(const QString& section, const QString& name)
{
    return section + QLatin1Char('/') + name;
}

} // namespace

bool SaveRegValue(const QString& root, const QString& section, const QString& name,
                  const QString& value)
{
    QSettings s(SettingsPath(root), QSettings::IniFormat);
    s.setValue(Key(section, name), value);
    s.sync();
    return s.status() == QSettings::NoError;
}

QString GetRegValue(const QString& root, const QString& section, const QString& name,
                    const QString& defaultValue)
{
    QSettings s(SettingsPath(root), QSettings::IniFormat);
    const QString key = Key(section, name);
    if (!s.contains(key)) {
        s.setValue(key, QString());
        s.sync();
        return defaultValue;
    }
    const QString v = s.value(key).toString();
    return v.isEmpty() ? defaultValue : v;
}

} // namespace slip
