#include "print/barcode/Ean13.h"

#include "core/TextNumber.h"

#include <algorithm>
#include <cmath>

namespace slip {

namespace {

// The right-hand digit set; the left-hand sets derive from it.
const char* const kRightSet[10] = {"1110010", "1100110", "1101100", "1000010", "1011100",
                                   "1001110", "1010000", "1000100", "1001000", "1110100"};

// Which left-hand set each of digits 2 to 7 takes, by the first digit:
// "1" the odd-parity set, "0" the even one.
const char* const kParity[10] = {"111111", "110100", "110010", "110001", "101100",
                                 "100110", "100011", "101010", "101001", "100101"};

bool IsAsciiDigit(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }

} // namespace

QString AddEanCheckDigit(const QString& text)
{
    QString digits;
    for (const QChar c : text.left(13))
        if (IsAsciiDigit(c)) digits += c;
    if (digits.size() < 12) digits.prepend(QString(12 - digits.size(), QLatin1Char('0')));
    digits.truncate(12);
    int sum = 0;
    for (int i = 0; i < 12; ++i) {
        // From the right: the last digit weighs 3, the one before it 1, ...
        const int weight = (11 - i) % 2 == 0 ? 3 : 1;
        sum += weight * (digits[i].unicode() - u'0');
    }
    const int c = sum % 10;
    return digits + QChar(u'0' + (c >= 1 ? 10 - c : 0));
}

QString InvertBits(const QString& s)
{
    QString out = s;
    for (QChar& c : out) {
        if (c == QLatin1Char('0'))
            c = QLatin1Char('1');
        else if (c == QLatin1Char('1'))
            c = QLatin1Char('0');
    }
    return out;
}

QString EncodeEan13(QString& code)
{
    QString right[10], odd[10], even[10];
    for (int d = 0; d < 10; ++d) {
        right[d] = QString::fromLatin1(kRightSet[d]);
        odd[d] = InvertBits(right[d]);
        even[d] = right[d];
        std::reverse(even[d].begin(), even[d].end());
    }
    code = AddEanCheckDigit(code);
    const int first = code[0].unicode() - u'0';
    QString bars = QStringLiteral("101");
    for (int pos = 1; pos <= 6; ++pos) {
        const int d = code[pos].unicode() - u'0';
        bars += kParity[first][pos - 1] == '1' ? odd[d] : even[d];
    }
    bars += QStringLiteral("01010");
    for (int pos = 7; pos <= 12; ++pos) bars += right[code[pos].unicode() - u'0'];
    bars += QStringLiteral("101");
    return bars;
}

QVector<int> Ean13Runs(const QString& bars)
{
    QVector<int> runs;
    QChar previous = QLatin1Char('0');
    for (qsizetype i = 0; i < bars.size(); ++i) {
        if (i == 0 || bars[i] != previous) {
            runs << (bars[i] == QLatin1Char('1') ? 10 : 0);
            previous = bars[i];
        }
        runs.last() += 1;
    }
    return runs;
}

void DrawEan13(DrawSurface& surface, const QString& text, double x, double y, double height,
               double width, double fontSize, bool showText)
{
    if (text.isEmpty()) return;
    const DrawSurface::Settings saved = surface.SaveSettings();
    surface.SetDrawWidth(1);
    surface.SetFontName(QStringLiteral("宋体"));
    surface.SetFontSize(fontSize);
    surface.SetDrawStyle(kLineSolid);

    QString code = text;
    const QString bars = EncodeEan13(code);
    const double digitWidth = surface.TextWidth(QStringLiteral("9"));
    const double fullWidth = width * kPaperTwipsPerMm;
    const double module = (fullWidth - digitWidth - 15) / double(bars.size());
    if (!(module > 0) || !std::isfinite(module)) {
        surface.RestoreSettings(saved);
        return;
    }

    const double left = double(RoundHalfEven(x * kPaperTwipsPerMm));
    const double top = double(RoundHalfEven(y * kPaperTwipsPerMm));
    double barHeight = double(RoundHalfEven(height * kPaperTwipsPerMm));
    if (fontSize > 0 && showText) barHeight = double(RoundHalfEven(barHeight - surface.TextHeight(code)));

    const QVector<int> runs = Ean13Runs(bars);
    const bool digits = fontSize >= 2;
    if (digits) {
        surface.SetCurrentX(left);
        surface.SetCurrentY(top + barHeight);
        surface.Print(code.left(1));
    }

    const double barStart = double(RoundHalfEven(left + digitWidth + 15));
    const double digitHeight = surface.TextHeight(QStringLiteral("0"));
    const qsizetype last = runs.size() - 1;
    // Every edge is rounded from its exact place (barStart + module x the
    // modules before it), never from the previous rounded edge: rounding run
    // by run lets the error add up across the 59 runs until bars part from
    // their digits.
    int modulesBefore = 0;
    for (qsizetype i = 0; i < runs.size(); ++i) {
        const int length = runs[i] % 10;
        if (runs[i] > 10) {
            // The guard bars reach half a digit into the digit strip; the
            // others end a little above it.
            const bool guard = i <= 2 || i == 28 || i == 30 || i >= last - 2;
            const double bottom = guard ? top + barHeight + digitHeight / 2 : top + barHeight - 30;
            const double from = double(RoundHalfEven(barStart + module * modulesBefore));
            const double to = double(RoundHalfEven(barStart + module * (modulesBefore + length)));
            surface.FillBox(from, top, to, bottom, Qt::black);
        }
        modulesBefore += length;
    }

    if (digits) {
        const double cell = (fullWidth - digitWidth - 15 - 9 * module) / 12;
        double pos = barStart + 3 * module + (cell - surface.TextWidth(QStringLiteral("0"))) / 2;
        for (int i = 1; i < 13; ++i) {
            surface.SetCurrentX(pos);
            surface.SetCurrentY(top + barHeight);
            surface.Print(code.mid(i, 1));
            pos += cell;
            if (i == 6) pos += 3 * module;
        }
    }
    surface.RestoreSettings(saved);
}

} // namespace slip
