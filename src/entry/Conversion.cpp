#include "entry/Conversion.h"

#include <QRegularExpression>
#include <QTime>

#include "entry/MoneyWords.h"
#include "entry/UpperDigits.h"
#include "core/TextNumber.h"

namespace slip {

namespace {

QDate TodayOr(QDate today) { return today.isValid() ? today : QDate::currentDate(); }

// Commas every three digits leftwards from the end of the whole yuan.
QString GroupThousands(const QString& whole)
{
    QString out;
    out.reserve(whole.size() + whole.size() / 3);
    const qsizetype n = whole.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out.append(u',');
        out.append(whole[i]);
    }
    return out;
}

bool ValidTime(const QRegularExpressionMatch& m, int first)
{
    if (!m.hasCaptured(first)) return true;
    const int h = m.captured(first).toInt();
    const int mi = m.captured(first + 1).toInt();
    const int se = m.hasCaptured(first + 2) ? m.captured(first + 2).toInt() : 0;
    return QTime::isValid(h, mi, se);
}

// The text converted by the data type; nullopt where the box keeps the text
// as typed (codes without a conversion, texts the conversion refuses). May
// throw, which the caller takes as nullopt.
// Characters as printed, one per cell: a pair of surrogates is one.
qsizetype CharCount(const QString& s)
{
    qsizetype n = s.size();
    for (QChar c : s)
        if (c.isLowSurrogate()) --n;
    return n;
}

// Upper-case digits in the box's cells, more of them than cells when the
// amount has more figures (none is dropped: they run on beside the cells);
// nullopt when the amount has none (a minus sign, an overflow).
std::optional<QString> DigitCellsOfBox(const DataType& type, const QString& text, QChar cur)
{
    // Code 121 leaves out the 角 and 分 cells: two more are made and cut.
    const int extra = type.Code() == 121 ? 2 : 0;
    std::optional<QString> cells = TryDigitCells(text, type.Cells() + extra, cur);
    if (!cells) return std::nullopt;
    cells->chop(extra);
    return cells;
}

bool CellsHold(const QString& text, bool amount, const DataType& type, QChar currencyChar);

std::optional<QString> ConvertText(const DataType& type, const QString& text, QChar cur, QDate today)
{
    const int f = type.Code();
    if ((f >= 1 && f <= 99) || (f >= 301 && f <= 399)) {
        std::optional<QString> a = TryFormatAmount(text, cur);
        if (!a || !CellsHold(*a, true, type, cur)) return std::nullopt;
        if (f > 300) a->remove(cur);
        return a;
    }
    if (f < 100 || f > 122) return std::nullopt;
    // Conversions that give back their input when they cannot convert.
    auto changed = [&text](const QString& out) -> std::optional<QString> {
        if (out == text) return std::nullopt;
        return out;
    };
    auto nonEmpty = [](const QString& out) -> std::optional<QString> {
        if (out.isEmpty()) return std::nullopt;
        return out;
    };
    switch (f) {
    case 100:
    case 101:
    case 102:
        return changed(DatePartToUpper(text, static_cast<DatePart>(f - 100)));
    case 103: return changed(MoneyToUpper(text, kYuanUnit, cur));
    case 104: return TryFormatAmount(text, cur);
    case 105: {
        std::optional<QString> a = TryFormatAmount(text, cur);
        if (a) a->remove(cur);
        return a;
    }
    case 106:
    case 107:
    case 108:
        return ParseDatePart(text, static_cast<DatePart>(f - 106), today);
    case 109: return SixDigitText(text);
    // A text that is no date stays as typed rather than vanish from the box.
    case 110: return nonEmpty(FormatDateText(text, QStringLiteral("YYYY年MM月DD日"), today));
    case 111: return nonEmpty(FormatDateText(text, QStringLiteral("YYYY-MM-DD"), today));
    case 112: return nonEmpty(FormatDateText(text, QStringLiteral("MM月DD日"), today));
    case 113: return nonEmpty(FormatDateText(text, QStringLiteral("MM-DD"), today));
    case 114:
    case 121:
        if (IsUpperNumeral(text[0])) return std::nullopt;
        return DigitCellsOfBox(type, text, cur);
    case 116: {
        // A ratio: 0.25 and 25% are both 25%.
        const std::optional<Decimal> v = ReadNumberOperand(text, cur);
        if (!v) return std::nullopt;
        return (*v * Decimal::FromInt(100)).Text() + u'%';
    }
    case 117: {
        std::optional<QString> a = TryFormatAmount(text, cur);
        if (a) {
            a->remove(cur);
            a->remove(u',');
        }
        return a;
    }
    case 118: {
        std::optional<QString> a = TryFormatAmount(text, cur);
        if (a) a->remove(u',');
        return a;
    }
    case 120: return changed(MoneyToUpper(text, kYuanUnitOld, cur));
    default: return std::nullopt;  // 115 tick, 119 custom date, 122 serial number
    }
}

} // namespace

