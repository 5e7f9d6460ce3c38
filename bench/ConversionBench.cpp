#include <QDate>
#include <QString>
#include <benchmark/benchmark.h>
#include <vector>

#include "entry/Conversion.h"
#include "entry/MoneyWords.h"

namespace {

struct Value {
    double code;
    QString text;
};

// What a slip's boxes hold when they are left: amounts, money words, cells,
// dates, date parts, postcodes, percentages and plain text.
std::vector<Value> SlipValues()
{
    return {
        {104, QStringLiteral("1234.5")},         {11, QStringLiteral("98765.43")},
        {311, QStringLiteral("-1,234.5")},       {105, QStringLiteral("100000")},
        {117, QStringLiteral("-1234")},          {118, QStringLiteral("0.5")},
        {103, QStringLiteral("1005.30")},        {120, QStringLiteral("100010000")},
        {103, QStringLiteral("壹仟零伍元叁角整")}, {114.11, QStringLiteral("1234.5")},
        {121.11, QStringLiteral("56789")},       {110, QStringLiteral("2012-5-3")},
        {111, QStringLiteral("2012/05/03")},     {113, QStringLiteral("12-31")},
        {100, QStringLiteral("2012")},           {101, QStringLiteral("10")},
        {102, QStringLiteral("25")},             {106, QStringLiteral("贰零壹贰")},
        {108, QStringLiteral("零叁")},           {109, QStringLiteral("10-00-85")},
        {116, QStringLiteral("0.25")},           {0, QStringLiteral("某某公司")},
        {122, QStringLiteral("A0010")},          {211, QStringLiteral("123456")},
    };
}

void BM_AutoConvertMix(benchmark::State& state)
{
    const std::vector<Value> values = SlipValues();
    const QDate today(2020, 7, 9);
    std::vector<slip::DataType> types;
    for (const Value& v : values) types.push_back(slip::DataType::FromStored(v.code));
    for (auto _ : state) {
        for (size_t i = 0; i < values.size(); ++i) {
            QString out = slip::ConvertByCode(types[i], values[i].text, slip::kDefaultCurrencyChar, today).text;
            benchmark::DoNotOptimize(out);
        }
    }
    state.SetItemsProcessed(state.iterations() * qint64(values.size()));
}
BENCHMARK(BM_AutoConvertMix);

void BM_MoneyWordsRoundTrip(benchmark::State& state)
{
    const QString typed = QStringLiteral("9876543210.12");
    for (auto _ : state) {
        const QString words = slip::MoneyToUpper(typed);
        QString back = slip::ParseUpperMoney(slip::DataType::FromStored(103), words);
        benchmark::DoNotOptimize(back);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MoneyWordsRoundTrip);


// One long value (typed, pasted or imported) converted by each code, at
// 64 KB, 256 KB and 1 MB: per code, the time at 1 MB is about 16 times the
// time at 64 KB when it grows with the value's length alone. The value is
// either figures mixed with what each conversion drops, so every code reads
// all of it, or one long number, which the amount codes read whole.
void BM_ConvertMegabyteValueByCode(benchmark::State& state)
{
    const double code = double(state.range(0)) / 100;
    const qsizetype size = state.range(1);
    const QString unit = state.range(2) == 0 ? QStringLiteral("12-3 4.a,") : QStringLiteral("1234567890");
    QString value;
    value.reserve(size);
    while (value.size() < size) value.append(unit);
    value.truncate(size);
    const slip::DataType type = slip::DataType::FromStored(code);
    const QDate today(2020, 7, 9);
    for (auto _ : state) {
        QString out = slip::ConvertByCode(type, value, slip::kDefaultCurrencyChar, today).text;
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(state.iterations() * size * qint64(sizeof(QChar)));
}

void EveryCodeAtGrowingSizes(benchmark::internal::Benchmark* b)
{
    const int codes[] = {0, 1100, 20500, 31100, 10000, 10100, 10200, 10300, 10400, 10500, 10600, 10700,
                         10800, 10900, 11000, 11100, 11200, 11300, 11411, 11500, 11600, 11700, 11800,
                         11900, 12000, 12111, 12200, 40000};
    for (int code : codes)
        for (int figuresOnly : {0, 1})
            for (qint64 size = 64 << 10; size <= 1 << 20; size *= 4) b->Args({code, size, figuresOnly});
}
BENCHMARK(BM_ConvertMegabyteValueByCode)->Apply(EveryCodeAtGrowingSizes)->Unit(benchmark::kMillisecond);

} // namespace
