#include "TestHome.h"

#include "storage/Database.h"
#include "BoxBuilders.h"
#include "storage/HistoryStore.h"
#include "storage/PrintedSlips.h"

#include <QSqlQuery>

using namespace slip;

namespace {

int RecordCount(const QString& condition = "1", const QVariantList& params = {})
{
    DbConnection conn;
    QSqlQuery q(conn.db());
    q.prepare("SELECT COUNT(*) FROM 历史 WHERE " + condition);
    for (int i = 0; i < params.size(); ++i) q.bindValue(i, params[i]);
    if (!q.exec() || !q.next()) return -1;
    return q.value(0).toInt();
}

bool Exec(const QString& sql)
{
    DbConnection conn;
    QSqlQuery q(conn.db());
    return q.exec(sql);
}

HistorySlip Slip(std::initializer_list<std::pair<qint64, QString>> values)
{
    HistorySlip s;
    for (const auto& [id, v] : values) s.push_back({id, v});
    return s;
}

qint64 Save(const QString& format, const HistorySlip& slip)
{
    const HistorySaveResult r = SaveHistoryRecord(format, slip);
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    return r.slipNumber;
}

} // namespace

using HistoryDeleteHome = test::WithHome;
using HistoryPendingRunsHome = test::WithHome;
using HistorySlipNumbersHome = test::WithHome;
using HistorySlipStorageHome = test::WithHome;
using HistoryStoreHome = test::WithHome;

TEST_F(HistorySlipNumbersHome, CountPerFormatSkipEmptySlipsAndGiveADeletedNewestNumberAgain)
{
    EXPECT_EQ(Save("活期存款", Slip({{1, "张三"}})), 1);
    EXPECT_EQ(Save("定期存款", Slip({{7, "王五"}})), 1);
    EXPECT_EQ(Save("活期存款", Slip({{1, ""}, {2, ""}})), 0);  // nothing stored, no number used
    const HistoryBatchSaveResult batch =
        SaveHistorySlips("活期存款", {Slip({{1, "b"}}), Slip({{1, ""}}), Slip({{1, "c"}, {2, "d"}})});
    ASSERT_TRUE(batch.ok);
    EXPECT_EQ(batch.slipNumbers, (QVector<qint64>{2, 0, 3}));
    EXPECT_EQ(RecordCount("Fmt=? AND ID=3", {"活期存款"}), 2);
    EXPECT_EQ(HistorySlipNumbersOf("活期存款").records, 4);  // one per value
    ASSERT_TRUE(DeleteHistoryRows("活期存款", {3}).ok);
    EXPECT_EQ(Save("活期存款", Slip({{1, "e"}})), 3);
}

TEST_F(HistorySlipNumbersHome, UnreadableHighestNumberStoresNothingInsteadOfStartingAtOne)
{
    Save("甲", Slip({{1, "a"}}));
    Save("甲", Slip({{1, "b"}}));
    // The table becomes a view that accepts rows but fails to be read (abs()
    // of the smallest integer overflows), as an unreadable table would.
    ASSERT_TRUE(Exec("ALTER TABLE 历史 RENAME TO 历史_kept"));
    ASSERT_TRUE(Exec("CREATE VIEW 历史 AS SELECT ID, Fmt, CID, Con FROM 历史_kept"
                     " WHERE abs(-9223372036854775807 - 1) > 0"));
    ASSERT_TRUE(Exec("CREATE TRIGGER 历史_write INSTEAD OF INSERT ON 历史 BEGIN"
                     " INSERT INTO 历史_kept(ID, Fmt, CID, Con) VALUES(NEW.ID, NEW.Fmt, NEW.CID, NEW.Con); END"));
    const HistorySaveResult r = SaveHistoryRecord("甲", Slip({{1, "c"}}));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.slipNumber, 0);
    EXPECT_EQ(r.error, "数据库打开错误(SELECT MAX(ID) FROM 历史 WHERE Fmt='甲')！");
    EXPECT_EQ(RecordCount("1", {}), -1);  // still unreadable
    ASSERT_TRUE(Exec("DROP VIEW 历史"));
    ASSERT_TRUE(Exec("ALTER TABLE 历史_kept RENAME TO 历史"));
    EXPECT_EQ(RecordCount(), 2);  // nothing was written
}

