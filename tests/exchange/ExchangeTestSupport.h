#pragma once
#include "FileBytes.h"
#include "LocalHttpServer.h"
#include "RecordingProgress.h"
#include "TestHome.h"

#include "exchange/Server.h"
#include "core/DataFolder.h"

#include <QDir>
#include <QDirIterator>
#include <gtest/gtest.h>

namespace slip::test {

// Every file and folder below root ("relative/path", sorted, links listed and
// not followed) but those lying directly in Temp: what a download never changes.
inline QStringList OutsideTemp(const QString& root)
{
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString e = QDir(root).relativeFilePath(it.next());
        if (!e.startsWith(QStringLiteral("Temp/")) || e.count(QLatin1Char('/')) != 1) out << e;
    }
    out.sort();
    return out;
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
    RecordingProgress progress;
};

} // namespace slip::test
