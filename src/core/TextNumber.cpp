#include "core/TextNumber.h"

#include <cmath>
#include <cctype>
#include <limits>
#include <string>

namespace slip {

double Val(const QString& text) { return LeadingNumber(text).value_or(0); }

std::optional<double> LeadingNumber(const QString& text)
{
    // Blanks, tabs and line feeds are passed over wherever they stand.
    std::string s;
    s.reserve(text.size());
    for (QChar c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') continue;
        if (c.unicode() > 127) {
            s.push_back('\x01');  // stops the number
            continue;
        }
        s.push_back(char(c.unicode()));
    }
    size_t i = 0;
    if (s.size() >= 2 && s[0] == '&') {
        int base = 0;
        size_t start = 2;
        if (s[1] == 'H' || s[1] == 'h') base = 16;
        else if (s[1] == 'O' || s[1] == 'o') base = 8;
        else if (std::isdigit(static_cast<unsigned char>(s[1]))) { base = 8; start = 1; }
        if (base == 0) return std::nullopt;
        long long v = 0;
        size_t j = start;
        for (; j < s.size(); ++j) {
            int d;
            char c = s[j];
            if (c >= '0' && c <= '9') d = c - '0';
            else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else break;
            if (d >= base) break;
            v = v * base + d;
            if (v > 0xFFFFFFFFLL) break;
        }
        if (j == start) return std::nullopt;
        return double(v);
    }
    std::string num;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) num.push_back(s[i++]);
    bool digits = false;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) { num.push_back(s[i++]); digits = true; }
    if (i < s.size() && s[i] == '.') {
        num.push_back(s[i++]);
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) { num.push_back(s[i++]); digits = true; }
    }
    if (!digits) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        size_t j = i + 1;
        std::string ex = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ex.push_back(s[j++]);
        bool expDigits = false;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) { ex.push_back(s[j++]); expDigits = true; }
        if (expDigits) num += ex;
    }
    try {
        return std::stod(num);
    } catch (...) {
        return std::nullopt;
    }
}

qint64 RoundHalfEven(double v)
{
    if (!std::isfinite(v)) return 0;
    double r = std::nearbyint(v);  // the default rounding mode is to nearest, ties to even
    if (r > 9.2e18) return std::numeric_limits<qint64>::max();
    if (r < -9.2e18) return std::numeric_limits<qint64>::min();
    return qint64(r);
}

QString NumberText(double v)
{
    if (!std::isfinite(v)) return QStringLiteral("0");
    QString t = QString::number(v, 'g', 15);
    if (t.contains(QLatin1Char('e')) || t.contains(QLatin1Char('E'))) {
        t = QString::number(v, 'f', 10);
        if (t.contains(QLatin1Char('.'))) {
            while (t.endsWith(QLatin1Char('0'))) t.chop(1);
            if (t.endsWith(QLatin1Char('.'))) t.chop(1);
        }
    }
    if (t == QStringLiteral("-0")) t = QStringLiteral("0");
    return t;
}

} // namespace slip
