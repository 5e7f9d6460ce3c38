#include "GridCells.h"

#include "core/Units.h"
#include "ui/DataGrid.h"
#include "ui/FrozenColumnView.h"
#include "ui/Progress.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <gtest/gtest.h>
#include <memory>

using namespace slip;

namespace {

int Pixels(double twips) { return std::max(1, int(twips / units::kTwipsPerPixel + 0.5)); }

// A list of `rows` empty rows under four captions, in a view 800 pixels wide.
struct Grid {
    explicit Grid(int rows, bool frozen = false) : model(rows, 4)
    {
        model.setHorizontalHeaderLabels({"ID", "序号", "一个很长很长的标题", "备注"});
        view = frozen ? std::make_unique<FrozenColumnView>() : std::make_unique<QTableView>();
        view->setModel(&model);
        view->resize(800, 400);
    }
    void Set(int row, int column, const QString& text) { model.setItem(row, column, new QStandardItem(text)); }
    // What a column adds to the room of its widest text: 100 twips.
    int Padding(int column, const QString& widest) const
    {
        return test::TextRoom(*view, column) - QFontMetrics(view->font()).horizontalAdvance(widest);
    }
    QStandardItemModel model;
    std::unique_ptr<QTableView> view;
};

} // namespace

// The widest text of every row shows whole, with 100 twips to spare beside
// the cell margins and grid line, in a plain and in a frozen-column view;
// also among many like texts, a text whose width its characters alone don't
// tell (kerning that pushes apart, punctuation drawn from the font of the
// Chinese beside it, combining accents).
TEST(FitGridColumns, TheWidestTextOfEveryRowShowsWholeWith100TwipsToSpare)
{
    const struct {
        int rows;
        int at;  // the row of the widest text
        const char* text;
        const char* others = "";  // in every other row
    } cases[] = {
        {5, 4, "客户11"},
        {3, 0, "O'Brien"},
        {6000, 4999, "LONGVALUE-0123456789"},
        {2, 1, "第一行\n第二行更宽一些"},
        {300, 299, "-J-J-J-J", "ssssa"},
        {300, 299, "第//////行", "第一二行"},
        {300, 200, "e\u0301e\u0301e\u0301e\u0301f", "eeee"},
    };
    for (bool frozen : {false, true})
        for (const auto& c : cases) {
            Grid g(c.rows, frozen);
            for (int r = 0; r < c.rows; ++r) g.Set(r, 1, QString::number(r + 1));
            for (int r = 0; r < c.rows; ++r) g.Set(r, 3, QString::fromUtf8(c.others));
            g.Set(0, 3, "1");
            g.Set(c.at, 3, QString::fromUtf8(c.text));
            FitGridColumns(*g.view, 1, false);
            EXPECT_EQ(test::CutShortCells(*g.view), QStringList()) << c.text;
            const QString widest = QString::fromUtf8(c.text).split('\n').last();
            EXPECT_GE(g.Padding(3, widest), Pixels(100)) << c.text;
            EXPECT_LE(g.Padding(3, widest), Pixels(100) + 1) << c.text;
        }
}

TEST(FitGridColumns, TheCaptionCountsBesideSomeTextOrMeasuredFromTheCaptionsAndNoColumnPassesHalfTheGrid)
{
    Grid g(250);
    for (int r = 0; r < 250; ++r) g.Set(r, 1, QString::number(r + 1));
    g.Set(0, 3, "1");
    FitGridColumns(*g.view, 1, false);
    EXPECT_TRUE(g.view->isColumnHidden(0));
    const QFontMetrics captions(g.view->horizontalHeader()->font());
    EXPECT_GE(g.view->columnWidth(1), captions.horizontalAdvance("序号") + Pixels(100));
    EXPECT_EQ(g.view->columnWidth(2), Pixels(50)) << "nothing measured: the caption doesn't count alone";
    FitGridColumns(*g.view, 1, false, {}, nullptr, GridMeasureFrom::Captions);
    EXPECT_GE(g.view->columnWidth(2), captions.horizontalAdvance("一个很长很长的标题") + Pixels(100));
    g.Set(7, 2, QString(200, QChar(0x5BBD)));
    FitGridColumns(*g.view, 1, false);
    EXPECT_EQ(g.view->columnWidth(2), 400);
    // A list without rows measures its captions.
    Grid empty(0);
    FitGridColumns(*empty.view, 1, false);
    EXPECT_GE(empty.view->columnWidth(2), captions.horizontalAdvance("一个很长很长的标题") + Pixels(100));
}