TEST_F(HistorySlipStorageHome, AFailureLeavesNoPartOfASlipOrOfABatch)
{
    Save("甲", Slip({{1, "前一张"}}));
    // The third value is refused, as a full disk would.
    ASSERT_TRUE(Exec("CREATE TRIGGER refuse BEFORE INSERT ON 历史 WHEN NEW.CID = 3"
                     " BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    const HistorySaveResult r = SaveHistoryRecord("甲", Slip({{1, "一"}, {2, "二"}, {3, "三"}, {4, "四"}}));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_EQ(r.slipNumber, 0);
    const HistoryBatchSaveResult batch = SaveHistorySlips("甲", {Slip({{1, "好"}}), Slip({{3, "坏"}})});
    EXPECT_FALSE(batch.ok);
    EXPECT_TRUE(batch.slipNumbers.isEmpty());
    EXPECT_EQ(RecordCount(), 1);
    ASSERT_TRUE(Exec("DROP TRIGGER refuse"));
    EXPECT_EQ(Save("甲", Slip({{1, "一"}, {3, "三"}})), 2);
}

TEST_F(HistorySlipStorageHome, ValuesComeBackAsStored)
{
    const QString twoLines = "第一行\r\n第二行";
    const qint64 n = Save("甲'乙", Slip({{11, twoLines}, {12, ""}, {1001, "1"}, {2001, "6901234567892"}}));
    const HistorySlipValues slip = ReadHistorySlip("甲'乙", n);
    ASSERT_TRUE(slip.ok && slip.found);
    EXPECT_EQ(slip.values, (QHash<qint64, QString>{{11, twoLines}, {1001, "1"}, {2001, "6901234567892"}}));
    const HistorySlipValues missing = ReadHistorySlip("甲'乙", n + 1);
    EXPECT_TRUE(missing.ok && !missing.found);
    EXPECT_FALSE(ReadHistorySlip("甲", n).found);
}

class HistoryCompletionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QVector<HistorySlip> slips;
        for (const char* v : {"张三丰", "张三", "李四", "李四", "50%", "500", "a_b", "axb", "O'Brien",
                              "x' OR '1'='1", "C:\\temp", "C:temp", "%off", "Zebra"})
            slips << Slip({{5, QString::fromUtf8(v)}, {6, "别的方框"}});
        ASSERT_TRUE(SaveHistorySlips("甲", slips).ok);
        ASSERT_TRUE(SaveHistorySlips("乙", {Slip({{5, "李白"}})}).ok);
    }
    QStringList Starting(const QString& typed)
    {
        const HistoryValuesResult r = HistoryValuesStartingWith("甲", 5, typed);
        EXPECT_TRUE(r.ok) << r.error.toStdString();
        return r.values;
    }
    test::TestHome home_;
};

TEST_F(HistoryCompletionTest, ProposesTheOnlyEarlierValueBeginningWithTheTextTakenLiterally)
{
    const struct {
        QString format;
        qint64 box;
        QString typed, proposal;
    } cases[] = {
        {"甲", 5, "李", "李四"},       // stored twice, still one value; 李白 is another format's
        {"甲", 5, "张", ""},           // 张三 and 张三丰
        {"甲", 5, "张三丰", ""},       // only the text itself
        {"甲", 5, "王", ""},
        {"甲", 6, "别", "别的方框"},
        {"甲", 5, "50%", ""},          // exactly itself
        {"甲", 5, "50", ""},           // 50% and 500
        {"甲", 5, "a_", "a_b"},        // not axb
        {"甲", 5, "%", "%off"},
        {"甲", 5, "C:\\", "C:\\temp"},
        {"甲", 5, "O'", "O'Brien"},
        {"甲", 5, "' OR '1'='1", ""},
        {"甲' OR '1'='1", 5, "", ""},
        {"甲", 5, "zeb", "Zebra"},     // letters in either case
    };
    for (const auto& c : cases) {
        const HistoryCompletion r = CompleteFromHistory(c.format, c.box, c.typed);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(r.proposal, c.proposal) << c.typed.toStdString();
    }
    EXPECT_EQ(Starting("张"), (QStringList{"张三", "张三丰"}));
    EXPECT_EQ(Starting("_"), QStringList{});
    EXPECT_EQ(RecordCount(), 29);
    // Earlier values: each once, ascending.
    const QStringList all = EarlierBoxValues("甲", 5).values;
    EXPECT_EQ(all.size(), 13);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    EXPECT_EQ(EarlierBoxValues("甲", 5, 2).values.size(), 2);
}

