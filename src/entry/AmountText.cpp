#include "entry/AmountText.h"

#include <algorithm>

namespace slip {

namespace {

bool IsFigure(QChar c) { return c >= u'0' && c <= u'9'; }

bool IsBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// The currency marks an amount may start with, besides the format's own
// character.
bool SkipCurrencyMark(const QString& s, qsizetype& i, QChar currencyChar)
{
    if (i >= s.size()) return false;
    const QChar c = s[i];
    if ((!currencyChar.isNull() && c == currencyChar) || c == kDefaultCurrencyChar || c == QChar(0x00A5)
        || c == u'$') {
        ++i;
        return true;
    }
    for (const QString& word : {QStringLiteral("RMB"), QStringLiteral("CNY"), QStringLiteral("人民币")}) {
        if (s.mid(i, word.size()).compare(word, Qt::CaseInsensitive) == 0) {
            i += word.size();
            return true;
        }
    }
    return false;
}

bool SkipSign(const QString& s, qsizetype& i, bool& negative)
{
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) {
        negative = s[i] == u'-';
        ++i;
        return true;
    }
    return false;
}

// The whole part: plain figures, or groups of three joined by commas after a
// first group of one to three figures.
bool ReadWhole(const QString& s, qsizetype& i, QString& whole)
{
    const qsizetype start = i;
    while (i < s.size() && IsFigure(s[i])) ++i;
    const qsizetype firstGroup = i - start;
    if (i < s.size() && s[i] == u',') {
        if (firstGroup < 1 || firstGroup > 3) return false;
        while (i < s.size() && s[i] == u',') {
            for (int k = 1; k <= 3; ++k)
                if (i + k >= s.size() || !IsFigure(s[i + k])) return false;
            i += 4;
            if (i < s.size() && IsFigure(s[i])) return false;  // a group of four or more
        }
    }
    whole = s.mid(start, i - start);
    whole.remove(u',');
    return true;
}

QString StripLeadingZeros(const QString& figures)
{
    qsizetype lead = 0;
    while (lead < figures.size() && figures[lead] == u'0') ++lead;
    const QString s = figures.mid(lead);
    return s.isEmpty() ? QStringLiteral("0") : s;
}

} // namespace

QChar HalfWidthNumberChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0xFF10 && u <= 0xFF19) return QChar(u'0' + (u - 0xFF10));  // ０-９
    switch (u) {
    case 0xFF0E: return u'.';   // ．
    case 0xFF0C: return u',';   // ，
    case 0xFF0D: return u'-';   // －
    case 0x3000: return u' ';   // ideographic blank
    default: return c;
    }
}

QString HalfWidthNumberText(const QString& text)
{
    QString s = text;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar h = HalfWidthNumberChar(s[i]);
        if (h != s[i]) s[i] = h;
    }
    return s;
}

QString AmountFigures::Cents() const
{
    QString c = decimals.left(2);
    while (c.size() < 2) c.append(u'0');
    return c;
}

QString AmountFigures::FenFigures() const { return StripLeadingZeros(whole + Cents()); }

std::optional<AmountFigures> ReadAmountFigures(const QString& text, QChar currencyChar)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text) {
        const QChar h = HalfWidthNumberChar(c);
        if (!IsBlank(h)) s.append(h);
    }
    qsizetype i = 0;
    bool negative = false;
    const bool signFirst = SkipSign(s, i, negative);
    if (SkipCurrencyMark(s, i, currencyChar) && !signFirst) SkipSign(s, i, negative);

    QString whole, decimals;
    if (!ReadWhole(s, i, whole)) return std::nullopt;
    if (i < s.size() && s[i] == u'.') {
        ++i;
        const qsizetype start = i;
        while (i < s.size() && IsFigure(s[i])) ++i;
        decimals = s.mid(start, i - start);
    }
    if (whole.isEmpty() && decimals.isEmpty()) return std::nullopt;
    if (i < s.size() && (s[i] == QChar(0x5143) || s[i] == QChar(0x5706))) {  // 元 圆
        ++i;
        if (i < s.size() && s[i] == QChar(0x6574)) ++i;  // 整
    }
    if (i != s.size()) return std::nullopt;

    AmountFigures a;
    a.whole = StripLeadingZeros(whole);
    a.decimals = decimals;
    // A minus before nothing but zeros has nothing to sign.
    const auto nonZero = [](const QString& figures) {
        return std::any_of(figures.cbegin(), figures.cend(), [](QChar c) { return c != u'0'; });
    };
    a.negative = negative && (nonZero(a.whole) || nonZero(a.decimals));
    return a;
}

std::optional<Decimal> ReadAmountValue(const QString& text, QChar currencyChar)
{
    const std::optional<AmountFigures> a = ReadAmountFigures(text, currencyChar);
    if (!a) return std::nullopt;
    // The sign of the value follows every decimal, not just the fen.
    QString s = HalfWidthNumberText(text).trimmed();
    const bool minus = s.contains(u'-');
    return Decimal::FromFigures(minus, a->whole, a->decimals);
}

std::optional<Decimal> ReadNumberOperand(const QString& text, QChar currencyChar)
{
    std::optional<Decimal> v = ReadAmountValue(text, currencyChar);
    if (!v) {
        QString s = HalfWidthNumberText(text).trimmed();
        if (s.endsWith(QChar(0xFF05))) s.back() = u'%';  // ％
        if (!s.endsWith(u'%')) return std::nullopt;
        s.chop(1);
        v = ReadAmountValue(s, currencyChar);
        if (!v) return std::nullopt;
        *v = v->Shifted(2);
    }
    if (v->FigureCount() > kMaxOperandFigures) return std::nullopt;
    return v;
}

} // namespace slip
