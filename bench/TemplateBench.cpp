#include "storage/DataFolder.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "template/SlipTemplate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <benchmark/benchmark.h>

using namespace slip;

namespace {

// A format of 1,000 boxes, 200 of each class, stored once per process.
const QString kFormat = QStringLiteral("基准格式");

void EnsureFormat()
{
    static bool made = false;
    if (made) return;
    made = true;
    QFile::remove(DatabasePath());
    EnsureSchema();
    DbConnection conn;
    conn.begin();
    for (int i = 0; i < 1000; ++i) {
        const int clas = i % 5;
        ExecuteSql(QStringLiteral("INSERT INTO Fmt(Fmt, Clas, LBL, Dir, X, Y, W, H, S, L, Color, fName, fSize,"
                                  " fBold, fItalic, fUnderline, fStrikethru, Cash, RCtl, SumID, SumID1)"
                                  " VALUES(?, ?, ?, 1, ?, ?, ?, ?, 0, 0, 0, '宋体', 10.5, 0, 0, 0, 0, ?, 0, 0, 0)"),
                   {kFormat, clas, clas == 3 ? QStringLiteral("线条") : QStringLiteral("框%1").arg(i),
                    (i % 20) * 9.5, (i / 20) * 2.0, clas == 3 ? (i % 20) * 9.5 + 8 : 8.0,
                    clas == 3 ? (i / 20) * 2.0 : 1.8, clas == 0 ? 11.0 : 1.0},
                   &conn);
    }
    conn.commit();
}

struct Session {
    QWidget canvas;
    SlipTemplate t{&canvas};
    Session()
    {
        canvas.resize(1280, 800);
        t.state.width = "200";
        t.SetCanvasMetrics(19200, 19200);
    }
};

} // namespace

static void BM_LoadFormatOf1000Boxes(benchmark::State& state)
{
    EnsureFormat();
    Session s;
    for (auto _ : state) {
        s.t.LoadFormatGrid(kFormat);
        s.t.ReloadFormat(false);
        benchmark::DoNotOptimize(s.t.Count(0));
    }
    state.counters["boxes"] = s.t.table.DataRowCount();
}
BENCHMARK(BM_LoadFormatOf1000Boxes)->Unit(benchmark::kMillisecond);

static void BM_SaveFormatOf1000Boxes(benchmark::State& state)
{
    EnsureFormat();
    Session s;
    s.t.LoadFormatGrid(kFormat);
    s.t.ReloadFormat(false);
    for (auto _ : state) {
        DbConnection conn;
        conn.begin();
        benchmark::DoNotOptimize(s.t.SaveRowsToFmtRecords(kFormat, conn, false));
        conn.commit();
    }
}
BENCHMARK(BM_SaveFormatOf1000Boxes)->Unit(benchmark::kMillisecond);
