#include "BenchSlip.h"

#include "core/Fonts.h"
#include "core/Prompter.h"
#include "print/PrintJobs.h"
#include "print/SlipPrinter.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace slip;
using namespace slip::bench;

// One slip of twelve boxes (with its Code 39 barcode) converted, fitted and
// printed into a PDF file: one job of one page, as the print command makes it.
static void BM_PrintSlipOf12Boxes(benchmark::State& state)
{
    InstallFontSubstitutions();
    QTemporaryDir dir;
    SlipFormat f;
    LoadBenchSlip(f);
    SlipPrinter printer;
    printer.UsePdfFile(dir.filePath(QStringLiteral("slip.pdf")));
    SilentPrompter quiet;
    PrintServices services{printer, quiet, NoProgress(), {}, {}};
    int i = 0;
    for (auto _ : state) {
        SlipValueList one({BenchSlipValues(f, MadeUpRecord(++i))});
        const PrintOutcome out = PrintSlipJob(services, f, one, {}, false, false);
        if (out.printed != 1) state.SkipWithError("the slip did not print");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PrintSlipOf12Boxes)->Unit(benchmark::kMillisecond);
