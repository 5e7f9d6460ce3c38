#include "FileBytes.h"
#include "TestHome.h"

#include "core/DataFolder.h"
#include "storage/Database.h"
#include "storage/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace slip;
using slip::test::FileHash;

namespace {

QStringList Columns(const QString& table)
{
    QStringList out;
    DbConnection conn;
    QSqlQuery q(conn.db());
    q.exec(QStringLiteral("PRAGMA table_info(") + QuoteIdentifier(table) + QLatin1Char(')'));
    while (q.next()) out << q.value(1).toString();
    return out;
}

} // namespace

TEST(Schema, NewFileHasAllTablesStateRecordAndPrivatePermissions)
{
    test::TestHome home;
    EXPECT_EQ(Columns("Fmt"), (QStringList{"ID", "Fmt", "Clas", "LBL", "Dir", "X", "Y", "W", "H", "S",
                                           "L", "Color", "fName", "fSize", "fBold", "fItalic",
                                           "fUnderline", "fStrikethru", "Cash", "RCtl", "Mem",
                                           "SumID", "SumID1", "RCtl1"}));
    for (const char* t : {"参数", "默认", "历史", "映射", "网站格式"})
        EXPECT_FALSE(Columns(QString::fromUtf8(t)).isEmpty()) << t;
    Recordset rs = OpenRecordset("SELECT LBL, fName FROM Fmt WHERE Fmt=''");
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.text(0, "fName"), QStringLiteral("0§☆§0§☆§0"));
    const auto perms = QFile::permissions(DatabasePath());
    EXPECT_FALSE(perms & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther));

    // A second run adds no second state record.
    EXPECT_TRUE(EnsureSchema());
    EXPECT_EQ(OpenRecordset("SELECT ID FROM Fmt WHERE Fmt=''").RecordCount(), 1);
}

TEST(Schema, RecordIdsAreNeverReused)
{
    test::TestHome home;
    qint64 a = InsertRow("INSERT INTO Fmt(Fmt, LBL) VALUES(?, ?)", {"甲", "a"});
    qint64 b = InsertRow("INSERT INTO Fmt(Fmt, LBL) VALUES(?, ?)", {"甲", "b"});
    ASSERT_GT(b, a);
    ASSERT_TRUE(ExecuteSql("DELETE FROM Fmt WHERE ID=?", {b}));
    qint64 c = InsertRow("INSERT INTO Fmt(Fmt, LBL) VALUES(?, ?)", {"甲", "c"});
    EXPECT_GT(c, b);
}

TEST(Schema, UpgradeAddsSumColumnsWithZeroToAnOldFile)
{
    test::TestHome home(false);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "old-layout");
        db.setDatabaseName(DatabasePath());
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("CREATE TABLE Fmt (ID INTEGER PRIMARY KEY AUTOINCREMENT, Fmt TEXT, Clas INTEGER,"
                           " LBL TEXT, Dir INTEGER, X DOUBLE, Y DOUBLE, W DOUBLE, H DOUBLE, S DOUBLE,"
                           " L DOUBLE, Color INTEGER, fName TEXT, fSize DOUBLE, fBold BOOLEAN,"
                           " fItalic BOOLEAN, fUnderline BOOLEAN, fStrikethru BOOLEAN, Cash INTEGER,"
                           " RCtl INTEGER, Mem TEXT)"));
        ASSERT_TRUE(q.exec("INSERT INTO Fmt(Fmt, LBL, Cash) VALUES('旧格式', '金额', 11)"));
        ASSERT_TRUE(q.exec("INSERT INTO Fmt(Fmt, LBL, Cash) VALUES('旧格式', '户名', 0)"));
        db.close();
    }
    QSqlDatabase::removeDatabase("old-layout");
    EXPECT_FALSE(ColumnExists("Fmt", "SumID"));
    ASSERT_TRUE(EnsureSchema());
    UpgradeSchema();
    EXPECT_TRUE(ColumnExists("Fmt", "SumID"));
    EXPECT_TRUE(ColumnExists("Fmt", "SumID1"));
    Recordset rs = OpenRecordset("SELECT SumID, SumID1 FROM Fmt WHERE Fmt=?", {"旧格式"});
    ASSERT_EQ(rs.RecordCount(), 2);
    for (int r = 0; r < 2; ++r) {
        EXPECT_FALSE(rs.value(r, "SumID").isNull());
        EXPECT_EQ(rs.value(r, "SumID").toDouble(), 0.0);
        EXPECT_EQ(rs.value(r, "SumID1").toDouble(), 0.0);
    }
    // Fractions survive in the sum columns of the old file.
    ASSERT_TRUE(ExecuteSql("UPDATE Fmt SET SumID=-12.1 WHERE LBL=?", {"金额"}));
    EXPECT_DOUBLE_EQ(GetFieldWhere("Fmt", "LBL=?", {"金额"}, "SumID").toDouble(), -12.1);
    // Running it again changes nothing.
    UpgradeSchema();
    EXPECT_DOUBLE_EQ(GetFieldWhere("Fmt", "LBL=?", {"金额"}, "SumID").toDouble(), -12.1);
}

