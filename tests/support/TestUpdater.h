#pragma once
// An updater of the tests' own: a small program named "update" that writes
// the folder it was started in and each of its arguments, one per line, into
// a record file, and ends.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QThread>

namespace slip::test {

inline bool WriteTestUpdater(const QString& folder, const QString& recordFile)
{
    QString record = recordFile;
    record.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    const QString script = QStringLiteral("#!/bin/sh\n"
                                          "{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '%1.part'\n"
                                          "mv '%1.part' '%1'\n")
                               .arg(record);
    QFile f(QDir(folder).filePath(QStringLiteral("update")));
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(script.toUtf8()) > 0
           && f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The record's lines (working folder, then the arguments) once the updater
// has written it; none when it did not within 20 seconds.
inline QStringList WaitForUpdaterRecord(const QString& recordFile)
{
    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo::exists(recordFile) && waited.elapsed() < 20000) QThread::msleep(20);
    QFile f(recordFile);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

} // namespace slip::test
