#include "ExchangeTestSupport.h"

#include "exchange/Http.h"
#include "exchange/UpdateCheck.h"
#include "storage/Database.h"

#include <QFileInfo>

using namespace slip;
using namespace slip::test;
using namespace std::chrono_literals;

namespace {

QByteArray UpdatePage(const QString& title)
{
    return Encoded("GBK", QStringLiteral("<html><head><title>") + title +
                              QStringLiteral("</title></head><body>下载 (9.99)</body></html>"));
}

} // namespace

// --- Reading versions ----------------------------------------------------------

TEST(UpdateVersion, VersionIsTheNumberAfterTheFirstParenthesisOfTheTitle)
{
    EXPECT_EQ(VersionFromPage("<title>单据套打系统(3.10)</title>"), "3.10");
    EXPECT_EQ(VersionFromPage("<title>套打 ( 4.2 版)</title>"), "4.2");
    EXPECT_EQ(VersionFromPage("<title>a (3.5.1)</title>"), "3.5");
    EXPECT_EQ(VersionFromPage("x (1.0) <title>a (3) b (4)</title>"), "3");
    EXPECT_EQ(VersionFromPage("<title>套打(V3.1)</title>"), "") << "a letter first gives no version";
    EXPECT_EQ(VersionFromPage("<title>套打</title><p>(5.0)</p>"), "") << "only the title counts";
    EXPECT_EQ(VersionFromPage("<title>套打(5.0)"), "") << "an unfinished title is not read";
    EXPECT_EQ(VersionFromPage("<TITLE>套打(5.0)</TITLE>"), "");
    EXPECT_EQ(VersionFromPage(""), "");
}

TEST(UpdateVersion, VersionsCompareAsNumbers)
{
    EXPECT_TRUE(IsNewerVersion("3.1", "3.00"));
    EXPECT_TRUE(IsNewerVersion("10", "3.00"));
    EXPECT_FALSE(IsNewerVersion("3.10", "3.1"));
    EXPECT_FALSE(IsNewerVersion("3.0", "3.00"));
    EXPECT_FALSE(IsNewerVersion("2.99", "3.00"));
    EXPECT_FALSE(IsNewerVersion("4", ""));
    EXPECT_FALSE(IsNewerVersion("", "3.00"));
    EXPECT_EQ(LeadingVersionText("  3.00 版"), "3.00");
    EXPECT_EQ(LeadingVersionText(".5"), "");
    EXPECT_EQ(LeadingVersionText("7."), "7");
    EXPECT_DOUBLE_EQ(VersionValue("3.00"), 3.0);
    EXPECT_EQ(UpdatePageServerPath(17), "/calbrenno/downpage/Pro.asp?ID=17");
}

// --- Backups -------------------------------------------------------------------

TEST(DatabaseBackups, FirstFreeNumberIsTakenAndNoBackupIsOverwritten)
{
    TestHome home;
    ASSERT_TRUE(ExecuteSql("INSERT INTO 参数(Var, Con) VALUES('x', '账')"));
    DatabaseBackup b = MakeDatabaseBackup();
    ASSERT_TRUE(b.ok) << b.error.toStdString();
    EXPECT_EQ(b.path, DataFile("BAK_data000.DAT"));
    EXPECT_EQ(FileBytes(b.path), FileBytes(DatabasePath()));
    ASSERT_TRUE(WriteBytes(DataFile("BAK_data001.DAT"), "someone's"));
    b = MakeDatabaseBackup();
    EXPECT_EQ(b.path, DataFile("BAK_data002.DAT"));
    EXPECT_EQ(FileBytes(DataFile("BAK_data001.DAT")), QByteArray("someone's"));
    QFile::remove(DataFile("BAK_data000.DAT"));
    EXPECT_EQ(MakeDatabaseBackup().path, DataFile("BAK_data000.DAT")) << "a gap is filled";
    EXPECT_TRUE(QDir(DataFolder()).entryList({"*.TMP"}).isEmpty());
}

TEST(DatabaseBackups, BackupIsAWorkingDatabase)
{
    TestHome home;
    ASSERT_TRUE(ExecuteSql("INSERT INTO 参数(Var, Con) VALUES('x', '账')"));
    const DatabaseBackup b = MakeDatabaseBackup();
    ASSERT_TRUE(b.ok);
    // Open the backup in place of the database.
    ASSERT_TRUE(QFile::rename(DatabasePath(), DataFile("current")));
    ASSERT_TRUE(QFile::copy(b.path, DatabasePath()));
    EXPECT_EQ(OpenRecordset("SELECT Con FROM 参数 WHERE Var='x'").text(0, "Con"), QStringLiteral("账"));
}

TEST(DatabaseBackups, FailedCopyIsReportedAndLeavesNoBackup)
{
    TestHome home;
    // A folder in the temporary file's place: the copy can't be written.
    ASSERT_TRUE(QDir(DataFolder()).mkpath("BAK_data000.DAT.TMP/keep"));
    DatabaseBackup b = MakeDatabaseBackup();
    EXPECT_FALSE(b.ok);
    EXPECT_TRUE(b.error.startsWith(QStringLiteral("数据库备份失败"))) << b.error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(DataFile("BAK_data000.DAT")));

    QFile::remove(DatabasePath());
    b = MakeDatabaseBackup();
    EXPECT_FALSE(b.ok);
    EXPECT_FALSE(b.error.isEmpty());
}

