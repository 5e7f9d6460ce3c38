#include "ui/DataGrid.h"
#include "storage/Database.h"
#include "ui/GridView.h"
#include "ui/Progress.h"
#include "storage/Schema.h"

#include <benchmark/benchmark.h>

using namespace slip;

namespace {

// A format's worth of box records, enough rows for the grid to show progress.
void EnsureBoxes(int count)
{
    static int made = 0;
    if (made >= count) return;
    EnsureSchema();
    DbConnection conn;
    conn.begin();
    for (int i = made; i < count; ++i)
        ExecuteSql("INSERT INTO Fmt(Fmt, Clas, LBL, X, Y, W, H, fBold, Color) VALUES('基准', 0, ?, ?, ?, 30, 5, ?, ?)",
                   {QString("方框%1").arg(i), i * 0.37, i * 1.11, i % 2, i % 7 == 0 ? 0 : 0x102030}, &conn);
    conn.commit();
    made = count;
}

void BoxTableGrid(GridModel& g)
{
    g.Tag = "Fmt";
    SetupGridColumns(g, {"ID", "", "LBL", "X", "Y", "W", "H", "fBold", "Color"},
                     {"ID", "序号", "名称", "X", "Y", "W", "H", "粗体", "颜色"});
}

void BM_FillGridFromQuery(benchmark::State& state)
{
    const int rows = int(state.range(0));
    EnsureBoxes(rows);
    GridModel g;
    BoxTableGrid(g);
    for (auto _ : state) {
        FillGridFromQuery(g, "Fmt=? AND ID<=?", {"基准", rows + 1}, "ID");
        benchmark::DoNotOptimize(g.Rows());
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_FillGridFromQuery)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_SortGridByColumn(benchmark::State& state)
{
    GridModel g;
    SetupGridColumns(g, {"ID", "", "A", "B"}, {"ID", "序号", "金额", "名称"});
    const int rows = int(state.range(0));
    g.SetRows(2 + rows);
    for (int r = 0; r < rows; ++r) {
        g.SetTextMatrix(2 + r, 2, QString::number((r * 7919) % 100003 / 100.0, 'f', 2));
        g.SetTextMatrix(2 + r, 3, QString("户名%1").arg((r * 31) % rows));
    }
    for (auto _ : state) {
        SortGridByColumn(g, 2);
        SortGridByColumn(g, 3);
    }
    state.SetItemsProcessed(state.iterations() * rows * 2);
}
BENCHMARK(BM_SortGridByColumn)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Rows added one by one while a view shows the grid, as an import does.
void BM_AddRowsShownInView(benchmark::State& state)
{
    const int rows = int(state.range(0));
    for (auto _ : state) {
        GridModel g;
        SetupGridColumns(g, {"ID", "", "A", "B"}, {"ID", "序号", "金额", "名称"});
        GridView view;
        view.resize(800, 400);
        view.SetGrid(&g);
        view.show();
        for (int r = 0; r < rows; ++r) g.AddRow({QString::number(r), QString::number(r + 1), "1.00", "户名"});
        AutoSizeGridColumns(g, 2, false);
        benchmark::DoNotOptimize(view.grab());  // the rows painted as shown
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_AddRowsShownInView)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ProgressStep(benchmark::State& state)
{
    ProgressStart("基准", 1000000);
    for (auto _ : state) ProgressStep(1, "pages");
    ProgressEnd();
}
BENCHMARK(BM_ProgressStep)->Unit(benchmark::kMicrosecond);

} // namespace
