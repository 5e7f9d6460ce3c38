#include "ui/DataGrid.h"

#include <QPixmap>
#include "storage/Database.h"
#include "storage/RecordListModel.h"
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

const QVector<RecordListColumn> kBoxColumns{{"ID", "ID"}, {"", "序号"}, {"LBL", "名称"}, {"X", "X"}, {"Y", "Y"},
                                             {"W", "W"}, {"H", "H"}, {"fBold", "粗体"}, {"Color", "颜色"}};

void BM_FillGridFromQuery(benchmark::State& state)
{
    const int rows = int(state.range(0));
    EnsureBoxes(rows);
    RecordListModel list;
    list.SetColumns(kBoxColumns);
    for (auto _ : state) {
        list.Fill("Fmt", "Fmt=? AND ID<=?", {"基准", rows + 1}, "ID");
        benchmark::DoNotOptimize(list.rowCount());
    }
}
BENCHMARK(BM_FillGridFromQuery)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// Sorting a filled list by an amount column and a name column in turn.
void BM_SortGridByColumn(benchmark::State& state)
{
    const int rows = int(state.range(0));
    EnsureBoxes(rows);
    RecordListModel list;
    list.SetColumns(kBoxColumns);
    list.Fill("Fmt", "Fmt=? AND ID<=?", {"基准", rows + 1}, "ID");
    for (auto _ : state) {
        list.sort(3, Qt::DescendingOrder);
        list.sort(2, Qt::AscendingOrder);
    }
}
BENCHMARK(BM_SortGridByColumn)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A list filled, its columns fitted and painted once in its view.
void BM_AddRowsShownInView(benchmark::State& state)
{
    const int rows = int(state.range(0));
    EnsureBoxes(rows);
    for (auto _ : state) {
        RecordListModel list;
        list.SetColumns(kBoxColumns);
        DataGridView view(&list);
        view.resize(800, 600);
        view.show();
        list.Fill("Fmt", "Fmt=? AND ID<=?", {"基准", rows + 1}, "ID");
        benchmark::DoNotOptimize(view.grab());  // the rows painted as shown
    }
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
