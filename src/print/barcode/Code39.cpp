#include "print/barcode/Code39.h"

#include "core/TextNumber.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace slip {

namespace {

// Running positions are whole twips within the range of a 16-bit integer;
// a symbol that passes it can't be laid out.
constexpr qint64 kMaxTwips = 32767;
constexpr qint64 kMinTwips = -32768;

bool InRange(qint64 v) { return v >= kMinTwips && v <= kMaxTwips; }

struct Code39Layout {
    std::vector<qint64> starts;   // where each character's pattern begins
    qint64 end = 0;               // the symbol's width
};

// Lays the symbol out from 0 as the widths are counted: narrow bar one module,
// wide bar three, narrow space three, wide space six, three after the fifth
// bar.
std::optional<Code39Layout> LayOut(const QString& symbol, double module)
{
    const qint64 wide = RoundHalfEven(module * 3);
    if (!InRange(wide) || !InRange(2 * wide)) return std::nullopt;
    Code39Layout layout;
    qint64 x = 0;
    for (const QChar c : symbol) {
        const int index = Code39Index(c);
        if (index < 0) return std::nullopt;
        layout.starts.push_back(x);
        const char* pattern = Code39PatternTable()[index];
        for (int j = 0; j < 5; ++j) {
            x = pattern[j] == '1' ? x + wide : RoundHalfEven(double(x) + module);
            if (!InRange(x)) return std::nullopt;
            if (j == 4)
                x = RoundHalfEven(double(x) + 3 * module);
            else
                x = pattern[5 + j] == '1' ? x + 2 * wide : RoundHalfEven(double(x) + 3 * module);
            if (!InRange(x)) return std::nullopt;
        }
    }
    layout.end = x;
    return layout;
}

} // namespace

const std::array<const char*, 40>& Code39PatternTable()
{
    static const std::array<const char*, 40> table = {
        "001100100", "100010100", "010010100", "110000100", "001010100",  // 0-4
        "101000100", "011000100", "000110100", "100100100", "010100100",  // 5-9
        "100010010", "010010010", "110000010", "001010010", "101000010",  // A-E
        "011000010", "000110010", "100100010", "010100010", "001100010",  // F-J
        "100010001", "010010001", "110000001", "001010001", "101000001",  // K-O
        "011000001", "000110001", "100100001", "010100001", "001100001",  // P-T
        "100011000", "010011000", "110001000", "001011000", "101001000",  // U-Y
        "011001000", "000111000", "000000111", "000001110", "001101000",  // Z - % $ *
    };
    return table;
}

int Code39Index(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'A' && u <= u'Z') return u - u'A' + 10;
    if (u >= u'a' && u <= u'z') return u - u'a' + 10;
    switch (u) {
    case u'-': return 36;
    case u'%': return 37;
    case u'$': return 38;
    case u'*': return 39;
    default: return -1;
    }
}

QString Code39Symbol(const QString& text)
{
    // Only the Latin letters are upper-cased: no other letter may turn into
    // one Code 39 can encode.
    QString t = text;
    for (QChar& c : t)
        if (c.unicode() >= u'a' && c.unicode() <= u'z') c = QChar(c.unicode() - u'a' + u'A');
    if (!t.startsWith(QLatin1Char('*'))) t.prepend(QLatin1Char('*'));
    if (!t.endsWith(QLatin1Char('*'))) t.append(QLatin1Char('*'));
    return t;
}

QString Code39InvalidCharMessage()
{
    return QStringLiteral("要打印的条形码字符串中包含无效字符！当前版本只支持字符0-9,A-Z,-,%,$和*");
}

std::optional<double> MeasureCode39(const QString& text, double module)
{
    if (text.isEmpty()) return 0.0;
    if (!std::isfinite(module)) return std::nullopt;
    const auto layout = LayOut(Code39Symbol(text), module);
    if (!layout) return std::nullopt;
    return double(layout->end);
}

std::optional<double> FitCode39Module(const QString& text, double width)
{
    if (text.isEmpty()) return 0.0;
    double m = 5;
    for (int i = 0; i < 10; ++i) {
        m *= 2;
        const auto w = MeasureCode39(text, m);
        if (!w) return std::nullopt;
        if (*w >= width) break;
    }
    // The value the doubling stopped at is not tried again.
    const qint64 rounds = RoundHalfEven(m);
    for (qint64 i = 0; i < rounds; ++i) {
        m -= 1;
        const auto w = MeasureCode39(text, m);
        if (!w) return std::nullopt;
        if (*w <= width) break;
    }
    return m;
}

double Code39NarrowBar(double module) { return module * 1.5; }

bool Code39ModuleReadable(double module)
{
    // A hair below the limit still counts: the limit itself is a whole
    // module's worth of rounding away from any module we would fit.
    return std::isfinite(module) && Code39NarrowBar(module) >= kMinCode39NarrowBarMm * kPaperTwipsPerMm - 1e-9;
}

QString Code39TooNarrowMessage()
{
    return QStringLiteral("条形码框太窄：条码最细的线条不足0.19毫米，扫描枪无法识读，此条码不予绘制。请加宽条码框或减少条码字符。");
}

