#pragma once
// Memory one benchmark needs, not what the process reached before it: the
// measure is the tests' own (the kernel's high-water mark reset when it
// starts), reported as the benchmark's counter "peak_growth_MB".
#include "PeakMemory.h"

#include <benchmark/benchmark.h>

namespace slip::bench {

class PeakMemory {
public:
    void Report(benchmark::State& state) const
    {
        state.counters["peak_growth_MB"] = double(peak_.GrowthBytes()) / (1024.0 * 1024.0);
    }

private:
    test::PeakMemory peak_;
};

} // namespace slip::bench
