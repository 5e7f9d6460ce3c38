#include "GridExportTestSupport.h"
#include "TestHome.h"

#include "batch/GridSearch.h"
#include "core/GridModel.h"
#include "storage/HistoryStore.h"
#include "storage/HistoryTableModel.h"

#include <gtest/gtest.h>

using namespace slip;
using slip::test::TextTableModel;

namespace {

// A history-like table: running numbers in column 0, then two searched columns.
TextTableModel Grid(const QVector<QStringList>& rows) { return TextTableModel({"序号", "户名", "账号"}, rows); }

// One press of the search button: starts from where the last found row left
// the view, as the view would report it.
struct Searcher {
    const QAbstractItemModel& grid;
    int firstColumn = 1;
    int current = 0;
    bool selectedByLastSearch = false;

    GridSearchResult Press(QString text)
    {
        GridSearchStart start;
        start.currentRow = current;
        start.currentRowIsPreviousMatch = selectedByLastSearch;
        start.firstColumn = firstColumn;
        const GridSearchResult r = FindInGrid(grid, text, start);
        if (r.found) {
            current = r.row;
            selectedByLastSearch = true;
        }
        return r;
    }
};

} // namespace

TEST(GridSearch, RepeatedSearchesStepFromMatchToMatchAndWrapAround)
{
    const auto grid = Grid({{"1", "张三", "6222"}, {"2", "李四", "6222"}, {"3", "王五", "6222"}, {"4", "赵六", "7777"}});
    Searcher s{grid};
    s.current = 1;  // row two was found last
    s.selectedByLastSearch = true;
    EXPECT_EQ(s.Press("6222").row, 2);
    EXPECT_EQ(s.Press("6222").row, 0);
    EXPECT_EQ(s.Press("6222").row, 1);
    EXPECT_EQ(s.Press("6222").row, 2);
}

TEST(GridSearch, WithoutAPreviousMatchTheCurrentRowIsTestedFirst)
{
    const auto grid = Grid({{"1", "张三", "1"}, {"2", "李四", "2"}, {"3", "张三丰", "3"}});
    Searcher s{grid};
    s.current = 2;
    EXPECT_EQ(s.Press("张三").row, 2);
    EXPECT_EQ(s.Press("张三").row, 0);
}

TEST(GridSearch, TheOnlyMatchAlreadySelectedIsNotFoundAgain)
{
    const auto grid = Grid({{"1", "张三", "1"}, {"2", "李四", "2"}});
    Searcher s{grid};
    ASSERT_EQ(s.Press("李四").row, 1);
    const GridSearchResult again = s.Press("李四");
    EXPECT_FALSE(again.found);
    EXPECT_EQ(again.row, -1);
    EXPECT_EQ(again.message, "没有查到相关的记录！");
}

TEST(GridSearch, ASingleDataRowIsTestedAgainAndFoundAgain)
{
    const auto grid = Grid({{"1", "张三", "1"}});
    Searcher s{grid};
    EXPECT_EQ(s.Press("张").row, 0);
    EXPECT_EQ(s.Press("张").row, 0);
}

TEST(GridSearch, NoMatchAnywhereSaysSo)
{
    const auto grid = Grid({{"1", "张三", "1"}, {"2", "李四", "2"}});
    Searcher s{grid};
    const GridSearchResult r = s.Press("王五");
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.message, "没有查到相关的记录！");
}

TEST(GridSearch, TheTextIsTrimmedAndSpacesAloneSearchNothing)
{
    const auto grid = Grid({{"1", "张三", " "}});
    QString text = "   ";
    GridSearchStart start;
    start.firstColumn = 1;
    const GridSearchResult r = FindInGrid(grid, text, start);
    EXPECT_FALSE(r.found);
    EXPECT_TRUE(r.message.isEmpty());
    EXPECT_EQ(text, "");

    QString padded = "  张三 ";
    EXPECT_TRUE(FindInGrid(grid, padded, start).found);
    EXPECT_EQ(padded, "张三");
}

TEST(GridSearch, LetterCaseMatters)
{
    const auto grid = Grid({{"1", "Bank", "x"}, {"2", "bank", "y"}});
    Searcher s{grid};
    EXPECT_EQ(s.Press("bank").row, 1);
    EXPECT_FALSE(s.Press("BANK").found);
}

TEST(GridSearch, FixedColumnsAndRowsAreNeverSearched)
{
    const auto grid = Grid({{"1", "张三", "x"}, {"2", "李四", "y"}});
    Searcher s{grid};
    EXPECT_FALSE(s.Press("2").found);  // only the running numbers hold it

    GridModel g;
    g.SetRows(4);
    g.SetCols(3);
    g.SetFixedRows(2);
    g.SetFixedCols(1);
    g.SetTextMatrix(1, 1, "户名");
    g.SetTextMatrix(3, 2, "户名在这里");
    QString text = "户名";
    GridSearchStart start;
    start.firstRow = 2;
    start.firstColumn = 1;
    start.currentRow = 0;  // above the data rows: counts as the first data row
    const GridSearchResult r = FindInGrid(g, text, start);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.row, 3);
}

TEST(GridSearch, AGridWithoutDataRowsAnswersNothing)
{
    const auto grid = Grid({});
    QString text = "张三";
    const GridSearchResult r = FindInGrid(grid, text, {});
    EXPECT_FALSE(r.found);
    EXPECT_TRUE(r.message.isEmpty());
}

TEST(GridSearch, FindsASlipInTheHistoryListOfARealDatabase)
{
    test::TestHome home;
    QVector<HistorySlip> slips;
    for (int i = 1; i <= 600; ++i)
        slips << HistorySlip{{10, QString("户名%1").arg(i)}, {11, QString("62220%1").arg(i, 4, 10, QChar('0'))}};
    ASSERT_TRUE(SaveHistorySlips("甲", slips).ok);
    HistoryTableModel m;
    m.SetPageSize(50);
    ASSERT_TRUE(m.LoadHistoryList("甲", {{10, 0, "户名"}, {11, 0, "账号"}}));
    Searcher s{m, HistoryTableModel::kFirstBoxColumn};
    // Slip numbers (hidden column 0) and running numbers are not searched:
    // "0450" matches only the account of slip 450, newest first at row 150.
    const GridSearchResult r = s.Press("0450");
    ASSERT_TRUE(r.found);
    EXPECT_EQ(m.SlipNumber(r.row), 450);
    // From slip 450 on down the next match is slip 45, then the search wraps
    // to the newest slips: 459, 458 ...
    EXPECT_EQ(m.SlipNumber(s.Press("户名45").row), 45);
    EXPECT_EQ(m.SlipNumber(s.Press("户名45").row), 459);
    EXPECT_EQ(m.SlipNumber(s.Press("户名45").row), 458);
}
