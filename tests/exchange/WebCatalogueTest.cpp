#include "ExchangeTestSupport.h"
#include "TicksWhile.h"

#include "exchange/LocalNames.h"
#include "exchange/TextFile.h"
#include "exchange/WebCatalogue.h"


using namespace slip;
using namespace slip::test;
using namespace std::chrono_literals;

namespace {

const QByteArray kJpeg = QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(2000, 'j');

QByteArray ExchangeFile(const QString& name)
{
    return Encoded("GBK", QStringLiteral("<Tamberlow格式专用>\r\n进账单_") + name +
                              QStringLiteral("\r\n1】★【0】★【户名"));
}

// The catalogue page as the server sends it: records, then "Finished" and a final "<BR>".
QByteArray Page(const QStringList& lines, const QString& tail = QStringLiteral("Finished<BR>"))
{
    QString text;
    for (const QString& l : lines) text += l + QStringLiteral("<br>");
    return Encoded("GBK", text + tail);
}

const QStringList kGoodLines = {
    QStringLiteral("银行|工行进账单|/fmt/gh.tvq|/pic/gh.jpg|2023-05-06"),
    QStringLiteral("\r\n银行| 农行进账单 |/fmt/nh.tvq|/pic/nh.jpg|2023/7/8 10:00:00"),
    QStringLiteral("其他|现金缴款单|/fmt/xj.tvq||不是日期"),
};

const QStringList kHostileLines = {
    QStringLiteral("坏|四个字段|/a.tvq|/b.jpg"),
    QStringLiteral("坏|六|/a.tvq|/b.jpg|2023-01-01|多"),
    QStringLiteral("恶意|越界|/../../DATA.mdb|/p.jpg|2023-01-01"),
    QStringLiteral("恶意|别的主机|//evil/x.tvq|/p.jpg|2023-01-01"),
    QStringLiteral("恶意|at|@evil/x|/p.jpg|2023-01-01"),
    QStringLiteral("恶意|盘符|C:\\x|/p.jpg|2023-01-01"),
    QStringLiteral("恶意|编码|/a/..%2F..%2FDATA.mdb|/p.jpg|2023-01-01"),
    QStringLiteral("恶意|图片越界|/ok.tvq|/../DATA.mdb|2023-01-01"),
    QStringLiteral("恶意||/ok.tvq|/p.jpg|2023-01-01"),
};

QStringList Names(const QVector<WebFormatRecord>& rows)
{
    QStringList out;
    for (const auto& r : rows) out << r.name;
    return out;
}

WebFormatRecord Entry(const QString& name, const QString& fPath, const QString& pPath = {})
{
    WebFormatRecord e;
    e.clas = QStringLiteral("银行");
    e.name = name;
    e.fPath = fPath;
    e.pPath = pPath;
    return e;
}

} // namespace

TEST(CatalogueList, RecordLinesAreTakenUpToTheLastBreakAndBadOnesSkipped)
{
    QString text;
    for (const QString& l : kGoodLines + kHostileLines) text += l + QStringLiteral("<br>");
    text += QStringLiteral("尾|被丢弃|/t.tvq|/t.jpg|2023-01-01Finished");
    const WebFormatList list = ParseWebFormatList(text);
    ASSERT_TRUE(list.recognised);
    EXPECT_EQ(Names(list.records), (QStringList{"工行进账单", "农行进账单", "现金缴款单"}));
    EXPECT_EQ(list.skipped, kHostileLines.size());
    EXPECT_EQ(list.records[1].clas, QStringLiteral("银行")) << "line breaks around fields are trimmed";
    EXPECT_EQ(list.records[0].date, QDate(2023, 5, 6));
    EXPECT_EQ(list.records[1].date, QDate(2023, 7, 8));
    EXPECT_FALSE(list.records[2].date.isValid());
    EXPECT_TRUE(list.records[2].pPath.isEmpty());
    EXPECT_EQ(list.records[0].fPath, QStringLiteral("/fmt/gh.tvq"));
    // Record lines that are all refused: not a list.
    EXPECT_FALSE(ParseWebFormatList(kHostileLines.join(QStringLiteral("<br>")) + QStringLiteral("<br>x")).recognised);
    // No record line at all, whatever else the answer holds: a catalogue without entries.
    for (const char* empty : {"Finished", " Finished\r\n", "<br>Finished", "<html>Finished</html>",
                              "a|b|/c|/d|2023-1-1<BR>x Finished"}) {
        const WebFormatList none = ParseWebFormatList(QString::fromUtf8(empty));
        EXPECT_TRUE(none.recognised) << empty;
        EXPECT_TRUE(none.records.isEmpty());
    }
}