namespace {

// The cells' characters of a text that is formatted already (`amount`) or
// no amount at all.
QString CellTextOf(const QString& text, bool amount, const DataType& type, QChar currencyChar)
{
    const int n = type.Cells();
    if (text.isEmpty() || n < 1) return QString();
    QString s = text;
    if (amount) {
        s.remove(QLatin1Char('.'));
        s.remove(QLatin1Char(','));
    }
    // A text longer than the cells gives up the currency character's cell
    // first; figures and the minus are never cut.
    if (CharCount(s) > n && !currencyChar.isNull()) s.remove(currencyChar);
    if (CharCount(s) < n) s.prepend(QString(n - CharCount(s), QLatin1Char(' ')));
    // The currency cell of an amount in the codes above 300 stays blank, in
    // its place before the figures ("  - 123450").
    if (type.Code() > 300 && !currencyChar.isNull()) s.replace(currencyChar, QLatin1Char(' '));
    return s;
}

// Whether the cells hold a formatted amount (or a text that is no amount);
// the currency character gives up its cell first.
bool CellsHold(const QString& text, bool amount, const DataType& type, QChar currencyChar)
{
    return CharCount(CellTextOf(text, amount, type, currencyChar)) <= type.Cells();
}

} // namespace

QString AmountCellText(const QString& text, const DataType& type, QChar currencyChar)
{
    const std::optional<QString> amount = TryFormatAmount(text, currencyChar);
    return CellTextOf(amount ? *amount : text, amount.has_value(), type, currencyChar);
}

bool BoxCanShow(const DataType& type, const QString& value, QChar currencyChar)
{
    if (value.isEmpty()) return true;
    const int f = type.Code();
    if ((f >= 1 && f <= 99) || (f >= 301 && f <= 399)) {
        const std::optional<QString> amount = TryFormatAmount(value, currencyChar);
        return CellsHold(amount ? *amount : value, amount.has_value(), type, currencyChar);
    }
    // Words and digits that could not be written stay figures; digits beyond
    // the cells are all shown.
    if (f == 103 || f == 120 || f == 114 || f == 121) return !TryFormatAmount(value, currencyChar).has_value();
    return true;
}

std::optional<QString> TryFormatAmount(const QString& text, QChar currencyChar)
{
    if (text.isEmpty()) return text;
    const std::optional<AmountFigures> figures = ReadAmountFigures(text, currencyChar);
    if (!figures) return std::nullopt;
    QString out;
    if (figures->negative) out.append(u'-');
    out.append(currencyChar);
    out.append(GroupThousands(figures->whole));
    out.append(u'.');
    out.append(figures->Cents());
    return out;
}

