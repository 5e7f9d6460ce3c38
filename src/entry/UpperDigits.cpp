#include "entry/UpperDigits.h"

#include <cmath>

#include "core/TextNumber.h"
#include "entry/AmountText.h"

namespace slip {

namespace {

// Cells reach 10^13 yuan, as the money words do.
constexpr int kCellFenFigures = 15;

bool IsFigure(QChar c) { return c >= u'0' && c <= u'9'; }

QDate TodayOr(QDate today) { return today.isValid() ? today : QDate::currentDate(); }

} // namespace

int UpperNumeralValue(QChar c)
{
    for (int d = 0; d < 10; ++d)
        if (c == QChar(kUpperNumerals[d])) return d;
    return -1;
}

QString ConvertUpperDigits(const QString& text, bool toFigures)
{
    QString s;
    s.reserve(text.size());
    if (!toFigures) {
        for (QChar c : text) s.append(IsFigure(c) ? UpperNumeral(c.unicode() - u'0') : c);
        return s;
    }
    for (QChar c : text) {
        const int d = UpperNumeralValue(c);
        s.append(d >= 0 ? QChar(u'0' + d) : c);
    }
    // 拾 without a numeral before it is "one ten", and without a numeral
    // after it also stands for the zero of the units, whatever follows: 拾月
    // is month 10 and 贰拾日 day 20, not 1 and 2.
    QString figures;
    figures.reserve(s.size() + 2);
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (IsFigure(c)) {
            figures.append(c);
        } else if (c == kUpperTen) {
            const bool before = i > 0 && IsFigure(s[i - 1]);
            const bool after = i + 1 < s.size() && IsFigure(s[i + 1]);
            if (!before) figures.append(u'1');
            if (!after) figures.append(u'0');
        }
    }
    if (figures.startsWith(u'0')) figures.remove(0, 1);
    return figures;
}

QString DatePartUpperWithZero(const QString& text, DatePart part)
{
    const qint64 v = RoundHalfEven(Val(text));
    QString s = ConvertUpperDigits(text, false);
    if (s.size() == 1) {
        // Months 3 to 9 are the only one-numeral values written without 零.
        if (!(part == DatePart::Month && v >= 3 && v <= 9)) s.prepend(UpperNumeral(0));
    } else if (s.size() == 2) {
        if (s[1] == UpperNumeral(0))
            s = QString(s[0]) + kUpperTen;
        else if (s[0] != UpperNumeral(0))
            s = QString(s[0]) + kUpperTen + s[1];
    }
    if (s.size() == 2 && v % 10 == 0) s.prepend(UpperNumeral(0));
    return s;
}

QString DatePartToUpper(const QString& text, DatePart part)
{
    if (text.isEmpty()) return text;
    if (!IsFigure(text[0])) return text;
    const double v = Val(text);
    double low = 1, high = 31;
    switch (part) {
    case DatePart::Year: low = 2000; high = 3000; break;
    case DatePart::Month: low = 1; high = 12; break;
    case DatePart::Day: low = 1; high = 31; break;
    }
    if (v < low || v > high) return text;
    return DatePartUpperWithZero(text, part);
}

QString ParseDatePart(const QString& text, DatePart part, QDate today)
{
    const QString figures = ConvertUpperDigits(text.trimmed(), true);
    bool ok = false;
    qint64 v = figures.toLongLong(&ok);
    // Figures beyond a 32-bit whole number are no date part at all.
    if (!ok || v > 2147483647LL) v = 0;
    qint64 low = 1, high = 31;
    switch (part) {
    case DatePart::Year: low = 1000; high = 5000; break;
    case DatePart::Month: low = 1; high = 12; break;
    case DatePart::Day: low = 1; high = 31; break;
    }
    if (v >= low && v <= high) return QString::number(v);
    const QDate d = TodayOr(today);
    switch (part) {
    case DatePart::Year: return QString::number(d.year());
    case DatePart::Month: return QString::number(d.month());
    case DatePart::Day: break;
    }
    return QString::number(d.day());
}

std::optional<QString> TryDigitCells(const QString& text, int n, QChar currencyChar)
{
    if (text.isEmpty()) return text;
    if (IsUpperNumeral(text[0])) return text;
    // The same reading as the figures and the money words: every figure as
    // typed, cut after the fen, so the cells never show another amount.
    const std::optional<AmountFigures> figures = ReadAmountFigures(text, currencyChar);
    if (!figures) return std::nullopt;
    const QString fen = figures->FenFigures();
    // A minus sign has no cell; writing it as 零 would print the amount as
    // positive. An amount below a fen is 零 in every cell whatever its sign.
    if (figures->negative && fen != u"0") return std::nullopt;
    if (fen.size() > kCellFenFigures) return std::nullopt;
    QString cells = ConvertUpperDigits(fen, false);
    if (cells.size() < n) cells.prepend(QString(n - cells.size(), UpperNumeral(0)));
    return cells;
}

} // namespace slip