using Catalogue = ServerTest;

TEST_F(Catalogue, GoodListReplacesTheTableInOrder)
{
    ASSERT_TRUE(ReplaceWebFormats({Entry(QStringLiteral("旧的"), QStringLiteral("/old.tvq"))}));
    server.setRoute("/kvw/fmt.asp", {200, Page(kGoodLines + kHostileLines)});
    const CatalogueRefresh r = DownWebFmt(kAnswerTimeout, 1);
    ASSERT_TRUE(r.ok) << r.error.toStdString() << r.detail.toStdString();
    EXPECT_EQ(r.stored, 3);
    EXPECT_EQ(r.skipped, kHostileLines.size());
    const QVector<WebFormatRecord> rows = LoadWebFmtList();
    EXPECT_EQ(Names(rows), (QStringList{"现金缴款单", "农行进账单", "工行进账单"}));
    EXPECT_EQ(rows[2].date, QDate(2023, 5, 6));
    EXPECT_FALSE(rows[0].date.isValid());
    EXPECT_EQ(server.hits("/kvw/fmt.asp"), 1);
    EXPECT_TRUE(QUrl::fromPercentEncoding(server.requests().first().toLatin1())
                    .startsWith(QStringLiteral("/kvw/fmt.asp?key=进账单&Time=")));
}

TEST_F(Catalogue, FailedOrUnusableListLeavesTheTableAsItWas)
{
    ASSERT_TRUE(ReplaceWebFormats({Entry(QStringLiteral("旧的"), QStringLiteral("/old.tvq"))}));
    const QList<HttpRoute> answers = {
        {404, Page(kGoodLines)},                                    // an error page, mark and all
        {200, Page(kHostileLines)},                                 // nothing usable
    };
    for (const HttpRoute& answer : answers) {
        server.setRoute("/kvw/fmt.asp", answer);
        const CatalogueRefresh r = DownWebFmt(kAnswerTimeout, 1);
        EXPECT_FALSE(r.ok) << answer.status;
        EXPECT_FALSE(r.error.isEmpty());
        EXPECT_EQ(Names(LoadWebFmtList()), QStringList{"旧的"});
    }
}

TEST_F(Catalogue, AnAnswerWithTheMarkAndNoBreakEmptiesTheTable)
{
    const QByteArray answers[] = {"Finished", "<html><body>Finished</body></html>",
                                  QByteArray("\x00\xFF\xFE garbage Finished", 20)};
    for (const QByteArray& answer : answers) {
        ASSERT_TRUE(ReplaceWebFormats({Entry(QStringLiteral("旧的"), QStringLiteral("/old.tvq"))}));
        server.setRoute("/kvw/fmt.asp", {200, answer});
        const CatalogueRefresh r = DownWebFmt(kAnswerTimeout, 1);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(r.stored, 0);
        EXPECT_TRUE(LoadWebFmtList().isEmpty()) << answer.toHex().toStdString();
    }
}

