#include "exchange/ExchangeCodec.h"

#include "core/TextNumber.h"
#include "model/FormatHeader.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace slip {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr int kLeastFields = 21;
constexpr int kMostFields = 23;

QString LabelBreak() { return QStringLiteral("‖‖‖"); }
QString MemoBreak() { return QStringLiteral("♂♂"); }

bool IsFlagField(int f) { return f >= FieldBold && f <= FieldStrikethru; }
bool IsTextField(int f) { return f == FieldLBL || f == FieldDir || f == FieldFName || f == FieldMem; }

// The range a number field may hold: whatever the program later turns into
// a whole number fits a 32-bit integer, lengths in millimetres and font sizes
// stay within sizes that mean something on paper.
struct Range {
    double low, high;
};
constexpr double kInt32Max = 2147483647.0;
Range FieldRange(int f)
{
    switch (f) {
    case FieldX: case FieldY: case FieldW: case FieldH: case FieldS: return {-kMaxLengthInFileMm, kMaxLengthInFileMm};
    case FieldL: return {-1e7, 1e7};
    case FieldFSize: return {-1e4, 1e4};
    default: return {-kInt32Max - 1, kInt32Max};   // ID, Clas, Color, Cash, references
    }
}

// A number as plain decimal text, as short as it can be while reading back to
// the same double.
QString PlainNumber(double v)
{
    if (!std::isfinite(v)) return QStringLiteral("0");
    QString t = QString::number(v, 'f', QLocale::FloatingPointShortest);
    if (t == QStringLiteral("-0")) t = QStringLiteral("0");
    return t;
}

QString Breaks(int f) { return f == FieldLBL ? LabelBreak() : MemoBreak(); }
bool HasBreakMark(int f) { return f == FieldLBL || f == FieldMem; }

QString EncodeText(int f, const QString& text)
{
    return HasBreakMark(f) ? QString(text).replace(kCrLf, Breaks(f)) : text;
}

QString DecodeText(int f, const QString& text)
{
    return HasBreakMark(f) ? QString(text).replace(Breaks(f), kCrLf) : text;
}

// A field as the database holds it: null empty, a number in plain decimal,
// a flag "True"/"False" (a text stored by older versions as it is).
QString FieldText(int f, const QVariant& v)
{
    if (!v.isValid() || v.isNull()) return QString();
    if (IsTextField(f)) return EncodeText(f, v.toString());
    const bool isText = v.typeId() == QMetaType::QString;
    if (IsFlagField(f)) {
        if (isText) return v.toString();
        return v.toDouble() != 0 ? QStringLiteral("True") : QStringLiteral("False");
    }
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int) return QString::number(v.toLongLong());
    bool ok = false;
    const double d = v.toDouble(&ok);
    return PlainNumber(ok ? d : Val(v.toString()));
}

bool RowTravels(const ExchangeRow& row)
{
    for (int f = 0; f < kBoxFieldCount; ++f) {
        if (!IsTextField(f) || row.fields[f].isNull()) continue;
        const QString text = row.fields[f].toString();
        const QString written = EncodeText(f, text);
        if (written.contains(ExchangeFieldSeparator()) || DecodeText(f, written) != text) return false;
    }
    return true;
}

QString BrokenFile() { return QStringLiteral("格式文件有错！"); }

// The record lines after the repair pass, each with the file line it starts
// on. The pieces of a record are gathered from the back and joined once, so
// the pass is linear in the text whatever its lines look like.
QVector<QPair<QString, int>> RepairedRecords(const QStringList& lines)
{
    const QString sep = ExchangeFieldSeparator();
    QVector<QPair<QString, int>> records;
    QStringList tail;          // pieces that belong to the line before, last first
    qsizetype tailSeparators = 0;
    for (qsizetype i = lines.size() - 1; i >= 2; --i) {
        const QString& line = lines[i];
        const qsizetype separators = line.count(sep) + tailSeparators;
        const bool empty = line.isEmpty() && tail.isEmpty();
        if (i > 2 && (empty || separators + 1 < kLeastFields)) {
            tail << line;
            tailSeparators = separators;
            continue;
        }
        QString record = line;
        for (qsizetype t = tail.size() - 1; t >= 0; --t) record += kCrLf + tail[t];
        records.push_back({record, int(i + 1)});
        tail.clear();
        tailSeparators = 0;
    }
    std::reverse(records.begin(), records.end());
    return records;
}

// Val reads a number too large for a double as 0, and "inf" or "nan" as no
// number at all. In a number field they are values no field can hold, never 0.
bool BeyondEveryRange(const QString& t)
{
    QString s = t;
    s.remove(QRegularExpression(QStringLiteral("[ \\t]")));
    static const QRegularExpression word(QStringLiteral("^[+-]?(inf|nan)"), QRegularExpression::CaseInsensitiveOption);
    if (word.match(s).hasMatch()) return true;
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eEdD][+-]?\\d+)?"));
    const QRegularExpressionMatch m = number.match(s);
    if (!m.hasMatch()) return false;
    const QByteArray digits = m.captured(0).toLatin1().replace('d', 'e').replace('D', 'e');
    return std::isinf(std::strtod(digits.constData(), nullptr));
}

