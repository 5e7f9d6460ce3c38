#include "exchange/UpdateCheck.h"

#include "exchange/Http.h"
#include "core/DataFolder.h"
#include "storage/Database.h"
#include "storage/SavedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace slip {

QString UpdatePageServerPath(int productId)
{
    return QStringLiteral("/calbrenno/downpage/Pro.asp?ID=") + QString::number(productId);
}

QString LeadingVersionText(const QString& text)
{
    int i = 0;
    while (i < text.size() && text.at(i).isSpace()) ++i;
    const int start = i;
    bool dot = false;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            ++i;
        } else if (c == QLatin1Char('.') && !dot) {
            dot = true;
            ++i;
        } else {
            break;
        }
    }
    QString version = text.mid(start, i - start);
    if (version.endsWith(QLatin1Char('.'))) version.chop(1);
    if (version.isEmpty() || version.startsWith(QLatin1Char('.'))) return QString();
    return version;
}

double VersionValue(const QString& version)
{
    const QString v = LeadingVersionText(version);
    return v.isEmpty() ? 0.0 : v.toDouble();
}

QString VersionFromPage(const QString& page)
{
    // The number after the first "(" that follows the first "<title>",
    // wherever that "(" stands.
    QString text = page;
    if (const qsizetype open = text.indexOf(QStringLiteral("<title>")); open >= 0) text = text.mid(open + 7);
    if (const qsizetype paren = text.indexOf(QLatin1Char('(')); paren >= 0) text = text.mid(paren + 1);
    return LeadingVersionText(text);
}

bool IsNewerVersion(const QString& serverVersion, const QString& currentVersion)
{
    const double server = VersionValue(serverVersion);
    const double current = VersionValue(currentVersion);
    return server > 0 && current > 0 && server > current;
}

DatabaseBackup MakeDatabaseBackup()
{
    DatabaseBackup result;
    const QString source = DatabasePath();
    if (!QFileInfo(source).isFile()) {
        result.error = QStringLiteral("数据库文件不存在，无法备份！");
        return result;
    }
    const QString folder = QFileInfo(source).absolutePath();
    // A write lock for the length of the copy: the file can't change under it.
    // A database that can't be opened is copied as it is.
    DbConnection lock;
    if (lock.isOpen()) lock.begin();
    for (int n = 0; n < 100000; ++n) {
        const QString name = QStringLiteral("BAK_data%1.DAT").arg(n, 3, 10, QLatin1Char('0'));
        const QString target = QDir(folder).filePath(name);
        const QFileInfo info(target);
        if (info.exists() || info.isSymLink()) continue;
        // The name is taken first, by an empty file of the owner's alone,
        // whose mode the copy then keeps.
        QFile taken(target);
        if (!taken.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner)) {
            if (QFileInfo::exists(target)) continue;
            result.error = QStringLiteral("数据库备份失败：") + taken.errorString();
            break;
        }
        taken.close();
        if (const StoreResult copied = SaveCopy(source, target); copied) {
            result.ok = true;
            result.path = target;
        } else {
            QFile::remove(target);
            result.error = QStringLiteral("数据库备份失败：") + copied.error;
        }
        lock.rollback();
        return result;
    }
    lock.rollback();
    if (result.error.isEmpty()) result.error = QStringLiteral("数据库备份失败：备份文件过多！");
    return result;
}

UpdateCheckResult CheckNewVersion(const QString& currentVersion, int productId,
                                  std::chrono::milliseconds timeout, int attempts)
{
    UpdateCheckResult result;
    const HttpTextResult page =
        HttpGetTextRetry(UpdatePageServerPath(productId), QStringLiteral("</title>"), timeout, attempts);
    if (!page.ok) {
        result.error = page.error;
        return result;
    }
    result.serverVersion = VersionFromPage(page.text);
    if (VersionValue(result.serverVersion) <= 0 || VersionValue(currentVersion) <= 0) {
        result.outcome = UpdateOutcome::NoVersion;
        return result;
    }
    if (!IsNewerVersion(result.serverVersion, currentVersion)) {
        result.outcome = UpdateOutcome::UpToDate;
        return result;
    }
    result.outcome = UpdateOutcome::NewerAvailable;
    const DatabaseBackup backup = MakeDatabaseBackup();
    if (backup.ok) result.backupPath = backup.path;
    else result.error = backup.error;
    result.message = UpdateStartingText();
    return result;
}

QString UpdaterArgument(const QString& programName) { return QStringLiteral("QV17.rar|") + programName; }

UpdaterStart StartUpdater(const QString& programFolder, const QString& programName,
                          const ReadyToEnd& readyToEnd)
{
    UpdaterStart result;
    const QString updater = QDir(programFolder).filePath(QLatin1String(kUpdaterName));
    const QFileInfo info(updater);
    const QString shown = QDir::toNativeSeparators(updater);
    if (!info.exists()) {
        result.error = QStringLiteral("没有找到自动升级程序“") + shown + QStringLiteral("”，请从服务器下载新版本后手动安装。");
        return result;
    }
    if (readyToEnd && !readyToEnd()) {
        result.postponed = true;
        result.error = UpdatePostponedText();
        return result;
    }
    QProcess process;
    process.setProgram(updater);
    process.setArguments({UpdaterArgument(programName)});
    process.setWorkingDirectory(programFolder);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!info.isFile() || !process.startDetached()) {
        result.error = QStringLiteral("自动升级程序“") + shown + QStringLiteral("”无法启动") +
                       (process.error() == QProcess::FailedToStart && info.isFile()
                            ? QStringLiteral("（") + process.errorString() + QStringLiteral("）")
                            : QString()) +
                       QStringLiteral("，请从服务器下载新版本后手动安装。");
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace slip
