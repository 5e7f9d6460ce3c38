#include "batch/BatchDataSet.h"
#include "batch/BatchNavigation.h"

#include <gtest/gtest.h>

using namespace slip;

namespace {

QVector<BatchColumn> Columns()
{
    return {{10, 1, "户名"}, {11, 2, "金额"}, {20, 1001, "加急"}, {30, 2001, "条码"}};
}

QVector<QStringList> Records(int n)
{
    QVector<QStringList> out;
    for (int i = 1; i <= n; ++i)
        out << QStringList{QString("户%1").arg(i), QString::number(i * 100), i % 2 ? "√" : "", "690123"};
    return out;
}

} // namespace

TEST(BatchDataSetModel, RunningNumberThenOneColumnPerBox)
{
    BatchDataSet set;
    set.Reset(Columns(), Records(3));
    EXPECT_EQ(set.rowCount(), 3);
    EXPECT_EQ(set.columnCount(), 5);
    EXPECT_EQ(set.data(set.index(0, 0)).toString(), "1");
    EXPECT_EQ(set.data(set.index(2, 0)).toString(), "3");
    EXPECT_EQ(set.data(set.index(1, 1)).toString(), "户2");
    EXPECT_EQ(set.data(set.index(1, 2)).toString(), "200");
    EXPECT_EQ(set.headerData(0, Qt::Horizontal).toString(), "序号");
    EXPECT_EQ(set.headerData(2, Qt::Horizontal).toString(), "金额");
    EXPECT_EQ(set.headerData(3, Qt::Horizontal, BatchDataSet::RecordIdRole).toInt(), 20);
    EXPECT_EQ(set.headerData(3, Qt::Horizontal, BatchDataSet::BoxIndexRole).toInt(), 1001);
    EXPECT_FALSE(set.headerData(9, Qt::Horizontal).isValid());
    EXPECT_EQ(set.RecordValues(3).value(0), "户3");
    EXPECT_EQ(set.RecordValues(4).value(0), "");
    EXPECT_EQ(set.RecordValues(1).value(4), "");
}

TEST(BatchDataSetModel, RecordsArePaddedOrCutToTheColumns)
{
    BatchDataSet set;
    const QVector<QStringList> read{{"a"}, {"a", "b", "c", "d", "e", "f"}};
    EXPECT_TRUE(set.Reset(Columns(), read).isEmpty());
    EXPECT_EQ(set.RecordValues(1), (QStringList{"a", "", "", ""}));
    EXPECT_EQ(set.RecordValues(2), (QStringList{"a", "b", "c", "d"}));
    // The grid's texts, told from the records as read, before they are padded.
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < set.columnCount(); ++c)
            EXPECT_EQ(BatchDataSet::CellText(read[r], r, c), set.index(r, c).data().toString()) << r << " " << c;
    // The records replaced are handed back, to be freed where no one waits.
    const QVector<QStringList> replaced = set.Reset(Columns(), {{"x"}});
    EXPECT_EQ(replaced.size(), 2);
    EXPECT_EQ(replaced.value(1).value(1), "b");
    EXPECT_EQ(set.RecordValues(1), (QStringList{"x", "", "", ""}));
}

TEST(BatchDataSetModel, DeletingRemovesExactlyTheNamedRecordsAndRenumbersTheRest)
{
    const struct {
        QVector<int> records;
        bool removed;
        QStringList left;
    } cases[] = {
        {{1, 5}, true, {"户2", "户3", "户4"}},
        {{4, 2, 3}, true, {"户1", "户5"}},
        {{0, 6}, false, {"户1", "户2", "户3", "户4", "户5"}},
        {{5, 9}, true, {"户1", "户2", "户3", "户4"}},
    };
    for (const auto& c : cases) {
        BatchDataSet set;
        set.Reset(Columns(), Records(5));
        EXPECT_EQ(set.DeleteRecords(c.records), c.removed);
        QStringList left;
        for (int r = 1; r <= set.RecordCount(); ++r) {
            left << set.RecordValues(r).value(0);
            EXPECT_EQ(set.data(set.index(r - 1, 0)).toString(), QString::number(r));
        }
        EXPECT_EQ(left, c.left);
    }
}

