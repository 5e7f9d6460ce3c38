#pragma once
#include "core/ProgressReporter.h"

#include <QByteArray>
#include <QString>
#include <QTime>
#include <QUrl>
#include <chrono>
#include <functional>

namespace slip {

// The program's one road to the network: plain GETs to the configured server
// (Server.h), each saying "CONTENT-TYPE: text/xml", each waited for in a local event loop so the windows stay
// usable meanwhile. Nothing guards against a second operation started from a
// window during the wait; the windows disable their commands if they need to.
//
// Only a complete 2xx answer is accepted: an error page is never taken for
// the text or saved as the file. A body over the limit, a timeout, an answer
// from another host (redirects are followed only on the same server) and a
// file that can't be written are failures.

inline constexpr qint64 kMaxResponseBytes = 20 * 1024 * 1024;

QString NetworkErrorText();   // "网络错误！"

// Polled while a request waits; true cancels it (the window's progress window
// was closed).
using CancelCheck = std::function<bool()>;

// Looks at a complete body before it is saved; false refuses it.
using BodyCheck = std::function<bool(const QByteArray&)>;

// The address with "Time=" and the time of day (hh:mm:ss) added as one more
// query parameter, so no cache between us and the server answers instead.
QString WithTimeQuery(const QString& url, const QTime& time);

// A page's text after the acceptance checks: true when it holds `mark`
// (case counts); then *text is the body up to the last "<BR>" (upper case; all
// of it without one) with every "<+>" turned into CR LF. Without the mark,
// false and *text is the whole body.
bool ApplyAcceptanceMark(const QString& body, const QString& mark, QString* text);

struct HttpTextResult {
    bool ok = false;
    QString text;      // the accepted text; on failure the last body received, if any
    QString error;     // NetworkErrorText(), or the server-address error
    QString detail;    // why, for a log or a second line: "HTTP 404", "超时" ...
    int status = 0;    // HTTP status of the last answer, 0 when none came
    int attempts = 0;  // requests sent
};

// Fetches `serverPath` (e.g. "/kvw/fmt.asp?key=进账单") from the configured
// server and accepts the body, decoded by DecodeText, when the answer is 2xx
// and holds `mark` (see ApplyAcceptanceMark).
HttpTextResult HttpGetText(const QString& serverPath, const QString& mark,
                           std::chrono::milliseconds timeout);

// HttpGetText up to `attempts` times until one is accepted. A missing or
// invalid server address or path is not retried.
HttpTextResult HttpGetTextRetry(const QString& serverPath, const QString& mark,
                                std::chrono::milliseconds timeout, int attempts = 5);

struct HttpFileResult {
    bool ok = false;
    QString path;      // the file written
    QString error;
    QString detail;
    int status = 0;
    qint64 bytes = 0;
    bool cancelled = false;   // the cancel check stopped it
};

// Downloads `serverPath` into localPath, replacing a file there only once the
// whole body is in (SaveBytes). An empty
// body, an error answer, a timeout or a cancel leaves any older file as it
// was and answers !ok; so does a body that `accept` refuses. Progress:
// "正在下载..." in percent when the size is known; the reporter is ended on
// every way out.
HttpFileResult HttpDownloadFile(const QString& serverPath, const QString& localPath,
                                std::chrono::milliseconds timeout, ProgressReporter& progress,
                                const CancelCheck& cancelled = {}, const BodyCheck& accept = {});

} // namespace slip
