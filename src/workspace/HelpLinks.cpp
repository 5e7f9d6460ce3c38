#include "workspace/HelpLinks.h"

#include "core/DataFolder.h"
#include "exchange/Server.h"

#include "ui/FileDialogs.h"
#include "ui/Prompt.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

void OpenManualFile()
{
    const QString manual = FindManual(ManualFolders());
    if (manual.isEmpty()) {
        MsgBox(NoManualMessage(), PromptIcon::Information);
        return;
    }
    if (!ShellOpen(manual))
        MsgBox(QStringLiteral("本机没有能打开使用说明“") + QDir::toNativeSeparators(manual) + QStringLiteral("”的程序！"),
               PromptIcon::Warning);
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
