#include "TestHome.h"

#include "storage/Database.h"
#include "storage/RecordListModel.h"

#include <QBrush>

using namespace slip;

namespace {

QStringList Column(const RecordListModel& m, int c)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r) out << m.Text(r, c);
    return out;
}

} // namespace

TEST(RecordList, ShowsFieldsByTheirTypesNumbersTheRowsAndSortsWithAMark)
{
    test::TestHome home;
    ASSERT_TRUE(ExecuteSql("CREATE TABLE 清单 (ID INTEGER, Name TEXT, W DOUBLE, Dat DATE, Ok BOOLEAN)"));
    for (const QVariantList& row : {QVariantList{1, "乙", 3.14159, "2012-05-31", 1}, QVariantList{2, "甲", 100.0, "", 0},
                                    QVariantList{3, "丙", 20.005, QVariant(), QVariant()}})
        ASSERT_TRUE(ExecuteSql("INSERT INTO 清单 VALUES(?, ?, ?, ?, ?)", row));
    RecordListModel m;
    m.SetColumns({{"ID", "ID"}, {"", RecordListModel::kRunningNumberCaption}, {"Name", "名称"}, {"W", "宽"},
                  {"Dat", "日期"}, {"Ok", "选"}, {"Missing", "无"}});
    ASSERT_EQ(m.RunningNumberColumn(), 1);
    ASSERT_TRUE(m.Fill("清单", "ID<?", {9}, "ID")) << m.LastError().toStdString();
    EXPECT_EQ(Column(m, 1), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(Column(m, 3), (QStringList{"3.14", "100", "20"}));  // halves to even
    EXPECT_EQ(Column(m, 4), (QStringList{"2012.05.31", "", ""}));
    EXPECT_EQ(Column(m, 5), (QStringList{"√", "", ""}));
    EXPECT_EQ(Column(m, 6), (QStringList{"", "", ""}));

    m.sort(3, Qt::AscendingOrder);
    EXPECT_EQ(Column(m, 0), (QStringList{"1", "3", "2"}));
    EXPECT_EQ(Column(m, 1), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(m.headerData(3, Qt::Horizontal).toString(), "宽△");
    m.sort(2, Qt::DescendingOrder);
    EXPECT_EQ(m.headerData(3, Qt::Horizontal).toString(), "宽");
    EXPECT_EQ(m.headerData(2, Qt::Horizontal).toString(), "名称▽");

    m.SetRowColour(0, Qt::red);
    EXPECT_EQ(m.index(0, 2).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
    ASSERT_TRUE(m.removeRows(0, 1));
    EXPECT_EQ(Column(m, 1), (QStringList{"1", "2"}));

    EXPECT_FALSE(m.Fill("没有这张表"));
    EXPECT_EQ(m.rowCount(), 0);
    EXPECT_TRUE(m.LastError().startsWith("数据库打开错误(")) << m.LastError().toStdString();
}

TEST(RecordList, AColumnOfAnotherTableShowsTheFieldOfTheRecordWithThatId)
{
    test::TestHome home;
    ASSERT_TRUE(ExecuteSql("CREATE TABLE 客户 (ID INTEGER, Name TEXT)"));
    ASSERT_TRUE(ExecuteSql("CREATE TABLE 单据 (ID INTEGER, Ref INTEGER)"));
    ASSERT_TRUE(ExecuteSql("INSERT INTO 客户 VALUES(7, '客户甲'), (9, NULL), (11, '客户乙')"));
    ASSERT_TRUE(ExecuteSql("INSERT INTO 单据 VALUES(1, 9), (2, 7), (3, 8), (4, 7), (5, 10)"));
    const struct { const char* field; QStringList shown; } cases[] = {  // shown for the slips 1 to 5
        // A null name; no record 8, nor 10 (whose next record has a name).
        {"客户:Ref:Name", {"", "客户甲", "", "客户甲", ""}},
        {"客户:Ref:Name:more", {"", "客户甲", "", "客户甲", ""}},
        {"客户:Ref", {"", "", "", "", ""}},
        {"客户:Missing:Name", {"", "", "", "", ""}},
        {"没有这张表:Ref:Name", {"", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        RecordListModel m;
        m.SetColumns({{"ID", "ID"}, {"", RecordListModel::kRunningNumberCaption}, {QString::fromUtf8(c.field), "客户"}});
        ASSERT_TRUE(m.Fill("单据", {}, {}, "ID")) << c.field;
        EXPECT_EQ(Column(m, 2), c.shown) << c.field;
    }
}
