#include "BoxBuilders.h"
#include "TestHome.h"
#include "ScriptedPrompter.h"
#include "StoredFormats.h"

#include "storage/Database.h"
#include "workspace/MainWindow.h"
#include "workspace/SlipFilling.h"
#include "workspace/SlipMenus.h"

#include <QStatusBar>
#include "workspace/ValueEntry.h"

using namespace slip;

namespace {

// A saved format: payer, a multi-line address, a date box, a serial box and a check box.
void MakeFormat()
{
    test::SaveFormatWithBoxes("填单", {{BoxKind::Text, "付款人"}, {BoxKind::Text, "地址"},
                                       {BoxKind::Text, "日期", 111 /* YYYY-MM-DD */}, {BoxKind::Text, "编号", 122},
                                       {BoxKind::Check, "现金"}});
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("填单", {}).ok);
}

} // namespace

TEST(SlipFilling, ANextSlipIsStoredWholeThenTheBoxesStartAgain)
{
    test::TestHome home;
    MakeFormat();
    MainWindow mw;
    mw.Start();
    SlipFormat& f = mw.Format();
    const BoxId payer = test::BoxAtIndex(f, 1)->id, address = test::BoxAtIndex(f, 2)->id, date = test::BoxAtIndex(f, 3)->id,
                serial = test::BoxAtIndex(f, 4)->id, cash = test::BoxAtIndex(f, 1001)->id;
    EXPECT_EQ(f.Value(date), QDate::currentDate().toString("yyyy-MM-dd"));  // dates on opening
    f.SetValue(payer, "张三");
    f.SetValue(address, "北京\n海淀");
    f.SetValue(serial, "NO0099");
    f.SetValue(cash, "1");
    ASSERT_TRUE(mw.findChild<SlipFilling*>()->AddNextSlip());
    const HistorySlipValues stored = ReadHistorySlip("填单", 1);
    ASSERT_TRUE(stored.found);
    EXPECT_EQ(stored.values.value(payer), "张三");
    EXPECT_EQ(stored.values.value(address), "北京\r\n海淀");  // line breaks as CR LF, as printing stores them
    EXPECT_EQ(stored.values.value(cash), "1");
    // The next slip: empty boxes, today's date, the next number.
    EXPECT_EQ(f.Value(payer), QString());
    EXPECT_EQ(f.Value(cash), QString());
    EXPECT_EQ(f.Value(date), QDate::currentDate().toString("yyyy-MM-dd"));
    EXPECT_EQ(f.Value(serial), "NO0100");
    // With boxes marked only those are cleared.
    f.SetValue(payer, "李四");
    f.SetValue(address, "上海");
    f.SetSelection({address});
    ASSERT_TRUE(mw.findChild<SlipFilling*>()->AddNextSlip());
    EXPECT_EQ(HistorySlipNumbersOf("填单").numbers, (QVector<qint64>{2, 1}));
    EXPECT_EQ(f.Value(payer), "李四");
    EXPECT_EQ(f.Value(address), QString());
    mw.Format().SetModified(false);
    mw.close();
}

TEST(SlipFilling, AFormatWithUnsavedBoxesStoresNoSlip)
{
    test::TestHome home;
    MakeFormat();
    MainWindow mw;
    mw.Start();
    Box extra = NewBoxOfKind(BoxKind::Text, {100, 10});
    const BoxId id = mw.Format().AddBox(extra);
    mw.Format().SetValue(id, "值");
    ScriptedPrompter prompts;
    EXPECT_FALSE(mw.findChild<SlipFilling*>()->AddNextSlip());
    EXPECT_EQ(prompts.shown, QStringList{"请先保存格式，再添加单据！"});
    EXPECT_TRUE(HistorySlipNumbersOf("填单").numbers.isEmpty());
    EXPECT_EQ(mw.Format().Value(id), "值");  // nothing typed is lost
    mw.Format().SetModified(false);
    mw.close();
}

TEST(SlipFilling, AnEmptySlipIsNotAddedAndTheOperatorIsToldSo)
{
    test::TestHome home;
    MakeFormat();
    MainWindow mw;
    mw.resize(1000, 700);
    mw.Start();
    SlipFormat& f = mw.Format();
    for (const Box& b : f.Boxes()) f.SetValue(b.id, QString());
    auto& add = mw.findChild<SlipMenus*>()->hooks.addNextSlip;
    add();
    EXPECT_TRUE(HistorySlipNumbersOf("填单").numbers.isEmpty());
    EXPECT_EQ(mw.statusBar()->currentMessage(), "单据上没有填写内容，没有添加到历史记录。");
    f.SetValue(test::BoxAtIndex(f, 1)->id, "张三");
    add();
    EXPECT_EQ(HistorySlipNumbersOf("填单").numbers, QVector<qint64>{1});
    EXPECT_EQ(mw.statusBar()->currentMessage(), "单据已添加到历史记录。");
    f.SetModified(false);
    mw.close();
}

// The statement told holds the values it was run with.
TEST(SlipFilling, AHistoryThatCannotBeReadForARelatedOrASerialBoxIsTold)
{
    for (const bool serial : {false, true}) {
        test::TestHome home;
        MakeFormat();
        MainWindow mw;
        mw.Start();
        SlipFormat& f = mw.Format();
        Box payer = *test::BoxAtIndex(f, 1);
        const BoxId address = test::BoxAtIndex(f, 2)->id, number = test::BoxAtIndex(f, 4)->id;
        payer.relation = {RelationKind::Related, address};
        ASSERT_TRUE(f.UpdateBox(payer));
        ASSERT_TRUE(ExecuteSql(QStringLiteral("DROP TABLE 历史")));
        f.SetValue(address, "北京");
        f.SetValue(payer.id, "张三");
        ScriptedPrompter prompts;
        if (serial) mw.findChild<SlipFilling*>()->StartNextSlip();
        else mw.findChild<SlipFilling*>()->Entry().LeaveBox(payer.id);
        const QString told = serial ? QStringLiteral("数据库打开错误(SELECT ID, Con FROM 历史 WHERE Fmt='填单' AND CID=%1"
                                                     " ORDER BY ID DESC LIMIT 1)！").arg(number)
                                    : QStringLiteral("数据库打开错误(SELECT ID, Con FROM 历史 WHERE Fmt='填单' AND CID=%1"
                                                     " AND Con IN ('张三') ORDER BY ID DESC LIMIT 1)！").arg(payer.id);
        EXPECT_EQ(prompts.shown, QStringList{told});
        // The related box keeps its value; the new slip's serial box stays empty.
        EXPECT_EQ(f.Value(serial ? number : address), serial ? "" : "北京");
        mw.Format().SetModified(false);
        mw.close();
    }
}
