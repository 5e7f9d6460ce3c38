#include <QDate>
#include <QString>
#include <benchmark/benchmark.h>
#include <vector>

#include "entry/AutoCalculate.h"
#include "model/SlipFormat.h"

namespace {

// A format of 200 text boxes: boxes 1 to 40 add into box 41, and boxes 41 to
// 50 carry the total on from one to the next (amounts in figures and in
// words by turns), so one leave of box 1 recomputes the most boxes a leave
// may. Boxes 51 to 200 hold plain values and feed nothing.
void OpenChainedSums(slip::SlipFormat& format)
{
    std::vector<slip::Box> boxes;
    for (slip::BoxId id = 1; id <= 200; ++id) {
        slip::Box b = slip::NewBoxOfKind(slip::BoxKind::Text, QPointF(5 + (id % 10) * 19, 5 + (id / 10) * 6));
        b.id = id;
        if (id <= 40) {
            b.sum1 = {41, slip::SumOp::Add, id % 7 == 0};
            b.dataType = slip::DataType::FromStored(id % 3 == 0 ? 103 : 104);
        } else if (id < 50) {
            b.sum1 = {id + 1, slip::SumOp::Add, false};
            b.dataType = slip::DataType::FromStored(id % 2 ? 104 : 103);
        } else if (id == 50) {
            b.dataType = slip::DataType::FromStored(114.11);
        }
        boxes.push_back(b);
    }
    slip::FormatHeader h;
    h.name = QStringLiteral("基准");
    h.widthMm = 200;
    h.heightMm = 140;
    format.Load(h, std::move(boxes));
    for (slip::BoxId id = 2; id <= 40; ++id) format.SetValue(id, QString::number(id * 12.5, 'f', 2));
    for (slip::BoxId id = 51; id <= 200; ++id) format.SetValue(id, QStringLiteral("某某公司%1").arg(id));
}

void BM_LeaveBoxWithChainedSums(benchmark::State& state)
{
    slip::SlipFormat format;
    OpenChainedSums(format);
    const slip::EntryContext context{QDate(2020, 7, 9), {}};
    int round = 0;
    int passes = 0;
    for (auto _ : state) {
        // A new value each round, so every total changes and the whole
        // cascade runs.
        format.SetValue(1, QString::number(1000 + (++round % 5000)) + QStringLiteral(".35"));
        const slip::CalculationResult r = slip::LeaveTextBox(format, 1, context);
        passes = r.passes;
        benchmark::DoNotOptimize(r);
    }
    state.counters["passes"] = passes;
}
BENCHMARK(BM_LeaveBoxWithChainedSums)->Unit(benchmark::kMicrosecond);

} // namespace
