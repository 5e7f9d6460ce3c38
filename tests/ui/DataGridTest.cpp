#include "ui/DataGrid.h"

#include "core/Units.h"
#include "ui/Progress.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <gtest/gtest.h>

using namespace slip;

namespace {

int Pixels(double twips) { return std::max(1, int(twips / units::kTwipsPerPixel + 0.5)); }

// A list of `rows` empty rows under four captions, in a view 800 pixels wide.
struct Grid {
    explicit Grid(int rows) : model(rows, 4)
    {
        model.setHorizontalHeaderLabels({"ID", "序号", "一个很长很长的标题", "备注"});
        view.setModel(&model);
        view.resize(800, 400);
    }
    void Set(int row, int column, const QString& text) { model.setItem(row, column, new QStandardItem(text)); }
    int Cell(const QString& text) const { return QFontMetrics(view.font()).horizontalAdvance(text) + Pixels(100); }
    int Caption(int column) const
    {
        return QFontMetrics(view.horizontalHeader()->font()).horizontalAdvance(model.horizontalHeaderItem(column)->text()) +
               Pixels(100);
    }
    QStandardItemModel model;
    QTableView view;
};

} // namespace

TEST(FitGridColumns, EveryRowIsMeasuredTheCaptionOnlyBesideSomeTextAndNoColumnPassesHalfTheGrid)
{
    Grid g(250);
    for (int r = 0; r < 250; ++r) g.Set(r, 1, QString::number(r + 1));
    g.Set(0, 3, "1");
    g.Set(240, 3, "在第二百四十一行才出现的最宽的一段文字");
    FitGridColumns(g.view, 1, false);
    EXPECT_TRUE(g.view.isColumnHidden(0));
    EXPECT_EQ(g.view.columnWidth(1), std::max(g.Cell("250"), g.Caption(1)));
    EXPECT_EQ(g.view.columnWidth(2), Pixels(50)) << "nothing measured: the caption doesn't count alone";
    EXPECT_EQ(g.view.columnWidth(3), g.Cell("在第二百四十一行才出现的最宽的一段文字")) << "a row far down counts";
    g.Set(7, 2, QString(200, QChar(0x5BBD)));
    FitGridColumns(g.view, 1, false);
    EXPECT_EQ(g.view.columnWidth(2), 400);
    // A list without rows measures its captions.
    Grid empty(0);
    FitGridColumns(empty.view, 1, false);
    EXPECT_EQ(empty.view.columnWidth(2), empty.Caption(2));
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
        FitGridColumns(g.view, 1, c.withProgress);
        EXPECT_EQ(ProgressPosition(), c.position) << c.rows;
        EXPECT_FALSE(ProgressWindowOpen());
    }
}
