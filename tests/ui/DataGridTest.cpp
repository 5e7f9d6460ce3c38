#include "ScriptedPrompter.h"
#include "TestHome.h"

#include "ui/DataGrid.h"
#include "storage/Database.h"
#include "ui/GridView.h"
#include "ui/Progress.h"
#include "ui/Prompt.h"

#include <QApplication>
#include <QDate>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <gtest/gtest.h>

using namespace slip;

namespace {

const QStringList kBoxFields{"ID", "", "LBL", "X", "fBold", "Color", "Fmt:SumID:LBL", "NoSuchField", "Mem"};
const QStringList kBoxCaptions{"ID", "序号", "名称", "X", "粗体", "颜色", "合计到", "无", "备注"};

qint64 AddBox(const QString& fmt, const QString& lbl, const QVariant& x, const QVariant& bold,
              const QVariant& colour, const QVariant& sumId = 0)
{
    return InsertRow("INSERT INTO Fmt(Fmt, Clas, LBL, X, fBold, Color, SumID) VALUES(?, 0, ?, ?, ?, ?, ?)",
                     {fmt, lbl, x, bold, colour, sumId});
}

QStringList Column(const GridModel& g, int col)
{
    QStringList out;
    for (int r = g.FixedRows(); r < g.Rows(); ++r) out << g.TextMatrix(r, col);
    return out;
}

// A grid of numbered rows: column 0 an ID, 1 the running number, 2.. values.
void MakeGrid(GridModel& g, const QList<QStringList>& rows)
{
    SetupGridColumns(g, {"ID", "", "A", "B"}, {"ID", "序号", "甲", "乙"});
    for (int i = 0; i < rows.size(); ++i) {
        QStringList cells{QString::number(100 + i), QString::number(i + 1)};
        cells << rows[i];
        g.AddRow(cells);
    }
}

} // namespace

TEST(SetupGridColumns, LaysOutFieldAndCaptionRows)
{
    GridModel g;
    SetupGridColumns(g, kBoxFields, kBoxCaptions);
    EXPECT_EQ(g.Cols(), kBoxFields.size());
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.FixedRows(), 2);
    EXPECT_EQ(g.FixedCols(), 2);
    EXPECT_EQ(g.RowHeight(0), 0);
    EXPECT_GT(g.RowHeight(1), 0);
    EXPECT_EQ(g.TextMatrix(0, 2), "LBL");
    EXPECT_EQ(g.TextMatrix(1, 2), "名称");

    // Lists of unequal length leave the grid as it was.
    SetupGridColumns(g, {"a", "b"}, {"only one"});
    EXPECT_EQ(g.Cols(), kBoxFields.size());
    EXPECT_EQ(g.TextMatrix(1, 2), "名称");

    // Setting up again drops the data rows.
    g.AddRow({"1", "1", "x"});
    SetupGridColumns(g, {"ID", "", "LBL"}, {"ID", "序号", "名称"});
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.Cols(), 3);
}

