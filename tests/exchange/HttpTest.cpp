#include "ExchangeTestSupport.h"

#include "exchange/Http.h"

#include <QRegularExpression>
#include <QTimer>

using namespace slip;
using namespace slip::test;
using namespace std::chrono_literals;

TEST(HttpAddress, TimeIsAddedAsOneMoreQueryParameter)
{
    const QTime t(14, 3, 27);
    EXPECT_EQ(WithTimeQuery("http://h/kvw/fmt.asp", t), "http://h/kvw/fmt.asp?Time=14:03:27");
    EXPECT_EQ(WithTimeQuery("http://h/kvw/fmt.asp?key=a", t), "http://h/kvw/fmt.asp?key=a&Time=14:03:27");
    EXPECT_EQ(WithTimeQuery("http://h/p", QTime(9, 5, 0)), "http://h/p?Time=09:05:00");
}

TEST(HttpAcceptance, MarkCutsAtLastUpperCaseBreakAndTurnsPlusIntoLineBreaks)
{
    QString text;
    EXPECT_TRUE(ApplyAcceptanceMark("a<BR>b<BR>cFinished", "Finished", &text));
    EXPECT_EQ(text, "a<BR>b");
    EXPECT_TRUE(ApplyAcceptanceMark("a<br>b Finished", "Finished", &text));
    EXPECT_EQ(text, "a<br>b Finished") << "a lower-case <br> is no cut point";
    EXPECT_TRUE(ApplyAcceptanceMark("x<+>y Finished", "Finished", &text));
    EXPECT_EQ(text, "x\r\ny Finished");
    EXPECT_FALSE(ApplyAcceptanceMark("x<BR>y finished", "Finished", &text));
    EXPECT_EQ(text, "x<BR>y finished") << "without the mark the whole body is kept";
}

TEST(ServerPaths, OnlyPlainPathsOnTheConfiguredServerPass)
{
    for (const char* good : {"/kvw/fmt.asp?key=进账单", "/fmt/工行 进账单.tvq", "/a.jpg", "/a/b/c.tvq",
                             "/down.asp?id=5&f=a/b"})
        EXPECT_TRUE(IsServerPath(QString::fromUtf8(good))) << good;
    for (const char* bad : {"", "/", "x.tvq", "//evil/x.tvq", "/\\evil/x", "@evil/x", "C:\\x", "C:/x",
                            "\\\\evil\\x", "/../../DATA.mdb", "/a/../b", "/./a", "/a/..%2F..%2FDATA.mdb",
                            "/a/%2e%2e/b", "/a%5Cb", "/a\\b", "/a\nb", "http://evil/x"})
        EXPECT_FALSE(IsServerPath(QString::fromUtf8(bad))) << bad;
}

TEST(ServerAddressSetting, MissingOrBrokenAddressIsRefused)
{
    TestHome home;
    EXPECT_EQ(ServerBase().error, NoServerAddressError());
    EXPECT_EQ(ServerFileUrl("/a.tvq").error, NoServerAddressError());
    for (const char* bad : {"ftp://h", "h", "http://", "http://u:p@h", "http://h/?q=1", "file:///etc"}) {
        const ServerUrl u = CheckServerAddress(bad);
        EXPECT_FALSE(u.ok) << bad;
        EXPECT_FALSE(u.error.isEmpty());
    }
    ASSERT_TRUE(SetServerAddress(" https://h.example:8443/mirror/ "));
    const ServerUrl u = ServerFileUrl("/kvw/fmt.asp?key=进账单");
    ASSERT_TRUE(u.ok) << u.error.toStdString();
    EXPECT_EQ(u.url.host(), "h.example");
    EXPECT_EQ(u.url.port(), 8443);
    EXPECT_EQ(u.url.path(), "/mirror/kvw/fmt.asp");
    EXPECT_EQ(u.url.query(QUrl::FullyDecoded), QStringLiteral("key=进账单"));
    EXPECT_FALSE(ServerFileUrl("//evil/x.tvq").ok);
    EXPECT_FALSE(ServerFileUrl("@evil/x").ok);
}

