#include "DamagedTable.h"
#include "FileBytes.h"
#include "TestHome.h"

#include "core/DataFolder.h"
#include "storage/Database.h"
#include "storage/FormatStore.h"
#include "storage/HistoryStore.h"
#include "storage/Schema.h"

#include <QSqlQuery>

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

using DatabaseHome = test::WithHome;
using SchemaHome = test::WithHome;

TEST_F(SchemaHome, NewFileHasAllTablesStateRecordAndPrivatePermissions)
{
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
    // Its journal, which holds the pages a change replaces, likewise.
    {
        DbConnection conn;
        ASSERT_TRUE(conn.begin());
        ASSERT_TRUE(ExecuteSql("INSERT INTO 参数(Var, Con) VALUES('软件密码', 'x')", {}, &conn));
        ASSERT_TRUE(QFileInfo::exists(DatabasePath() + "-journal"));
        EXPECT_FALSE(QFile::permissions(DatabasePath() + "-journal") & (QFile::ReadGroup | QFile::ReadOther));
        conn.rollback();
    }

    // A second run adds no second state record.
    EXPECT_TRUE(EnsureSchema());
    EXPECT_EQ(OpenRecordset("SELECT ID FROM Fmt WHERE Fmt=''").RecordCount(), 1);
}

TEST_F(SchemaHome, RecordIdsAreNeverReused)
{
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
        DbConnection old(DbConnection::Missing::Create);
        ASSERT_TRUE(ExecuteSql("CREATE TABLE Fmt (ID INTEGER PRIMARY KEY AUTOINCREMENT, Fmt TEXT, Clas INTEGER,"
                               " LBL TEXT, Dir INTEGER, X DOUBLE, Y DOUBLE, W DOUBLE, H DOUBLE, S DOUBLE,"
                               " L DOUBLE, Color INTEGER, fName TEXT, fSize DOUBLE, fBold BOOLEAN, fItalic BOOLEAN,"
                               " fUnderline BOOLEAN, fStrikethru BOOLEAN, Cash INTEGER, RCtl INTEGER, Mem TEXT)",
                               {}, &old));
        for (const char* lbl : {"金额", "户名"})
            ASSERT_TRUE(ExecuteSql("INSERT INTO Fmt(Fmt, LBL) VALUES('旧格式', ?)", {QString::fromUtf8(lbl)}, &old));
    }
    EXPECT_FALSE(ColumnExists("Fmt", "SumID"));
    ASSERT_TRUE(EnsureSchema());
    UpgradeSchema();
    EXPECT_TRUE(ColumnExists("Fmt", "SumID1"));
    Recordset rs = OpenRecordset("SELECT SumID, SumID1 FROM Fmt WHERE Fmt=?", {"旧格式"});
    ASSERT_EQ(rs.RecordCount(), 2);
    for (int r = 0; r < 2; ++r)
        for (const char* c : {"SumID", "SumID1"}) EXPECT_EQ(rs.value(r, c), QVariant(0)) << c;
    // Fractions survive in the sum columns of the old file, and a second run changes nothing.
    ASSERT_TRUE(ExecuteSql("UPDATE Fmt SET SumID=-12.1 WHERE LBL=?", {"金额"}));
    UpgradeSchema();
    EXPECT_DOUBLE_EQ(GetFieldWhere("Fmt", "LBL=?", {"金额"}, "SumID").toDouble(), -12.1);
}

TEST(Schema, TheHistoryValueIndexOfAnOldFileIsReplacedByOneWithTheSlipNumber)
{
    test::TestHome home(false);
    {
        DbConnection old(DbConnection::Missing::Create);
        ASSERT_TRUE(ExecuteSql("CREATE TABLE 历史 (ID INTEGER, Fmt TEXT, CID INTEGER, Con TEXT)", {}, &old));
        ASSERT_TRUE(ExecuteSql("CREATE INDEX 历史_con ON 历史(Fmt, CID, Con COLLATE NOCASE)", {}, &old));
        ASSERT_TRUE(ExecuteSql("INSERT INTO 历史 VALUES(1, '甲', 5, '张三')", {}, &old));
    }
    ASSERT_TRUE(EnsureSchema());
    const Recordset indexes =
        OpenRecordset("SELECT name, sql FROM sqlite_master WHERE type='index' AND tbl_name='历史' ORDER BY name");
    ASSERT_EQ(indexes.RecordCount(), 2);
    EXPECT_EQ(indexes.text(0, "name"), "历史_fmt");
    EXPECT_EQ(indexes.text(1, "name"), "历史_值");
    EXPECT_TRUE(indexes.text(1, "sql").endsWith("Con COLLATE NOCASE, ID)")) << indexes.text(1, "sql").toStdString();
}

