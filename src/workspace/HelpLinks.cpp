#include "workspace/HelpLinks.h"

#include "core/DataFolder.h"
#include "exchange/Server.h"

#include "ui/FileDialogs.h"
#include "ui/Prompt.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace slip {

QString ManualFileName() { return QStringLiteral("KVW.CHM"); }

QStringList ManualFolders()
{
    QStringList out{DataFolder()};
    const QString app = QCoreApplication::applicationDirPath();
    if (!app.isEmpty()) out << app;
    return out;
}

QString FindManual(const QStringList& folders)
{
    for (const QString& folder : folders) {
        if (folder.isEmpty()) continue;
        const QFileInfo f(QDir(folder).filePath(ManualFileName()));
        if (f.isFile() && f.isReadable()) return f.absoluteFilePath();
    }
    return QString();
}

QString NoManualMessage()
{
    return QStringLiteral("找不到使用说明文件“") + QDir::toNativeSeparators(DataFile(ManualFileName()))
           + QStringLiteral("”！");
}

namespace {

// The manual found, or "" after telling the operator there is none.
QString ManualOrTell()
{
    const QString manual = FindManual(ManualFolders());
    if (manual.isEmpty()) MsgBox(NoManualMessage());
    return manual;
}

void ShellOpenManual(const QString& manual)
{
    if (!ShellOpen(manual))
        MsgBox(QStringLiteral("本机没有能打开使用说明“") + QDir::toNativeSeparators(manual) + QStringLiteral("”的程序！"));
}

// The help file's viewer that opens it at a topic by the topic's context
// number; "" when none is installed.
QString TopicViewer() { return QStandardPaths::findExecutable(QStringLiteral("xchm")); }

} // namespace

void OpenManualFile()
{
    const QString manual = ManualOrTell();
    if (!manual.isEmpty()) ShellOpenManual(manual);
}

void OpenManualTopic(int topic)
{
    const QString manual = ManualOrTell();
    if (manual.isEmpty()) return;
    // The desktop's handler takes a file, never a topic inside it.
    const QString viewer = TopicViewer();
    if (!viewer.isEmpty()
        && QProcess::startDetached(viewer, {QStringLiteral("-c"), QString::number(topic), manual}))
        return;
    ShellOpenManual(manual);
}

QList<HelpPage> HelpPages()
{
    return {{QStringLiteral("如何定制格式"), QStringLiteral("/help/customize.htm")},
            {QStringLiteral("在线咨询"), QStringLiteral("/help/consult.htm")},
            {QStringLiteral("技术支持"), QStringLiteral("/help/support.htm")},
            {QStringLiteral("网上商店"), QStringLiteral("/shop/index.htm")}};
}

HelpAddress HelpPageAddress(const HelpPage& page)
{
    HelpAddress a;
    const ServerUrl target = ServerFileUrl(page.serverPath);
    if (target.ok) a.url = target.url;
    else a.error = target.error;
    return a;
}

} // namespace slip