TEST(FillGridFromQuery, ShowsRecordsByFieldRuleAndDeclaredType)
{
    test::TestHome home;
    ScriptedPrompter prompts;
    const qint64 total = AddBox("甲", "合计", 0.125, 0, QVariant());
    AddBox("甲", "金额", 3.14159, 1, 0, total);
    AddBox("甲", "日期", 10, true, 255, 999);  // sums into a box that does not exist
    AddBox("乙", "别的格式", 1, 0, 0);
    ASSERT_TRUE(ExecuteSql("UPDATE Fmt SET Mem=? WHERE LBL=?", {"固定文字", "金额"}));

    GridModel g;
    g.Tag = "Fmt";
    SetupGridColumns(g, kBoxFields, kBoxCaptions);
    FillGridFromQuery(g, "Fmt=?", {"甲"}, "ID");
    ASSERT_EQ(g.Rows(), 5);
    EXPECT_EQ(g.FixedCols(), 2);
    EXPECT_EQ(Column(g, 1), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(Column(g, 2), (QStringList{"合计", "金额", "日期"}));
    // Doubles to two decimals, halves to even: 0.125 -> 0.12.
    EXPECT_EQ(Column(g, 3), (QStringList{"0.12", "3.14", "10"}));
    EXPECT_EQ(Column(g, 4), (QStringList{"", "√", "√"}));
    EXPECT_EQ(Column(g, 5), (QStringList{"", "", ""}));  // the colour is no text
    EXPECT_EQ(GetGridCellColor(g, 2, 5, false), 0);
    EXPECT_EQ(g.CellBackColor(2, 5), GridModel::kNoColor);  // null colour: no colour
    EXPECT_EQ(g.CellBackColor(3, 5), GridModel::kStoredBlack);  // black kept as 65793
    EXPECT_EQ(GetGridCellColor(g, 3, 5, false), 0);
    EXPECT_EQ(GetGridCellColor(g, 4, 5, false), 255);
    // table:ID field:shown field, by the record's SumID.
    EXPECT_EQ(Column(g, 6), (QStringList{"", "合计", ""}));
    EXPECT_EQ(Column(g, 7), (QStringList{"", "", ""}));
    EXPECT_EQ(Column(g, 8), (QStringList{"", "固定文字", ""}));
    EXPECT_EQ(Column(g, 0), (QStringList{QString::number(total), QString::number(total + 1),
                                         QString::number(total + 2)}));
    EXPECT_TRUE(prompts.shown.isEmpty());

    // The condition's value is bound, never part of the SQL text.
    FillGridFromQuery(g, "Fmt=?", {"甲' OR '1'='1"});
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST(FillGridFromQuery, DatesShowAsYearMonthDay)
{
    test::TestHome home;
    ASSERT_TRUE(ExecuteSql("INSERT INTO 网站格式(Name, Dat) VALUES('a', ?)", {QDate(2012, 5, 31)}));
    ASSERT_TRUE(ExecuteSql("INSERT INTO 网站格式(Name, Dat) VALUES('b', '2013-01-02 10:20:30')"));
    ASSERT_TRUE(ExecuteSql("INSERT INTO 网站格式(Name, Dat) VALUES('c', '2014/3/4')"));
    ASSERT_TRUE(ExecuteSql("INSERT INTO 网站格式(Name, Dat) VALUES('d', NULL)"));
    ASSERT_TRUE(ExecuteSql("INSERT INTO 网站格式(Name, Dat) VALUES('e', '不是日期')"));
    GridModel g;
    g.Tag = "网站格式";
    SetupGridColumns(g, {"ID", "", "Name", "Dat"}, {"ID", "序号", "名称", "日期"});
    FillGridFromQuery(g, {}, {}, "Name");
    EXPECT_EQ(Column(g, 3), (QStringList{"2012.05.31", "2013.01.02", "2014.03.04", "", "不是日期"}));
}

TEST(FillGridFromQuery, RunningNumberColumnBecomesTheLastFixedColumn)
{
    test::TestHome home;
    AddBox("甲", "一", 1, 0, 0);
    GridModel g;
    g.Tag = "Fmt";
    SetupGridColumns(g, {"ID", "Fmt", "", "LBL"}, {"ID", "格式", "序号", "名称"});
    FillGridFromQuery(g, "Fmt<>''");
    EXPECT_EQ(g.FixedCols(), 3);
    EXPECT_EQ(g.TextMatrix(2, 2), "1");
    EXPECT_EQ(g.TextMatrix(2, 1), "甲");
    // Columns left of the running number are hidden.
    EXPECT_EQ(g.ColWidth(0), 0);
    EXPECT_EQ(g.ColWidth(1), 0);
    EXPECT_GT(g.ColWidth(2), 0);
}

TEST(FillGridFromQuery, NoRecordsAndFailingQueries)
{
    test::TestHome home;
    ScriptedPrompter prompts;
    GridModel g;
    g.Tag = "Fmt";
    SetupGridColumns(g, {"ID", "", "LBL", "X"}, {"ID", "序号", "一个很长很长的标题", "X"});
    g.AddRow({"1", "1", "old"});
    FillGridFromQuery(g, "Fmt=?", {"没有的格式"});
    EXPECT_EQ(g.Rows(), 2);
    // Sized over the field-rule and caption rows.
    const QFontMetrics fm(QApplication::font());
    EXPECT_EQ(g.ColWidth(2), fm.horizontalAdvance("一个很长很长的标题") * 15 + 100);
    EXPECT_EQ(g.ColWidth(0), 0);
    EXPECT_TRUE(prompts.shown.isEmpty());

    g.Tag = "没有这个表";
    g.AddRow({"1", "1", "old"});
    FillGridFromQuery(g);
    EXPECT_EQ(g.Rows(), 2);
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].startsWith("数据库打开错误(SELECT * FROM "));
}

