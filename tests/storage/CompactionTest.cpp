#include "DamagedTable.h"
#include "FileBytes.h"
#include "FileSizeLimit.h"
#include "PlainDatabase.h"
#include "RecordingProgress.h"
#include "TestHome.h"

#include "storage/Compaction.h"
#include "core/DataFolder.h"
#include "storage/Database.h"
#include "storage/DatabaseCipher.h"

#include <optional>
#include <sqlite3.h>

using namespace slip;

namespace {

// A data folder with a database of some size, and a temporary folder of the
// test's own so that no two test runs share "backup.mdb".
class CompactionFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        oldTmp_ = qgetenv("TMPDIR");
        QDir(home_.path()).mkpath("tmp");
        qputenv("TMPDIR", home_.file("tmp").toLocal8Bit());
        DbConnection conn;
        ASSERT_TRUE(conn.begin());
        const QString filler(200, QChar(u'填'));
        for (int i = 0; i < 1500; ++i)
            ASSERT_TRUE(ExecuteSql("INSERT INTO 历史(ID, Fmt, CID, Con) VALUES(?, ?, ?, ?)",
                                   {i / 10, "存款单", i % 10, filler + QString::number(i)}, &conn));
        ASSERT_TRUE(ExecuteSql("INSERT INTO 参数(Var, Con) VALUES('软件密码', '')", {}, &conn));
        ASSERT_TRUE(conn.commit());
        // Free pages for the compaction to give back.
        ASSERT_TRUE(ExecuteSql("DELETE FROM 历史 WHERE CID >= 5"));
    }
    void TearDown() override
    {
        QFile::setPermissions(DataFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("TMPDIR", oldTmp_);
    }

    // Every row of every table, as text, in a fixed order.
    static QStringList Content()
    {
        QStringList out;
        for (const char* table : {"Fmt", "参数", "默认", "历史", "映射", "网站格式"}) {
            const Recordset rs = OpenRecordset(QString("SELECT * FROM %1 ORDER BY rowid").arg(QuoteIdentifier(table)));
            EXPECT_TRUE(rs.ok) << table;
            for (const auto& row : rs.rows) {
                QStringList cells{table};
                for (const QVariant& v : row) cells << (v.isNull() ? "<null>" : v.toString());
                out << cells.join('|');
            }
        }
        return out;
    }
    // The compaction's own folder in the temporary folder.
    QString Folder() const
    {
        const QStringList own = QDir(home_.file("tmp")).entryList({"slipprint-*"}, QDir::Dirs);
        EXPECT_EQ(own.size(), 1) << own.join(' ').toStdString();
        return own.isEmpty() ? home_.file("tmp") : home_.file("tmp") + "/" + own.first();
    }
    QString Backup() const { return Folder() + "/backup.mdb"; }
    QString Target() const { return Folder() + "/TEMP.mdb"; }

    // Runs a compaction that must fail and checks the database came through as it was.
    void ExpectFailureKeepsDatabase(int number, const QString& detail = {}, test::RecordingProgress* given = nullptr)
    {
        const QByteArray before = test::FileHash(DatabasePath());
        const QStringList content = Content();
        test::RecordingProgress own;
        test::RecordingProgress& progress = given ? *given : own;
        const StoreResult r = CompactAppDatabase(progress);
        EXPECT_FALSE(r.ok);
        const QString msg = r.error;
        EXPECT_TRUE(msg.startsWith(QString("数据库压缩失败（%1").arg(number))) << msg.toStdString();
        EXPECT_TRUE(msg.endsWith("）！")) << msg.toStdString();
        if (!detail.isEmpty()) EXPECT_TRUE(msg.contains(detail)) << msg.toStdString();
        EXPECT_EQ(test::FileHash(DatabasePath()), before);
        EXPECT_EQ(Content(), content);
        EXPECT_FALSE(progress.open);
    }

    test::TestHome home_;
    QByteArray oldTmp_;
};

} // namespace

