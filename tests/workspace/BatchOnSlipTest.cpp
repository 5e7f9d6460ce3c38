#include "BatchUiSupport.h"
#include "TestHome.h"

#include "workspace/BatchOnSlip.h"

using namespace slip;
using namespace slip::test;

namespace {

// Text boxes 1 and 2, check box 1001, picture box 2001, a line and a label.
void MakeFormat(SlipFormat& f)
{
    test::MakeStoredFormat(f, "进账单", {{BoxKind::Text, "户名"}, {BoxKind::Check, "加急"},
                                         {BoxKind::Picture, "条码"}, {BoxKind::Text, "备注"},
                                         {BoxKind::Line, ""}, {BoxKind::Label, "标题"}});
}

// The batch as the import makes it: one column per box in index order.
void Fill(BatchDataSet& set, const SlipFormat& f, QVector<QStringList> records)
{
    QVector<BatchColumn> columns;
    for (int index : {1, 2, 1001, 2001}) columns << BatchColumn{BoxIdAt(f, index), index, test::BoxAtIndex(f, index)->caption};
    set.Reset(columns, std::move(records));
}

} // namespace

TEST(ImportBoxes, ValueBoxesInIndexOrderWithTheirStoredMaps)
{
    test::TestHome home;
    SlipFormat f;
    MakeFormat(f);
    const BoxId name = BoxIdAt(f, 1);
    const BoxId urgent = BoxIdAt(f, 1001);
    // A text box without a caption holds a fixed text no batch fills: never offered.
    Box fixed = NewBoxOfKind(BoxKind::Text, QPointF(50, 50));
    fixed.fixedText = "人民币";
    const BoxId fixedId = f.AddBox(fixed);
    // A stored map of a box that has gone is not offered.
    const ImportMaps maps = ImportBoxesOf(f, {{name, " A "}, {urgent, "C"}, {99999, "Z"}, {fixedId, "B"}});
    ASSERT_EQ(maps.textBoxes.size(), 2);
    ASSERT_EQ(maps.checkBoxes.size(), 1);
    ASSERT_EQ(maps.pictureBoxes.size(), 1);
    EXPECT_EQ(maps.textBoxes[0].boxIndex, 1);
    EXPECT_EQ(maps.textBoxes[0].caption, "户名");
    EXPECT_EQ(maps.textBoxes[0].map, " A ");  // as typed
    EXPECT_EQ(maps.textBoxes[1].boxIndex, 2);
    EXPECT_EQ(maps.textBoxes[1].map, "");
    EXPECT_EQ(maps.checkBoxes[0].recordId, urgent);
    EXPECT_EQ(maps.checkBoxes[0].map, "C");
    EXPECT_EQ(maps.pictureBoxes[0].boxIndex, 2001);
}

TEST(ImportBoxes, ABoxWithoutCaptionIsNamedByKindAndNumber)
{
    EXPECT_EQ(ImportBoxName({1, 3, "", ""}), "文本框3");
    EXPECT_EQ(ImportBoxName({1, 1002, "  ", ""}), "勾选框2");
    EXPECT_EQ(ImportBoxName({1, 2001, "", ""}), "图片框1");
    EXPECT_EQ(ImportBoxName({1, 2001, "图章", ""}), "图章");
}