TEST(AutoSizeGridColumns, WidestTextPlusMarginCappedAtHalfTheGrid)
{
    GridModel g;
    MakeGrid(g, {{"短", ""}, {"长一些的文字", ""}, {"多行\n第二行更长更长更长", ""}});
    const QFontMetrics fm(QApplication::font());
    AutoSizeGridColumns(g, 2, false);
    EXPECT_EQ(g.ColWidth(0), 0);
    EXPECT_EQ(g.ColWidth(2), fm.horizontalAdvance("第二行更长更长更长") * 15 + 100);
    // A column whose cells are all empty is 50 twips, whatever its caption.
    EXPECT_EQ(g.ColWidth(3), 50);
    // A caption wider than the cells counts.
    g.SetTextMatrix(1, 1, "序号序号序号序号序号");
    AutoSizeGridColumns(g, 2, false);
    EXPECT_EQ(g.ColWidth(1), fm.horizontalAdvance("序号序号序号序号序号") * 15 + 100);
    // A view's width limits each column to half of it.
    g.setProperty(kGridWidthProperty, 1000);
    AutoSizeGridColumns(g, 2, false);
    EXPECT_EQ(g.ColWidth(2), 500);
    EXPECT_EQ(g.ColWidth(3), 50);
}

TEST(AutoSizeGridColumns, ShowsProgressOnlyForLargeGrids)
{
    GridModel g;
    QList<QStringList> rows;
    for (int i = 0; i < 199; ++i) rows << QStringList{QString::number(i), "x"};
    MakeGrid(g, rows);  // 201 rows with the fixed ones
    ProgressStart("之前", 1);
    ProgressEnd();
    AutoSizeGridColumns(g, 2, false);
    EXPECT_EQ(ProgressTitle(), "之前");
    AutoSizeGridColumns(g, 2, true);
    EXPECT_EQ(ProgressTitle(), "正在做交易数据表格进行格式设置……");
    EXPECT_EQ(ProgressPosition(), g.Cols());
    EXPECT_FALSE(ProgressWindowOpen());

    g.SetRows(200);
    ProgressStart("之前", 1);
    ProgressEnd();
    AutoSizeGridColumns(g, 2, true);
    EXPECT_EQ(ProgressTitle(), "之前");
}

