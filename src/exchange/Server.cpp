#include "exchange/Server.h"

#include "storage/Params.h"

namespace slip {

namespace {

bool HasControlCharacter(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return true;
    return false;
}

bool SameServer(const QUrl& a, const QUrl& b)
{
    return a.scheme() == b.scheme() && a.host() == b.host() &&
           a.port(a.scheme() == QLatin1String("https") ? 443 : 80) ==
               b.port(b.scheme() == QLatin1String("https") ? 443 : 80) &&
           b.userInfo().isEmpty();
}

} // namespace

QString ServerAddressParamName() { return QStringLiteral("服务器地址"); }

QString ServerAddress() { return GetParam(ServerAddressParamName()).trimmed(); }

bool SetServerAddress(const QString& address, QString* error)
{
    return SetParam(ServerAddressParamName(), address.trimmed(), error);
}

QString NoServerAddressError() { return QStringLiteral("未设置服务器地址！"); }

QString BadServerAddressError(const QString& address)
{
    return QStringLiteral("服务器地址“") + address + QStringLiteral("”无效！");
}

ServerUrl CheckServerAddress(const QString& address)
{
    ServerUrl result;
    const QString text = address.trimmed();
    if (text.isEmpty()) {
        result.error = NoServerAddressError();
        return result;
    }
    QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty() || !url.userInfo().isEmpty() || url.hasQuery() || url.hasFragment() ||
        HasControlCharacter(text)) {
        result.error = BadServerAddressError(text);
        return result;
    }
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/'))) path.chop(1);
    url.setPath(path);
    result.ok = true;
    result.url = url;
    return result;
}

ServerUrl ServerBase() { return CheckServerAddress(ServerAddress()); }

bool IsServerPath(const QString& path)
{
    if (path.size() < 2 || path.at(0) != QLatin1Char('/')) return false;
    if (path.at(1) == QLatin1Char('/') || path.contains(QLatin1Char('\\')) || HasControlCharacter(path))
        return false;
    // Only the part before the query names a file.
    const QString filePart = path.section(QLatin1Char('?'), 0, 0);
    const QStringList segments = filePart.mid(1).split(QLatin1Char('/'));
    for (const QString& raw : segments) {
        const QString seg = QUrl::fromPercentEncoding(raw.toUtf8());
        if (seg == QLatin1String(".") || seg == QLatin1String("..")) return false;
        if (seg.contains(QLatin1Char('/')) || seg.contains(QLatin1Char('\\')) || HasControlCharacter(seg))
            return false;
    }
    return true;
}

ServerUrl ServerFileUrl(const QString& path)
{
    ServerUrl result = ServerBase();
    if (!result.ok) return result;
    const QUrl base = result.url;
    result.ok = false;
    result.url = QUrl();
    if (!IsServerPath(path)) {
        result.error = QStringLiteral("服务器文件路径“") + path + QStringLiteral("”无效！");
        return result;
    }
    QUrl url(base.toString(QUrl::FullyEncoded) + path, QUrl::TolerantMode);
    if (!url.isValid() || !SameServer(base, url)) {
        result.error = QStringLiteral("服务器文件路径“") + path + QStringLiteral("”无效！");
        return result;
    }
    result.ok = true;
    result.url = url;
    return result;
}

} // namespace slip
