#pragma once
#include <QString>
#include <QUrl>

namespace slip {

// The vendor's web server is a setting: its base address ("http://host",
// "https://host:8443" or with a leading path, "http://host/mirror") is kept in
// the parameter table under "服务器地址", so it travels with the database and
// is set the way every other program-wide value is. With none set, every web
// command answers NoServerAddressError() and sends nothing.
QString ServerAddressParamName();          // "服务器地址"
QString ServerAddress();                   // the stored text, trimmed
// False when it could not be stored; error (when given) then says why, with
// the failed statement.
bool SetServerAddress(const QString& address, QString* error = nullptr);

QString NoServerAddressError();            // "未设置服务器地址！"
QString BadServerAddressError(const QString& address);

struct ServerUrl {
    bool ok = false;
    QUrl url;
    QString error;   // for the operator when !ok
};

// The stored address checked: http or https, a host, no user or password,
// no query or fragment. A trailing "/" is dropped.
ServerUrl ServerBase();
ServerUrl CheckServerAddress(const QString& address);

// True for a path that names a file on the configured server and nothing
// else: it starts with exactly one "/" ("//host/x" and "/\host" would reach
// another host, "@host/x" or "C:\x" are no server paths at all), holds no "\",
// no control character and no "." or ".." segment (also when percent-encoded,
// like "..%2F"), and no segment that decodes to hold "/" or "\".
bool IsServerPath(const QString& path);

// The address of `path` (a server path, possibly with a query) on the
// configured server. Refused when there is no server, when the path is no
// server path, or when the address would leave the server's scheme, host and
// port.
ServerUrl ServerFileUrl(const QString& path);

} // namespace slip