// --- The check against the local server ---------------------------------------------

class UpdateCheck : public ServerTest {
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        // An updater beside the program that leaves a mark if anything runs it.
        marker = DataFile("updater-ran");
        ASSERT_TRUE(WriteBytes(DataFile("update.exe"), ("#!/bin/sh\ntouch '" + marker + "'\n").toUtf8()));
        QFile::setPermissions(DataFile("update.exe"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        children = ChildProcessCount();
    }
    void Announce(const QByteArray& page, int status = 200)
    {
        server.setRoute("/calbrenno/downpage/Pro.asp", {status, page});
    }
    QStringList Backups() const { return QDir(DataFolder()).entryList({"BAK_data*"}); }
    void ExpectNothingStarted()
    {
        EXPECT_EQ(ChildProcessCount(), children);
        EXPECT_FALSE(QFileInfo::exists(marker));
    }

    QString marker;
    int children = 0;
};

TEST_F(UpdateCheck, NewerVersionIsAnnouncedWithABackupAndNothingIsStarted)
{
    Announce(UpdatePage(QStringLiteral("单据套打系统 (3.10)")));
    const QByteArray database = FileBytes(DatabasePath());
    const UpdateCheckResult r = CheckNewVersion("3.00", 17, 5s);
    EXPECT_EQ(r.outcome, UpdateOutcome::NewerAvailable);
    EXPECT_EQ(r.serverVersion, "3.10");
    EXPECT_EQ(r.backupPath, DataFile("BAK_data000.DAT"));
    EXPECT_EQ(FileBytes(r.backupPath), database);
    EXPECT_TRUE(r.message.contains("3.10"));
    EXPECT_TRUE(r.message.contains("3.00"));
    EXPECT_TRUE(r.message.contains(QDir::toNativeSeparators(r.backupPath)));
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(server.requests().first().startsWith("/calbrenno/downpage/Pro.asp?ID=17&Time="));
    ExpectNothingStarted();

    ASSERT_TRUE(WriteBytes(DataFile("BAK_data001.DAT"), "x"));
    EXPECT_EQ(CheckNewVersion("3.00", 17, 5s).backupPath, DataFile("BAK_data002.DAT"));
    ExpectNothingStarted();
}

TEST_F(UpdateCheck, SameOrOlderVersionMakesNoBackup)
{
    for (const char* title : {"套打(3.0)", "套打(2.5)", "套打(3.00)"}) {
        Announce(UpdatePage(QString::fromUtf8(title)));
        const UpdateCheckResult r = CheckNewVersion("3.00", 17, 5s);
        EXPECT_EQ(r.outcome, UpdateOutcome::UpToDate) << title;
        EXPECT_TRUE(r.message.isEmpty());
        EXPECT_TRUE(r.backupPath.isEmpty());
    }
    EXPECT_TRUE(Backups().isEmpty());
    ExpectNothingStarted();
}

TEST_F(UpdateCheck, PageWithoutClosingTitleIsNotReadAndIsRetried)
{
    Announce(Encoded("GBK", QStringLiteral("<html><title>套打(9.0)<body>(9.0)</body></html>")));
    const UpdateCheckResult r = CheckNewVersion("3.00", 17, 5s);
    EXPECT_EQ(r.outcome, UpdateOutcome::Failed);
    EXPECT_TRUE(r.serverVersion.isEmpty());
    EXPECT_EQ(server.hits("/calbrenno/downpage/Pro.asp"), 5);
    EXPECT_TRUE(Backups().isEmpty());
    ExpectNothingStarted();
}

TEST_F(UpdateCheck, ErrorPageTimeoutAndGarbageChangeNothing)
{
    const QList<HttpRoute> answers = {
        {404, UpdatePage(QStringLiteral("套打(9.0)"))},
        {200, UpdatePage(QStringLiteral("套打(9.0)")), "text/html", 3000ms},
        {200, UpdatePage(QStringLiteral("套打(V9)"))},
        {200, QByteArray("\x00\xFF</title>", 9)},
        {200, {}, "text/html", 0ms, -1, kMaxResponseBytes + 10},
    };
    for (const HttpRoute& a : answers) {
        server.setRoute("/calbrenno/downpage/Pro.asp", a);
        const UpdateCheckResult r = CheckNewVersion("3.00", 17, 400ms, 1);
        EXPECT_NE(r.outcome, UpdateOutcome::NewerAvailable);
        EXPECT_NE(r.outcome, UpdateOutcome::UpToDate);
        EXPECT_TRUE(r.message.isEmpty());
    }
    EXPECT_TRUE(Backups().isEmpty());
    ExpectNothingStarted();
}

TEST_F(UpdateCheck, ProgramWithoutVersionChecksNothing)
{
    Announce(UpdatePage(QStringLiteral("套打(9.0)")));
    EXPECT_EQ(CheckNewVersion("", 17, 5s).outcome, UpdateOutcome::NoVersion);
    EXPECT_TRUE(Backups().isEmpty());
}

TEST(UpdateCheckNoServer, NoServerNoRequest)
{
    TestHome home;
    const UpdateCheckResult r = CheckNewVersion("3.00", 17, 1s);
    EXPECT_EQ(r.outcome, UpdateOutcome::Failed);
    EXPECT_EQ(r.error, QStringLiteral("未设置服务器地址！"));
}
