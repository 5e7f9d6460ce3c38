#include "DamagedTable.h"
#include "TestHome.h"

#include "storage/Database.h"
#include "storage/HistoryTableModel.h"

using namespace slip;

namespace {

using M = HistoryTableModel;

QString Cell(const M& m, int row, int column) { return m.data(m.index(row, column)).toString(); }
QString Header(const M& m, int column) { return m.headerData(column, Qt::Horizontal).toString(); }

QStringList Row(const M& m, int row)
{
    QStringList out;
    for (int c = 0; c < m.columnCount(); ++c) out << Cell(m, row, c);
    return out;
}

HistorySlip Slip(std::initializer_list<std::pair<qint64, QString>> values)
{
    HistorySlip s;
    for (const auto& [id, v] : values) s.push_back({id, v});
    return s;
}

// Boxes of a format as the caller knows them, in no particular order.
const QVector<HistoryBox> kBoxes{
    {14, 4, "标签"},  {12, 1, "现金"},  {10, 0, "账号"},  {11, 0, "户名"},
    {13, 2, "条码"},  {15, 3, "横线"},  {16, 0, "金额"},
};

} // namespace

using HistoryListLayoutHome = test::WithHome;
using HistoryListLoadingHome = test::WithHome;

TEST_F(HistoryListLayoutHome, ColumnsAreSlipNumberRunningNumberThenBoxesByClassAndCaption)
{
    M m;
    m.InitHistoryGrid("甲", kBoxes);
    ASSERT_EQ(m.columnCount(), 9);
    EXPECT_EQ(m.rowCount(), 0);
    // Within class 0 the captions sort as texts do: 户 (U+6237) < 账 (U+8D26) < 金 (U+91D1).
    QStringList headers;
    QList<qint64> ids;
    for (int c = 0; c < m.columnCount(); ++c) {
        headers << Header(m, c);
        ids << m.BoxId(c);
    }
    EXPECT_EQ(headers, (QStringList{"", "序号", "户名", "账号", "金额", "现金", "条码", "横线", "标签"}));
    EXPECT_EQ(ids, (QList<qint64>{0, 0, 11, 10, 16, 12, 13, 15, 14}));
    EXPECT_EQ(m.ColumnOfBox(16), 4);
    EXPECT_EQ(m.ColumnOfBox(99), -1);
    EXPECT_EQ(m.BoxId(M::kRunningNumberColumn), 0);
}

TEST_F(HistoryListLayoutHome, OneRowPerSlipOfTheFormatNewestFirst)
{
    ASSERT_TRUE(SaveHistorySlips("甲", {Slip({{10, "6222001"}, {11, "张三"}, {16, "100.00"}}),
                                        Slip({{11, "李四"}, {12, "1"}, {13, "6901234567892"}}),
                                        Slip({{10, "6222003"}, {11, "王五\r\n分行"}})})
                    .ok);
    ASSERT_TRUE(SaveHistorySlips("乙", {Slip({{10, "别的格式"}})}).ok);
    M m;
    ASSERT_TRUE(m.LoadHistoryList("甲", kBoxes)) << m.LastError().toStdString();
    ASSERT_EQ(m.rowCount(), 3);
    EXPECT_EQ(Row(m, 0), (QStringList{"3", "1", "王五\r\n分行", "6222003", "", "", "", "", ""}));
    EXPECT_EQ(Row(m, 1), (QStringList{"2", "2", "李四", "", "", "1", "6901234567892", "", ""}));
    EXPECT_EQ(Row(m, 2), (QStringList{"1", "3", "张三", "6222001", "100.00", "", "", "", ""}));
    EXPECT_EQ(m.SlipNumber(0), 3);
    EXPECT_EQ(m.SlipNumber(3), 0);
}

