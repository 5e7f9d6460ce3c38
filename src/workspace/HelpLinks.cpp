#include "workspace/HelpLinks.h"

#include "core/DataFolder.h"
#include "storage/Params.h"

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
    return {{QStringLiteral("如何定制格式"), QStringLiteral("网址：如何定制格式")},
            {QStringLiteral("在线咨询"), QStringLiteral("网址：在线咨询")},
            {QStringLiteral("技术支持"), QStringLiteral("网址：技术支持")},
            {QStringLiteral("网上商店"), QStringLiteral("网址：网上商店")}};
}

HelpAddress HelpPageAddress(const HelpPage& page)
{
    HelpAddress a;
    const QString text = GetParam(page.paramName).trimmed();
    if (text.isEmpty()) {
        a.error = QStringLiteral("没有设置“") + page.caption + QStringLiteral("”的网址（参数“") + page.paramName
                  + QStringLiteral("”）。");
        return a;
    }
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty()) {
        a.error = QStringLiteral("“") + page.caption + QStringLiteral("”的网址“") + text
                  + QStringLiteral("”无效，只能打开以 http:// 或 https:// 开头的网址。");
        return a;
    }
    a.url = url;
    return a;
}

} // namespace slip