TEST_F(HistoryCompletionTest, TheQueryReadsOnlyTheBoxValuesThatBeginWithTheText)
{
    DbConnection conn;
    QSqlQuery q(conn.db());
    ASSERT_TRUE(q.prepare("EXPLAIN QUERY PLAN SELECT Con FROM 历史 WHERE Fmt=? AND CID=?"
                          " AND Con>=? COLLATE NOCASE AND Con<? COLLATE NOCASE"
                          " AND Con LIKE ? ESCAPE '\\' GROUP BY Con ORDER BY Con"));
    q.bindValue(0, "甲");
    q.bindValue(1, 5);
    q.bindValue(2, "张三");
    q.bindValue(3, "张三" + QString::fromUcs4(U"\U0010FFFF"));
    q.bindValue(4, "张三%");
    ASSERT_TRUE(q.exec());
    QString plan;
    while (q.next()) plan += q.value(3).toString() + "\n";
    EXPECT_TRUE(plan.contains("INDEX 历史_值 (Fmt=? AND CID=? AND Con>? AND Con<?)"))
        << plan.toStdString();
}

TEST_F(HistoryDeleteHome, TheListedOrAllSlipsOfTheGivenFormatOnlyAndAFailureChangesNothing)
{
    QVector<HistorySlip> slips;
    for (int i = 1; i <= 5; ++i) slips << Slip({{1, QString("甲%1").arg(i)}, {2, "x"}});
    ASSERT_TRUE(SaveHistorySlips("甲", slips).ok);
    ASSERT_TRUE(SaveHistorySlips("乙", {Slip({{1, "乙1"}}), Slip({{1, "乙2"}})}).ok);
    auto numbers = [](const QString& format) { return HistorySlipNumbersOf(format).numbers; };
    ASSERT_TRUE(Exec("CREATE TRIGGER refuse BEFORE DELETE ON 历史 WHEN OLD.ID = 4"
                     " BEGIN SELECT RAISE(ABORT, 'locked'); END"));
    for (const HistoryDeleteResult& r : {DeleteHistoryRows("甲", {3, 4, 5}), DeleteAllHistory("甲")}) {
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.error.isEmpty());
        EXPECT_TRUE(r.deleted.isEmpty());
    }
    EXPECT_EQ(RecordCount("Fmt=?", {"甲"}), 10);
    ASSERT_TRUE(Exec("DROP TRIGGER refuse"));

    const HistoryDeleteResult some = DeleteHistoryRows("甲", {2, 3, 9});
    ASSERT_TRUE(some.ok) << some.error.toStdString();
    EXPECT_EQ(some.deleted, (QVector<qint64>{2, 3}));  // 9 never existed
    EXPECT_EQ(numbers("甲"), (QVector<qint64>{5, 4, 1}));
    const HistoryDeleteResult all = DeleteAllHistory("甲");
    EXPECT_EQ(all.deleted, (QVector<qint64>{5, 4, 1}));
    EXPECT_TRUE(numbers("甲").isEmpty());
    EXPECT_EQ(numbers("乙"), (QVector<qint64>{2, 1}));
}

// A statement the database refuses to prepare is told with the values of
// the row it was to run for, as one that fails to run.
TEST(HistoryWrites, ARefusedStatementIsToldWithItsValues)
{
    // A table renamed away, or turned into a view that can be read but not written.
    const struct {
        QStringList change;
        std::function<QString()> write;
        const char* error;
    } cases[] = {
        {{"ALTER TABLE 历史 RENAME TO 历史_kept"}, [] { return DeleteHistoryRows("甲", {2, 1}).error; },
         "数据库打开错误(DELETE FROM 历史 WHERE Fmt='甲' AND ID=2)！"},
        {{"ALTER TABLE 历史 RENAME TO 历史_kept", "CREATE VIEW 历史 AS SELECT * FROM 历史_kept"},
         [] { return SaveHistoryRecord("甲", Slip({{1, "三"}})).error; },
         "数据库打开错误(INSERT INTO 历史(ID, Fmt, CID, Con) VALUES(3, '甲', 1, '三'))！"},
        // The slip's values as one search text, each after the separator U+001F.
        {{"ALTER TABLE 历史检索 RENAME TO 历史检索_kept", "CREATE VIEW 历史检索 AS SELECT * FROM 历史检索_kept"},
         [] { return SaveHistoryRecord("甲", Slip({{1, "三"}, {2, "叁"}})).error; },
         "数据库打开错误(INSERT OR REPLACE INTO 历史检索(Fmt, ID, Txt, CIDs) VALUES('甲', 3, '\x1F" "三\x1F" "叁', '1,2'))！"},
        {{"ALTER TABLE 历史待定 RENAME TO 历史待定_kept", "CREATE VIEW 历史待定 AS SELECT * FROM 历史待定_kept"},
         [] { return KeepPendingSlips("甲", {Slip({{1, ""}, {2, "四"}})}).error; },
         "数据库打开错误(INSERT INTO 历史待定(Run, Seq, Fmt, CID, Con) VALUES(1, 0, '甲', 2, '四'))！"},
    };
    for (const auto& c : cases) {
        test::TestHome home;
        ASSERT_TRUE(SaveHistorySlips("甲", {Slip({{1, "一"}}), Slip({{1, "二"}})}).ok);
        for (const QString& sql : c.change) ASSERT_TRUE(Exec(sql)) << sql.toStdString();
        EXPECT_EQ(c.write().toStdString(), c.error);
    }
}

