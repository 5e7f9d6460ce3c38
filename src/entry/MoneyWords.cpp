#include "entry/MoneyWords.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "entry/AmountText.h"
#include "entry/Conversion.h"
#include "entry/UpperDigits.h"
#include "core/TextNumber.h"

namespace slip {

namespace {

constexpr QChar kZero = QChar(0x96F6);  // 零
constexpr QChar kWan = QChar(0x4E07);   // 万
constexpr QChar kYi = QChar(0x4EBF);    // 亿
constexpr QChar kJiao = QChar(0x89D2);  // 角
constexpr QChar kFen = QChar(0x5206);   // 分
constexpr QChar kZheng = QChar(0x6574); // 整

// The unit of each of the fifteen positions, counted from the right in fen.
constexpr char16_t kPositionUnits[] = u"分角元拾佰仟万拾佰仟亿拾佰仟万";
constexpr int kPositions = 15;

// The group units of words read back, in the order a leading group is
// searched for its first unit.
constexpr char16_t kGroupUnits[] = u"亿万仟佰拾";

// Every character that can only stand in money words or numeral cells.
constexpr char16_t kWordChars[] = u"零壹贰叁肆伍陆柒捌玖拾佰仟万亿元圆角分整";

bool HoldsWords(const QString& text)
{
    const QString wordChars = QString::fromUtf16(kWordChars);
    for (QChar c : text)
        if (wordChars.contains(c)) return true;
    return false;
}

QString Numerals(const QString& digits) { return ConvertUpperDigits(digits, false); }

QString StripLeadingZeros(const QString& digits)
{
    qsizetype lead = 0;
    while (lead < digits.size() && digits[lead] == u'0') ++lead;
    QString s = digits.mid(lead);
    return s.isEmpty() ? QStringLiteral("0") : s;
}

// A group of words between two section units as figures (still numerals).
// A leading group is as long as its highest unit needs; a full group always
// gives four figures, zeros put back where the words leave a unit out.
QString ReadGroup(QString group, bool leading)
{
    int k = 2;
    if (leading) {
        k = 5;
        for (int idx = 0; idx < 5; ++idx) {
            if (group.contains(QChar(kGroupUnits[idx]))) {
                k = idx;
                break;
            }
        }
    }
    group.remove(kZero);
    if (group.isEmpty() || !IsUpperNumeral(group.back())) group.append(kZero);
    for (int j = k; j < 5; ++j) {
        const QChar unit(kGroupUnits[j]);
        if (group.contains(unit)) {
            group.remove(unit);
        } else {
            // Hand-typed words can be shorter than their units imply.
            group.insert(std::min<qsizetype>(j - k, group.size()), kZero);
        }
    }
    return group;
}

QString ReadWords(const QString& text, bool oldUnit)
{
    QString t = text;
    if (oldUnit) t.replace(kYuanUnitOld, kYuanUnit);
    t.remove(kZheng);
    // The sign is put back by the caller; inside a group it would shift
    // every figure.
    t.remove(u'-');
    QString r;
    qsizetype p = t.lastIndexOf(kYi);
    if (p >= 0) {
        const QString group = t.left(p);
        t = t.mid(p + 1);
        r = ReadGroup(group, true);
    }
    p = t.indexOf(kWan);
    if (p < 0) {
        if (!r.isEmpty()) r.append(QString(4, kZero));
    } else {
        const QString group = t.left(p);
        t = t.mid(p + 1);
        r.append(ReadGroup(group, r.isEmpty()));
    }
    p = t.indexOf(kYuanUnit);
    if (p >= 0) {
        const QString group = t.left(p);
        t = t.mid(p + 1);
        r.append(ReadGroup(group, r.isEmpty()));
    }
    r.append(u'.');
    p = t.indexOf(kJiao);
    if (p >= 0) {
        r.append(t.left(p));
        t = t.mid(p + 1);
    } else {
        r.append(kZero);
        if (t.startsWith(kZero)) t.remove(0, 1);
    }
    t.remove(kFen);
    r.append(t);
    for (qsizetype i = 0; i < r.size(); ++i) {
        const int d = UpperNumeralValue(r[i]);
        if (d >= 0) r[i] = QChar(u'0' + d);
    }
    return r;
}

// An amount in fen, as figures, written as yuan: "123450" gives "1234.5".
QString FenAsNumber(const QString& fenDigits)
{
    QString digits = StripLeadingZeros(fenDigits);
    if (digits.size() < 3) digits = QString(3 - digits.size(), u'0') + digits;
    QString whole = StripLeadingZeros(digits.left(digits.size() - 2));
    QString cents = digits.right(2);
    while (cents.endsWith(u'0')) cents.chop(1);
    return cents.isEmpty() ? whole : whole + u'.' + cents;
}

QString ReadCells(const QString& text, bool withoutCents)
{
    QString t = text;
    if (withoutCents) t.append(QString(2, kZero));
    for (qsizetype i = 0; i < t.size(); ++i) {
        const int d = UpperNumeralValue(t[i]);
        if (d >= 0) t[i] = QChar(u'0' + d);
    }
    static const QRegularExpression plainDigits(QStringLiteral(R"(^\s*(\d+)\s*$)"));
    const QRegularExpressionMatch m = plainDigits.match(t);
    if (m.hasMatch()) return FenAsNumber(m.captured(1));
    return NumberText(Val(t) / 100.0);
}

} // namespace

QString MoneyToUpper(const QString& text, QChar unit, QChar currencyChar)
{
    if (text.isEmpty()) return text;
    QString s = text;
    s.remove(u'-');
    if (!s.isEmpty() && IsUpperNumeral(s[0])) return text;  // words already

    // The words say the amount the figures and the cells of the same text
    // say, or nothing: a text that is no amount stays as typed.
    const std::optional<AmountFigures> figures = ReadAmountFigures(text, currencyChar);
    if (!figures) return text;
    const QString fen = figures->FenFigures();
    const int n = int(fen.size());
    // Fifteen positions reach 万亿; a longer amount would lose its leading
    // figures, so it stays as typed.
    if (n > kPositions) return text;
    const QString numerals = Numerals(fen);

    QString part[kPositions];
    for (int i = 0; i < n; ++i)
        part[i] = QString(numerals[n - 1 - i]) + QChar(kPositionUnits[i]);

    // A run of zeros is read as one 零; the 角 and 分 positions keep theirs.
    for (int i = n - 1; i >= 0; --i) {
        if (!part[i].startsWith(kZero)) continue;
        part[i] = QString(kZero);
        for (int j = i - 1; j >= 2; --j) {
            if (!part[j].startsWith(kZero)) break;
            part[j].clear();
        }
    }

    // Section units come back where their section was emptied. Above 亿 an
    // all-zero 万 section has no unit of its own: with a zero before 亿 it
    // would otherwise remain as a stray 零万 (壹佰亿零万元整).
    bool wanSectionZero = n > 10;
    for (int i = 6; i <= 9 && wanSectionZero; ++i)
        if (fen[n - 1 - i] != u'0') wanSectionZero = false;
    if (n > 10) {
        if (part[10].isEmpty()) part[10] = QString(kYi);
        else if (part[10].startsWith(kZero)) part[10] = QString(kYi) + kZero;
    }
    if (n > 6) {
        if (part[6].isEmpty()) {
            if (!wanSectionZero) part[6] = QString(kWan);
        } else if (part[6].startsWith(kZero)) {
            part[6] = QString(kWan) + kZero;
        }
    }
    if (n > 2 && (part[2].isEmpty() || part[2].startsWith(kZero))) part[2] = QString(kYuanUnit);

    QString w;
    for (int i = kPositions - 1; i >= 0; --i) w.append(part[i]);
    w.replace(QStringLiteral("零万"), QStringLiteral("万零"));
    w.replace(QStringLiteral("零亿"), QStringLiteral("亿零"));
    w.replace(QStringLiteral("零零"), QStringLiteral("零"));
    w.replace(QStringLiteral("零元"), QStringLiteral("元"));
    if (w.endsWith(kZero)) w.chop(1);
    if (!w.endsWith(kFen)) w.append(kZheng);
    if (w == QStringLiteral("元整") || w == QStringLiteral("整")) w = QStringLiteral("零元整");
    w.replace(QStringLiteral("亿万"), QStringLiteral("亿"));
    if (unit == kYuanUnitOld) w.replace(kYuanUnit, kYuanUnitOld);

    if (figures->negative) w.prepend(u'-');
    return w;
}

QString ParseUpperMoney(const DataType& type, const QString& text)
{
    const int f = type.Code();
    const bool words = f == 103 || f == 120;
    const bool cells = f == 114 || f == 121;
    if (!words && !cells) return text;
    // A value the conversion left in figures (a negative amount in cells,
    // an amount beyond the words) is read as the figures it is.
    if (!HoldsWords(text)) return text;
    QString r = words ? ReadWords(text, f == 120) : ReadCells(text, f == 121);
    if (text.startsWith(u'-') && !r.startsWith(u'-')) r.prepend(u'-');
    return r;
}

} // namespace slip