namespace {

bool HasInvalidCharacter(const QString& symbol)
{
    return std::any_of(symbol.begin(), symbol.end(), [](QChar c) { return Code39Index(c) < 0; });
}

Code39Outcome DrawLaidOut(DrawSurface& surface, const QString& symbol, const Code39Layout& layout, double x,
                          double y, double height, double module, double fontSize, bool showText)
{
    const DrawSurface::Settings saved = surface.SaveSettings();
    surface.SetDrawWidth(1);
    surface.SetFontName(QStringLiteral("宋体"));
    surface.SetFontSize(fontSize);
    surface.SetDrawStyle(kLineSolid);

    const double left = double(RoundHalfEven(x * kPaperTwipsPerMm));
    const double top = double(RoundHalfEven(y * kPaperTwipsPerMm));
    double barHeight = double(RoundHalfEven(height * kPaperTwipsPerMm));
    const bool withText = fontSize > 0 && showText;
    if (withText) barHeight = double(RoundHalfEven(barHeight - surface.TextHeight(symbol)));

    // The page is started by the first bar: no mark of any kind goes on the
    // sheet outside the symbol.
    const QColor ink = surface.ForeColor();

    // Each character keeps the width it was measured with (27 or 29 modules,
    // gap included) but is drawn in the proportions a reader decodes: narrow
    // elements of 1.5 modules, wide ones of 4.5, so the nine elements take
    // 22.5 modules and the rest is the gap to the next character.
    const double narrow = Code39NarrowBar(module);
    const double wide = narrow * 3;
    for (qsizetype i = 0; i < symbol.size(); ++i) {
        const double start = left + double(layout.starts[size_t(i)]);
        if (withText) {
            surface.SetCurrentX(start);
            surface.SetCurrentY(top + barHeight);
            surface.Print(QString(symbol[i]));
        }
        const char* pattern = Code39PatternTable()[Code39Index(symbol[i])];
        double at = start;
        for (int e = 0; e < 9; ++e) {
            const bool bar = e % 2 == 0;
            const char flag = bar ? pattern[e / 2] : pattern[5 + e / 2];
            const double w = flag == '1' ? wide : narrow;
            if (bar) surface.FillBox(at, top, at + w, top + barHeight, ink);
            at += w;
        }
    }
    surface.RestoreSettings(saved);
    return Code39Outcome::Drawn;
}

} // namespace

Code39Outcome DrawCode39(DrawSurface& surface, const QString& text, double x, double y, double height,
                         double module, double fontSize, bool showText, Prompter& prompter)
{
    if (text.isEmpty()) return Code39Outcome::Empty;
    const QString symbol = Code39Symbol(text);
    if (HasInvalidCharacter(symbol)) {
        prompter.Tell(Code39InvalidCharMessage());
        return Code39Outcome::InvalidCharacters;
    }
    if (!Code39ModuleReadable(module)) {
        prompter.Tell(Code39TooNarrowMessage());
        return Code39Outcome::TooNarrow;
    }
    const auto layout = LayOut(symbol, module);
    if (!layout) return Code39Outcome::TooWide;
    return DrawLaidOut(surface, symbol, *layout, x, y, height, module, fontSize, showText);
}

Code39Outcome FitReadableCode39(const QString& text, double widthTwips, double& module)
{
    module = 0;
    if (text.isEmpty()) return Code39Outcome::Empty;
    if (HasInvalidCharacter(Code39Symbol(text))) return Code39Outcome::InvalidCharacters;
    // No module fits: never fall back on a module of an earlier box.
    const auto fitted = FitCode39Module(text, widthTwips);
    if (!fitted || !(*fitted > 0))
        return fitted && widthTwips > 0 ? Code39Outcome::TooNarrow : Code39Outcome::TooWide;
    if (!Code39ModuleReadable(*fitted)) return Code39Outcome::TooNarrow;
    module = *fitted;
    return Code39Outcome::Drawn;
}

QString Code39OutcomeMessage(Code39Outcome outcome)
{
    switch (outcome) {
    case Code39Outcome::InvalidCharacters: return Code39InvalidCharMessage();
    case Code39Outcome::TooNarrow: return Code39TooNarrowMessage();
    default: return QString();
    }
}

QString Code39OutcomeNote(Code39Outcome outcome)
{
    switch (outcome) {
    case Code39Outcome::InvalidCharacters: return QStringLiteral("条码含无效字符");
    case Code39Outcome::TooNarrow: return QStringLiteral("条码框太窄");
    default: return QString();
    }
}

Code39Outcome DrawFittedCode39(DrawSurface& surface, const QString& text, double x, double y,
                               double height, double widthTwips, double fontSize, bool showText,
                               Prompter& prompter)
{
    double module = 0;
    const Code39Outcome fit = FitReadableCode39(text, widthTwips, module);
    if (fit != Code39Outcome::Drawn) {
        // The operator hears why once, and never a second time from the
        // drawing.
        const QString why = Code39OutcomeMessage(fit);
        if (!why.isEmpty())
            prompter.Tell(why);
        return fit;
    }
    return DrawCode39(surface, text, x, y, height, module, fontSize, showText, prompter);
}

} // namespace slip
