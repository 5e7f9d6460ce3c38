// A batch printer for bench/batch-print-vs-peer.sh, not part of the program:
// prints every record of the benchmark's CSV file as one job of one page per
// record into a PDF file, each record converted by its boxes' data-type codes,
// fonts fitted to the printer and every printed slip stored in a history of
// its own (a scratch data folder).
//
//   slip-batch-print RECORDS.csv OUT.pdf
#include "BenchSlip.h"
#include "ScratchFolders.h"

#include "core/Fonts.h"
#include "core/Prompter.h"
#include "print/PrintJobs.h"
#include "print/SlipPrinter.h"
#include "workspace/PrintCommands.h"
#include "storage/Schema.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

using namespace slip;
using namespace slip::bench;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    test::UseScratchFolders(home.path());
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: slip-batch-print RECORDS.csv OUT.pdf\n");
        return 2;
    }
    InstallFontSubstitutions();
    EnsureSchema();
    SlipFormat format;
    LoadBenchSlip(format);
    BenchRecords records(format, ReadBenchRecords(QString::fromLocal8Bit(argv[1])));
    if (records.Count() == 0) {
        std::fprintf(stderr, "no records in %s\n", argv[1]);
        return 1;
    }

    QElapsedTimer clock;
    clock.start();
    SlipPrinter printer;
    printer.UsePdfFile(QString::fromLocal8Bit(argv[2]));
    SilentPrompter quiet;
    PrintServices services{printer, quiet, NoProgress(), {},
                           [&format](const QString& name, const QVector<SlipValues>& slips) {
                               return SavePrintedSlips(format, name, slips);
                           }};
    const PrintOutcome out = PrintSlipJob(services, format, records, {}, true, false);
    const double seconds = clock.nsecsElapsed() / 1e9;
    std::printf("pages %d stored %d seconds %.3f\n", out.printed, out.stored, seconds);
    if (!out.Done() || out.stored != out.printed) {
        std::fprintf(stderr, "%s\n", qPrintable(out.error));
        return 1;
    }
    return 0;
}
