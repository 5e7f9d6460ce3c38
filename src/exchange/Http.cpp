#include "exchange/Http.h"

#include "exchange/EventWait.h"
#include "exchange/Server.h"
#include "exchange/TextFile.h"
#include "storage/SavedFile.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace slip {

namespace {

// One finished (or given up) request.
struct Answer {
    bool complete = false;   // a whole 2xx body arrived within the limits
    bool cancelled = false;  // the cancel check stopped the wait
    int status = 0;
    QByteArray body;
    QString detail;
};

struct Progress {
    ProgressReporter* reporter = nullptr;
    int shownPercent = 0;
};

Answer Fetch(const QUrl& url, std::chrono::milliseconds timeout, qint64 maxBytes,
             Progress* progress, const CancelCheck& cancelled)
{
    Answer answer;
    QNetworkAccessManager manager;
    // A redirect may move within the server, never to another host or scheme.
    manager.setRedirectPolicy(QNetworkRequest::SameOriginRedirectPolicy);
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setMaximumRedirectsAllowed(5);
    // The server's pages look for this header on every request, a GET included.
    request.setRawHeader("CONTENT-TYPE", "text/xml");

    QNetworkReply* reply = manager.get(request);
    bool timedOut = false;
    bool tooLarge = false;
    bool wasCancelled = false;
    QByteArray body;
    QEventLoop loop;

    auto giveUp = [&](bool& why) {
        why = true;
        reply->abort();
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxBytes) giveUp(tooLarge);
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        if (tooLarge || timedOut || wasCancelled) return;
        body += reply->readAll();
        if (body.size() > maxBytes) giveUp(tooLarge);
    });
    if (progress && progress->reporter) {
        QObject::connect(reply, &QNetworkReply::downloadProgress, &loop,
                         [progress](qint64 received, qint64 total) {
                             if (total <= 0) return;
                             const int percent = int(qBound(qint64(0), received * 100 / total, qint64(100)));
                             if (percent > progress->shownPercent) {
                                 progress->reporter->Step(percent - progress->shownPercent);
                                 progress->shownPercent = percent;
                             }
                         });
    }
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);

    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] { giveUp(timedOut); });
    deadline.start(timeout);

    QTimer cancelPoll;
    if (cancelled) {
        QObject::connect(&cancelPoll, &QTimer::timeout, &loop, [&] {
            if (!wasCancelled && cancelled()) giveUp(wasCancelled);
        });
        cancelPoll.start(100);
    }

    if (!reply->isFinished()) loop.exec();
    deadline.stop();
    cancelPoll.stop();

    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!tooLarge && !timedOut && !wasCancelled) {
        body += reply->readAll();
        if (body.size() > maxBytes) tooLarge = true;
    }
    answer.cancelled = wasCancelled && !timedOut;
    if (timedOut) answer.detail = QStringLiteral("超时");
    else if (wasCancelled) answer.detail = QStringLiteral("已取消");
    else if (tooLarge) answer.detail = QStringLiteral("内容过大");
    else if (answer.status != 0 && (answer.status < 200 || answer.status > 299))
        answer.detail = QStringLiteral("HTTP %1").arg(answer.status);
    else if (reply->error() != QNetworkReply::NoError) answer.detail = reply->errorString();
    else if (answer.status == 0) answer.detail = QStringLiteral("无应答");
    else {
        answer.complete = true;
        answer.body = std::move(body);
    }
    // The body of a refused answer is kept for the text fetch's caller (never
    // saved as a file), but not a body that was too large.
    if (!answer.complete && !tooLarge) answer.body = body;
    delete reply;
    return answer;
}

// The request address: the server's address of the path with the time added.
ServerUrl RequestUrl(const QString& serverPath)
{
    ServerUrl target = ServerFileUrl(serverPath);
    if (!target.ok) return target;
    const QUrl timed(WithTimeQuery(target.url.toString(QUrl::FullyEncoded), QTime::currentTime()),
                     QUrl::TolerantMode);
    if (!timed.isValid() || timed.host() != target.url.host() ||
        timed.scheme() != target.url.scheme() || timed.port() != target.url.port()) {
        target.ok = false;
        target.error = NetworkErrorText();
        return target;
    }
    target.url = timed;
    return target;
}

} // namespace