using HttpText = ServerTest;
using HttpDownload = ServerTest;

TEST_F(HttpText, AcceptedPageIsDecodedCutAndCarriesTheTime)
{
    server.setRoute("/kvw/fmt.asp",
                    {200, Encoded("GBK", QStringLiteral("工行|进账单<+>第二行<br>Finished<BR>尾巴"))});
    const HttpTextResult r = HttpGetTextRetry("/kvw/fmt.asp?key=进账单", "Finished", kAnswerTimeout);
    ASSERT_TRUE(r.ok) << r.detail.toStdString();
    EXPECT_EQ(r.error, QString());
    EXPECT_EQ(r.text, QStringLiteral("工行|进账单\r\n第二行<br>Finished"));
    EXPECT_EQ(r.attempts, 1);
    ASSERT_EQ(server.requests().size(), 1);
    const QString target = QUrl::fromPercentEncoding(server.requests().first().toLatin1());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^/kvw/fmt\\.asp\\?key=进账单&Time=\\d\\d:\\d\\d:\\d\\d$"))
                    .match(target).hasMatch())
        << target.toStdString();
    // A GBK page whose bytes happen to be valid UTF-8 too is still GBK.
    server.setRoute("/kvw/fmt.asp", {200, Encoded("GBK", QStringLiteral("录 Finished"))});
    EXPECT_EQ(HttpGetText("/kvw/fmt.asp", "Finished", kAnswerTimeout).text, QStringLiteral("录 Finished"));
}

TEST_F(HttpText, ErrorPageSlowOrHugeAnswerIsRefusedAndRetriedFiveTimes)
{
    server.setRoute("/p", {404, "Finished but not found"});
    const HttpTextResult r = HttpGetTextRetry("/p", "Finished", kAnswerTimeout);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, QStringLiteral("网络错误！"));
    EXPECT_EQ(r.status, 404);
    EXPECT_EQ(r.attempts, 5);
    EXPECT_EQ(server.hits("/p"), 5);
    // Other statuses, an answer too slow or too big: refused as well.
    struct Refused {
        HttpRoute answer;
        std::chrono::milliseconds timeout;
    };
    for (const Refused& c : {Refused{{300, "Finished"}, kAnswerTimeout}, {{304, "Finished"}, kAnswerTimeout},
                             {{500, "Finished"}, kAnswerTimeout},
                             {{200, "Finished", "text/html", kSilentServerDelay}, kShortTimeout},
                             {{200, {}, "text/html", 0ms, kMaxResponseBytes + 10}, kAnswerTimeout}}) {
        server.setRoute("/q", c.answer);
        EXPECT_FALSE(HttpGetText("/q", "Finished", c.timeout).ok) << c.answer.status;
    }
}

TEST_F(HttpText, EveryRequestSaysItsContentTypeIsXml)
{
    server.setRoute("/p", {200, "Finished"});
    ASSERT_TRUE(HttpGetText("/p", "Finished", kAnswerTimeout).ok);
    ASSERT_TRUE(HttpDownloadFile("/p", Temp("p.tvq"), kAnswerTimeout, progress).ok);
    ASSERT_EQ(server.requests().size(), 2);
    for (int i : {0, 1}) EXPECT_EQ(server.requestHeader(i, "content-type"), QByteArray("text/xml")) << i;
}