TEST_F(Catalogue, AHugeListIsStoredBesideTheWindowsThread)
{
    QStringList lines;
    for (int i = 0; i < 200000; ++i) lines << QStringLiteral("银行|格式%1|/fmt/%1.tvq||2023-05-06").arg(i);
    server.setRoute("/kvw/fmt.asp", {200, Page(lines)});
    // While the new list is being written (the database's rollback journal
    // stands beside it), a timer of this thread keeps firing.
    CatalogueRefresh r;
    const int ticksWhileStoring = TicksWhileFileExists(DatabasePath() + QStringLiteral("-journal"),
                                                       [&] { r = DownWebFmt(kAnswerTimeout, 1); });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.stored, 200000);
    EXPECT_GE(ticksWhileStoring, 3);
}

TEST(CatalogueFind, NextMatchWrapsAndTriesTheCurrentRowLast)
{
    QVector<WebFormatRecord> rows = {Entry("工行A", "/a"), Entry("农行", "/b"), Entry("工行B", "/c")};
    rows[1].clas = QStringLiteral("其他");
    EXPECT_EQ(FindFmt(rows, QStringLiteral("工行"), 0), 2);
    EXPECT_EQ(FindFmt(rows, QStringLiteral("工行"), 2), 0) << "from the last row on to the first";
    EXPECT_EQ(FindFmt(rows, QStringLiteral("农"), 1), 1) << "the current row itself, last";
    EXPECT_EQ(FindFmt(rows, QStringLiteral("其他"), 0), 1) << "category";
    EXPECT_EQ(FindFmt(rows, QStringLiteral("a"), 0), -1) << "case counts";
    EXPECT_EQ(FindFmt(rows, QString(), 0), -1);
}

using CatalogueDownload = ServerTest;

TEST_F(CatalogueDownload, PreviewPictureIsDownloadedOnceThenTakenFromTemp)
{
    server.setRoute("/pic/gh.jpg", {200, kJpeg, "image/jpeg"});
    const WebFormatRecord e = Entry("工行", "/fmt/gh.tvq", "/pic/gh.jpg");
    WebDownload d = DownloadPreviewPicture(e, progress, kAnswerTimeout);
    ASSERT_TRUE(d.ok) << d.error.toStdString();
    EXPECT_EQ(d.path, Temp("gh.jpg"));
    EXPECT_EQ(FileBytes(d.path), kJpeg);
    EXPECT_FALSE(d.fromCache);
    d = DownloadPreviewPicture(e, progress, kAnswerTimeout);
    EXPECT_TRUE(d.ok);
    EXPECT_TRUE(d.fromCache);
    EXPECT_EQ(server.hits("/pic/gh.jpg"), 1);
}

TEST(CatalogueDownloadNames, PreviewNamesAreCheckedAndMadeFileSafe)
{
    TestHome home;
    auto Temp = [](const QString& name) { return DataFile(QStringLiteral("Temp/") + name); };
    EXPECT_EQ(PreviewPicturePath(Entry("x", "/x.tvq", "/pic/a%3Ab.jpg")), Temp("a6b.jpg"));
    EXPECT_EQ(PreviewPicturePath(Entry("x", "/x.tvq", "/pic.asp?id=3")), Temp("pic.asp1id=3"));
    for (const char* bad : {"/pic/%2e%2e", "/pic/..", "/a/..%2F..%2FDATA.mdb", "/p.asp?f=..%2F..%2FDATA.mdb",
                            "//evil/x.jpg", "@evil/x.jpg", "C:\\x.jpg", "/pic/", "/p%5C..%5CDATA.mdb"})
        EXPECT_TRUE(PreviewPicturePath(Entry("x", "/x.tvq", bad)).isEmpty()) << bad;
}