TEST(BatchDataSetModel, ClearKeepsTheColumns)
{
    BatchDataSet set;
    set.Reset(Columns(), Records(2));
    set.Clear();
    EXPECT_EQ(set.RecordCount(), 0);
    EXPECT_EQ(set.columnCount(), 5);
    EXPECT_EQ(set.headerData(1, Qt::Horizontal).toString(), "户名");
}

TEST(BatchNavigationState, NoRecordsOneRecordSeveralRecords)
{
    const struct {
        int records, maximum;
        bool enabled, showFirst;
        QString count;
    } cases[] = {{0, 1, false, false, "1"}, {1, 1, false, true, "1"}, {7, 7, true, true, "7"}};
    for (const auto& c : cases) {
        BatchDataSet set;
        set.Reset(Columns(), Records(c.records));
        const BatchRecordState s = ShowBatchRecord(set);
        EXPECT_EQ(s.value, 1);
        EXPECT_EQ(s.maximum, c.maximum);
        EXPECT_EQ(s.enabled, c.enabled);
        EXPECT_EQ(s.showFirst, c.showFirst);
        EXPECT_EQ(s.countText, c.count);
        EXPECT_EQ(s.shownText, "1");
        for (int p : {0, 1, 3, 8})
            EXPECT_EQ(RecordAtScrollPosition(set, p).has_value(), p >= 1 && p <= c.records) << p;
    }
}

TEST(SlipFromRecord, ValuesByBoxInFillingOrder)
{
    BatchDataSet set;
    set.Reset(Columns(), {{"张三", "1,234.00", "√", "690123456789"}, {"李四//二行", "5", "", ""}});
    const QVector<SlipValue> v = FillSlipFromBatchRow(set, 2);
    ASSERT_EQ(v.size(), 4);
    EXPECT_EQ(v[0].recordId, 10);
    EXPECT_EQ(v[0].value, "李四//二行");
    EXPECT_EQ(v[1].recordId, 11);
    EXPECT_EQ(v[2].recordId, 20);
    EXPECT_EQ(v[2].value, "");
    EXPECT_EQ(v[3].recordId, 30);
    for (const SlipValue& s : v) EXPECT_TRUE(s.apply);
    EXPECT_TRUE(FillSlipFromBatchRow(set, 0).isEmpty());
    EXPECT_TRUE(FillSlipFromBatchRow(set, 3).isEmpty());
}

TEST(SlipFromRecord, ABoxTheMappingLeftOutKeepsItsValue)
{
    QVector<BatchColumn> columns = Columns();
    columns[1].mapped = false;
    columns[2].mapped = false;
    BatchDataSet set;
    set.Reset(columns, {{"张三", "", "", "690"}});
    const QVector<SlipValue> v = FillSlipFromBatchRow(set, 1);
    ASSERT_EQ(v.size(), 2);
    EXPECT_EQ(v[0].recordId, 10);
    EXPECT_EQ(v[1].recordId, 30);
}

TEST(SlipFromRecord, HiddenColumnsKeepTheirBoxes)
{
    BatchDataSet set;
    set.Reset(Columns(), {{"张三", "100", "√", "690"}});
    set.SetColumnShown(0, false);  // a text box: still converted, value not applied
    set.SetColumnShown(2, false);  // a check box: left alone
    const QVector<SlipValue> v = FillSlipFromBatchRow(set, 1);
    ASSERT_EQ(v.size(), 3);
    EXPECT_EQ(v[0].recordId, 10);
    EXPECT_FALSE(v[0].apply);
    EXPECT_TRUE(v[1].apply);
    EXPECT_EQ(v[2].recordId, 30);
    // A new import shows every column again.
    set.Reset(Columns(), {{"x"}});
    EXPECT_TRUE(set.ColumnShown(0));
    EXPECT_TRUE(set.ColumnShown(2));
}
