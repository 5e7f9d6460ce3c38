#pragma once
// The growth of the process's resident memory over a piece of work: the
// kernel's high-water mark is reset when the measure starts ("5" written to
// /proc/self/clear_refs) and read when asked, so earlier work does not count.
#include <QByteArray>
#include <QFile>
#include <malloc.h>

namespace slip::test {

class PeakMemory {
public:
    PeakMemory()
    {
        malloc_trim(0);
        QFile reset(QStringLiteral("/proc/self/clear_refs"));
        available_ = reset.open(QIODevice::WriteOnly) && reset.write("5") == 1;
        reset.close();
        start_ = StatusBytes("VmRSS:");
    }
    // False where the system does not let a process reset its mark.
    bool Available() const { return available_; }
    // The highest resident size since the start.
    qint64 PeakBytes() const { return StatusBytes("VmHWM:"); }
    // The same, less the size at the start.
    qint64 GrowthBytes() const { return PeakBytes() - start_; }

private:
    static qint64 StatusBytes(const char* field)
    {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly)) return 0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith(field)) return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong() * 1024;
        return 0;
    }
    bool available_ = false;
    qint64 start_ = 0;
};

} // namespace slip::test
