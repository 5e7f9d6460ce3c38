#include "batch/ImportMap.h"

#include <QVector>
#include <gtest/gtest.h>

using namespace slip;

namespace {

// Lines of fields, as a CSV file or a sheet gives them.
class TableSource : public RecordSource {
public:
    explicit TableSource(QVector<QStringList> lines) : lines_(std::move(lines)) {}
    QString Cell(int line, int column) const override
    {
        if (line < 1 || line > lines_.size() || column < 1) return QString();
        return lines_[line - 1].value(column - 1);
    }

private:
    QVector<QStringList> lines_;
};

QString Eval(const QString& typed, const RecordSource& src, int line = 1, const QString& marker = "//")
{
    const ParsedMap p = ParseMapString(NormalizeMapString(typed));
    EXPECT_TRUE(p.ok()) << typed.toStdString() << ": " << p.badEntry.toStdString();
    return EvaluateMap(p.entries, src, line, marker);
}

} // namespace

TEST(MapStrings, NormalisingFullWidthFormsAndOuterCommas)
{
    EXPECT_EQ(NormalizeMapString(",A,"), "A");
    EXPECT_EQ(NormalizeMapString(QString::fromUtf8("A，B")), "A,B");
    EXPECT_EQ(NormalizeMapString(QString::fromUtf8("“-”")), "\"-\"");
    EXPECT_EQ(NormalizeMapString("  D , F  "), "D , F");
    EXPECT_EQ(NormalizeMapString(",,A,,"), ",A,");
    QStringList list{" a ", QString::fromUtf8("，b，")};
    NormalizeMapStrings(list);
    EXPECT_EQ(list, (QStringList{"a", "b"}));
}

TEST(MapStrings, EntriesAreColumnsWithOffsetsOrLiterals)
{
    const ParsedMap p = ParseMapString("A,b+1,\"地址：\",AA + 2,zz");
    ASSERT_TRUE(p.ok());
    ASSERT_EQ(p.entries.size(), 5);
    EXPECT_EQ(p.entries[0].column, 1);
    EXPECT_EQ(p.entries[0].offset, 0);
    EXPECT_EQ(p.entries[1].column, 2);
    EXPECT_EQ(p.entries[1].offset, 1);
    EXPECT_TRUE(p.entries[2].literal);
    EXPECT_EQ(p.entries[2].text, "地址：");
    EXPECT_EQ(p.entries[3].column, 27);
    EXPECT_EQ(p.entries[3].offset, 2);
    EXPECT_EQ(p.entries[4].column, 702);
    // Offsets round to the nearest whole number, halves to even.
    EXPECT_EQ(ParseMapString("A+1.5").entries.value(0).offset, 2);
    EXPECT_EQ(ParseMapString("A+2.5").entries.value(0).offset, 2);
}

TEST(MapStrings, LiteralsMayHoldCommasAndQuotes)
{
    EXPECT_EQ(SplitMapEntries("A,\"x,y\",B"), (QStringList{"A", "\"x,y\"", "B"}));
    const ParsedMap p = ParseMapString("A,\"x,y\",B");
    ASSERT_TRUE(p.ok());
    ASSERT_EQ(p.entries.size(), 3);
    EXPECT_EQ(p.entries[1].text, "x,y");
    const ParsedMap q = ParseMapString("\"a\"b\"");
    ASSERT_TRUE(q.ok());
    EXPECT_EQ(q.entries.value(0).text, "a\"b");
    EXPECT_EQ(ParseMapString("\"\"").entries.value(0).text, "");
}

TEST(MapStrings, EmptyEntriesAndBareOffsetsGiveNothing)
{
    const ParsedMap p = ParseMapString("A,,+1, ,B");
    ASSERT_TRUE(p.ok());
    ASSERT_EQ(p.entries.size(), 2);
    EXPECT_EQ(p.entries[0].column, 1);
    EXPECT_EQ(p.entries[1].column, 2);
    EXPECT_TRUE(ParseMapString("").entries.isEmpty());
    // Never the column of the entry before it.
    const TableSource src(QVector<QStringList>{{"a", "b"}});
    EXPECT_EQ(Eval("B,,+1", src), "b");
    EXPECT_EQ(Eval("+1", src), "");
}

TEST(MapStrings, EntriesThatNameNoColumnAreRefused)
{
    for (const char* bad : {"AAA", "A1", "7", "A+1+1", "\"open", "A+x", "A+", "地址", "A,B C"}) {
        const ParsedMap p = ParseMapString(QString::fromUtf8(bad));
        EXPECT_FALSE(p.ok()) << bad;
        EXPECT_FALSE(p.badEntry.isEmpty()) << bad;
    }
    EXPECT_EQ(ParseMapString("A,A1,B").badEntry, "A1");
}

TEST(MapEvaluation, JoinsEntriesWithoutSeparator)
{
    const TableSource src({{"张三", "6222", "北京"}, {"次行A", "次行B"}});
    EXPECT_EQ(Eval("A,B", src), "张三6222");
    EXPECT_EQ(Eval("A,\"//\",B", src), "张三//6222");
    EXPECT_EQ(Eval("\"户名：\",A", src), "户名：张三");
    EXPECT_EQ(Eval(QString::fromUtf8("A,“-”,B"), src), "张三-6222");
    EXPECT_EQ(Eval("a", src), "张三");
    EXPECT_EQ(Eval("A+1", src), "次行A");
    EXPECT_EQ(Eval("A+1", src, 2), "");
    // A field beyond the record's last gives nothing; the others still count.
    EXPECT_EQ(Eval("A,E,C", src), "张三北京");
    EXPECT_EQ(Eval("C+1,\"x\"", src), "x");
}

TEST(MapEvaluation, LineBreaksBecomeTheMarkerAndOneTabGoes)
{
    const TableSource src({{"第一行\r\n第二行", "a\nb", "c\rd", "尾\t", "两个\t\t", "\t"}});
    EXPECT_EQ(Eval("A", src), "第一行//第二行");
    EXPECT_EQ(Eval("B", src, 1, "¶"), "a¶b");
    EXPECT_EQ(Eval("C", src), "c//d");
    EXPECT_EQ(Eval("D", src), "尾");
    EXPECT_EQ(Eval("E", src), "两个\t");
    EXPECT_EQ(Eval("F", src), "");
    // Exported cells joined: every cell loses its own Tab.
    EXPECT_EQ(Eval("D,\"-\",D", src), "尾-尾");
    EXPECT_EQ(MarkLineBreaks("x\r\ny", QString()), "x\r\ny");
}

TEST(MapMerging, TextThenCheckThenPictureBoxesEachByIndex)
{
    ImportMaps maps;
    maps.textBoxes = {{11, 2, "金额", "B"}, {10, 1, "户名", "A"}};
    maps.checkBoxes = {{20, 1001, "加急", "C"}};
    maps.pictureBoxes = {{30, 2001, "条码", "D"}};
    const QVector<ImportBox> merged = MergeMapArrays(maps);
    ASSERT_EQ(merged.size(), 4);
    EXPECT_EQ(merged[0].recordId, 10);
    EXPECT_EQ(merged[1].recordId, 11);
    EXPECT_EQ(merged[2].boxIndex, 1001);
    EXPECT_EQ(merged[3].boxIndex, 2001);
    EXPECT_TRUE(MergeMapArrays({}).isEmpty());
}