TEST(SortGridByColumn, HeaderClicksAlternateTheDirectionAndMarkOneCaption)
{
    GridModel g;
    MakeGrid(g, {{"10", "b"}, {"9", "a"}, {"100", "c"}, {"文字", "d"}, {"-1.5", "e"}});
    g.SetCellBackColor(3, 2, 0xFF);  // marks the row with "9"
    SortGridByColumn(g, 2);
    EXPECT_EQ(g.TextMatrix(1, 2), "甲△");
    // Numbers as numbers, before texts.
    EXPECT_EQ(Column(g, 2), (QStringList{"-1.5", "9", "10", "100", "文字"}));
    EXPECT_EQ(Column(g, 3), (QStringList{"e", "a", "b", "c", "d"}));
    EXPECT_EQ(Column(g, 1), (QStringList{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(Column(g, 0), (QStringList{"104", "101", "100", "102", "103"}));
    EXPECT_EQ(g.CellBackColor(3, 2), 0xFF);  // the colour went with its row
    EXPECT_EQ(g.Col, 2);

    SortGridByColumn(g, 2);
    EXPECT_EQ(g.TextMatrix(1, 2), "甲▽");
    EXPECT_EQ(Column(g, 2), (QStringList{"文字", "100", "10", "9", "-1.5"}));
    SortGridByColumn(g, 2);
    EXPECT_EQ(g.TextMatrix(1, 2), "甲△");

    SortGridByColumn(g, 3);
    EXPECT_EQ(g.TextMatrix(1, 2), "甲");
    EXPECT_EQ(g.TextMatrix(1, 3), "乙△");
    EXPECT_EQ(Column(g, 3), (QStringList{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(Column(g, 1), (QStringList{"1", "2", "3", "4", "5"}));
}

TEST(SortGridByColumn, AmountsAndEqualValues)
{
    EXPECT_GT(CompareGridTexts("￥1,000.00", "￥200"), 0);
    EXPECT_LT(CompareGridTexts("$99", "1,000"), 0);
    EXPECT_LT(CompareGridTexts("2", "10"), 0);
    EXPECT_LT(CompareGridTexts("10", "abc"), 0);
    EXPECT_LT(CompareGridTexts("", "a"), 0);
    EXPECT_EQ(CompareGridTexts("1.0", "1"), 0);
    EXPECT_GT(CompareGridTexts("b", "A"), 0);

    // Equal keys keep their order.
    GridModel g;
    MakeGrid(g, {{"1", "first"}, {"0", "zero"}, {"1", "second"}});
    SortGridByColumn(g, 2);
    EXPECT_EQ(Column(g, 3), (QStringList{"zero", "first", "second"}));
}

TEST(GridHeaderClick, SortsTheClickedCaptionOrSizesOnTheFixedPart)
{
    GridModel g;
    MakeGrid(g, {{"2", "x"}, {"1", "y"}});
    for (int c = 0; c < g.Cols(); ++c) g.SetColWidth(c, 1000);
    // Below the header: nothing.
    GridHeaderClick(g, 2500, 240, 2);
    EXPECT_EQ(g.TextMatrix(1, 2), "甲");
    // On column 2's caption (fixed columns 0..2000, column 2 to 3000).
    GridHeaderClick(g, 2500, 100, 2);
    EXPECT_EQ(g.TextMatrix(1, 2), "甲△");
    EXPECT_EQ(Column(g, 2), (QStringList{"1", "2"}));
    // Scrolled so that column 3 is the first in view: the same x finds column 3.
    GridHeaderClick(g, 2500, 100, 3);
    EXPECT_EQ(g.TextMatrix(1, 3), "乙△");
    EXPECT_EQ(g.TextMatrix(1, 2), "甲");
    // Past the last column: nothing.
    GridHeaderClick(g, 9000, 100, 2);
    EXPECT_EQ(g.TextMatrix(1, 3), "乙△");
    // On the fixed columns: the columns are sized again.
    GridHeaderClick(g, 1500, 100, 2);
    EXPECT_EQ(g.ColWidth(0), 0);
    EXPECT_EQ(g.TextMatrix(1, 3), "乙△");
}

TEST(GridRowAtY, CountsFromTheFirstShownRowBelowTheHeader)
{
    GridModel g;
    MakeGrid(g, {{"a"}, {"b"}, {"c"}, {"d"}});  // rows 2..5, 240 twips each
    g.TopRow = 2;
    EXPECT_EQ(GridRowAtY(g, 100), 1);   // in the header: the row above the first shown
    EXPECT_EQ(GridRowAtY(g, 240), 2);
    EXPECT_EQ(GridRowAtY(g, 479), 2);
    EXPECT_EQ(GridRowAtY(g, 480), 3);
    EXPECT_EQ(GridRowAtY(g, 100000), 5);  // below the last row: the last row
    g.TopRow = 4;
    EXPECT_EQ(GridRowAtY(g, 240), 4);
    EXPECT_EQ(GridRowAtY(g, 100), 3);
}

TEST(DeleteGridRows, DeletesTheOrderedRangeAndKeepsTheRunningNumbers)
{
    ScriptedPrompter prompts;
    GridModel g;
    MakeGrid(g, {{"a"}, {"b"}, {"c"}, {"d"}, {"e"}, {"f"}, {"g"}, {"h"}});  // rows 2..9
    g.SetCellBackColor(9, 2, 0x00FF00);  // "h" marked
    int first = 7, last = 4;
    prompts.answers = {PromptAnswer::No};
    EXPECT_FALSE(DeleteGridRows(g, first, last, true));
    EXPECT_EQ(prompts.shown.value(0), "您确定要删除第3至第6行？");
    EXPECT_EQ(first, 4);
    EXPECT_EQ(last, 7);
    EXPECT_EQ(g.Rows(), 10);

    first = 7;
    last = 4;
    EXPECT_TRUE(DeleteGridRows(g, first, last, true));
    EXPECT_EQ(Column(g, 2), (QStringList{"a", "b", "g", "h"}));
    EXPECT_EQ(Column(g, 1), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(Column(g, 0), (QStringList{"100", "101", "106", "107"}));
    EXPECT_EQ(g.CellBackColor(5, 2), 0x00FF00);  // the mark moved up with "h"
    EXPECT_EQ(g.CellBackColor(4, 2), GridModel::kNoColor);

    // A first row inside the fixed rows starts at the first data row.
    first = 0;
    last = 2;
    EXPECT_TRUE(DeleteGridRows(g, first, last, false));
    EXPECT_EQ(first, 2);
    EXPECT_EQ(Column(g, 2), (QStringList{"b", "g", "h"}));
    EXPECT_EQ(prompts.shown.size(), 2);  // not asked without ask

    // A range wholly past the last row deletes nothing and adds nothing.
    first = 50;
    last = 60;
    EXPECT_FALSE(DeleteGridRows(g, first, last, true));
    EXPECT_EQ(g.Rows(), 5);
    EXPECT_EQ(prompts.shown.size(), 2);

    // Past the end is held to the last row.
    first = 4;
    last = 60;
    EXPECT_TRUE(DeleteGridRows(g, first, last, false));
    EXPECT_EQ(last, 4);
    EXPECT_EQ(Column(g, 2), (QStringList{"b", "g"}));

    // The box table keeps each box's colour in column 10: it moves with its box.
    GridModel boxes;
    QStringList fields, captions;
    for (int c = 0; c < 12; ++c) {
        fields << (c == 1 ? QString() : QString("F%1").arg(c));
        captions << (c == 1 ? QString("序号") : QString("C%1").arg(c));
    }
    SetupGridColumns(boxes, fields, captions);
    for (int i = 0; i < 3; ++i) boxes.AddRow({QString::number(i), QString::number(i + 1), QString("box%1").arg(i)});
    qint32 colour = 0;
    SetGridCellColor(boxes, 4, 10, colour, false);
    first = last = 3;
    EXPECT_TRUE(DeleteGridRows(boxes, first, last, false));
    EXPECT_EQ(Column(boxes, 2), (QStringList{"box0", "box2"}));
    EXPECT_EQ(boxes.CellBackColor(3, 10), 65793);
    EXPECT_EQ(GetGridCellColor(boxes, 3, 10, false), 0);

    // No data rows: nothing.
    GridModel empty;
    MakeGrid(empty, {});
    first = 2;
    last = 3;
    EXPECT_FALSE(DeleteGridRows(empty, first, last, true));
    EXPECT_EQ(first, 2);
    EXPECT_EQ(last, 3);
}

TEST(ClearGridRecords, AsksThenCutsToTheFixedRowsAndRefreshes)
{
    ScriptedPrompter prompts;
    GridModel g;
    MakeGrid(g, {{"a"}, {"b"}});
    int refreshed = 0;
    auto refresh = [&](GridModel& grid) {
        ++refreshed;
        EXPECT_EQ(grid.Rows(), 2);
    };
    prompts.answers = {PromptAnswer::No};
    EXPECT_FALSE(ClearGridRecords(g, true, refresh));
    EXPECT_EQ(prompts.shown.value(0), "您确定要清除所有记录？");
    EXPECT_EQ(g.Rows(), 4);
    EXPECT_EQ(refreshed, 0);
    EXPECT_TRUE(ClearGridRecords(g, true, refresh));
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(refreshed, 1);
    EXPECT_TRUE(ClearGridRecords(g, false));
    EXPECT_EQ(prompts.shown.size(), 2);
}

TEST(GridColours, RowsCellsAndBlack)
{
    GridModel g;
    MakeGrid(g, {{"a", "x"}, {"b", "y"}});
    g.Row = 2;
    g.Col = 3;
    SetGridRowForeColor(g, 1, 0xFF);
    for (int c = 0; c < g.Cols(); ++c) EXPECT_EQ(g.CellForeColor(1, c), 0xFF);
    SetGridRowBackColor(g, 2, 0xAA);
    EXPECT_EQ(g.CellBackColor(2, 1), GridModel::kNoColor);  // fixed columns untouched
    EXPECT_EQ(g.CellBackColor(2, 2), 0xAA);
    EXPECT_EQ(g.CellBackColor(2, 3), 0xAA);
    SetGridRowBackColor(g, 1, 0xBB);  // not a data row
    SetGridRowBackColor(g, 9, 0xBB);
    EXPECT_EQ(g.CellBackColor(1, 2), GridModel::kNoColor);
    ResetGridColors(g, 0xCC);
    EXPECT_EQ(g.CellForeColor(1, 0), 0xFF);  // fixed rows keep theirs
    for (int r = 2; r < 4; ++r)
        for (int c = 0; c < g.Cols(); ++c) EXPECT_EQ(g.CellForeColor(r, c), 0xCC);

    qint32 black = 0;
    SetGridCellColor(g, 3, 2, black, true);
    EXPECT_EQ(black, 65793);
    EXPECT_EQ(g.CellForeColor(3, 2), 65793);
    EXPECT_EQ(GetGridCellColor(g, 3, 2, true), 0);
    // It shows nearly black, not the default colour.
    const QVariant brush = g.data(g.index(3, 2), Qt::ForegroundRole);
    ASSERT_TRUE(brush.isValid());
    EXPECT_EQ(brush.value<QBrush>().color(), QColor(0, 0, 0));
    qint32 red = 0xFF;
    SetGridCellColor(g, 3, 3, red, false);
    EXPECT_EQ(red, 0xFF);
    EXPECT_EQ(GetGridCellColor(g, 3, 3, false), 0xFF);
    EXPECT_EQ(g.Row, 2);
    EXPECT_EQ(g.Col, 3);

    int a = 3, b = 7;
    OrderPair(a, b);
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, 3);
    OrderPair(a, b);
    EXPECT_EQ(a, 7);
}

TEST(GridView, ShowsDataRowsUnderTheCaptionsAndSortsOnAClick)
{
    GridModel g;
    MakeGrid(g, {{"b", "2"}, {"a", "1"}, {"c", "3"}});
    AutoSizeGridColumns(g, 2, false);
    GridView view;
    view.resize(600, 300);
    view.SetGrid(&g);
    view.show();
    QAbstractItemModel* m = view.model();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->rowCount(), 3);
    EXPECT_EQ(m->columnCount(), 4);
    EXPECT_EQ(m->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "甲");
    EXPECT_EQ(m->data(m->index(0, 2), Qt::DisplayRole).toString(), "b");
    EXPECT_TRUE(view.isColumnHidden(0));
    EXPECT_FALSE(view.isColumnHidden(2));
    EXPECT_EQ(g.property(kGridWidthProperty).toInt(), view.width() * 15);

    emit view.horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(m->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "甲△");
    EXPECT_EQ(m->data(m->index(0, 2), Qt::DisplayRole).toString(), "a");
    emit view.horizontalHeader()->sectionClicked(1);  // the running number: size, no sort
    EXPECT_EQ(m->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "甲△");

    // Selecting rows reaches the grid's Row/RowSel; the grid's own selection reaches the view.
    view.selectionModel()->setCurrentIndex(m->index(2, 3), QItemSelectionModel::NoUpdate);
    view.selectionModel()->select(QItemSelection(m->index(0, 2), m->index(2, 3)),
                                  QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(g.Row, 4);
    EXPECT_EQ(g.RowSel, 2);
    EXPECT_EQ(g.Col, 3);
    EXPECT_EQ(g.ColSel, 2);
    g.Row = 3;
    g.RowSel = 3;
    g.Col = 2;
    g.ColSel = 2;
    view.SyncFromGrid();
    EXPECT_EQ(view.currentIndex(), m->index(1, 2));
    EXPECT_EQ(view.selectionModel()->selectedIndexes().size(), 1);

    // Row heights in twips become pixels; a height of 0 hides the row.
    EXPECT_EQ(view.rowHeight(0), 16);
    g.SetRowHeight(3, 480);
    EXPECT_EQ(view.rowHeight(1), 32);
    g.SetRowHeight(4, 0);
    EXPECT_TRUE(view.isRowHidden(2));

    // Deleting and filling go through to the view.
    int first = 2, last = 2;
    DeleteGridRows(g, first, last, false);
    EXPECT_EQ(m->rowCount(), 2);
    g.SetTextMatrix(2, 3, "新");
    EXPECT_EQ(m->data(m->index(0, 3), Qt::DisplayRole).toString(), "新");
}
