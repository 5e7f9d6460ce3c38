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

} // namespace