TEST(PutBatchRecordOnSlip, PutsEachKindOfValueOnItsBox)
{
    test::TestHome home;
    SlipFormat f;
    MakeFormat(f);
    BatchDataSet set;
    Fill(set, f, {{"张三//李四", "第二行", " ", "6901234567892"}, {"王五##六//七", "", "是", "/tmp/章.png"}});

    const QVector<BoxId> converted = PutBatchRecordOnSlip(f, set, 1, "//");
    EXPECT_EQ(converted, (QVector<BoxId>{BoxIdAt(f, 1), BoxIdAt(f, 2)}));
    EXPECT_EQ(f.Value(BoxIdAt(f, 1)), "张三\r\n李四");
    EXPECT_EQ(f.Value(BoxIdAt(f, 2)), "第二行");
    EXPECT_EQ(f.Value(BoxIdAt(f, 1001)), "");  // a blank is no tick
    EXPECT_EQ(f.Value(BoxIdAt(f, 2001)), "6901234567892");

    // The marker in force; each text box is left as soon as it is filled,
    // before the next one is.
    QStringList left;
    PutBatchRecordOnSlip(f, set, 2, "##", [&](BoxId id) { left << f.Value(id) + "|" + f.Value(BoxIdAt(f, 2)); });
    EXPECT_EQ(left, (QStringList{"王五\r\n六//七|第二行", "|"}));
    EXPECT_EQ(f.Value(BoxIdAt(f, 2)), "");  // an empty value empties the box
    EXPECT_EQ(f.Value(BoxIdAt(f, 1001)), "1");
    EXPECT_EQ(f.Value(BoxIdAt(f, 2001)), "/tmp/章.png");
    // Records outside the batch change nothing.
    EXPECT_TRUE(PutBatchRecordOnSlip(f, set, 0, "//").isEmpty());
    EXPECT_TRUE(PutBatchRecordOnSlip(f, set, 3, "//").isEmpty());
    EXPECT_EQ(f.Value(BoxIdAt(f, 1)), "王五\r\n六//七");
}

TEST(PutBatchRecordOnSlip, AFixedTextAndABoxLeftOutOfTheMappingKeepTheirValues)
{
    test::TestHome home;
    SlipFormat f;
    MakeFormat(f);
    Box fixed = NewBoxOfKind(BoxKind::Text, QPointF(50, 50));
    fixed.fixedText = "人民币";
    const BoxId fixedId = f.AddBox(fixed);
    ASSERT_EQ(f.Value(fixedId), "人民币");
    const BoxId remark = BoxIdAt(f, 2);
    f.SetValue(remark, "旧备注");
    QVector<BatchColumn> columns;
    for (int index : {1, 2, 3, 1001, 2001}) columns << BatchColumn{BoxIdAt(f, index), index, test::BoxAtIndex(f, index)->caption};
    columns[1].mapped = false;  // 备注: its map was left empty
    BatchDataSet set;
    set.Reset(columns, {{"张三", "", "美元", "", ""}});
    QVector<BoxId> left;
    PutBatchRecordOnSlip(f, set, 1, "//", [&](BoxId id) { left << id; });
    EXPECT_EQ(f.Value(BoxIdAt(f, 1)), "张三");
    EXPECT_EQ(f.Value(remark), "旧备注");
    // Mapped or not, a batch never changes the format's fixed text.
    EXPECT_EQ(f.Value(fixedId), "人民币");
    EXPECT_EQ(f.Find(fixedId)->fixedText, "人民币");
    EXPECT_EQ(left, (QVector<BoxId>{BoxIdAt(f, 1), fixedId}));
}

TEST(PutBatchRecordOnSlip, BoxesAddedOrRemovedSinceTheImportAreLeftAlone)
{
    test::TestHome home;
    SlipFormat f;
    MakeFormat(f);
    BatchDataSet set;
    Fill(set, f, {{"户名值", "备注值", "x", "1"}});
    const BoxId removed = BoxIdAt(f, 2);
    f.RemoveBoxes({removed});
    Box added = NewBoxOfKind(BoxKind::Text, QPointF(50, 50));
    const BoxId addedId = f.AddBox(added);
    f.SetValue(addedId, "新框");
    const QVector<BoxId> converted = PutBatchRecordOnSlip(f, set, 1, "//");
    EXPECT_EQ(converted, (QVector<BoxId>{BoxIdAt(f, 1)}));
    EXPECT_EQ(f.Value(BoxIdAt(f, 1)), "户名值");
    EXPECT_EQ(f.Value(addedId), "新框");
    EXPECT_EQ(f.Find(removed), nullptr);
}