TEST_F(HttpDownload, FileIsWrittenWholeAndReplacesTheOldOne)
{
    QByteArray body;
    for (int i = 0; i < 200000; ++i) body += char(i * 7);
    server.setRoute("/f.jpg", {200, body, "image/jpeg"});
    const QString local = Temp("f.jpg");
    ASSERT_TRUE(WriteBytes(local, "older"));
    const HttpFileResult r = HttpDownloadFile("/f.jpg", local, kAnswerTimeout, progress);
    ASSERT_TRUE(r.ok) << r.detail.toStdString();
    EXPECT_EQ(r.path, local);
    EXPECT_EQ(r.bytes, body.size());
    EXPECT_EQ(FileBytes(local), body);
    EXPECT_FALSE(QFileInfo::exists(local + ".TMP"));
    EXPECT_EQ(progress.starts, 1);
    EXPECT_EQ(progress.ends, 1);
    EXPECT_EQ(progress.titles.value(0), QStringLiteral("正在下载..."));
    EXPECT_EQ(progress.stepped, 100) << "the size was announced, so the percentage reaches 100";
}

TEST_F(HttpDownload, ErrorPageTimeoutAndHugeBodyNeverTouchTheOldFile)
{
    server.setRoute("/missing.tvq", {404, "<html>404</html>"});
    server.setRoute("/slow.tvq", {200, "late", "text/plain", kSilentServerDelay});
    server.setRoute("/huge.tvq", {200, {}, "text/plain", 0ms, kMaxResponseBytes + 1});
    server.setRoute("/empty.tvq", {200, ""});
    const QString local = Temp("x.tvq");
    ASSERT_TRUE(WriteBytes(local, "older"));
    for (const char* path : {"/missing.tvq", "/slow.tvq", "/huge.tvq", "/empty.tvq"}) {
        const auto timeout = QByteArray(path) == "/slow.tvq" ? kShortTimeout : kAnswerTimeout;
        RecordingProgress progress;
        const HttpFileResult r = HttpDownloadFile(path, local, timeout, progress);
        EXPECT_FALSE(r.ok) << path;
        EXPECT_TRUE(r.path.isEmpty()) << path;
        EXPECT_EQ(FileBytes(local), QByteArray("older")) << path;
        EXPECT_EQ(progress.starts, progress.ends) << path;
        const HttpFileResult fresh = HttpDownloadFile(path, Temp("new.tvq"), timeout, progress);
        EXPECT_FALSE(fresh.ok);
        EXPECT_FALSE(QFileInfo::exists(Temp("new.tvq"))) << path << ": a refused body is never saved";
    }
    EXPECT_EQ(QDir(Temp()).entryList(QDir::Files), QStringList{"x.tvq"});
}

TEST_F(HttpDownload, RefusedBodyOrUnwritableTargetIsAFailure)
{
    server.setRoute("/f.tvq", {200, "content"});
    EXPECT_FALSE(HttpDownloadFile("/f.tvq", Temp("p.jpg"), kAnswerTimeout, progress, {},
                                  [](const QByteArray& b) { return b.startsWith("\xFF\xD8"); }).ok);
    EXPECT_FALSE(QFileInfo::exists(Temp("p.jpg")));
    for (const QString& target : {QStringLiteral("/proc/slipprint-test.tvq"), Temp("missing/f.tvq")}) {
        const HttpFileResult r = HttpDownloadFile("/f.tvq", target, kAnswerTimeout, progress);
        EXPECT_FALSE(r.ok) << target.toStdString();
        EXPECT_FALSE(r.error.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(target));
    }
    EXPECT_EQ(progress.starts, progress.ends);
}

TEST_F(HttpDownload, CancelStopsTheWait)
{
    // Silent far beyond the time-out: only the cancel can end the wait with "已取消".
    server.setRoute("/slow.tvq", {200, "late", "text/plain", kSilentServerDelay * 10});
    bool closed = false;
    QTimer::singleShot(150, [&] { closed = true; });
    const HttpFileResult r =
        HttpDownloadFile("/slow.tvq", Temp("slow.tvq"), kSilentServerDelay, progress, [&] { return closed; });
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.detail, QStringLiteral("已取消"));
    EXPECT_FALSE(QFileInfo::exists(Temp("slow.tvq")));
    EXPECT_EQ(progress.ends, 1);
}
