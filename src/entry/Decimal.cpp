#include "entry/Decimal.h"

#include <algorithm>

namespace slip {

namespace {

using Digits = std::vector<std::uint8_t>;

// -1, 0, 1 as a is less than, equal to or greater than b (both aligned to
// the same scale, least significant first).
int CompareMagnitude(const Digits& a, const Digits& b)
{
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = a.size(); i-- > 0;)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

Digits AddMagnitude(const Digits& a, const Digits& b)
{
    Digits out;
    out.reserve(std::max(a.size(), b.size()) + 1);
    int carry = 0;
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        int s = carry + (i < a.size() ? a[i] : 0) + (i < b.size() ? b[i] : 0);
        carry = s / 10;
        out.push_back(std::uint8_t(s % 10));
    }
    if (carry) out.push_back(std::uint8_t(carry));
    return out;
}

// a - b for a >= b.
Digits SubtractMagnitude(const Digits& a, const Digits& b)
{
    Digits out;
    out.reserve(a.size());
    int borrow = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        int d = int(a[i]) - borrow - (i < b.size() ? b[i] : 0);
        borrow = d < 0 ? 1 : 0;
        out.push_back(std::uint8_t(d < 0 ? d + 10 : d));
    }
    return out;
}

// The figures of a magnitude with `extra` more places after the point.
Digits Widened(const Digits& d, int extra)
{
    if (extra <= 0 || d.empty()) return d;
    Digits out(size_t(extra), 0);
    out.insert(out.end(), d.begin(), d.end());
    return out;
}

} // namespace

void Decimal::Normalise()
{
    while (!digits_.empty() && digits_.back() == 0) digits_.pop_back();
    size_t trailing = 0;
    while (trailing < digits_.size() && int(trailing) < scale_ && digits_[trailing] == 0) ++trailing;
    digits_.erase(digits_.begin(), digits_.begin() + qsizetype(trailing));
    scale_ -= int(trailing);
    if (digits_.empty()) {
        negative_ = false;
        scale_ = 0;
    }
}

Decimal Decimal::FromFigures(bool negative, const QString& whole, const QString& decimals)
{
    Decimal d;
    d.negative_ = negative;
    for (qsizetype i = decimals.size(); i-- > 0;) {
        const QChar c = decimals[i];
        if (c >= u'0' && c <= u'9') {
            d.digits_.push_back(std::uint8_t(c.unicode() - u'0'));
            ++d.scale_;
        }
    }
    for (qsizetype i = whole.size(); i-- > 0;) {
        const QChar c = whole[i];
        if (c >= u'0' && c <= u'9') d.digits_.push_back(std::uint8_t(c.unicode() - u'0'));
    }
    d.Normalise();
    return d;
}

Decimal Decimal::FromInt(qint64 v)
{
    Decimal d;
    d.negative_ = v < 0;
    // Through unsigned so that the lowest qint64 keeps its magnitude.
    quint64 m = v < 0 ? quint64(0) - quint64(v) : quint64(v);
    while (m) {
        d.digits_.push_back(std::uint8_t(m % 10));
        m /= 10;
    }
    d.Normalise();
    return d;
}

Decimal Decimal::operator-() const
{
    Decimal d = *this;
    if (!d.IsZero()) d.negative_ = !d.negative_;
    return d;
}

Decimal Decimal::operator+(const Decimal& o) const
{
    const int scale = std::max(scale_, o.scale_);
    const Digits a = Widened(digits_, scale - scale_);
    const Digits b = Widened(o.digits_, scale - o.scale_);
    Decimal r;
    r.scale_ = scale;
    if (negative_ == o.negative_) {
        r.digits_ = AddMagnitude(a, b);
        r.negative_ = negative_;
    } else if (CompareMagnitude(a, b) >= 0) {
        r.digits_ = SubtractMagnitude(a, b);
        r.negative_ = negative_;
    } else {
        r.digits_ = SubtractMagnitude(b, a);
        r.negative_ = o.negative_;
    }
    r.Normalise();
    return r;
}

Decimal Decimal::operator*(const Decimal& o) const
{
    Decimal r;
    if (IsZero() || o.IsZero()) return r;
    std::vector<unsigned> acc(digits_.size() + o.digits_.size() + 1, 0);
    for (size_t i = 0; i < digits_.size(); ++i) {
        if (digits_[i] == 0) continue;
        for (size_t j = 0; j < o.digits_.size(); ++j) acc[i + j] += unsigned(digits_[i]) * o.digits_[j];
        // Carry as we go so that no place can overflow however long the
        // figures are.
        unsigned carry = 0;
        for (size_t k = i; k < acc.size(); ++k) {
            acc[k] += carry;
            carry = acc[k] / 10;
            acc[k] %= 10;
            if (carry == 0 && k >= i + o.digits_.size()) break;
        }
    }
    r.digits_.assign(acc.begin(), acc.end());
    r.scale_ = scale_ + o.scale_;
    r.negative_ = negative_ != o.negative_;
    r.Normalise();
    return r;
}

Decimal Decimal::Shifted(int places) const
{
    Decimal r = *this;
    if (places <= 0 || r.IsZero()) return r;
    r.scale_ += places;
    r.Normalise();
    return r;
}

QString Decimal::Text() const
{
    if (digits_.empty()) return QStringLiteral("0");
    QString s;
    s.reserve(int(digits_.size()) + 3);
    if (negative_) s.append(u'-');
    const int n = int(digits_.size());
    if (n <= scale_) {
        s.append(u'0');
    } else {
        for (int i = n - 1; i >= scale_; --i) s.append(QChar(u'0' + digits_[size_t(i)]));
    }
    if (scale_ > 0) {
        s.append(u'.');
        for (int i = scale_ - 1; i >= 0; --i) s.append(QChar(u'0' + (i < n ? digits_[size_t(i)] : 0)));
    }
    return s;
}

} // namespace slip