TEST(FitGridColumns, ALongListCountsItsColumnsInTheProgressWindow)
{
    struct Case {
        int rows;
        bool withProgress;
        qint64 position;
    };
    // 199 rows and the two caption rows make more than 200.
    for (const Case c : {Case{198, true, 0}, Case{199, true, 3}, Case{5000, false, 0}}) {
        ProgressStart("before", 1);
        ProgressEnd();
        Grid g(c.rows);
        FitGridColumns(*g.view, 1, c.withProgress);
        EXPECT_EQ(ProgressPosition(), c.position) << c.rows;
        EXPECT_FALSE(ProgressWindowOpen());
    }
}

// Widths measured ahead, off the window's thread in runs handed over in any
// order, size the columns as measuring every row in the window does (the
// widest text in any run of rows); measured in another font, or with a run
// left out, they are not used.
TEST(FitGridColumns, WidthsMeasuredAheadSizeAsMeasuringInTheWindow)
{
    const struct {
        int rows;
        int at;  // the row of the widest text
        const char* text;
        int fontGrowth;  // points added to the font measured ahead
        int runLeftOut;  // the run of 1,000 rows never handed over (-1: none)
    } cases[] = {
        {5000, 4321, "备注第一行//第二行更宽一些123", 0, -1},
        {5000, 10, "ABC-J-J-J-J-J-J-J-J-J", 0, -1},
        {3000, 2999, "户名\n北京市海淀区,中关村大街1号", 0, -1},
        {300, 5, "O'Brien", 3, -1},
        {5000, 4321, "备注第一行//第二行更宽一些123", 0, 4},
    };
    for (const auto& c : cases) {
        Grid measuring(c.rows), ahead(c.rows);
        std::vector<QStringList> texts(std::size_t(c.rows), QStringList(4));
        for (int r = 0; r < c.rows; ++r) {
            texts[std::size_t(r)][1] = QString::number(r + 1);
            texts[std::size_t(r)][3] = QString::fromUtf8("户名%1").arg(r % 977);
        }
        texts[std::size_t(c.at)][3] = QString::fromUtf8(c.text);
        for (Grid* g : {&measuring, &ahead})
            for (int r = 0; r < c.rows; ++r)
                for (int col : {1, 3}) g->Set(r, col, texts[std::size_t(r)][col]);
        QFont font = ahead.view->font();
        font.setPointSize(font.pointSize() + c.fontGrowth);
        // Handed over in runs of 1,000 rows, the last first.
        GridTextMeasure measure(font.toString(), 4, 1, c.rows);
        for (int from = (c.rows - 1) / 1000 * 1000; from >= 0; from -= 1000)
            if (from / 1000 != c.runLeftOut)
                measure.Measure(from, std::min(1000, c.rows - from),
                                [&texts](int r, int col) { return texts[std::size_t(r)][col]; });
        const GridTextWidths measured = measure.Finish(c.rows);
        FitGridColumns(*measuring.view, 1, false);
        FitGridColumns(*ahead.view, 1, false, {}, &measured);
        for (int col = 0; col < 4; ++col)
            EXPECT_EQ(ahead.view->columnWidth(col), measuring.view->columnWidth(col)) << c.text << " column " << col;
    }
}
