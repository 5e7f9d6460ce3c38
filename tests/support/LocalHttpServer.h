#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <chrono>

namespace slip::test {

// Time-outs for the tests, kept far apart from what the server does so that
// a busy machine never turns one case into another: an answer the server gives
// at once gets a time-out no load reaches; a server that keeps silent stays
// silent a hundred times longer than the short time-out set against it.
inline constexpr std::chrono::milliseconds kAnswerTimeout{60000};
inline constexpr std::chrono::milliseconds kShortTimeout{300};
inline constexpr std::chrono::milliseconds kSilentServerDelay{kShortTimeout * 100};

// What the server answers on one path.
struct HttpRoute {
    int status = 200;
    QByteArray body;
    QByteArray contentType = "text/html";
    std::chrono::milliseconds delay{0};   // wait before answering
    qint64 streamBytes = 0;               // > 0: that many filler bytes, no Content-Length
};

// A small HTTP/1.1 server on 127.0.0.1 at a free port, run by the test's own
// event loop (the client's wait loop serves it). One request per connection;
// unknown paths get 404. Everything it holds goes with it at the end of the test.
class LocalHttpServer {
public:
    LocalHttpServer();
    ~LocalHttpServer();

    bool listen();
    QString address() const;   // "http://127.0.0.1:<port>"

    // Routes match the request's path without its query, percent-decoded.
    void setRoute(const QString& path, const HttpRoute& route) { routes_[path] = route; }

    // Request targets as received ("/x?y=1"), in order.
    QStringList requests() const { return requests_; }
    // How many requests asked for this path (without query, decoded).
    int hits(const QString& path) const;
    // The value of a header field (name in any case) of the i-th request; empty when it had none.
    QByteArray requestHeader(qsizetype i, const QByteArray& name) const;

private:
    void answer(class QTcpSocket* socket, const QByteArray& target);

    QTcpServer server_;
    QHash<QString, HttpRoute> routes_;
    QStringList requests_;
    QList<QList<QByteArray>> headerLines_;   // per request, the lines after the request line
};

} // namespace slip::test
