#pragma once
// The slip the print benchmarks print: a 180 x 90 mm deposit slip of twelve
// boxes (eleven text boxes and a Code 39 picture box), laid out as the peer's
// template bench/data/batch-slips.glabels lays out the same fields, and its
// records as bench/data/batch-slips.csv holds them.
#include "entry/Conversion.h"
#include "model/SlipFormat.h"
#include "print/PrintJobs.h"

#include <QFile>
#include <QStringList>
#include <QTextStream>
#include <QVector>

namespace slip::bench {

inline const QString& BenchFormatName()
{
    static const QString name = QStringLiteral("对公进账单");
    return name;
}

// The CSV's columns in order, each a box of the slip (ID = column + 1).
struct BenchField {
    const char* column;
    double x, y, w, h;
    double dataType;
};
inline const std::vector<BenchField>& BenchFields()
{
    static const std::vector<BenchField> fields = {
        {"date", 120, 6, 50, 6, 110},         // YYYY年MM月DD日
        {"payer", 25, 16, 60, 6, 0},          {"payer_account", 25, 24, 60, 6, 0},
        {"payer_bank", 25, 32, 60, 6, 0},     {"payee", 110, 16, 60, 6, 0},
        {"payee_account", 110, 24, 60, 6, 0}, {"payee_bank", 110, 32, 60, 6, 0},
        {"amount_words", 25, 44, 90, 6, 103},  // upper-case money words
        {"amount", 120, 44, 54, 6, 12},        // twelve digit cells
        {"purpose", 25, 54, 60, 6, 0},        {"memo", 110, 54, 60, 6, 0},
        {"code", 25, 64, 90, 18, -1},          // the Code 39 picture box
    };
    return fields;
}

inline void LoadBenchSlip(SlipFormat& f)
{
    FormatHeader h;
    h.name = BenchFormatName();
    h.widthMm = 180;
    h.heightMm = 90;
    h.options.setPaper = true;
    std::vector<Box> boxes;
    BoxId id = 0;
    for (const BenchField& field : BenchFields()) {
        Box b;
        b.id = ++id;
        b.kind = field.dataType < 0 ? BoxKind::Picture : BoxKind::Text;
        b.rect = QRectF(field.x, field.y, field.w, field.h);
        b.caption = QString::fromUtf8(field.column);
        b.dataType = DataType::FromStored(field.dataType < 0 ? 0 : field.dataType);
        b.font.family = QStringLiteral("宋体");
        b.font.pointSize = b.kind == BoxKind::Picture ? 2 : 10.5;  // no characters under the bars
        boxes.push_back(b);
    }
    f.Load(h, boxes);
}

// The raw fields of each record of a CSV file written as the benchmark's
// (UTF-8, a header line, no quoted fields).
inline QVector<QStringList> ReadBenchRecords(const QString& path)
{
    QVector<QStringList> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return out;
    QTextStream in(&f);
    in.readLine();
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (!line.isEmpty()) out << line.split(QLatin1Char(','));
    }
    return out;
}

// One record as the slip shows it: every text value converted by its box's
// data-type code, as typing it would.
inline SlipValues BenchSlipValues(const SlipFormat& f, const QStringList& record)
{
    SlipValues v;
    const QChar currency = f.Options().currencyChar;
    int i = 0;
    for (const Box& b : f.Boxes()) {
        const QString raw = record.value(i++);
        const QString value = b.kind == BoxKind::Text ? ConvertByCode(b.dataType, raw, currency).text : raw;
        if (!value.isEmpty()) v.insert(b.id, value);
    }
    return v;
}

// A batch read from raw records, each converted when its page is printed.
class BenchRecords : public BatchSlipSource {
public:
    BenchRecords(const SlipFormat& f, QVector<QStringList> records) : f_(f), records_(std::move(records)) {}
    int Count() const override { return int(records_.size()); }
    std::optional<SlipValues> Values(int r) override
    {
        if (r < 1 || r > records_.size()) return std::nullopt;
        return BenchSlipValues(f_, records_[r - 1]);
    }

private:
    const SlipFormat& f_;
    QVector<QStringList> records_;
};

// A record made up for benchmarks that have no CSV at hand.
inline QStringList MadeUpRecord(int i)
{
    return {QStringLiteral("2024-03-15"), QStringLiteral("王伟明"), QStringLiteral("6222%1").arg(i, 15, 10, QChar('0')),
            QStringLiteral("中国工商银行北京分行"), QStringLiteral("李芳娜"), QStringLiteral("6217%1").arg(i, 15, 10, QChar('0')),
            QStringLiteral("中国建设银行深圳支行"), QStringLiteral("12345.67"), QStringLiteral("12345.67"),
            QStringLiteral("货款"), QStringLiteral("NO%1").arg(i, 6, 10, QChar('0')), QStringLiteral("2024%1").arg(i, 6, 10, QChar('0'))};
}

} // namespace slip::bench