TEST_F(HistoryStoreHome, NewestValuesAndSlipsOfABox)
{
    ASSERT_TRUE(SaveHistoryRecord("甲", {{7, "张三"}, {8, "100"}}).ok);
    ASSERT_TRUE(SaveHistoryRecord("甲", {{7, "李四"}, {8, "200"}}).ok);
    ASSERT_TRUE(SaveHistoryRecord("甲", {{7, "张三"}, {8, "300"}}).ok);
    ASSERT_TRUE(SaveHistoryRecord("乙", {{7, "王五"}}).ok);
    const HistoryNewest last = NewestBoxValue("甲", 7);
    ASSERT_TRUE(last.ok);
    EXPECT_EQ(last.value, "张三");
    EXPECT_EQ(last.slipNumber, 3);
    const HistoryNewest li = NewestSlipWithValue("甲", 7, "李四");
    EXPECT_EQ(li.slipNumber, 2);
    EXPECT_EQ(ReadHistorySlip("甲", li.slipNumber).values.value(8), "200");
    EXPECT_EQ(NewestSlipWithValue("甲", 7, "王五").slipNumber, 0);  // another format's
    EXPECT_EQ(NewestSlipWithValue("甲", 7, "' OR '1'='1").slipNumber, 0);
    EXPECT_EQ(NewestBoxValue("甲", 99).slipNumber, 0);
}

// Slips stored by older versions hold line breaks as the marker or as a
// bare LF; they are found and read as the CR LF values the boxes hold.
TEST_F(HistoryStoreHome, ValuesStoredWithAnyLineBreakFormAreFoundAndReadAsCrLf)
{
    ASSERT_TRUE(SaveHistoryRecord("甲", {{7, "北京//海淀"}, {8, "1"}}).ok);    // the marker
    ASSERT_TRUE(SaveHistoryRecord("甲", {{7, "北京\n朝阳"}, {8, "2"}}).ok);    // a bare LF
    ASSERT_TRUE(SaveHistoryRecord("甲", {{7, "北京\r\n海淀"}, {8, "3"}}).ok);  // as stored now
    ASSERT_TRUE(SaveHistoryRecord("甲", {{7, "上海//浦东"}, {8, "4"}}).ok);
    const struct {
        QString typed, proposal;
    } completions[] = {
        {"上", "上海\r\n浦东"},
        {"北京\r\n海", "北京\r\n海淀"},  // two stored forms, one value
        {"北京\n朝", "北京\r\n朝阳"},     // as the editor gives it
        {"北京", ""},                     // 海淀 and 朝阳
        {"北京\r\n海淀", ""},              // only itself
    };
    for (const auto& c : completions) {
        const HistoryCompletion r = CompleteFromHistory("甲", 7, c.typed, "//");
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(r.proposal, c.proposal) << c.typed.toStdString();
    }
    EXPECT_EQ(EarlierBoxValues("甲", 7, -1, "//").values,
              (QStringList{"上海\r\n浦东", "北京\r\n朝阳", "北京\r\n海淀"}));
    // The linked lookup finds the newest slip whichever form stored it.
    EXPECT_EQ(NewestSlipWithValue("甲", 7, "北京\r\n海淀", "//").slipNumber, 3);
    EXPECT_EQ(NewestSlipWithValue("甲", 7, "上海\n浦东", "//").slipNumber, 4);
    EXPECT_EQ(NewestSlipWithValue("甲", 7, "北京\r\n朝阳", "//").slipNumber, 2);
    EXPECT_EQ(StoredLineBreakForms("一\r\n二", "##"), (QStringList{"一\r\n二", "一\n二", "一##二"}));
    EXPECT_EQ(StoredLineBreakForms("一二", "##"), QStringList{"一二"});
}