QString NetworkErrorText() { return QStringLiteral("网络错误！"); }

QString WithTimeQuery(const QString& url, const QTime& time)
{
    return url + (url.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?')) +
           QStringLiteral("Time=") + time.toString(QStringLiteral("HH:mm:ss"));
}

bool ApplyAcceptanceMark(const QString& body, const QString& mark, QString* text)
{
    if (mark.isEmpty() || !body.contains(mark)) {
        if (text) *text = body;
        return false;
    }
    QString accepted = body;
    const qsizetype cut = accepted.lastIndexOf(QStringLiteral("<BR>"));
    if (cut >= 0) accepted.truncate(cut);
    accepted.replace(QStringLiteral("<+>"), QStringLiteral("\r\n"));
    if (text) *text = accepted;
    return true;
}

HttpTextResult HttpGetText(const QString& serverPath, const QString& mark,
                           std::chrono::milliseconds timeout)
{
    HttpTextResult result;
    const ServerUrl target = RequestUrl(serverPath);
    if (!target.ok) {
        result.error = target.error;
        return result;
    }
    result.attempts = 1;
    const Answer answer = Fetch(target.url, timeout, kMaxResponseBytes, nullptr, {});
    result.status = answer.status;
    result.detail = answer.detail;
    // A large page is decoded and cut off the window's thread.
    const bool accepted = RunOffThread([&] { return ApplyAcceptanceMark(DecodeAnsiText(answer.body), mark, &result.text); });
    if (!answer.complete) {
        result.error = NetworkErrorText();
        return result;
    }
    if (!accepted) {
        result.error = NetworkErrorText();
        result.detail = QStringLiteral("应答中没有“") + mark + QStringLiteral("”");
        return result;
    }
    result.ok = true;
    return result;
}

HttpTextResult HttpGetTextRetry(const QString& serverPath, const QString& mark,
                                std::chrono::milliseconds timeout, int attempts)
{
    HttpTextResult result;
    int sent = 0;
    for (int i = 0; i < qMax(1, attempts); ++i) {
        result = HttpGetText(serverPath, mark, timeout);
        sent += result.attempts;
        // Nothing was sent: the address is what's wrong, and asking again won't mend it.
        if (result.ok || result.attempts == 0) break;
    }
    result.attempts = sent;
    return result;
}

HttpFileResult HttpDownloadFile(const QString& serverPath, const QString& localPath,
                                std::chrono::milliseconds timeout, ProgressReporter& progress,
                                const CancelCheck& cancelled, const BodyCheck& accept)
{
    HttpFileResult result;
    const ServerUrl target = RequestUrl(serverPath);
    if (!target.ok) {
        result.error = target.error;
        return result;
    }
    progress.Start(QStringLiteral("正在下载..."), 100);
    Progress shown{&progress, 0};
    const Answer answer = Fetch(target.url, timeout, kMaxResponseBytes, &shown, cancelled);
    result.status = answer.status;
    result.detail = answer.detail;
    result.cancelled = answer.cancelled;
    if (!answer.complete || answer.body.isEmpty()) {
        if (answer.complete) result.detail = QStringLiteral("内容为空");
        result.error = NetworkErrorText();
        progress.End();
        return result;
    }
    if (accept && !accept(answer.body)) {
        result.error = NetworkErrorText();
        result.detail = QStringLiteral("内容无法识别");
        progress.End();
        return result;
    }
    if (const StoreResult saved = SaveBytes(localPath, answer.body); !saved) {
        result.error = saved.error;
        progress.End();
        return result;
    }
    result.ok = true;
    result.path = localPath;
    result.bytes = answer.body.size();
    progress.End();
    return result;
}

} // namespace slip