TEST_F(CompactionFixture, KeepsEveryRowShrinksAndLeavesABackup)
{
    const QStringList content = Content();
    const QByteArray before = test::FileHash(DatabasePath());
    const qint64 sizeBefore = QFileInfo(DatabasePath()).size();
    const auto permissions = QFile::permissions(DatabasePath());
    test::RecordingProgress progress;
    const StoreResult r = CompactAppDatabase(progress);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(Content(), content);
    EXPECT_LT(QFileInfo(DatabasePath()).size(), sizeBefore);
    EXPECT_EQ(QFile::permissions(DatabasePath()), permissions);
    EXPECT_FALSE(QFileInfo::exists(Target()));
    EXPECT_EQ(test::FileHash(Backup()), before);
    // The compacted file keeps the password: no row shows in its bytes.
    EXPECT_FALSE(test::FileBytes(DatabasePath()).contains(QString(8, QChar(u'填')).toUtf8()));
    EXPECT_FALSE(test::ReadableWithoutPassword(DatabasePath()));
    EXPECT_EQ(GetTempDir(), home_.file("tmp") + "/");
    // The progress window went through two of its three steps and closed.
    EXPECT_EQ(progress.titles, QStringList{"开始压缩数据库……"});
    EXPECT_EQ(progress.totals, QList<int>{3});
    EXPECT_EQ(progress.stepped, 2);
    EXPECT_FALSE(progress.open);
}

TEST_F(CompactionFixture, BackupIsReplacedOnlyWhenWanted)
{
    ASSERT_TRUE(CompactAppDatabase());
    const QByteArray oldBackup = test::FileHash(Backup());
    ASSERT_TRUE(ExecuteSql("INSERT INTO 映射(ID, Fmt, Map) VALUES(1, '存款单', 'A')"));
    ASSERT_TRUE(CompactDatabase(DatabasePath(), false));
    EXPECT_EQ(test::FileHash(Backup()), oldBackup);
    const QByteArray before = test::FileHash(DatabasePath());
    ASSERT_TRUE(CompactAppDatabase());
    EXPECT_EQ(test::FileHash(Backup()), before);
}

