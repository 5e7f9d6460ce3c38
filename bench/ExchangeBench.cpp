#include "exchange/ExchangeCodec.h"

#include <QStringList>
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
