#pragma once
#include <QDir>
#include <QString>

namespace slip::test {

// Points the data folder and the settings folder below root, so that tests
// and benchmarks never touch the user's own.
inline void UseScratchFolders(const QString& root)
{
    QDir(root).mkpath(QStringLiteral("data"));
    QDir(root).mkpath(QStringLiteral("config"));
    qputenv("SLIPPRINT_HOME", (root + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toLocal8Bit());
}

} // namespace slip::test
