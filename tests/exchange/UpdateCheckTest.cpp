#include "ExchangeTestSupport.h"
#include "TestUpdater.h"

#include "exchange/UpdateCheck.h"
#include "storage/Database.h"


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

TEST(UpdateVersion, VersionIsTheNumberAfterTheFirstParenthesisAfterTheTitleTag)
{
    const struct {
        const char* page;
        const char* version;
    } cases[] = {{"<title>单据套打系统(3.10)</title>", "3.10"}, {"<title>套打 ( 4.2 版)</title>", "4.2"},
                 {"<title>a (3.5.1)</title>", "3.5"},        {"x (1.0) <title>a (3) b (4)</title>", "3"},
                 {"<title>x</title>(9.99)", "9.99"},         {"<title>套打</title><p>(5.0)</p>", "5.0"},
                 {"<title>套打(V3.1)</title>", ""},          {"(2.5)", "2.5"},
                 {"<TITLE>套打(5.0)</TITLE>", "5.0"},       {"", ""}};
    for (const auto& c : cases) EXPECT_EQ(VersionFromPage(QString::fromUtf8(c.page)), c.version) << c.page;
    EXPECT_TRUE(IsNewerVersion("3.1", "3.00"));
    EXPECT_TRUE(IsNewerVersion("10", "3.00"));
    for (auto [server, current] : {std::pair{"3.10", "3.1"}, {"3.0", "3.00"}, {"2.99", "3.00"}, {"4", ""}, {"", "3.00"}})
        EXPECT_FALSE(IsNewerVersion(server, current)) << server << " " << current;
    EXPECT_EQ(UpdatePageServerPath(17), "/calbrenno/downpage/Pro.asp?ID=17");
}

TEST(DatabaseBackups, FirstFreeNumberIsTakenAndNoBackupIsOverwritten)
{
    TestHome home;
    ASSERT_TRUE(ExecuteSql("INSERT INTO 参数(Var, Con) VALUES('x', '账')"));
    DatabaseBackup b = MakeDatabaseBackup();
    ASSERT_TRUE(b.ok) << b.error.toStdString();
    EXPECT_EQ(b.path, DataFile("BAK_data000.DAT"));
    EXPECT_EQ(FileBytes(b.path), FileBytes(DatabasePath()));
    EXPECT_EQ(QFile::permissions(b.path) & 0x0FFF, QFile::ReadUser | QFile::WriteUser);
    ASSERT_TRUE(WriteBytes(DataFile("BAK_data001.DAT"), "someone's"));
    b = MakeDatabaseBackup();
    EXPECT_EQ(b.path, DataFile("BAK_data002.DAT"));
    EXPECT_EQ(FileBytes(DataFile("BAK_data001.DAT")), QByteArray("someone's"));
    QFile::remove(DataFile("BAK_data000.DAT"));
    EXPECT_EQ(MakeDatabaseBackup().path, DataFile("BAK_data000.DAT")) << "a gap is filled";
    EXPECT_TRUE(QDir(DataFolder()).entryList({"*.TMP"}).isEmpty());
}

TEST(DatabaseBackups, AFailedCopyIsReportedAndLeavesNoBackup)
{
    TestHome home;
    QFile::remove(DatabasePath());
    const DatabaseBackup b = MakeDatabaseBackup();
    EXPECT_FALSE(b.ok);
    EXPECT_FALSE(b.error.isEmpty());
    EXPECT_TRUE(QDir(DataFolder()).entryList({"BAK_data*"}).isEmpty());
}

class UpdateCheck : public ServerTest {
protected:
    void Announce(const QByteArray& page, int status = 200)
    {
        server.setRoute("/calbrenno/downpage/Pro.asp", {status, page});
    }
    QStringList Backups() const { return QDir(DataFolder()).entryList({"BAK_data*"}); }
};

TEST_F(UpdateCheck, OnlyANewerVersionIsAnnouncedAndBacksTheDatabaseUp)
{
    for (const char* title : {"套打(3.0)", "套打(2.5)"}) {
        Announce(UpdatePage(QString::fromUtf8(title)));
        const UpdateCheckResult r = CheckNewVersion("3.00", 17, kAnswerTimeout);
        EXPECT_EQ(r.outcome, UpdateOutcome::UpToDate) << title;
        EXPECT_TRUE(r.message.isEmpty() && r.backupPath.isEmpty());
    }
    EXPECT_TRUE(Backups().isEmpty());
    Announce(UpdatePage(QStringLiteral("单据套打系统 (3.10)")));
    const QByteArray database = FileBytes(DatabasePath());
    const UpdateCheckResult r = CheckNewVersion("3.00", 17, kAnswerTimeout);
    EXPECT_EQ(r.outcome, UpdateOutcome::NewerAvailable);
    EXPECT_EQ(r.serverVersion, "3.10");
    EXPECT_EQ(FileBytes(r.backupPath), database);
    EXPECT_EQ(r.message, "本软件已升级，启动自动升级...");
    EXPECT_TRUE(server.requests().last().startsWith("/calbrenno/downpage/Pro.asp?ID=17&Time="));
}