// Box 1 an amount, box 2 a name, box 4 amounts below and above 0; slip 4 has no amount.
bool SaveListedSlips()
{
    return SaveHistorySlips("甲", {Slip({{1, "100.00"}, {2, "beta"}, {4, "1"}}),
                                   Slip({{1, "￥1,000.50"}, {2, "Alpha"}, {4, "-5"}}),
                                   Slip({{1, "9.5"}, {2, "张三"}, {4, "5"}}), Slip({{2, "alpha"}, {4, "0"}}),
                                   Slip({{1, "100"}, {2, "户名在此"}, {3, "旧方框的户名"}, {4, "-1"}})})
               .ok
           && SaveHistorySlips("乙", {Slip({{1, "1"}, {2, "户名"}})}).ok;
}

class HistoryListQueryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SaveListedSlips()); }
    test::TestHome home_;
};

TEST_F(HistoryListQueryTest, SlipsSortByABoxNumbersAsNumbersThenTextsEqualOnesNewestFirst)
{
    const struct {
        qint64 box;
        Qt::SortOrder order;
        QVector<qint64> slips;
    } cases[] = {
        {0, Qt::AscendingOrder, {5, 4, 3, 2, 1}},
        {1, Qt::AscendingOrder, {3, 5, 1, 2, 4}},
        {1, Qt::DescendingOrder, {4, 2, 5, 1, 3}},
        {2, Qt::AscendingOrder, {2, 4, 1, 3, 5}},
        {4, Qt::AscendingOrder, {2, 5, 4, 1, 3}},  // -5, -1, 0, 1, 5
        {4, Qt::DescendingOrder, {3, 1, 4, 5, 2}},
    };
    for (const auto& c : cases) {
        const HistorySlipNumbers listed = HistorySlipNumbersOf("甲");
        ASSERT_TRUE(listed.ok) << listed.error.toStdString();
        if (c.box == 0) {
            EXPECT_EQ(listed.numbers, c.slips);
            continue;
        }
        const HistorySortKeys keys = ReadHistorySortKeys("甲", c.box, listed.numbers);
        ASSERT_TRUE(keys.ok) << keys.error.toStdString();
        EXPECT_EQ(SortHistorySlips(keys.keys, c.order), c.slips) << c.box << " " << int(c.order);
    }
}

TEST(HistoryListQuery, TheTextsReadWithTheListSortAsTheDatabaseWhereTheyKnowEveryValuesBox)
{
    const struct {
        const char* change;
        const char* sql;
        bool known;
    } cases[] = {
        {"none", "", true},
        {"a value holding the separator", "", false},
        {"a slip without its boxes", "UPDATE 历史检索 SET CIDs=NULL WHERE ID=2", false},
        {"a box listed twice", "UPDATE 历史检索 SET CIDs='1,1' WHERE ID=1", false},
        {"a table from before the boxes were kept",
         "DROP TABLE 历史检索;CREATE TABLE 历史检索 (Fmt TEXT, ID INTEGER, Txt TEXT, PRIMARY KEY(Fmt, ID)) WITHOUT ROWID",
         true},
        {"a slip taken off the list", "", true},
    };
    for (const auto& c : cases) {
        test::TestHome home;
        ASSERT_TRUE(SaveListedSlips());
        const std::string change = c.change;
        if (change == "a value holding the separator")
            ASSERT_TRUE(SaveHistorySlips("甲", {Slip({{1, QString("5") + QChar(0x1F) + "0"}, {2, "末"}})}).ok);
        for (const QString& sql : QString::fromUtf8(c.sql).split(';', Qt::SkipEmptyParts))
            ASSERT_TRUE(Exec(sql)) << change;
        {
            DbConnection conn;
            ASSERT_TRUE(conn.begin()) << change;
            ASSERT_TRUE(EnsureHistoryTables(conn)) << change;
            ASSERT_TRUE(conn.commit()) << change;
        }
        HistorySearchTexts texts;
        QVector<qint64> listed = HistorySlipNumbersOf("甲", &texts).numbers;
        if (change == "a slip taken off the list") {
            texts.Remove({3});
            listed.removeOne(3);
        }
        QVector<HistorySortKey> keys;
        EXPECT_EQ(texts.SortKeysOf(1, keys), c.known) << change;
        for (qint64 box : {1, 2, 3})
            for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                const HistorySortKeys read = ReadHistorySortKeys("甲", box, listed);
                const HistorySortKeys taken = ReadHistorySortKeys("甲", box, listed, &texts);
                ASSERT_TRUE(read.ok && taken.ok) << change;
                EXPECT_EQ(SortHistorySlips(taken.keys, order), SortHistorySlips(read.keys, order))
                    << change << " " << box << " " << int(order);
            }
        // Both fail alike when the history can't be read.
        ASSERT_TRUE(Exec("ALTER TABLE 历史 RENAME TO 历史旧"));
        EXPECT_FALSE(ReadHistorySortKeys("甲", 1, listed, &texts).ok) << change;
        ASSERT_TRUE(Exec("ALTER TABLE 历史旧 RENAME TO 历史"));
    }
}

