#include "workspace/HelpLinks.h"

#include "core/DataFolder.h"
#include "exchange/Server.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace slip {

QStringList ManualFileNames()
{
    return {QStringLiteral("使用说明.pdf"), QStringLiteral("使用说明.html"), QStringLiteral("使用说明.htm"),
            QStringLiteral("manual.pdf"), QStringLiteral("manual.html"), QStringLiteral("help/index.html")};
}

QStringList ManualFolders()
{
    QStringList out;
    const QString app = QCoreApplication::applicationDirPath();
    if (!app.isEmpty()) {
        out << app;
        out << QDir::cleanPath(app + QStringLiteral("/../share/doc/slipprint"));
    }
    out << DataFolder();
    return out;
}

QString FindManual(const QStringList& folders)
{
    for (const QString& folder : folders) {
        if (folder.isEmpty()) continue;
        for (const QString& name : ManualFileNames()) {
            const QFileInfo f(QDir(folder).filePath(name));
            if (f.isFile() && f.isReadable()) return f.absoluteFilePath();
        }
    }
    return QString();
}

QString NoManualMessage()
{
    return QStringLiteral("本机没有安装使用说明。\r\n把“使用说明.pdf”或“使用说明.html”放在程序文件夹或数据文件夹（")
           + QDir::toNativeSeparators(DataFolder()) + QStringLiteral("）中即可在此打开。");
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