TEST_F(DatabaseHome, ColumnsFieldsAndFailedQueries)
{
    ASSERT_TRUE(ExecuteSql("CREATE TABLE T2 (sumid DOUBLE)"));
    EXPECT_TRUE(ColumnExists("T2", "sumid"));
    EXPECT_FALSE(ColumnExists("T2", "SumID"));  // case counts
    EXPECT_FALSE(ColumnExists("NoSuchTable", "ID"));
    // A missing row reads "", a null field null.
    qint64 id = InsertRow("INSERT INTO Fmt(Fmt, LBL, Mem) VALUES(?, ?, NULL)", {"甲", "x"});
    EXPECT_EQ(GetFieldWhere("Fmt", "Fmt=?", {"没有"}, "LBL"), QVariant(QString()));
    EXPECT_TRUE(GetFieldWhere("Fmt", "ID=?", {id}, "Mem").isNull());
    EXPECT_EQ(GetFieldWhere("Fmt", "ID=?", {id}, "LBL").toString(), "x");
    EXPECT_EQ(GetFieldById("Fmt", qint32(id), "LBL").toString(), "x");
    EXPECT_TRUE(GetFieldById("Fmt", qint32(id), "Mem").isNull());
    EXPECT_EQ(GetFieldById("Fmt", qint32(id) + 1, "LBL"), QVariant(QString()));
    Recordset rs = OpenRecordset("SELEC * FRM Fmt");
    EXPECT_FALSE(rs.ok || !rs.isEmpty());
    EXPECT_EQ(rs.error, QStringLiteral("数据库打开错误(SELEC * FRM Fmt)！"));
    EXPECT_FALSE(ExecuteSql("ALTER TABLE Fmt ADD COLUMN ID INTEGER"));
}

// The driver ends a reading that meets a damaged page as it ends one that is
// done: rows read before the damage are never taken for all of them.
TEST_F(DatabaseHome, ARecordsetCutShortByADamagedPageIsToldNotShort)
{
    const int rows = 600;
    for (int i = 1; i <= rows; ++i)
        ASSERT_GT(InsertRow("INSERT INTO Fmt(Fmt, LBL, Mem) VALUES(?, 'x', ?)", {"长", QString(40, QChar(u'字'))}), 0);
    const QString all = "SELECT ID, Mem FROM Fmt WHERE LBL='x' ORDER BY ID";
    // A page that holds later rows only: the first rows still come back.
    test::DamagePageWhere([&] {
        const Recordset r = OpenRecordset(all);
        return OpenRecordset("SELECT ID FROM Fmt WHERE LBL='x' ORDER BY ID LIMIT 1").RecordCount() == 1
               && (!r.ok || r.RecordCount() < rows);
    });
    const Recordset read = OpenRecordset(all);
    EXPECT_FALSE(read.ok);
    EXPECT_TRUE(read.isEmpty());
    EXPECT_EQ(read.error, "数据库打开错误(" + all + ")！");
}

