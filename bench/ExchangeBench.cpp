#include "FileBytes.h"
#include "LocalHttpServer.h"

#include "core/Prompter.h"
#include "core/ProgressReporter.h"
#include "exchange/ExchangeCodec.h"
#include "exchange/FormatExchange.h"
#include "exchange/Http.h"
#include "exchange/Server.h"
#include "storage/BoxRecord.h"
#include "storage/Schema.h"

#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

using namespace slip;

namespace {

// An exchange text of 20 MB whose records are broken into short lines (line
// breaks inside a memo field): the shape that made the repair pass slow.
QString ShortLinesOf20Mb()
{
    const QString sep = ExchangeFieldSeparator();
    QStringList lines{ExchangeMagicLine(), QStringLiteral("进账单_测试")};
    const QStringList memo(4000, QStringLiteral("备注"));
    const QString box = QStringList{"1", "0", "户名", "1", "10", "20", "30", "8", "0", "0", "0", "宋体", "9", "False",
                                    "False", "False", "False", "0", "0", memo.join("\r\n"), "0", "0"}
                            .join(sep);
    for (int i = 0; i < 600; ++i) lines << box;   // 2.4 million short lines, about 20 MB in GBK
    lines << QStringList{"0", "", HeaderLabel(), "", "0", "0", "200", "100", "", "", "15360", "", "", "False",
                         "False", "False", "False", "", "", "", "", ""}
                 .join(sep);
    return lines.join("\r\n");
}

} // namespace

static void BM_DecodeExchangeFileOf20MbShortLines(benchmark::State& state)
{
    const QString text = ShortLinesOf20Mb();
    for (auto _ : state) {
        const ExchangeContent c = DecodeExchangeText(text, QStringLiteral("x.tvq"));
        benchmark::DoNotOptimize(c.ok);
    }
}
BENCHMARK(BM_DecodeExchangeFileOf20MbShortLines)->Unit(benchmark::kMillisecond);

namespace {

// An exchange file of 900 boxes, each with a memo of 10,000 characters on one
// line: about 18 MB in GBK.
QByteArray LongMemosFile()
{
    const QString sep = ExchangeFieldSeparator();
    QStringList lines{ExchangeMagicLine(), QStringLiteral("进账单_测试")};
    const QString memo(10000, QChar(0x6587));
    for (int i = 1; i <= 900; ++i)
        lines << QStringList{QString::number(i), "0", QStringLiteral("户名%1").arg(i), "1", "10", "20", "30", "8",
                             "0", "0", "0", "宋体", "9", "False", "False", "False", "False", "0", "0", memo, "0", "0"}
                     .join(sep);
    lines << QStringList{"0", "", HeaderLabel(), "", "0", "0", "200", "100", "", "", "15360", "", "", "False",
                         "False", "False", "False", "", "", "", "", ""}
                 .join(sep);
    return slip::test::Gbk(lines.join("\r\n"));
}

} // namespace

// The longest time the window's thread goes without handling its events while
// a large exchange file is read, decoded and stored (counter longest_gap_ms;
// the windows should never stand still longer than 100 ms).
static void BM_LongestWindowGapWhileAnExchangeFileOf18MbIsImported(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("大.tvq"));
    if (!slip::test::WriteBytes(path, LongMemosFile())) return state.SkipWithError("file not written");
    if (!EnsureSchema()) return state.SkipWithError("no database");
    SilentPrompter prompts;
    qint64 longest = 0;
    int round = 0;
    for (auto _ : state) {
        ImportOptions options;
        options.formatName = QStringLiteral("大%1").arg(++round);
        options.picture = QString();
        QElapsedTimer since;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] { longest = std::max(longest, since.restart()); });
        since.start();
        tick.start(5);
        const FormatImportResult in = ImportFormatFile(path, prompts, NoProgress(), options);
        longest = std::max(longest, since.elapsed());
        if (!in.ok) return state.SkipWithError(in.error.toStdString().c_str());
    }
    state.counters["longest_gap_ms"] = double(longest);
}
BENCHMARK(BM_LongestWindowGapWhileAnExchangeFileOf18MbIsImported)->Unit(benchmark::kMillisecond)->Iterations(3);

// How long a download that waits on a silent server takes to end once it is
// cancelled (counter cancel_ms: from the cancel to the answer).
static void BM_TimeToCancelADownloadThatWaits(benchmark::State& state)
{
    slip::test::LocalHttpServer server;
    if (!EnsureSchema() || !server.listen() || !SetServerAddress(server.address())) return state.SkipWithError("no local server");
    server.setRoute(QStringLiteral("/slow.tvq"), {200, "late", "text/plain", std::chrono::minutes(10)});
    QTemporaryDir dir;
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer sinceCancel;
        bool cancelled = false;
        QTimer poll;
        const int before = server.hits(QStringLiteral("/slow.tvq"));
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (cancelled || server.hits(QStringLiteral("/slow.tvq")) == before) return;
            cancelled = true;
            sinceCancel.start();
        });
        poll.start(1);
        const HttpFileResult r = HttpDownloadFile(QStringLiteral("/slow.tvq"), dir.filePath(QStringLiteral("s.tvq")),
                                                  std::chrono::minutes(1), NoProgress(), [&] { return cancelled; });
        const qint64 took = cancelled ? sinceCancel.elapsed() : -1;
        if (r.ok || took < 0) return state.SkipWithError("the download was not cancelled");
        total += double(took);
    }
    state.counters["cancel_ms"] = benchmark::Counter(total, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_TimeToCancelADownloadThatWaits)->Unit(benchmark::kMillisecond)->Iterations(5);