TEST_F(UpdateCheck, ErrorPageAndGarbageChangeNothing)
{
    const QList<HttpRoute> answers = {
        {404, UpdatePage(QStringLiteral("套打(9.0)"))},
        {200, UpdatePage(QStringLiteral("套打(V9)"))},
        {200, QByteArray("\x00\xFF</title>", 9)},
        {200, Encoded("GBK", QStringLiteral("<title>套打(9.0)"))},   // no "</title>": not taken
    };
    for (const HttpRoute& a : answers) {
        server.setRoute("/calbrenno/downpage/Pro.asp", a);
        const UpdateCheckResult r = CheckNewVersion("3.00", 17, kAnswerTimeout, 1);
        EXPECT_NE(r.outcome, UpdateOutcome::NewerAvailable);
        EXPECT_NE(r.outcome, UpdateOutcome::UpToDate);
        EXPECT_TRUE(r.message.isEmpty());
    }
    EXPECT_TRUE(Backups().isEmpty());
}


TEST(Updater, StartsFromTheProgramFolderWithItsOneArgumentAndNoShell)
{
    QTemporaryDir root;
    // Blanks, quotes and shell signs in the folder and the program's name
    // reach the updater as they are.
    const QString folder = root.filePath("升级 程序;$(touch x)'");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString record = root.filePath("record");
    ASSERT_TRUE(WriteTestUpdater(folder, record));
    const UpdaterStart started = StartUpdater(folder, "slip print'; echo");
    ASSERT_TRUE(started.ok) << started.error.toStdString();
    EXPECT_EQ(WaitForUpdaterRecord(record), (QStringList{folder, "QV17.rar|slip print'; echo"}));
    EXPECT_FALSE(QFileInfo::exists(folder + "/x"));
    EXPECT_FALSE(QFileInfo::exists("x"));
}

TEST(Updater, StartsOnlyOnceTheProgramMayEnd)
{
    // The program's save question comes only with an updater there; cancelled, none starts.
    const struct { const char* what; bool present, ready, asked, started; QString told; } cases[] = {
        {"cancelled", true, false, true, false, "已取消退出，自动升级将在下次启动程序时进行。"},
        {"missing", false, true, false, false, ""}, {"ready", true, true, true, true, ""}};
    QTemporaryDir root;
    QStringList records;
    for (const auto& c : cases) {
        const QString folder = root.filePath(c.what);
        ASSERT_TRUE(QDir().mkpath(folder));
        records << root.filePath(QStringLiteral("record-") + c.what);
        if (c.present) ASSERT_TRUE(WriteTestUpdater(folder, records.last()));
        int asked = 0;
        const UpdaterStart started = StartUpdater(folder, "slipprint", [&] { return ++asked, c.ready; });
        EXPECT_EQ(std::tuple(asked, started.ok, started.postponed), std::tuple(int(c.asked), c.started, c.present && !c.ready))
            << c.what;
        if (!c.told.isEmpty()) EXPECT_EQ(started.error, c.told) << c.what;
        EXPECT_EQ(started.error.isEmpty(), c.started) << c.what;
    }
    // The last updater has run, so an earlier one would have written its record by now.
    EXPECT_EQ(WaitForUpdaterRecord(records.last()).value(1), "QV17.rar|slipprint");
    EXPECT_FALSE(QFileInfo::exists(records.first()));
}

TEST(Updater, AMissingOrUnstartableUpdaterIsTold)
{
    QTemporaryDir folder;
    const QString updater = QDir::toNativeSeparators(folder.filePath("update"));
    UpdaterStart started = StartUpdater(folder.path(), "slipprint");
    EXPECT_FALSE(started.ok);
    EXPECT_EQ(started.error, "没有找到自动升级程序“" + updater + "”，请从服务器下载新版本后手动安装。");
    const struct {
        const char* what;
        std::function<bool()> make;
    } unstartable[] = {
        {"not executable", [&] { return WriteBytes(folder.filePath("update"), "#!/bin/sh\n"); }},
        {"a folder", [&] { return QDir().mkpath(folder.filePath("update")); }},
    };
    for (const auto& u : unstartable) {
        ASSERT_TRUE(u.make()) << u.what;
        started = StartUpdater(folder.path(), "slipprint");
        EXPECT_FALSE(started.ok) << u.what;
        EXPECT_TRUE(started.error.startsWith("自动升级程序“" + updater + "”无法启动")) << started.error.toStdString();
        EXPECT_TRUE(started.error.endsWith("，请从服务器下载新版本后手动安装。")) << u.what;
        QFile::remove(folder.filePath("update"));
        QDir().rmdir(folder.filePath("update"));
    }
}