namespace {

// A two-digit year as the system's date reading takes it: 00-29 in this
// century, 30-99 in the last.
int FullYear(const QString& figures)
{
    const int y = figures.toInt();
    if (figures.size() > 2) return y;
    return y < 30 ? 2000 + y : 1900 + y;
}

// The month of an English month name, written out or cut to its first three
// letters ("Sept" too), in any case; 0 for anything else.
int MonthOfName(const QString& name)
{
    static const char* const names[] = {"january", "february", "march",     "april",   "may",      "june",
                                        "july",    "august",   "september", "october", "november", "december"};
    const QString n = name.toLower();
    for (int m = 0; m < 12; ++m) {
        const QString full = QLatin1String(names[m]);
        if (n == full || n == full.left(3) || (m == 8 && n == u"sept")) return m + 1;
    }
    return 0;
}

// A date written with its month's name, as the system's date reading takes
// it: "May 3, 2012", "3-May-2012", "3 May 12", "2012-May-3", or without a
// year in that of `today`; then an optional time of day.
std::optional<QDate> ReadDateWithMonthName(const QString& text, QDate today, const QString& time)
{
    static const QString month = QStringLiteral(R"(([A-Za-z]{3,9})\.?)");
    static const QString sep = QStringLiteral(R"(\s*[-/\s]?\s*)");
    static const QString year = QStringLiteral(R"((?:\s*(?:,\s*|[-/\s])\s*(\d{4}|\d{2}))?)");
    // Captures: year, month, day in the order each form writes them.
    static const QRegularExpression monthFirst(QStringLiteral("^\\s*") + month + sep + QStringLiteral(R"((\d{1,2}))") +
                                               year + time);
    static const QRegularExpression dayFirst(QStringLiteral(R"(^\s*(\d{1,2}))") + sep + month + year + time);
    static const QRegularExpression yearFirst(QStringLiteral(R"(^\s*(\d{4}))") + sep + month + sep +
                                              QStringLiteral(R"((\d{1,2}))") + time);
    struct Form {
        const QRegularExpression* re;
        int year, month, day;
    };
    for (const Form& f : {Form{&monthFirst, 3, 1, 2}, Form{&dayFirst, 3, 2, 1}, Form{&yearFirst, 1, 2, 3}}) {
        const QRegularExpressionMatch m = f.re->match(text);
        if (!m.hasMatch()) continue;
        const int monthNumber = MonthOfName(m.captured(f.month));
        if (monthNumber == 0) continue;
        const int y = m.hasCaptured(f.year) ? FullYear(m.captured(f.year)) : TodayOr(today).year();
        const QDate d(y, monthNumber, m.captured(f.day).toInt());
        if (d.isValid() && ValidTime(m, 4)) return d;
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

std::optional<QDate> ReadDateText(const QString& text, QDate today)
{
    static const QString time = QStringLiteral(R"((?:(?:\s+|T)(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?\s*$)");
    // Year, month and day with a separator: four or two figures of year.
    static const QRegularExpression ymd(
        QStringLiteral(R"(^\s*(\d{4}|\d{2})\s*[-/.年]\s*(\d{1,2})\s*[-/.月]\s*(\d{1,2})\s*日?)") + time);
    // Eight figures run together: 20120503.
    static const QRegularExpression packed(QStringLiteral(R"(^\s*(\d{4})(\d{2})(\d{2}))") + time);
    static const QRegularExpression md(
        QStringLiteral(R"(^\s*(\d{1,2})\s*[-/月]\s*(\d{1,2})\s*日?)") + time);
    for (const QRegularExpression* withYear : {&ymd, &packed}) {
        const QRegularExpressionMatch m = withYear->match(text);
        if (!m.hasMatch()) continue;
        const QDate d(FullYear(m.captured(1)), m.captured(2).toInt(), m.captured(3).toInt());
        if (d.isValid() && ValidTime(m, 4)) return d;
        return std::nullopt;
    }
    const QRegularExpressionMatch m = md.match(text);
    if (m.hasMatch()) {
        const QDate d(TodayOr(today).year(), m.captured(1).toInt(), m.captured(2).toInt());
        if (d.isValid() && ValidTime(m, 3)) return d;
    }
    return ReadDateWithMonthName(text, today, time);
}

QString FormatDateText(const QString& text, const QString& pattern, QDate today)
{
    const std::optional<QDate> date = ReadDateText(text, today);
    if (!date) return QString();
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        if (pattern.mid(i, 4) == u"YYYY") {
            out.append(QStringLiteral("%1").arg(date->year(), 4, 10, QLatin1Char('0')));
            i += 4;
        } else if (pattern.mid(i, 2) == u"MM") {
            out.append(QStringLiteral("%1").arg(date->month(), 2, 10, QLatin1Char('0')));
            i += 2;
        } else if (pattern.mid(i, 2) == u"DD") {
            out.append(QStringLiteral("%1").arg(date->day(), 2, 10, QLatin1Char('0')));
            i += 2;
        } else {
            out.append(pattern[i]);
            ++i;
        }
    }
    return out;
}

QString KeepAllowedChars(const QString& text, const QString& allowed)
{
    // One pass, the kept characters written forward over the same text.
    QString s = text;
    QChar* out = s.data();
    qsizetype kept = 0;
    for (qsizetype i = 0; i < s.size(); ++i)
        if (allowed.contains(out[i])) out[kept++] = out[i];
    s.truncate(kept);
    return s;
}

QString SixDigitText(const QString& text)
{
    QString digits = KeepAllowedChars(text, QStringLiteral("0123456789"));
    if (digits.isEmpty()) return digits;
    if (digits.size() > 6) return digits.left(6);
    return QString(6 - digits.size(), u'0') + digits;
}


Converted ConvertByCode(const DataType& type, const QString& text, QChar currencyChar, QDate today)
{
    Converted out{text, std::nullopt};
    if (text.isEmpty()) return out;
    // Cell-aligned amounts and numbers show a single border so the operator
    // sees the field they are spread over.
    out.borderStyle = type.ShowsCellBorder() ? 1 : 0;
    if (type.Code() <= 0) return out;
    try {
        const std::optional<QString> converted = ConvertText(type, HalfWidthNumberText(text), currencyChar, today);
        if (converted) out.text = *converted;
    } catch (...) {
        out.text = text;
    }
    return out;
}

} // namespace slip