TEST(Database, ColumnTestIsCaseSensitive)
{
    test::TestHome home;
    ASSERT_TRUE(ExecuteSql("CREATE TABLE T2 (sumid DOUBLE)"));
    EXPECT_TRUE(ColumnExists("T2", "sumid"));
    EXPECT_FALSE(ColumnExists("T2", "SumID"));
    EXPECT_FALSE(ColumnExists("NoSuchTable", "ID"));
}

TEST(Database, FieldReadsDistinguishMissingRowFromNullField)
{
    test::TestHome home;
    qint64 id = InsertRow("INSERT INTO Fmt(Fmt, LBL, Mem) VALUES(?, ?, NULL)", {"甲", "x"});
    QVariant none = GetFieldWhere("Fmt", "Fmt=?", {"没有"}, "LBL");
    EXPECT_FALSE(none.isNull());
    EXPECT_EQ(none.toString(), QString());
    EXPECT_TRUE(GetFieldById("Fmt", id, "Mem").isNull());
    EXPECT_EQ(GetFieldById("Fmt", id, "LBL").toString(), "x");
}

TEST(Database, FailedQueryGivesItsTextAndNoRows)
{
    test::TestHome home;
    Recordset rs = OpenRecordset("SELEC * FRM Fmt");
    EXPECT_FALSE(rs.ok);
    EXPECT_TRUE(rs.isEmpty());
    EXPECT_EQ(rs.error, QStringLiteral("数据库打开错误(SELEC * FRM Fmt)！"));
    EXPECT_FALSE(ExecuteSql("ALTER TABLE Fmt ADD COLUMN ID INTEGER"));
}

TEST(Database, ValuesWithQuotesTouchOnlyTheirOwnRows)
{
    test::TestHome home;
    const QString evil = "x' OR 'a'='a";
    InsertRow("INSERT INTO Fmt(Fmt, LBL) VALUES(?, ?)", {"正常", "a"});
    InsertRow("INSERT INTO Fmt(Fmt, LBL) VALUES(?, ?)", {evil, "b"});
    ASSERT_TRUE(ExecuteSql("DELETE FROM Fmt WHERE Fmt=?", {evil}));
    EXPECT_EQ(OpenRecordset("SELECT * FROM Fmt WHERE Fmt=?", {"正常"}).RecordCount(), 1);
    EXPECT_EQ(GetFieldWhere("Fmt", "Fmt=?", {evil}, "LBL").toString(), QString());
}

TEST(Database, FmtColumnValuesAreDistinctSortedAndSkipEmpty)
{
    test::TestHome home;
    EXPECT_TRUE(FmtColumnValues("Fmt").isEmpty());  // only the state record, whose name is empty
    for (const char* n : {"乙", "甲", "乙", "A"})
        InsertRow("INSERT INTO Fmt(Fmt, LBL) VALUES(?, '')", {QString::fromUtf8(n)});
    EXPECT_EQ(FmtColumnValues("Fmt"), (QStringList{"A", "乙", "甲"}));
}

TEST(Database, TransactionRollsBackEveryRow)
{
    test::TestHome home;
    {
        DbConnection conn;
        ASSERT_TRUE(conn.begin());
        ExecuteSql("INSERT INTO 默认(Fmt, ID, Con) VALUES(?, ?, ?)", {"甲", 1, "a"}, &conn);
        ExecuteSql("INSERT INTO 默认(Fmt, ID, Con) VALUES(?, ?, ?)", {"甲", 2, "b"}, &conn);
        conn.rollback();
    }
    EXPECT_EQ(OpenRecordset("SELECT * FROM 默认").RecordCount(), 0);
}

TEST(Database, CorruptFileIsReportedAndLeftByteForByte)
{
    test::TestHome home(false);
    QByteArray junk;
    for (int i = 0; i < 4096; ++i) junk.append(char((i * 7919 + 13) & 0xFF));
    {
        QFile f(DatabasePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(junk);
    }
    const QByteArray before = FileHash(DatabasePath());
    EXPECT_FALSE(DatabaseUsable());
    EXPECT_FALSE(EnsureSchema());
    UpgradeSchema();
    EXPECT_FALSE(ExecuteSql("INSERT INTO Fmt(Fmt) VALUES('x')"));
    EXPECT_EQ(OpenRecordset("SELECT * FROM Fmt").error, ConnectionFailedText());
    EXPECT_EQ(FileHash(DatabasePath()), before);

    // A truncated file and a folder in the file's place are refused the same way.
    QFile::resize(DatabasePath(), 10);
    EXPECT_FALSE(DatabaseUsable());
    QFile::remove(DatabasePath());
    QDir().mkpath(DatabasePath());
    EXPECT_FALSE(DatabaseUsable());
    EXPECT_TRUE(QFileInfo(DatabasePath()).isDir());
}
