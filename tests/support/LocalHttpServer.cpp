#include "LocalHttpServer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace slip::test {

namespace {

QString PathOf(const QByteArray& target)
{
    const QByteArray path = target.split('?').first();
    return QUrl::fromPercentEncoding(path);
}

QByteArray Reason(int status) { return status == 200 ? "OK" : status == 404 ? "Not Found" : "Status"; }

} // namespace

LocalHttpServer::LocalHttpServer()
{
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            auto buffer = std::make_shared<QByteArray>();
            auto answered = std::make_shared<bool>(false);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer, answered] {
                if (*answered) return;
                *buffer += socket->readAll();
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end < 0) {
                    if (buffer->size() > 64 * 1024) socket->abort();
                    return;
                }
                const QByteArray line = buffer->left(buffer->indexOf("\r\n"));
                *answered = true;
                const QList<QByteArray> parts = line.split(' ');
                const QByteArray target = parts.size() >= 2 ? parts[1] : QByteArray("/");
                requests_ << QString::fromLatin1(target);
                headerLines_ << buffer->left(end).split('\n').mid(1);
                answer(socket, target);
            });
        }
    });
}

LocalHttpServer::~LocalHttpServer() { server_.close(); }

bool LocalHttpServer::listen() { return server_.listen(QHostAddress::LocalHost, 0); }

QString LocalHttpServer::address() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort());
}

int LocalHttpServer::hits(const QString& path) const
{
    int n = 0;
    for (const QString& r : requests_)
        if (PathOf(r.toLatin1()) == path) ++n;
    return n;
}

QByteArray LocalHttpServer::requestHeader(qsizetype i, const QByteArray& name) const
{
    for (const QByteArray& line : headerLines_.value(i)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

void LocalHttpServer::answer(QTcpSocket* socket, const QByteArray& target)
{
    const auto it = routes_.constFind(PathOf(target));
    const HttpRoute route = it != routes_.constEnd() ? *it : HttpRoute{404, "not found"};
    QPointer<QTcpSocket> guard(socket);
    auto send = [guard, route] {
        if (!guard) return;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(route.status) + ' ' + Reason(route.status) +
                          "\r\nContent-Type: " + route.contentType + "\r\nConnection: close\r\n";
        if (route.streamBytes > 0) {
            guard->write(head + "\r\n");
            auto left = std::make_shared<qint64>(route.streamBytes);
            auto more = [guard, left] {
                if (!guard || *left <= 0) return;
                if (guard->bytesToWrite() > 1 << 20) return;
                const qint64 n = qMin<qint64>(*left, 256 * 1024);
                guard->write(QByteArray(int(n), 'x'));
                *left -= n;
                if (*left <= 0) guard->disconnectFromHost();
            };
            QObject::connect(guard, &QTcpSocket::bytesWritten, guard, more);
            more();
            return;
        }
        head += "Content-Length: " + QByteArray::number(route.body.size()) + "\r\n\r\n";
        guard->write(head + route.body);
        guard->disconnectFromHost();
    };
    if (route.delay.count() > 0) QTimer::singleShot(route.delay, socket, send);
    else send();
}

} // namespace slip::test
