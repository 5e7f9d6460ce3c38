#include "FileSizeLimit.h"
#include "TestHome.h"

#include "storage/Database.h"
#include "storage/MappingStore.h"
#include "core/DataFolder.h"
#include "core/Registry.h"

#include <QFileInfo>

using namespace slip;

TEST(MappingStore, RoundTripKeepsMapsAsTypedAndFormatsApart)
{
    test::TestHome home;
    const QString fmt = "工行'进账单\"";
    ASSERT_TRUE(SaveInputMap(fmt, {{12, " A , \"地址：\",E "}, {3, "b+1"}, {40, ""}, {41, "   "}}));
    ASSERT_TRUE(SaveInputMap("农行", {{12, "Z"}}));
    const InputMapRows rows = LoadInputMap(fmt);
    ASSERT_TRUE(rows.ok);
    EXPECT_EQ(rows.maps, (QMap<qint32, QString>{{3, "b+1"}, {12, " A , \"地址：\",E "}}));
    EXPECT_EQ(LoadInputMap("农行").maps.value(12), "Z");
    EXPECT_TRUE(LoadInputMap("无此格式").maps.isEmpty());
    EXPECT_TRUE(LoadInputMap("无此格式").ok);
    // Two rows for one box (an older program's file): the first one counts.
    ASSERT_TRUE(ExecuteSql("INSERT INTO 映射(ID, Fmt, Map) VALUES(7, '农行', '先'), (7, '农行', '后')"));
    EXPECT_EQ(LoadInputMap("农行").maps.value(7), "先");

    // Saving again replaces every row of that format only.
    ASSERT_TRUE(SaveInputMap(fmt, {{5, "C"}}));
    EXPECT_EQ(LoadInputMap(fmt).maps, (QMap<qint32, QString>{{5, "C"}}));
    EXPECT_EQ(OpenRecordset("SELECT * FROM 映射 WHERE Fmt=?", {fmt}).RecordCount(), 1);
    EXPECT_EQ(LoadInputMap("农行").maps.value(12), "Z");
    ASSERT_TRUE(SaveInputMap(fmt, {}));
    EXPECT_TRUE(LoadInputMap(fmt).maps.isEmpty());
}

TEST(MappingStore, FailedSaveLeavesTheStoredMapping)
{
    test::TestHome home;
    ASSERT_TRUE(SaveInputMap("工行", {{1, "A"}, {2, "B"}}));
    // The database refuses one row of the new mapping half way through.
    ASSERT_TRUE(ExecuteSql("CREATE TRIGGER refuse BEFORE INSERT ON 映射 WHEN NEW.Map='坏' "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    EXPECT_EQ(SaveInputMap("工行", {{1, "C"}, {2, "坏"}, {3, "D"}}).error,
              "数据库打开错误(INSERT INTO 映射(ID, Fmt, Map) VALUES(2, '工行', '坏'))！");
    EXPECT_EQ(LoadInputMap("工行").maps, (QMap<qint32, QString>{{1, "A"}, {2, "B"}}));
    // The disk is full when the rows are written at the end: the save is told.
    {
        test::FileSizeLimit fullDisk(QFileInfo(DatabasePath()).size());
        EXPECT_EQ(SaveInputMap("工行", {{1, QString(6000, QChar(u'长'))}}).error,
                  "数据库打开错误(DELETE FROM 映射 WHERE Fmt='工行')！");
    }
    EXPECT_EQ(LoadInputMap("工行").maps, (QMap<qint32, QString>{{1, "A"}, {2, "B"}}));
}

TEST(MappingStore, UnreadableDatabaseIsReportedNotEmpty)
{
    test::TestHome home(false);
    DbConnection create(DbConnection::Missing::Create);
    ASSERT_TRUE(ExecuteSql("CREATE TABLE other (x)", {}, &create));  // a database without the table
    const InputMapRows rows = LoadInputMap("工行");
    EXPECT_FALSE(rows.ok);
    EXPECT_TRUE(rows.error.startsWith("数据库打开错误(SELECT")) << rows.error.toStdString();
    const StoreResult saved = SaveInputMap("工行", {{1, "A"}});
    EXPECT_FALSE(saved);
    EXPECT_EQ(saved.error, "数据库打开错误(DELETE FROM 映射 WHERE Fmt='工行')！");
}

TEST(ImportRowSettingsStore, DefaultsAndRoundTrip)
{
    test::TestHome home;
    auto texts = [] {
        const ImportRowSettings s = LoadImportRowSettings();
        return QStringList{s.startRow, s.endRow, s.linesPerRecord};
    };
    EXPECT_EQ(texts(), (QStringList{"2", "100", "1"}));
    ASSERT_TRUE(SaveImportRowSettings({"3", "3000", "2"}));
    EXPECT_EQ(texts(), (QStringList{"3", "3000", "2"}));
    EXPECT_EQ(GetRegValue(RegRoot(), "Corvanteel", "T(1)", ""), "3000");
    // An emptied value reads as the first use's.
    ASSERT_TRUE(SaveImportRowSettings({"", "50", ""}));
    EXPECT_EQ(texts(), (QStringList{"2", "50", "1"}));
}
