#include "storage/DataFolder.h"
#include "storage/Schema.h"
#include "template/SlipTemplate.h"
#include "workspace/MainWindow.h"

#include <QFile>
#include <benchmark/benchmark.h>

using namespace slip;

namespace {

// Two formats of 500 boxes each (100 of every class), stored through a window.
void MakeTwoFormats(MainWindow& mw)
{
    QFile::remove(DatabasePath());
    EnsureSchema();
    for (const char* name : {"甲格式", "乙格式"}) {
        SlipTemplate& t = mw.Template();
        t.UnloadAllInputBoxes();
        t.table.SetupColumns();
        t.state.name = QString::fromUtf8(name);
        t.state.width = "200";
        t.state.height = "100";
        mw.FitCanvas(200, 100);
        for (int i = 0; i < 500; ++i) {
            int row = 0;
            SlipBox* b = t.CreateInputBox(i % 5, row);
            b->Left = (i % 25) * 450;
            b->Top = (i / 25) * 280;
            b->X1 = b->Left;
            b->Y1 = b->Top;
            b->X2 = b->Left + 400;
            b->Y2 = b->Top;
            t.SaveCtlToRow(b);
        }
        mw.Ops().SaveFormat();
    }
}

} // namespace

static void BM_SwitchBetweenTwoFormatsOf500Boxes(benchmark::State& state)
{
    MainWindow mw;
    mw.resize(1400, 900);
    mw.show();
    MakeTwoFormats(mw);
    bool first = true;
    for (auto _ : state) {
        mw.Ops().ChooseFormat(first ? QStringLiteral("甲格式") : QStringLiteral("乙格式"), false);
        first = !first;
        benchmark::DoNotOptimize(mw.Template().Count(0));
    }
    state.counters["boxes"] = mw.Template().table.DataRowCount();
    mw.close();
}
BENCHMARK(BM_SwitchBetweenTwoFormatsOf500Boxes)->Unit(benchmark::kMillisecond);