TEST_F(CatalogueDownload, EntryIsDownloadedBesideItsPictureForTheImport)
{
    server.setRoute("/fmt/gh.tvq", {200, ExchangeFile(QStringLiteral("工行"))});
    server.setRoute("/pic/gh.jpg", {200, kJpeg, "image/jpeg"});
    const WebFormatDownload d =
        DownloadWebFormat(Entry(QStringLiteral("工行.jpg版"), "/fmt/gh.tvq", "/pic/gh.jpg"), progress, kAnswerTimeout);
    ASSERT_TRUE(d.ok) << d.error.toStdString();
    // A ".jpg" inside the name stays, so the picture lies beside the template.
    EXPECT_EQ(d.templatePath, Temp(QStringLiteral("工行.jpg版.tvq")));
    EXPECT_EQ(d.picturePath, Temp(QStringLiteral("工行.jpg版.jpg")));
    EXPECT_EQ(ReadTextFile(d.templatePath, false).text,
              QStringLiteral("<Tamberlow格式专用>\r\n进账单_工行\r\n1】★【0】★【户名"));
    EXPECT_EQ(FileBytes(d.picturePath), kJpeg);
    EXPECT_EQ(progress.starts, progress.ends);
}

TEST_F(CatalogueDownload, FailedTemplateDownloadHandsNothingOnNotEvenAnOlderFile)
{
    const QString older = Temp(QStringLiteral("工行.tvq"));
    ASSERT_TRUE(WriteBytes(older, ExchangeFile("older")));
    server.setRoute("/fmt/page.tvq", {200, "<html>maintenance</html>"});
    server.setRoute("/fmt/slow.tvq", {200, ExchangeFile("x"), "text/plain", kSilentServerDelay});
    // The operator stops a download once the server holds its request.
    const auto stopped = [this] { return server.hits("/fmt/slow.tvq") > 0; };
    const struct { const char* path; std::chrono::milliseconds timeout; CancelCheck cancelled; QString error; } cases[] = {
        {"/fmt/missing.tvq", kAnswerTimeout, {}, {}},
        {"/fmt/page.tvq", kAnswerTimeout, {}, {}},
        {"/fmt/slow.tvq", kShortTimeout, {}, {}},
        // Stopped: what the import says of a template it can't open. An empty error: any.
        {"/fmt/slow.tvq", kAnswerTimeout, stopped, QStringLiteral("无法打开下载文档：\r\n") + QDir::toNativeSeparators(older)},
    };
    for (const auto& c : cases) {
        const WebFormatDownload d =
            DownloadWebFormat(Entry(QStringLiteral("工行"), c.path, "/pic/a.jpg"), progress, c.timeout, c.cancelled);
        EXPECT_FALSE(d.ok) << c.path;
        EXPECT_TRUE(d.templatePath.isEmpty()) << c.path;
        EXPECT_FALSE(d.error.isEmpty());
        if (!c.error.isEmpty()) EXPECT_EQ(d.error, c.error);
        EXPECT_EQ(FileBytes(older), ExchangeFile("older"));
    }
    EXPECT_EQ(server.hits("/pic/a.jpg"), 0) << "no picture is fetched for a template that failed";
}

TEST_F(CatalogueDownload, MissingPictureIsNoFailureButAnOlderPictureIsNotTakenForIt)
{
    const QString stale = Temp(QStringLiteral("工行.jpg"));
    server.setRoute("/fmt/gh.tvq", {200, ExchangeFile("gh")});
    // The picture never comes within the test: only the cancel ends the wait.
    server.setRoute("/pic/slow.jpg", {200, kJpeg, "image/jpeg", kSilentServerDelay});
    // The operator stops it once the template is in and the picture is awaited.
    const auto stopped = [this] { return server.hits("/pic/slow.jpg") > 0; };
    const struct { const char* pPath; CancelCheck cancelled; } cases[] = {{"/pic/missing.jpg", {}}, {"/pic/slow.jpg", stopped}};
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteBytes(stale, kJpeg));
        const WebFormatDownload d =
            DownloadWebFormat(Entry(QStringLiteral("工行"), "/fmt/gh.tvq", c.pPath), progress, kAnswerTimeout, c.cancelled);
        ASSERT_TRUE(d.ok) << c.pPath;
        EXPECT_EQ(d.templatePath, Temp(QStringLiteral("工行.tvq")));
        EXPECT_TRUE(d.picturePath.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(stale)) << c.pPath;
    }
}