TEST_F(CompactionFixture, MissingDatabaseIsReportedBeforeAnyProgress)
{
    test::RecordingProgress progress;
    const StoreResult r = CompactDatabase(DataFolder() + "/没有.mdb", true, progress);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "没有找到要压缩的数据库文件！");
    EXPECT_EQ(progress.starts, 0);
    EXPECT_EQ(QDir(home_.file("tmp")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

TEST_F(CompactionFixture, LeftoversAreClearedBeforeAndAfterAlsoAfterAFullDisk)
{
    ASSERT_TRUE(CompactAppDatabase());
    // A killed run left its compacted copy and journal behind.
    for (const QString& f : {Target(), Target() + "-journal"}) ASSERT_TRUE(QFile(f).open(QIODevice::WriteOnly));
    ASSERT_TRUE(CompactAppDatabase());
    EXPECT_FALSE(QFileInfo::exists(Target()));
    EXPECT_FALSE(QFileInfo::exists(Target() + "-journal"));
    StoreResult r;
    {
        test::FileSizeLimit fullDisk(8192);
        r = CompactDatabase(DatabasePath(), false);
    }
    EXPECT_TRUE(r.error.startsWith("数据库压缩失败（3")) << r.error.toStdString();
    EXPECT_EQ(QDir(Folder()).entryList(QDir::Files), QStringList{"backup.mdb"});
}

// A run killed while it wrote its copy leaves it; the next start takes it and its journals, not the backup.
TEST_F(CompactionFixture, AKilledRunsCopyGoesAtTheNextStartAndTheBackupStays)
{
    ClearCompactionLeftovers(DatabasePath());  // no compaction ran: no folder is made
    EXPECT_EQ(QDir(home_.file("tmp")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    ASSERT_TRUE(CompactAppDatabase());
    const QByteArray backup = test::FileHash(Backup());
    for (const char* left : {"TEMP.mdb", "TEMP.mdb-journal", "TEMP.mdb-wal", "TEMP.mdb-shm"}) {
        ASSERT_TRUE(QFile::copy(DatabasePath(), Folder() + "/" + left)) << left;
        ClearCompactionLeftovers(DatabasePath());
        EXPECT_EQ(QDir(Folder()).entryList(QDir::Files), QStringList{"backup.mdb"}) << left;
    }
    EXPECT_EQ(test::FileHash(Backup()), backup);
    // A link put where the folder goes is never followed.
    const QString elsewhere = home_.file("elsewhere");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(test::WriteBytes(elsewhere + "/TEMP.mdb", "not ours"));
    const QString folder = Folder();
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(QFile::link(elsewhere, folder));
    ClearCompactionLeftovers(DatabasePath());
    EXPECT_TRUE(QFileInfo::exists(elsewhere + "/TEMP.mdb"));
}

TEST_F(CompactionFixture, WhatCantBeReplacedOrIsInUseStopsItAndKeepsTheDatabase)
{
    ASSERT_TRUE(CompactAppDatabase());
    // Something that is not a file stands where the compacted copy goes.
    ASSERT_TRUE(QDir().mkpath(Target() + "/inside"));
    ExpectFailureKeepsDatabase(2, "无法删除旧的临时文件（");
    ASSERT_TRUE(QDir(Target()).removeRecursively());
    QFile::remove(Backup());
    ASSERT_TRUE(QDir().mkpath(Backup() + "/inside"));
    ExpectFailureKeepsDatabase(1);
    ASSERT_TRUE(QDir(Backup()).removeRecursively());
    {
        DbConnection open;
        ASSERT_TRUE(open.isOpen());
        ExpectFailureKeepsDatabase(5, "数据库正在使用中");
    }
    EXPECT_FALSE(QFileInfo::exists(Target()));
    EXPECT_TRUE(CompactAppDatabase());
}

TEST_F(CompactionFixture, InUseIsWhatSQLiteSaysNotAJournalFileBesideIt)
{
    // A kill can leave a journal with an emptied header: SQLite ignores it.
    ASSERT_TRUE(test::WriteBytes(DatabasePath() + "-journal", QByteArray(4096, '\0')));
    const QStringList content = Content();
    const StoreResult r = CompactAppDatabase();
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(Content(), content);
    // A change begun on another connection holds the file.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(DatabasePath()).constData(), &other), SQLITE_OK);
    for (const QString& sql : DatabaseKeyStatements())
        ASSERT_EQ(sqlite3_exec(other, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    ExpectFailureKeepsDatabase(5, "数据库正在使用中");
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(CompactAppDatabase());
}

TEST_F(CompactionFixture, ItsFilesAreTheUsersAloneAndEachDatabaseHasItsOwn)
{
    const QByteArray first = test::FileHash(DatabasePath());
    ASSERT_TRUE(CompactAppDatabase());
    const QString folder = Folder();
    // Owner and others, leaving aside Qt's "user" bits.
    const auto mode = [](const QString& path) { return QFile::permissions(path) & QFileDevice::Permissions(0x7077); };
    EXPECT_EQ(mode(folder), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(mode(Backup()), QFile::ReadOwner | QFile::WriteOwner);
    {
        // Another data folder, the same temporary folder.
        test::TestHome other;
        ASSERT_TRUE(ExecuteSql("INSERT INTO 参数(Var, Con) VALUES('另一个', '库')"));
        const QByteArray otherBefore = test::FileHash(DatabasePath());
        ASSERT_TRUE(CompactAppDatabase());
        const QStringList folders = QDir(home_.file("tmp")).entryList({"slipprint-*"}, QDir::Dirs);
        ASSERT_EQ(folders.size(), 2);
        for (const QString& f : folders)
            if (home_.file("tmp") + "/" + f != folder)
                EXPECT_EQ(test::FileHash(home_.file("tmp") + "/" + f + "/backup.mdb"), otherBefore);
    }
    EXPECT_EQ(test::FileHash(folder + "/backup.mdb"), first);

    // A link put where the folder goes is never followed.
    const QString elsewhere = home_.file("elsewhere");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(QFile::link(elsewhere, folder));
    const QByteArray before = test::FileHash(DatabasePath());
    const StoreResult r = CompactAppDatabase();
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains("不是当前用户自己的文件夹")) << r.error.toStdString();
    EXPECT_EQ(test::FileHash(DatabasePath()), before);
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

// The disk fills as the compacted copy is put back over the database.
struct FullDiskAtTheSwap : test::RecordingProgress {
    explicit FullDiskAtTheSwap(rlim_t room) : room(room) {}
    void Step(int step, const QString& unit) override
    {
        RecordingProgress::Step(step, unit);
        if (stepped == 2) fullDisk.emplace(room);
    }
    void End() override
    {
        fullDisk.reset();
        RecordingProgress::End();
    }
    rlim_t room;
    std::optional<test::FileSizeLimit> fullDisk;
};

TEST_F(CompactionFixture, ACopyCutShortAsItIsPutBackLeavesTheDatabase)
{
    // The compacted file ends 12 KiB past a whole MiB: its last piece is the
    // copy's last write, and the only one that doesn't fit.
    for (int i = 0; i < 242; ++i)
        ASSERT_TRUE(ExecuteSql("INSERT INTO 参数(Var, Con) VALUES(?, ?)", {QString::number(i), QString(1000, QChar(u'补'))}));
    ASSERT_TRUE(CompactDatabase(DatabasePath(), false));
    const qint64 size = QFileInfo(DatabasePath()).size();
    ASSERT_EQ(size % (1024 * 1024), 12 * 1024) << size;
    FullDiskAtTheSwap progress(size - 8 * 1024);
    ExpectFailureKeepsDatabase(5, "无法替换数据库文件：文件：“" + DatabasePath() + "”无法写入！（File too large）", &progress);
    EXPECT_EQ(QDir(DataFolder()).entryList({"DATA.mdb*"}, QDir::Files | QDir::Hidden), QStringList{"DATA.mdb"});
}

// Leaves the database as a writer killed midway through a change leaves it:
// some of the change's pages written, the old ones in a journal that the next
// opening plays back.
static void LeaveAJournalToPlayBack()
{
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(DatabasePath()).constData(), &writer), SQLITE_OK);
    QStringList statements = DatabaseKeyStatements();
    statements << "PRAGMA cache_size = 10" << "BEGIN" << "UPDATE 历史 SET Con = Con || '改'";
    for (const QString& sql : statements)
        ASSERT_EQ(sqlite3_exec(writer, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK) << sql.toStdString();
    const QByteArray written = test::FileBytes(DatabasePath()), journal = test::FileBytes(DatabasePath() + "-journal");
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    ASSERT_NE(written, test::FileBytes(DatabasePath()));
    ASSERT_TRUE(test::WriteBytes(DatabasePath(), written) && test::WriteBytes(DatabasePath() + "-journal", journal));
}

// A lock refused for another reason than another writer says which.
TEST_F(CompactionFixture, ADatabaseThatCantBeOpenedSaysWhyNotThatItIsInUse)
{
    const QStringList content = Content();
    // The journal can't be played back on a full disk; the next opening with room does it.
    LeaveAJournalToPlayBack();
    StoreResult r;
    {
        test::FileSizeLimit fullDisk(4096);
        r = CompactAppDatabase();
    }
    EXPECT_EQ(r.error, "数据库压缩失败（5无法打开数据库（File too large））！");
    EXPECT_TRUE(QFileInfo::exists(DatabasePath() + "-journal"));
    ASSERT_TRUE(CompactAppDatabase());
    EXPECT_EQ(Content(), content);
    // The first page is damaged.
    test::DamagePage(1);
    const QByteArray damaged = test::FileHash(DatabasePath());
    EXPECT_EQ(CompactAppDatabase().error,
              QString("数据库压缩失败（5数据库文件已损坏（%1））！").arg(sqlite3_errstr(SQLITE_NOTADB)));
    EXPECT_EQ(test::FileHash(DatabasePath()), damaged);
}
