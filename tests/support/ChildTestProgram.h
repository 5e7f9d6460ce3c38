#pragma once
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStringList>

namespace slip::test {

// The environment for a copy of the running test program that a test starts
// to run one case of its own: everything of this process except what tells
// GoogleTest how to run (shards, filters, output files, repeats). A child that
// inherits a shard index may run nothing at all, or write over the parent's
// report. Its temporary folders go below the scratch folders in use (see
// UseScratchFolders), which this program removes: a copy killed mid-run
// can't remove its own.
inline QProcessEnvironment ChildTestEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QStringList keys = env.keys();
    for (const QString& key : keys)
        if (key.startsWith(QStringLiteral("GTEST_")) || key == QStringLiteral("TEST_PREMATURE_EXIT_FILE") ||
            key == QStringLiteral("XML_OUTPUT_FILE"))
            env.remove(key);
    env.insert(QStringLiteral("TMPDIR"), QFileInfo(qEnvironmentVariable("SLIPPRINT_HOME")).path());
    return env;
}

} // namespace slip::test