TEST_F(HistoryListQueryTest, SearchStepsFromMatchToMatchAndWrapsRound)
{
    const QVector<qint64> list{5, 4, 3, 2, 1};
    const QSet<qint64> listed{1, 2};
    const struct {
        QString text;
        int current;
        bool previous;
        int row;
        QString message;
    } cases[] = {
        {"lpha", 0, false, 1, ""},          // slips 4 and 2, case counts
        {"lpha", 1, true, 3, ""},
        {"lpha", 3, true, 1, ""},           // wraps round
        {"Alpha", 3, true, -1, "没有查到相关的记录！"},  // the only match is not found again
        {"  户名 ", 0, false, 0, ""},       // trimmed
        {"旧方框", 0, false, -1, "没有查到相关的记录！"},  // only in a box without a column
        {"不存在", 2, false, -1, "没有查到相关的记录！"},
        {"   ", 0, false, -1, ""},
    };
    HistorySearchTexts texts;
    ASSERT_EQ(HistorySlipNumbersOf("甲", &texts).numbers, list);
    for (const auto& c : cases) {
        QString text = c.text;
        const HistoryFind found = FindHistorySlip("甲", list, listed, texts, text, c.current, c.previous);
        ASSERT_TRUE(found.ok) << found.error.toStdString();
        EXPECT_EQ(found.row, c.row) << c.text.toStdString();
        EXPECT_EQ(found.message, c.message) << c.text.toStdString();
        EXPECT_EQ(text, c.text.trimmed());
    }
}

TEST(HistoryListSearch, ALongHistoryIsSearchedWholeFromAnyRow)
{
    // Some megabytes of values: every slip is found, whichever part of the
    // texts kept in memory it is in.
    test::TestHome home;
    QVector<HistorySlip> slips;
    const QString filler = QString(400, QChar(0x586B));  // 填
    for (int i = 1; i <= 3000; ++i) slips << Slip({{1, filler}, {2, QStringLiteral("户名%1号").arg(i)}});
    ASSERT_TRUE(SaveHistorySlips("长", slips).ok);
    HistorySearchTexts texts;
    const QVector<qint64> list = HistorySlipNumbersOf("长", &texts).numbers;
    ASSERT_EQ(list.size(), 3000);
    for (int slip : {1, 1234, 2999, 3000}) {
        QString text = QStringLiteral("户名%1号").arg(slip);
        const HistoryFind found = FindHistorySlip("长", list, {1, 2}, texts, text, 1500, true);
        ASSERT_TRUE(found.ok) << found.error.toStdString();
        EXPECT_EQ(found.row, 3000 - slip) << slip;
    }
}

