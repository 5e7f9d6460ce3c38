#include "core/Registry.h"

#include "core/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

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

using SettingValues = QMap<QString, QVariant>;

SettingValues AllValues(const QSettings& s)
{
    SettingValues values;
    for (const QString& key : s.allKeys()) values.insert(key, s.value(key));
    return values;
}

// Stores value under key, every other setting as it was. QSettings' own save
// would put a file in place whose last bytes may never have reached the disk
// (its commit hears nothing of them); so QSettings writes the text, in its
// own form, into a file of its own beside the settings, and those bytes go in
// place through WriteWholeFile once the new file, read afresh, gives every
// setting as meant. Any failure leaves the settings file as it was.
bool StoreSetting(const QString& path, const QString& key, const QString& value, QString& why)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    // Another run of the program saving at the same time waits its turn, as
    // with QSettings' own save.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.lock()) return false;
    SettingValues wanted;
    bool readWhole = false;
    {
        const QSettings current(path, QSettings::IniFormat);
        if (current.status() == QSettings::AccessError) return false;
        readWhole = current.status() == QSettings::NoError;
        wanted = AllValues(current);
    }
    wanted.insert(key, value);
    QByteArray text;
    {
        // Removed when it goes, under whatever file QSettings put at its name.
        QTemporaryFile made(path + QStringLiteral(".XXXXXX"));
        if (!made.open()) {
            why = made.errorString();
            return false;
        }
        {
            QSettings out(made.fileName(), QSettings::IniFormat);
            for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) out.setValue(it.key(), it.value());
            out.sync();
            if (out.status() != QSettings::NoError) return false;
        }
        QFile written(made.fileName());
        if (!written.open(QIODevice::ReadOnly)) return false;
        text = written.readAll();
        if (written.error() != QFileDevice::NoError) return false;
    }
    // The new file has a name QSettings never read: it reads the disk, not
    // what it remembers.
    const auto sameSettings = [&wanted](const QString& written, QString&) {
        const QSettings back(written, QSettings::IniFormat);
        return back.status() == QSettings::NoError && AllValues(back) == wanted;
    };
    const WholeFileWrite saved = WriteWholeFile(
        path, [&text](QIODevice& out) { return out.write(text) == text.size(); }, {false, sameSettings});
    why = saved.why;
    return saved.ok && readWhole;
}

} // namespace

bool SaveRegValue(const QString& root, const QString& section, const QString& name,
                  const QString& value, QString* why)
{
    QString reason;
    const bool stored = StoreSetting(SettingsPath(root), Key(section, name), value, reason);
    if (why) *why = stored ? QString() : reason;
    return stored;
}


QString GetRegValue(const QString& root, const QString& section, const QString& name,
                    const QString& defaultValue)
{
    const QString path = SettingsPath(root);
    const QString key = Key(section, name);
    QVariant stored;
    {
        const QSettings s(path, QSettings::IniFormat);
        stored = s.value(key);
    }
    if (!stored.isValid()) {
        // Only a mark that the setting was asked for: the default holds
        // whether or not it could be written.
        QString ignored;
        StoreSetting(path, key, QString(), ignored);
        return defaultValue;
    }
    const QString v = stored.toString();
    return v.isEmpty() ? defaultValue : v;
}

} // namespace slip
