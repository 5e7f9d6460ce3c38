#pragma once
#include "FileBytes.h"
#include "LocalHttpServer.h"
#include "RecordingProgress.h"
#include "TestHome.h"

#include "exchange/Server.h"
#include "core/DataFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>

namespace slip::test {

// Every file and folder below root, as "relative/path", sorted; links are
// listed and not followed.
inline QStringList FolderListing(const QString& root)
{
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
}

// The entries outside Temp; and, for Temp, whether everything in it lies directly in it.
inline QStringList OutsideTemp(const QString& root)
{
    QStringList out;
    for (const QString& e : FolderListing(root))
        if (!e.startsWith(QStringLiteral("Temp/"))) out << e;
    return out;
}
inline bool TempIsFlat(const QString& root)
{
    for (const QString& e : FolderListing(root))
        if (e.startsWith(QStringLiteral("Temp/")) && e.count(QLatin1Char('/')) != 1) return false;
    return true;
}

// A data folder of its own and a local server set as the program's server.
class ServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.listen());
        ASSERT_TRUE(SetServerAddress(server.address()));
        QDir(DataFolder()).mkpath(QStringLiteral("Temp"));
    }
    QString Temp(const QString& name = {}) const
    {
        return DataFile(QStringLiteral("Temp")) + (name.isEmpty() ? QString() : QLatin1Char('/') + name);
    }

    TestHome home;
    LocalHttpServer server;
};

} // namespace slip::test