TEST_F(HistoryListQueryTest, SearchTextFollowsDeletesAndIsRebuiltForAnOlderDatabase)
{
    QString text = "张三";
    ASSERT_TRUE(DeleteHistoryRows("甲", {3}).ok);
    HistorySearchTexts texts;
    EXPECT_EQ(HistorySlipNumbersOf("甲", &texts).numbers, (QVector<qint64>{5, 4, 2, 1}));
    EXPECT_EQ(FindHistorySlip("甲", {5, 4, 3, 2, 1}, {1, 2}, texts, text, 0, false).row, -1);
    // A database from before the search text gets it from its slips.
    ASSERT_TRUE(Exec("DROP TABLE 历史检索"));
    {
        DbConnection conn;
        ASSERT_TRUE(conn.begin());
        ASSERT_TRUE(EnsureHistoryTables(conn));
        ASSERT_TRUE(conn.commit());
    }
    text = "beta";
    HistorySearchTexts rebuilt;
    ASSERT_TRUE(HistorySlipNumbersOf("甲", &rebuilt).ok);
    EXPECT_EQ(FindHistorySlip("甲", {5, 4, 2, 1}, {1, 2}, rebuilt, text, 0, false).row, 3);
}

TEST_F(HistoryPendingRunsHome, KeptSlipsWaitOutsideTheHistoryUntilConfirmedOrDropped)
{
    // Kept in a table from before runs printed but not stored were marked.
    ASSERT_TRUE(Exec("DROP TABLE 历史待定"));
    ASSERT_TRUE(Exec("CREATE TABLE 历史待定 (Run INTEGER, Seq INTEGER, Fmt TEXT, CID INTEGER, Con TEXT)"));
    {
        DbConnection conn;
        ASSERT_TRUE(conn.begin() && EnsureHistoryTables(conn) && conn.commit());
    }
    Save("甲", Slip({{1, "已有"}}));
    const HistoryPendingResult printed = KeepPendingSlips("甲", {Slip({{1, "一"}, {2, "壹"}}), Slip({{1, ""}}), Slip({{1, "二"}})});
    const HistoryPendingResult refused = KeepPendingSlips("乙", {Slip({{1, "三"}})});
    ASSERT_TRUE(printed.ok && refused.ok);
    EXPECT_EQ(RecordCount(), 1);  // nothing pending is history yet
    const HistoryPendingRuns runs = PendingPrintRuns();
    ASSERT_TRUE(runs.ok);
    ASSERT_EQ(runs.runs.size(), 2);
    EXPECT_EQ(runs.runs[0].format, "甲");
    EXPECT_EQ(runs.runs[0].slips, 2);

    const HistoryBatchSaveResult stored = ConfirmPendingSlips(printed.run);
    ASSERT_TRUE(stored.ok) << stored.error.toStdString();
    EXPECT_EQ(stored.slipNumbers, (QVector<qint64>{2, 3}));
    EXPECT_EQ(ReadHistorySlip("甲", 2).values.value(2), "壹");
    EXPECT_TRUE(DropPendingSlips(refused.run));
    EXPECT_TRUE(PendingPrintRuns().runs.isEmpty());
    EXPECT_EQ(RecordCount("Fmt=?", {"乙"}), 0);
    // A run confirmed twice stores nothing twice.
    EXPECT_TRUE(ConfirmPendingSlips(printed.run).slipNumbers.isEmpty());
    EXPECT_EQ(RecordCount(), 4);
}

TEST(HistoryValuesOfASlip, EachKindOfBoxIsStoredAsItHoldsIt)
{
    SlipFormat f;
    f.Load(FormatHeader{"甲"}, {test::MakeBox(1, BoxKind::Text, {0, 0, 10, 5}), test::MakeBox(2, BoxKind::Check, {0, 10, 5, 5}),
                    test::MakeBox(3, BoxKind::Picture, {0, 20, 10, 5}), test::MakeBox(4, BoxKind::Label, {0, 30, 10, 5}),
                    test::MakeBox(-5, BoxKind::Text, {0, 40, 10, 5})});
    const struct {
        BoxId box;
        QString onSlip, stored;
    } cases[] = {
        {1, "一行\r\n二行", "一行\r\n二行"},
        {1, "一行\n二行", "一行\r\n二行"},  // whatever form it came in
        {1, "一行//二行", "一行//二行"},      // a marker on the slip is text
        {2, "1", "1"},
        {2, "√", "1"},  // any tick is stored as 1
        {2, "", ""},    // unticked: nothing stored
        {2, " ", ""},
        {3, "6901234567892", "6901234567892"},
        {4, "标签", ""},  // labels hold no value
        {-5, "未保存的方框", ""},
    };
    for (const auto& c : cases) {
        const HistorySlip slip = HistorySlipOf(f, {{c.box, c.onSlip}});
        EXPECT_EQ(slip.isEmpty() ? QString() : slip.first().value, c.stored) << c.onSlip.toStdString();
    }
}