// Each text is written, found and deleted through a query and through a
// prepared statement, and is stored as typed; the names beside it (the state
// record's empty one among them) stay untouched. Read back, SQLite gives
// U+FFFE as U+FFFD (no format name holds one).
TEST_F(DatabaseHome, ValuesAreStoredAsTypedAndTouchOnlyTheirOwnRows)
{
    const QChar mark(0xFEFF), swapped(0xFFFE), replaced(0xFFFD);
    const struct { QString typed, read; } texts[] = {
        {"x' OR 'a'='a", {}}, {mark, {}}, {mark + QString("进账单"), {}}, {QString("进") + mark + "账单", {}},
        {QString(mark) + mark, {}}, {swapped + QString("进账单"), replaced + QString("进账单")}, {swapped, replaced},
    };
    InsertRow("INSERT INTO Fmt(Fmt, LBL) VALUES(?, ?)", {"进账单", "a"});
    const Recordset before = OpenRecordset("SELECT ID, Fmt, LBL FROM Fmt ORDER BY ID");
    for (const auto& [t, read] : texts) {
        const std::string shown = t.toUtf8().toHex().toStdString();
        const QString back = read.isNull() ? t : read;
        InsertRow("INSERT INTO Fmt(Fmt, LBL) VALUES(?, ?)", {t, "query"});
        {
            DbConnection conn;
            SqliteStatement insert(conn, "INSERT INTO Fmt(Fmt, LBL) VALUES(?, ?)");
            insert.Bind(1, t);
            insert.Bind(2, QString("statement"));
            ASSERT_TRUE(insert.Exec()) << shown;
            SqliteStatement select(conn, "SELECT Fmt, hex(Fmt) FROM Fmt WHERE Fmt=? ORDER BY ID");
            select.Bind(1, t);
            QStringList found;
            bool failed = false;
            while (select.Next(failed)) {
                EXPECT_EQ(select.Text(2), QString::fromLatin1(t.toUtf8().toHex().toUpper())) << shown;
                found << select.Text(1);
            }
            EXPECT_EQ(found, QStringList(2, back)) << shown;
        }
        const Recordset rs = OpenRecordset("SELECT Fmt, LBL FROM Fmt WHERE Fmt=? ORDER BY ID", {t});
        ASSERT_EQ(rs.RecordCount(), 2) << shown;
        EXPECT_EQ(QStringList({rs.text(0, "Fmt"), rs.text(1, "Fmt")}), QStringList(2, back)) << shown;
        EXPECT_EQ(QStringList({rs.text(0, "LBL"), rs.text(1, "LBL")}), QStringList({"query", "statement"}));
        ASSERT_TRUE(ExecuteSql("DELETE FROM Fmt WHERE Fmt=?", {t}));
        EXPECT_EQ(OpenRecordset("SELECT ID, Fmt, LBL FROM Fmt ORDER BY ID").rows, before.rows) << shown;
    }
    // The distinct names, sorted, without the state record's empty one.
    InsertRow("INSERT INTO Fmt(Fmt, LBL) VALUES('A', '')", {});
    EXPECT_EQ(FmtColumnValues("Fmt"), (QStringList{"A", "进账单"}));
}

TEST(Database, CorruptFileIsReportedAndLeftByteForByte)
{
    test::TestHome home(false);
    QByteArray junk;
    for (int i = 0; i < 4096; ++i) junk.append(char((i * 7919 + 13) & 0xFF));
    ASSERT_TRUE(test::WriteBytes(DatabasePath(), junk));
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

// Something outside the program deletes, replaces or cuts short the file
// while a change is being written: the change is reported as not stored, and
// the file at the path never turns into a new empty database.
TEST(Database, CommitIntoAFileNoLongerAtThePathIsAFailure)
{
    const std::function<void(const QString&)> mischief[] = {
        [](const QString& path) { QFile::remove(path); },
        [](const QString& path) {
            QFile::copy(path, path + ".copy");
            ::rename(QFile::encodeName(path + ".copy").constData(), QFile::encodeName(path).constData());
        },
        [](const QString& path) { QFile::resize(path, 0); },
    };
    for (const auto& act : mischief) {
        test::TestHome home;
        {
            DbConnection conn;
            ASSERT_TRUE(conn.begin());
            ASSERT_TRUE(ExecuteSql("INSERT INTO 默认(Fmt, ID, Con) VALUES('甲', 1, 'a')", {}, &conn));
            act(DatabasePath());
            EXPECT_FALSE(conn.commit());
            EXPECT_EQ(conn.failureText(), DatabaseMovedText());
        }
        const bool replaced = QFileInfo(DatabasePath()).size() > 0;
        DbConnection after;
        EXPECT_EQ(after.isOpen(), replaced);
        if (replaced) EXPECT_EQ(OpenRecordset("SELECT * FROM 默认").RecordCount(), 0);
        else EXPECT_EQ(after.failureText(), DatabaseMissingText());
    }
}

// Once started, a missing file is told in the operator's words by every
// store, and none of them makes a new file.
TEST_F(DatabaseHome, StoresIntoAMissingFileSayItAndCreateNothing)
{
    SlipFormat f;
    f.Load(FormatHeader{"甲", 100, 50}, {});
    QFile::remove(DatabasePath());
    QHash<BoxId, BoxId> ids;
    const QString errors[] = {
        FormatStore::Save(f, "甲", true, 15360, ids).error,
        FormatStore::SaveDefaults(f, "甲").error,
        FormatStore::SaveCurrentFormatState("甲", {}).error,
        SaveHistoryRecord("甲", {{1, "x"}}).error,
        OpenRecordset("SELECT * FROM Fmt").error,
    };
    for (const QString& e : errors) EXPECT_EQ(e, DatabaseMissingText());
    EXPECT_FALSE(QFile::exists(DatabasePath()));
}