// One field read as a number: from the start of the text (Val), so an
// empty field is 0 (a box whose Clas came empty is a text box, not a row the
// format passes over). A line break means a cut-off line was joined on; a value out of the
// field's range would turn into nonsense once made a whole number.
bool ReadNumber(int f, const QString& raw, QVariant& out)
{
    const QString t = raw.trimmed();
    if (t.contains(QLatin1Char('\r')) || t.contains(QLatin1Char('\n'))) return false;
    if (t.isEmpty()) {
        out = 0.0;
        return true;
    }
    const double v = Val(t);
    const Range r = FieldRange(f);
    if (!std::isfinite(v) || v < r.low || v > r.high || BeyondEveryRange(t)) return false;
    out = v;
    return true;
}

bool ReadRow(const QString& line, int lineNumber, ExchangeRow& row)
{
    const QStringList fields = line.split(ExchangeFieldSeparator());
    if (fields.size() < kLeastFields) return false;
    row.line = lineNumber;
    for (int f = 0; f < kBoxFieldCount; ++f) {
        if (f >= fields.size()) {
            row.fields[f] = 0.0;   // a line without SumID1
        } else if (IsTextField(f)) {
            row.fields[f] = DecodeText(f, fields[f]);
        } else if (IsFlagField(f)) {
            row.fields[f] = fields[f].trimmed().toLower() == QStringLiteral("true") ? 1 : 0;
        } else if (!ReadNumber(f, fields[f], row.fields[f])) {
            return false;
        }
    }
    return fields.size() < kMostFields || ReadNumber(FieldRCtl, fields[kMostFields - 1], row.extra);
}

} // namespace

QString ExchangeMagicLine() { return QStringLiteral("<Tamberlow格式专用>"); }
QString ExchangeFieldSeparator() { return QStringLiteral("】★【"); }
QString ExchangeFileFilter() { return QStringLiteral("进账单格式(*.tvq)|*.tvq"); }

QString ExchangeCategoryLine(const QString& formatName)
{
    if (formatName.contains(QStringLiteral("进账单"))) return formatName;
    return QStringLiteral("进账单_") + formatName;
}

QString ExchangeFilePath(const QString& chosenPath)
{
    if (chosenPath.right(4).toLower() == QStringLiteral(".tvq")) return chosenPath;
    return chosenPath + QStringLiteral(".tvq");
}

QString ExchangePicturePath(const QString& exchangePath)
{
    const QFileInfo info(exchangePath);
    return QDir(info.path()).filePath(info.completeBaseName() + QStringLiteral(".jpg"));
}

QString ExchangeNameFromPath(const QString& exchangePath)
{
    return QFileInfo(exchangePath).completeBaseName();
}

ExchangeText EncodeExchangeText(const QString& formatName, const QVector<ExchangeRow>& rows)
{
    ExchangeText out;
    QStringList lines;
    lines << ExchangeMagicLine() << ExchangeCategoryLine(formatName);
    QStringList fields;
    for (const ExchangeRow& row : rows) {
        fields.clear();
        for (int f = 0; f < kBoxFieldCount; ++f) fields << FieldText(f, row.fields[f]);
        if (!RowTravels(row))
            out.unsafeRows << QStringLiteral("第%1行“").arg(lines.size() + 1) + row.fields[FieldLBL].toString() +
                                  QStringLiteral("”");
        lines << fields.join(ExchangeFieldSeparator());
    }
    out.text = lines.join(kCrLf);
    return out;
}

ExchangeContent DecodeExchangeText(const QString& text, const QString& path)
{
    ExchangeContent c;
    const QStringList lines = !text.contains(kCrLf) && text.contains(QLatin1Char('\n'))
                                  ? text.split(QLatin1Char('\n'))
                                  : text.split(kCrLf);
    if (lines.size() < 3 || lines[0] != ExchangeMagicLine()) {
        c.error = QStringLiteral("无法识别此文件，请确认文件：“") + QDir::toNativeSeparators(path) +
                  QStringLiteral("”为进账单格式文件！");
        return c;
    }
    c.categoryLine = lines[1];
    if (!c.categoryLine.contains(QStringLiteral("进账单"))) {
        c.error = QStringLiteral("此格式不属于进账单，无法导入！");
        return c;
    }
    int counts[kBoxKindCount] = {};
    for (const auto& [line, number] : RepairedRecords(lines)) {
        ExchangeRow row;
        if (!ReadRow(line, number, row)) {
            c.error = BrokenFile();
            return c;
        }
        if (row.fields[FieldLBL].toString() == HeaderLabel()) {
            if (!SlipSizeUsable(row.fields[FieldW].toDouble(), row.fields[FieldH].toDouble())) {
                c.error = BrokenFile();
                return c;
            }
        } else if (const double k = row.fields[FieldClas].toDouble();
                   k == std::trunc(k) && IsBoxKindNumber(int(k)) && ++counts[int(k)] > kMaxBoxesPerKind) {
            c.error = BrokenFile();
            return c;
        }
        c.rows.push_back(std::move(row));
    }
    // A file without the header record imports too: the import gives the
    // format the header of a new one.
    c.ok = true;
    return c;
}

} // namespace slip