TEST_F(HistoryListLayoutHome, ValuesOfADeletedBoxAreNotShownAndANewBoxIsEmpty)
{
    ASSERT_TRUE(SaveHistorySlips("甲", {Slip({{10, "6222001"}, {11, "张三"}, {99, "旧方框的值"}})}).ok);
    M m;
    // Box 99 is gone from the format; box 17 was added after the slip was stored.
    ASSERT_TRUE(m.LoadHistoryList("甲", {{10, 0, "账号"}, {11, 0, "户名"}, {17, 0, "备注"}}));
    ASSERT_EQ(m.columnCount(), 5);
    EXPECT_EQ(Header(m, 2), "备注");
    EXPECT_EQ(Row(m, 0), (QStringList{"1", "1", "", "张三", "6222001"}));
    for (int c = 0; c < m.columnCount(); ++c) EXPECT_NE(Cell(m, 0, c), "旧方框的值");
}

// A list that can't be read, from its slips' numbers or from the values of
// any page of them, is empty and names the statement that failed, with its
// values, at every load.
TEST(HistoryListLayout, NoSlipsOrAnUnreadableTableGiveAnEmptyList)
{
    // A page that only slips of the list's second page need: the first page reads.
    auto olderSlips = [] {
        auto reads = [](int low, int high) {
            return OpenRecordset("SELECT ID, CID, Con FROM 历史 WHERE Fmt='甲' AND ID BETWEEN ? AND ?", {low, high}).ok;
        };
        test::DamagePageWhere([&] { return !reads(189, 444) && reads(445, 700) && HistorySlipNumbersOf("甲").ok; });
    };
    const struct {
        const char* format;
        int slips;
        std::function<void()> damage;
        const char* error;
    } cases[] = {
        {"空", 2, [] {}, ""},
        {"甲", 2, [] { test::DamageTable("历史检索"); },
         "数据库打开错误(SELECT ID, Txt, CIDs FROM 历史检索 WHERE Fmt='甲' ORDER BY ID DESC)！"},
        {"甲", 2, [] { test::DamageTable("历史"); },
         "数据库打开错误(SELECT ID, CID, Con FROM 历史 WHERE Fmt='甲' AND ID BETWEEN 1 AND 2)！"},
        {"甲", 700, olderSlips, "数据库打开错误(SELECT ID, CID, Con FROM 历史 WHERE Fmt='甲' AND ID BETWEEN 189 AND 444)！"},
    };
    for (const auto& c : cases) {
        test::TestHome home;
        ASSERT_TRUE(SaveHistorySlips("甲", QVector<HistorySlip>(c.slips, Slip({{10, "一"}}))).ok);
        c.damage();
        M m;
        QStringList told;  // a load answers for itself
        QObject::connect(&m, &M::pageUnreadable, [&](const QString& e) { told << e; });
        for (int load = 1; load <= 2; ++load) {
            EXPECT_EQ(m.LoadHistoryList(c.format, kBoxes), !*c.error) << c.slips << " load " << load;
            EXPECT_EQ(m.rowCount(), 0) << c.slips << " load " << load;
            EXPECT_EQ(m.columnCount(), 9);
            EXPECT_EQ(m.LastError().toStdString(), c.error);
        }
        EXPECT_TRUE(told.isEmpty());
    }
}

