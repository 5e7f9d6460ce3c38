#pragma once
// Memory one benchmark needs, not what the process reached before it: the
// kernel's high-water mark of the process is reset when the measure starts
// (Linux: "5" written to /proc/self/clear_refs), so the peak read at the end
// is this benchmark's own. Memory the allocator kept from earlier work is
// handed back first, so what this one uses again is counted again.
#include <QByteArray>
#include <QFile>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace slip::bench {

class PeakMemory {
public:
    PeakMemory()
    {
        malloc_trim(0);
        QFile reset(QStringLiteral("/proc/self/clear_refs"));
        if (reset.open(QIODevice::WriteOnly)) reset.write("5");
        startMb_ = StatusMb("VmRSS:");
    }
    // The highest resident size since the start, less the size at the start.
    double GrowthMb() const { return StatusMb("VmHWM:") - startMb_; }
    // Reported as the benchmark's counter "peak_growth_MB".
    void Report(benchmark::State& state) const { state.counters["peak_growth_MB"] = GrowthMb(); }

private:
    static double StatusMb(const char* field)
    {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly)) return 0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith(field)) return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toDouble() / 1024;
        return 0;
    }
    double startMb_ = 0;
};

} // namespace slip::bench
