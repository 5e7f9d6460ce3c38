#include "batch/ImportMap.h"
#include "core/ColumnLetters.h"

#include <gtest/gtest.h>

using namespace slip;

namespace {

// Lines of fields, as a CSV file or a sheet gives them.
class TableSource : public RecordSource {
public:
    explicit TableSource(QVector<QStringList> lines) : lines_(std::move(lines)) {}
    QString Cell(qint64 line, int column) const override
    {
        if (line < 1 || line > lines_.size() || column < 1) return QString();
        return lines_[line - 1].value(column - 1);
    }

private:
    QVector<QStringList> lines_;
};

QString Eval(const QString& typed, const RecordSource& src, qint64 line = 1, const QString& marker = "//")
{
    return EvaluateMap(ParseMapString(NormalizeMapString(typed)), src, line, marker);
}

} // namespace

TEST(MapStrings, NormalisingFullWidthFormsAndOuterCommas)
{
    const QStringList typed{",A,", "A，B", "“-”", "  D , F  ", ",,A,,"};
    const QStringList plain{"A", "A,B", "\"-\"", "D , F", ",A,"};
    for (int i = 0; i < typed.size(); ++i) EXPECT_EQ(NormalizeMapString(typed[i]), plain[i]);
}

TEST(MapStrings, ColumnNumbersCountCharacterCodes)
{
    const QVector<QPair<QString, int>> cases = {
        {"A", 1}, {"z", 26}, {" ab ", 28}, {"ZZ", 702}, {"A1", 11}, {"7", 1}, {"AAA", 0}, {"", 0}, {"A+1", 0},
    };
    for (const auto& [letters, column] : cases) EXPECT_EQ(ColumnNumber(letters), column) << letters.toStdString();
    EXPECT_EQ(ColumnLetters(27) + ColumnLetters(703), "AA");
}

TEST(MapStrings, EntriesAreColumnsWithOffsetsOrLiterals)
{
    const QVector<MapEntry> p = ParseMapString("A,b+1,\"地址：\",AA + 2,zz,\"x,y\"");
    ASSERT_EQ(p.size(), 6);
    EXPECT_EQ(p[0].column, 1);
    EXPECT_EQ(p[1].column, 2);
    EXPECT_EQ(p[1].offset, 1);
    EXPECT_TRUE(p[2].literal);
    EXPECT_EQ(p[2].text, "地址：");
    EXPECT_EQ(p[3].column, 27);
    EXPECT_EQ(p[3].offset, 2);
    EXPECT_EQ(p[4].column, 702);
    EXPECT_EQ(p[5].text, "x,y");
    EXPECT_TRUE(ParseMapString("").isEmpty());
}

TEST(MapEvaluation, EntriesJoinedAndWhatGivesNothing)
{
    const TableSource src({{"张三", "6222", "北京", "尾\t", "两个\t\t", "\t", "a\"b"},
                           {"次行A", "次行B", "第一行\r\n第二行", "a\nb", "c\rd"}});
    struct Case {
        const char* map;
        qint64 line;
        const char* value;
    };
    const Case cases[] = {
        {"A,B", 1, "张三6222"},
        {"A,\"//\",B", 1, "张三//6222"},
        {"\"户名：\",A", 1, "户名：张三"},
        {"A,“-”,B", 1, "张三-6222"},
        {"a", 1, "张三"},
        {"A+1", 1, "次行A"},
        {"A+1", 2, ""},
        {"A+0.5", 0, ""},  // offsets round to the nearest, halves to even
        {"A+1.5", 0, "次行A"},
        {"A+1.4", 0, "张三"},
        {"A", 0, ""},  // start row 0: line 0 gives ""
        // Entries that name no column give nothing; the others still count.
        {"A,E+9,C", 1, "张三北京"},
        {"A+1+1,B", 1, "6222"},
        {"AAA,A", 1, "张三"},
        {"A1", 1, ""},
        {"7", 1, "张三"},
        {"A,,+1, ,B", 1, "张三6222"},
        {"+1", 1, ""},
        {"G,\"\",\"a\"b\"", 1, "a\"ba\"b"},
        // Far above or below the file, never wrapped round into it.
        {"A+-4294967295", 2, ""},
        {"A+4294967296", 1, ""},
        {"A+1e300", 1, ""},
        // Line breaks become the marker; the joined value loses one Tab.
        {"C", 2, "第一行//第二行"},
        {"D,E", 2, "a//bc//d"},
        {"D", 1, "尾"},
        {"E", 1, "两个\t"},
        {"F", 1, ""},
        {"D,\"-\",D", 1, "尾\t-尾"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Eval(QString::fromUtf8(c.map), src, c.line), QString::fromUtf8(c.value)) << c.map << " @" << c.line;
    EXPECT_EQ(Eval("D", src, 2, "¶"), "a¶b");
    EXPECT_EQ(MarkLineBreaks("x\r\ny", QString()), "x\r\ny");
}

TEST(MapMerging, TextThenCheckThenPictureBoxesEachByIndex)
{
    ImportMaps maps;
    maps.textBoxes = {{11, 2, "金额", "B"}, {10, 1, "户名", "A"}};
    maps.checkBoxes = {{20, 1001, "加急", "C"}};
    maps.pictureBoxes = {{30, 2001, "条码", "D"}};
    QVector<int> ids;
    for (const ImportBox& box : MergeMapArrays(maps)) ids << box.recordId;
    EXPECT_EQ(ids, (QVector<int>{10, 11, 20, 30}));
    EXPECT_TRUE(MergeMapArrays({}).isEmpty());
}