TEST_F(HistoryListLoadingHome, ACaptionClickSortsEveryPageAndMarksTheCaption)
{
    QVector<HistorySlip> slips;
    for (int i = 1; i <= 1000; ++i)
        slips << Slip({{10, QString::number(i % 7 == 0 ? i : 2000 - i)}, {11, QString("户名%1").arg(i)}});
    ASSERT_TRUE(SaveHistorySlips("甲", slips).ok);
    M m;
    ASSERT_TRUE(m.LoadHistoryList("甲", {{10, 0, "账号"}, {11, 0, "户名"}}));
    ASSERT_EQ(Cell(m, 999, 3), "1999");
    m.sort(3, Qt::AscendingOrder);
    EXPECT_EQ(Header(m, 3), "账号△");
    EXPECT_EQ(Header(m, 2), "户名");
    double previous = -1;
    for (int r = 0; r < 1000; ++r) {
        const double amount = Cell(m, r, 3).toDouble();
        ASSERT_LE(previous, amount) << r;  // numbers as numbers, over every page
        ASSERT_EQ(Cell(m, r, 2), QString("户名%1").arg(m.SlipNumber(r))) << r;
        ASSERT_EQ(Cell(m, r, 1), QString::number(r + 1));
        previous = amount;
    }
    m.sort(3, Qt::DescendingOrder);
    EXPECT_EQ(Header(m, 3), "账号▽");
    EXPECT_EQ(Cell(m, 0, 3), "1999");
    m.sort(M::kRunningNumberColumn, Qt::AscendingOrder);  // no sort there
    EXPECT_EQ(Cell(m, 0, 3), "1999");
    QString failure;
    QObject::connect(&m, &M::sortFailed, [&](const QString& e) { failure = e; });
    ASSERT_TRUE(ExecuteSql("DROP TABLE 历史"));
    m.sort(2, Qt::AscendingOrder);
    EXPECT_TRUE(failure.startsWith("数据库打开错误(")) << failure.toStdString();
    EXPECT_EQ(Header(m, 3), "账号▽");
    EXPECT_EQ(Cell(m, 0, 3), "1999");
    // A column sorted before sorts again on the values read then.
    failure.clear();
    m.sort(3, Qt::AscendingOrder);
    EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
    EXPECT_EQ(Header(m, 3), "账号△");
    EXPECT_EQ(m.SlipNumber(0), 7);  // the smallest account, 7
}

TEST_F(HistoryListLoadingHome, RemovedSlipsLeaveRowsRenumberedFromOne)
{
    QVector<HistorySlip> slips;
    for (int i = 1; i <= 6; ++i) slips << Slip({{10, QString("值%1").arg(i)}});
    ASSERT_TRUE(SaveHistorySlips("甲", slips).ok);
    M m;
    ASSERT_TRUE(m.LoadHistoryList("甲", {{10, 0, "值"}}));
    EXPECT_EQ(Cell(m, 2, 2), "值4");
    int removals = 0;
    QObject::connect(&m, &QAbstractItemModel::rowsRemoved, [&removals] { ++removals; });

    const HistoryDeleteResult gone = DeleteHistoryRows(m.Format(), {m.SlipNumber(1), m.SlipNumber(2), m.SlipNumber(4)});
    ASSERT_TRUE(gone.ok);
    m.RemoveSlips(gone.deleted);
    EXPECT_EQ(removals, 2);  // rows 1-2 and row 4
    ASSERT_EQ(m.rowCount(), 3);
    EXPECT_EQ(Row(m, 0), (QStringList{"6", "1", "值6"}));
    EXPECT_EQ(Row(m, 1), (QStringList{"3", "2", "值3"}));
    EXPECT_EQ(Row(m, 2), (QStringList{"1", "3", "值1"}));
}

TEST_F(HistoryListLoadingHome, APageThatCannotBeReadShowsEmptyCellsAndTheError)
{
    // Read again once rows are removed (pages are cut by row), after the
    // load read every page; told when the read fails, and to an export.
    QVector<HistorySlip> slips;
    for (int i = 1; i <= 300; ++i) slips << Slip({{10, "一"}});
    ASSERT_TRUE(SaveHistorySlips("甲", slips).ok);
    M m;
    ASSERT_TRUE(m.LoadHistoryList("甲", {{10, 0, "账号"}}));
    ASSERT_TRUE(ExecuteSql("ALTER TABLE 历史 RENAME TO 历史_moved"));
    m.RemoveSlips({300});
    QStringList told;
    QObject::connect(&m, &M::pageUnreadable, [&](const QString& e) { told << e; });
    const QString error = "数据库打开错误(SELECT ID, CID, Con FROM 历史 WHERE Fmt='甲' AND ID BETWEEN 1 AND 43)！";
    EXPECT_EQ(Cell(m, 298, 2), "");
    EXPECT_EQ(Cell(m, 297, 2), "");
    EXPECT_EQ(Cell(m, 298, 0), "1");  // the slip number is known without reading
    EXPECT_EQ(m.LastError(), error);
    EXPECT_EQ(told, QStringList{error});
    EXPECT_EQ(m.RowReadError(298), error);
    EXPECT_EQ(m.RowReadError(299), "");
}
