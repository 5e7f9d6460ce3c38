#include "FileBytes.h"
#include "PlainDatabase.h"
#include "StoredFormats.h"
#include "TestHome.h"

#include "core/DataFolder.h"
#include "storage/Database.h"
#include "storage/DatabaseCipher.h"
#include "storage/HistoryStore.h"
#include "storage/MappingStore.h"
#include "storage/Params.h"

#include <QDir>
#include <QSqlQuery>

using namespace slip;

namespace {

// A text no page of the file may show in the clear.
const QString kSecret = QStringLiteral("机密存款人ZQXJ-7731");

// Stores the secret in every table as the program does: a format with its
// boxes, a default, an import mapping, a parameter and two history slips.
void StoreEverywhere()
{
    const QVector<BoxId> ids = test::SaveFormatWithBoxes(kSecret, {{BoxKind::Text, kSecret}, {BoxKind::Text, "金额"}});
    ASSERT_EQ(ids.size(), 2);
    ASSERT_TRUE(ExecuteSql("INSERT INTO 默认(Fmt, ID, Con) VALUES(?, ?, ?)", {kSecret, ids[0], kSecret}));
    ASSERT_TRUE(SaveInputMap(kSecret, {{qint32(ids[0]), "A"}, {qint32(ids[1]), "B"}}));
    ASSERT_TRUE(SetParam(QStringLiteral("格式搜索"), kSecret));
    ASSERT_TRUE(SaveHistorySlips(kSecret, {{{ids[0], kSecret}, {ids[1], "100.00"}}, {{ids[0], "张三"}}}).ok);
}

// Every row of every table (the AUTOINCREMENT counters included), as text.
QStringList Content()
{
    QStringList out;
    const Recordset tables = OpenRecordset("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name");
    EXPECT_TRUE(tables.ok && tables.RecordCount() >= 7);
    for (const auto& t : tables.rows) {
        const QString table = t[0].toString();
        const Recordset rs = OpenRecordset(QString("SELECT * FROM %1 ORDER BY 1, 2").arg(QuoteIdentifier(table)));
        EXPECT_TRUE(rs.ok) << table.toStdString();
        for (const auto& row : rs.rows) {
            QStringList cells{table};
            for (const QVariant& v : row) cells << (v.isNull() ? "<null>" : v.toString());
            out << cells.join('|');
        }
    }
    return out;
}

// The files of the data folder other than the lock.
QStringList DataFiles()
{
    return QDir(DataFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

using DatabaseCipherHome = test::WithHome;

} // namespace

TEST_F(DatabaseCipherHome, TheDriverAndTheHistoryUseOneSQLiteAndItEncrypts)
{
    DbConnection conn;
    ASSERT_TRUE(conn.isOpen());
    QSqlQuery q(conn.db());
    ASSERT_TRUE(q.exec("SELECT sqlite_version(), sqlite_source_id()") && q.next());
    // The Qt driver's queries and this program's own sqlite3_* calls reach
    // the same library: the one linked into the program.
    EXPECT_EQ(q.value(0).toString(), QString::fromLatin1(sqlite3_libversion()));
    EXPECT_EQ(q.value(1).toString(), QString::fromLatin1(sqlite3_sourceid()));
    ASSERT_TRUE(q.exec("PRAGMA cipher_version") && q.next());
    EXPECT_FALSE(q.value(0).toString().isEmpty());
}

TEST_F(DatabaseCipherHome, TheFileShowsNoStoredTextAndOpensOnlyWithThePassword)
{
    StoreEverywhere();
    const QByteArray bytes = test::FileBytes(DatabasePath());
    ASSERT_GT(bytes.size(), 4096);
    EXPECT_FALSE(bytes.startsWith("SQLite format 3"));
    for (const QByteArray& clear : {kSecret.toUtf8(), test::Encoded("UTF-16LE", kSecret), QByteArray("ZQXJ"),
                                    QByteArray("CREATE TABLE")})
        EXPECT_FALSE(bytes.contains(clear)) << clear.toStdString();
    EXPECT_EQ(QFile::permissions(DatabasePath()) & 0x0FFF, QFile::ReadUser | QFile::WriteUser);

    EXPECT_FALSE(test::ReadableWithoutPassword(DatabasePath()));
    if (!test::SqliteCommand().isEmpty()) {
        QProcess sqlite;
        sqlite.start(test::SqliteCommand(), {DatabasePath(), "SELECT Con FROM 参数"});
        ASSERT_TRUE(sqlite.waitForFinished(30000));
        EXPECT_NE(sqlite.exitCode(), 0);
        EXPECT_FALSE(sqlite.readAllStandardOutput().contains(kSecret.toUtf8()));
    }
    // The program itself reads it back.
    EXPECT_EQ(GetParam(QStringLiteral("格式搜索")), kSecret);
    EXPECT_EQ(ReadHistorySlip(kSecret, 1).values.size(), 2);
}

TEST(DatabaseCipher, AFileOfTheEarlierPlainProgramIsEncryptedWithEveryRowKept)
{
    test::TestHome home;
    StoreEverywhere();
    const QStringList before = Content();
    ASSERT_GT(before.size(), 10);
    const QStringList filesBefore = DataFiles();
    QString error;
    ASSERT_TRUE(test::DecryptInPlace(DatabasePath(), &error)) << error.toStdString();
    ASSERT_TRUE(IsPlainDatabase(DatabasePath()));
    ASSERT_TRUE(QFile::setPermissions(DatabasePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));

    ASSERT_TRUE(EncryptPlainDatabase());
    EXPECT_FALSE(IsPlainDatabase(DatabasePath()));
    EXPECT_FALSE(test::ReadableWithoutPassword(DatabasePath()));
    EXPECT_FALSE(test::FileBytes(DatabasePath()).contains(kSecret.toUtf8()));
    EXPECT_EQ(QFile::permissions(DatabasePath()) & 0x0FFF, QFile::ReadUser | QFile::WriteUser);
    EXPECT_EQ(Content(), before);
    // No backup and no half-made copy stays beside it.
    EXPECT_EQ(DataFiles(), filesBefore);
    // The record counters went along: a new format row takes a new number.
    const qint64 highest = OpenRecordset("SELECT max(ID) FROM Fmt").value(0, "max(ID)").toLongLong();
    ASSERT_TRUE(ExecuteSql("DELETE FROM Fmt WHERE ID=?", {highest}));
    EXPECT_GT(InsertRow("INSERT INTO Fmt(Fmt, LBL) VALUES('新', '')", {}), highest);
    // Once is enough: an encrypted file is left as it is.
    const QByteArray encrypted = test::FileHash(DatabasePath());
    EXPECT_TRUE(EncryptPlainDatabase());
    EXPECT_EQ(test::FileHash(DatabasePath()), encrypted);
}

TEST(DatabaseCipher, ADamagedPlainFileIsLeftAsItWasWithNothingBesideIt)
{
    test::TestHome home(false);
    QStringList rows;
    for (int i = 0; i < 400; ++i) rows << QString("INSERT INTO 历史 VALUES(%1, '甲', 1, '%2')").arg(i).arg(QString(300, 'x'));
    ASSERT_TRUE(test::RunOnFile(DatabasePath(), false,
                                QStringList{"BEGIN", "CREATE TABLE 历史 (ID INTEGER, Fmt TEXT, CID INTEGER, Con TEXT)"} + rows
                                    + QStringList{"COMMIT"}));
    QByteArray bytes = test::FileBytes(DatabasePath());
    ASSERT_GT(bytes.size(), 60000);
    // Pages in the middle of the table overwritten: the header still says SQLite.
    bytes.replace(20000, 30000, QByteArray(30000, '\x5a'));
    ASSERT_TRUE(test::WriteBytes(DatabasePath(), bytes));
    const QStringList filesBefore = DataFiles();

    EXPECT_FALSE(EncryptPlainDatabase());
    EXPECT_EQ(test::FileBytes(DatabasePath()), bytes);
    EXPECT_EQ(DataFiles(), filesBefore);
}

TEST_F(DatabaseCipherHome, TheBackupOfARunCutShortAfterTheSwapGoesOnceTheFileInPlaceIsWhole)
{
    StoreEverywhere();
    const QString backup = DatabasePath() + ".unencrypted";
    ASSERT_TRUE(test::WriteBytes(backup, "the plain file of a run cut short"));
    ASSERT_TRUE(EncryptPlainDatabase());
    EXPECT_FALSE(QFileInfo::exists(backup));
    EXPECT_EQ(GetParam(QStringLiteral("格式搜索")), kSecret);
}
