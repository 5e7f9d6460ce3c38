#include "core/DataFolder.h"
#include "model/SlipFormat.h"
#include "storage/FormatStore.h"
#include "storage/Schema.h"
#include "workspace/MainWindow.h"
#include "workspace/SlipView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <benchmark/benchmark.h>

using namespace slip;

namespace {

// A format of n boxes, the same number of every kind, spread over the slip.
void MakeFormat(const QString& name, int n)
{
    SlipFormat f;
    FormatHeader h;
    h.name = name;
    h.widthMm = 200;
    h.heightMm = 100;
    f.Load(h, {});
    for (int i = 0; i < n; ++i) {
        Box b = NewBoxOfKind(BoxKind(i % kBoxKindCount), QPointF((i % 25) * 8, (i / 25) % 20 * 5));
        b.caption = QStringLiteral("框%1").arg(i);
        if (b.kind == BoxKind::Text) b.dataType = DataType::FromStored(i % 3 ? 104 : 0);
        f.AddBox(b);
    }
    QHash<BoxId, BoxId> ids;
    FormatStore::Save(f, name, false, 15360, ids);
}

void FreshDatabase()
{
    QFile::remove(DatabasePath());
    EnsureSchema();
}

// The window with the format open on its canvas.
struct Shown {
    MainWindow mw;
    explicit Shown(const QString& name)
    {
        mw.resize(1400, 900);
        mw.show();
        mw.Commands().ChooseFormat(name, true);
        QApplication::processEvents();
    }
    ~Shown()
    {
        mw.Format().SetModified(false);
        mw.close();
    }
    void Paint() { mw.Canvas()->viewport()->repaint(); }
};

} // namespace

// Database to model to a painted canvas.
static void BM_LoadFormatOf1000Boxes(benchmark::State& state)
{
    FreshDatabase();
    MakeFormat(QStringLiteral("千框"), 1000);
    Shown s(QStringLiteral("千框"));
    for (auto _ : state) {
        s.mw.Commands().InitFormat(QStringLiteral("千框"));
        s.Paint();
        benchmark::DoNotOptimize(s.mw.Format().Count(BoxKind::Text));
    }
    state.counters["boxes"] = double(s.mw.Format().Boxes().size());
}
BENCHMARK(BM_LoadFormatOf1000Boxes)->Unit(benchmark::kMillisecond);

static void BM_SaveFormatOf1000Boxes(benchmark::State& state)
{
    FreshDatabase();
    MakeFormat(QStringLiteral("千框"), 1000);
    StoredFormat stored;
    FormatStore::Load(QStringLiteral("千框"), 15360, {}, stored);
    SlipFormat f;
    f.Load(stored.header, std::move(stored.boxes));
    for (auto _ : state) {
        QHash<BoxId, BoxId> ids;
        const StoreResult r = FormatStore::Save(f, f.Name(), false, 15360, ids);
        if (!r) state.SkipWithError(r.error.toUtf8().constData());
        benchmark::DoNotOptimize(ids.size());
    }
    state.counters["boxes"] = double(f.Boxes().size());
}
BENCHMARK(BM_SaveFormatOf1000Boxes)->Unit(benchmark::kMillisecond);

// One zoom step with the canvas shown and painted.
static void BM_ZoomFormatOf1000Boxes(benchmark::State& state)
{
    FreshDatabase();
    MakeFormat(QStringLiteral("千框"), 1000);
    Shown s(QStringLiteral("千框"));
    bool grow = true;
    for (auto _ : state) {
        s.mw.Canvas()->ZoomButton(grow ? 0 : 1);
        grow = !grow;
        s.Paint();
    }
    state.counters["boxes"] = double(s.mw.Format().Boxes().size());
}
BENCHMARK(BM_ZoomFormatOf1000Boxes)->Unit(benchmark::kMillisecond);

// The switch as the operator waits for it: from the choice to the new format
// painted on the canvas. What the window leaves for after that (the record
// of the open format for the next start) runs between iterations and is
// reported on its own.
static void BM_SwitchBetweenTwoFormatsOf500Boxes(benchmark::State& state)
{
    FreshDatabase();
    MakeFormat(QStringLiteral("甲格式"), 500);
    MakeFormat(QStringLiteral("乙格式"), 500);
    Shown s(QStringLiteral("甲格式"));
    bool first = false;
    QElapsedTimer after;
    qint64 afterNs = 0;
    for (auto _ : state) {
        s.mw.Commands().ChooseFormat(first ? QStringLiteral("甲格式") : QStringLiteral("乙格式"), false);
        first = !first;
        s.Paint();
        state.PauseTiming();
        after.start();
        QApplication::processEvents();
        afterNs += after.nsecsElapsed();
        state.ResumeTiming();
    }
    state.counters["boxes"] = double(s.mw.Format().Boxes().size());
    state.counters["afterShownMs"] = double(afterNs) / 1e6 / double(state.iterations());
}
BENCHMARK(BM_SwitchBetweenTwoFormatsOf500Boxes)->Unit(benchmark::kMillisecond);