TEST_F(CatalogueDownload, HostileEntriesNeverWriteOutsideTemp)
{
    const QStringList before = OutsideTemp(DataFolder());
    const QByteArray database = FileHash(DatabasePath());
    server.setRoute("/fmt/ok.tvq", {200, ExchangeFile("ok")});
    server.setRoute("/pic/ok.jpg", {200, kJpeg});
    for (const QString& p : {"/../../DATA.mdb", "//evil/x.tvq", "/a/..%2F..%2FDATA.mdb", "C:\\x"}) {
        EXPECT_FALSE(DownloadWebFormat(Entry(QStringLiteral("工行"), p, "/pic/ok.jpg"), progress, kAnswerTimeout).ok) << p.toStdString();
        EXPECT_FALSE(DownloadWebFormat(Entry(QStringLiteral("工行"), "/fmt/ok.tvq", p), progress, kAnswerTimeout).ok);
    }
    EXPECT_TRUE(server.requests().isEmpty()) << "refused unsent";
    // Names that look like paths become plain file names inside Temp.
    for (const QString& name : {"../../DATA", "..", "/etc/passwd", "\\\\evil\\share", "DATA.mdb", "x\r\ny"})
        ASSERT_TRUE(DownloadWebFormat(Entry(name, "/fmt/ok.tvq", "/pic/ok.jpg"), progress, kAnswerTimeout).ok) << name.toStdString();
    EXPECT_FALSE(DownloadWebFormat(Entry(QString(300, QChar(u'长')), "/fmt/ok.tvq"), progress, kAnswerTimeout).ok);
    EXPECT_EQ(OutsideTemp(DataFolder()), before);
    EXPECT_EQ(FileHash(DatabasePath()), database);
}

TEST_F(CatalogueDownload, TempThatIsALinkElsewhereIsNotUsed)
{
    const QString elsewhere = home.file("elsewhere");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QDir(Temp()).removeRecursively());
    ASSERT_TRUE(QFile::link(elsewhere, Temp()));
    server.setRoute("/fmt/ok.tvq", {200, ExchangeFile("ok")});
    server.setRoute("/pic/ok.jpg", {200, kJpeg});
    const WebFormatDownload d = DownloadWebFormat(Entry("ok", "/fmt/ok.tvq", "/pic/ok.jpg"), progress, kAnswerTimeout);
    EXPECT_FALSE(d.ok);
    EXPECT_FALSE(d.error.isEmpty());
    EXPECT_FALSE(DownloadPreviewPicture(Entry("ok", "/fmt/ok.tvq", "/pic/ok.jpg"), progress, kAnswerTimeout).ok);
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST(LocalNames, FileSafeNamesAndPlainNames)
{
    EXPECT_EQ(FileSafeName(QStringLiteral("a*b?c<d>e/f\\g:h|i\"j")), QStringLiteral("a0b1c2d3e4f5g6h7i8j"));
    EXPECT_EQ(FileSafeName(QStringLiteral("x\ny")), QStringLiteral("x_y"));
    EXPECT_EQ(FileSafeName(".."), "..");
    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "C:x", "a\tb", "a*b"})
        EXPECT_FALSE(IsPlainFileName(QString::fromUtf8(bad))) << bad;
    EXPECT_TRUE(IsPlainFileName(QStringLiteral("...tvq")));
    EXPECT_TRUE(IsPlainFileName(QStringLiteral("工行 进账单.tvq")));
    EXPECT_TRUE(PathInside("/tmp/x", "..").isEmpty());
    EXPECT_EQ(PathInside("/tmp/x", "a.tvq"), "/tmp/x/a.tvq");
    EXPECT_TRUE(PathInside("", "a.tvq").isEmpty());
}
