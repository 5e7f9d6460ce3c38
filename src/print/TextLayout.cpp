#include "print/TextLayout.h"

#include "core/TextNumber.h"
#include "entry/Conversion.h"

#include <climits>
#include <cmath>

namespace slip {

namespace {

// The full-width character whose height is the height of one printed line.
const QString kLineProbe = QStringLiteral("鑫");

QString JoinChars(const QStringList& chars, qsizetype from, qsizetype count)
{
    QString s;
    s.reserve(2 * count);
    for (qsizetype i = from; i < from + count; ++i) s += chars[i];
    return s;
}

// How many characters SplitChars makes of a text, without making them.
qsizetype CharCount(const QString& text)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++n)
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
    return n;
}

} // namespace

QStringList SplitChars(const QString& text)
{
    QStringList out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out << text.mid(i, 2);
            ++i;
        } else {
            out << QString(text[i]);
        }
    }
    return out;
}

void PrintSpacedLine(DrawSurface& out, const QString& text, double x, double y, double s)
{
    for (const QString& c : SplitChars(text)) {
        out.SetCurrentX(x);
        out.SetCurrentY(y);
        x = x + out.TextWidth(c) + s;
        out.Print(c);
    }
}

QStringList WrapLines(const DrawSurface& out, const QString& text, double w, double s)
{
    QStringList lines;
    if (text.isEmpty()) return lines;
    // Only CR LF breaks a paragraph; a lone CR or LF is printed as it is.
    const QStringList paragraphs = text.split(QStringLiteral("\r\n"));
    for (const QString& paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        const QStringList chars = SplitChars(paragraph);
        qsizetype at = 0;
        while (at < chars.size()) {
            const qsizetype rest = chars.size() - at;
            qsizetype take = 1;
            // The spacing after the last character of a line doesn't count.
            for (qsizetype n = rest; n >= 2; --n) {
                if (out.TextWidth(JoinChars(chars, at, n)) + double(n - 1) * s <= w) {
                    take = n;
                    break;
                }
            }
            lines << JoinChars(chars, at, take);
            at += take;
        }
    }
    return lines;
}

void PrintWrappedText(DrawSurface& out, const QString& text, double x, double y, double w, double s,
                      double l, int alignment)
{
    if (text.isEmpty()) return;
    const QStringList lines = WrapLines(out, text, w, s);
    double lineY = double(RoundHalfEven(y));
    for (const QString& line : lines) {
        const double free = w - out.TextWidth(line) - double(CharCount(line)) * s - 1;
        double lineX;
        if (alignment == 1)
            lineX = double(RoundHalfEven(x + free));
        else if (alignment == 2)
            lineX = double(RoundHalfEven(x + free / 2));
        else
            lineX = double(RoundHalfEven(x));
        PrintSpacedLine(out, line, lineX, lineY, s);
        lineY = double(RoundHalfEven(out.TextHeight(kLineProbe) + lineY + l + 1));
    }
}

void PrintCharsInCells(DrawSurface& out, const QString& text, double x, double y, double w, int n,
                       int alignment)
{
    if (n < 1) return;
    const double cell = w / n;
    QStringList chars = SplitChars(text);
    const qsizetype m = chars.size();
    if (alignment >= 1 && m < n) {
        const qsizetype blanks = alignment == 1 ? n - m : (n - m) / 2;
        for (qsizetype i = 0; i < blanks; ++i) chars.prepend(QStringLiteral(" "));
    } else if (alignment >= 1 && m > n) {
        x -= double(alignment == 1 ? m - n : (m - n) / 2) * cell;
    }
    for (qsizetype i = 0; i < chars.size(); ++i) {
        out.SetCurrentX(x + double(i) * cell + (cell - out.TextWidth(chars[i])) / 2);
        out.SetCurrentY(y);
        out.Print(chars[i]);
    }
}

void PrintAmountDigits(DrawSurface& out, const QString& text, double x, double y, double w, int k,
                       QChar currencyChar)
{
    const DataType type = DataType::FromStored(k);
    const QString s = AmountCellText(text, type, currencyChar);
    if (s.isEmpty()) return;
    PrintCharsInCells(out, s, x, y, w, type.Cells(), 1);
}

} // namespace slip
