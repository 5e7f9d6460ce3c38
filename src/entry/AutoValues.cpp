#include "entry/AutoValues.h"

#include <cmath>

#include "entry/AutoCalculate.h"

namespace slip {

namespace {

int FigureValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= 0xFF10 && u <= 0xFF19) return u - 0xFF10;  // full-width
    return -1;
}

QString Padded(int v, int width) { return QStringLiteral("%1").arg(v, width, 10, QLatin1Char('0')); }

const char16_t* const kMonthNames[] = {u"一月", u"二月", u"三月", u"四月", u"五月", u"六月",
                                       u"七月", u"八月", u"九月", u"十月", u"十一月", u"十二月"};
const char16_t* const kWeekdayNames[] = {u"星期日", u"星期一", u"星期二", u"星期三",
                                         u"星期四", u"星期五", u"星期六"};
const char16_t* const kWeekdayShort[] = {u"周日", u"周一", u"周二", u"周三", u"周四", u"周五", u"周六"};

// 0 for Sunday to 6 for Saturday.
int SundayWeekday(QDate d) { return d.dayOfWeek() % 7; }

QString PlainDateTime(const QDateTime& when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(d.year())
        .arg(d.month())
        .arg(d.day())
        .arg(t.hour())
        .arg(Padded(t.minute(), 2), Padded(t.second(), 2));
}

qsizetype RunOf(const QString& p, qsizetype i)
{
    const QChar c = p[i].toLower();
    qsizetype n = 1;
    while (i + n < p.size() && p[i + n].toLower() == c) ++n;
    return n;
}

bool StartsWithNoCase(const QString& p, qsizetype i, const QString& word)
{
    return p.mid(i, word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

} // namespace

QString CustomPatternKey(int code) { return QStringLiteral("自定义类型") + QString::number(code); }

QString FormatCustomDate(const QDateTime& when, const QString& pattern)
{
    if (pattern.isEmpty()) return PlainDateTime(when);
    const QDate d = when.date();
    const QTime t = when.time();
    const bool twelveHours = pattern.contains(QStringLiteral("AM/PM"), Qt::CaseInsensitive)
                             || pattern.contains(QStringLiteral("A/P"), Qt::CaseInsensitive)
                             || pattern.contains(QStringLiteral("AMPM"), Qt::CaseInsensitive);
    const int hour = twelveHours ? (t.hour() % 12 == 0 ? 12 : t.hour() % 12) : t.hour();
    const bool pm = t.hour() >= 12;
    QString out;
    bool afterHour = false;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        const QChar lc = c.toLower();
        if (c == u'"') {
            const qsizetype end = pattern.indexOf(u'"', i + 1);
            const qsizetype stop = end < 0 ? pattern.size() : end;
            out.append(pattern.mid(i + 1, stop - i - 1));
            i = stop + 1;
            continue;
        }
        if (c == u'\\') {
            if (i + 1 < pattern.size()) out.append(pattern[i + 1]);
            i += 2;
            continue;
        }
        if (StartsWithNoCase(pattern, i, QStringLiteral("AM/PM"))) {
            const QString am = pattern.mid(i, 2), pmText = pattern.mid(i + 3, 2);
            out.append(pm ? pmText : am);
            i += 5;
            continue;
        }
        if (StartsWithNoCase(pattern, i, QStringLiteral("A/P"))) {
            out.append(pm ? pattern[i + 2] : pattern[i]);
            i += 3;
            continue;
        }
        if (StartsWithNoCase(pattern, i, QStringLiteral("AMPM"))) {
            out.append(pm ? QStringLiteral("下午") : QStringLiteral("上午"));
            i += 4;
            continue;
        }
        const qsizetype run = RunOf(pattern, i);
        qsizetype used = 1;
        if (lc == u'y') {
            afterHour = false;
            if (run >= 4) {
                out.append(Padded(d.year(), 4));
                used = 4;
            } else if (run >= 2) {
                out.append(Padded(d.year() % 100, 2));
                used = 2;
            } else {
                out.append(QString::number(d.dayOfYear()));
            }
        } else if (lc == u'm' && afterHour && run <= 2) {
            out.append(run == 2 ? Padded(t.minute(), 2) : QString::number(t.minute()));
            used = run;
            afterHour = false;
        } else if (lc == u'm') {
            used = std::min<qsizetype>(run, 4);
            if (used >= 3) out.append(QString::fromUtf16(kMonthNames[d.month() - 1]));
            else out.append(used == 2 ? Padded(d.month(), 2) : QString::number(d.month()));
        } else if (lc == u'd') {
            afterHour = false;
            used = std::min<qsizetype>(run, 6);
            switch (used) {
            case 6: out.append(QStringLiteral("%1年%2月%3日").arg(d.year()).arg(d.month()).arg(d.day())); break;
            case 5: out.append(QStringLiteral("%1-%2-%3").arg(d.year()).arg(d.month()).arg(d.day())); break;
            case 4: out.append(QString::fromUtf16(kWeekdayNames[SundayWeekday(d)])); break;
            case 3: out.append(QString::fromUtf16(kWeekdayShort[SundayWeekday(d)])); break;
            case 2: out.append(Padded(d.day(), 2)); break;
            default: out.append(QString::number(d.day())); break;
            }
        } else if (lc == u'w') {
            if (run >= 2) {
                const int jan1 = SundayWeekday(QDate(d.year(), 1, 1));
                out.append(QString::number((d.dayOfYear() - 1 + jan1) / 7 + 1));
                used = 2;
            } else {
                out.append(QString::number(SundayWeekday(d) + 1));
            }
        } else if (lc == u'q') {
            out.append(QString::number((d.month() - 1) / 3 + 1));
        } else if (lc == u'h') {
            used = std::min<qsizetype>(run, 2);
            out.append(used == 2 ? Padded(hour, 2) : QString::number(hour));
            afterHour = true;
        } else if (lc == u'n') {
            used = std::min<qsizetype>(run, 2);
            out.append(used == 2 ? Padded(t.minute(), 2) : QString::number(t.minute()));
        } else if (lc == u's') {
            used = std::min<qsizetype>(run, 2);
            out.append(used == 2 ? Padded(t.second(), 2) : QString::number(t.second()));
        } else if (lc == u'c' && run == 1) {
            out.append(PlainDateTime(when));
        } else {
            out.append(c);
        }
        i += used;
    }
    return out;
}

int AutoFillDates(SlipFormat& format, const QDateTime& now, const QString& customPattern)
{
    const QDate today = now.date();
    int changed = 0;
    // By ID: whoever listens to the values written may change the boxes.
    std::vector<BoxId> ids;
    for (const Box* b : format.BoxesOfKind(BoxKind::Text)) ids.push_back(b->id);
    for (BoxId id : ids) {
        const Box* b = format.Find(id);
        if (!b) continue;
        const int f = b->dataType.Code();
        QString value;
        if (f == 100 || f == 106) value = QString::number(today.year());
        else if (f == 101 || f == 107) value = QString::number(today.month());
        else if (f == 102 || f == 108) value = QString::number(today.day());
        else if (f >= 110 && f <= 113) value = today.toString(QStringLiteral("yyyy-MM-dd"));
        else if (f == 119) value = FormatCustomDate(now, customPattern);
        else value = format.Value(id);
        const QString converted = ConvertBoxValue(format, *b, value, today);
        if (converted != format.Value(id)) {
            format.SetValue(id, converted);
            ++changed;
        }
    }
    return changed;
}

QString NextSerial(const QString& text)
{
    qsizetype last = text.size() - 1;
    while (last >= 0 && FigureValue(text[last]) < 0) --last;
    if (last < 0) return text;
    qsizetype first = last;
    while (first > 0 && FigureValue(text[first - 1]) >= 0) --first;
    const bool fullWidth = text[last].unicode() >= 0xFF10;
    const char16_t zero = fullWidth ? 0xFF10 : u'0';
    QString run;
    run.reserve(last - first + 2);
    for (qsizetype i = first; i <= last; ++i) run.append(QChar(char16_t(zero + FigureValue(text[i]))));
    // Count up on the figures themselves, so that no run is too long to count.
    qsizetype i = run.size() - 1;
    for (; i >= 0; --i) {
        const int v = run[i].unicode() - zero;
        if (v < 9) {
            run[i] = QChar(char16_t(zero + v + 1));
            break;
        }
        run[i] = QChar(zero);
    }
    if (i < 0) run.prepend(QChar(char16_t(zero + 1)));  // 99 → 100: the run grows
    return text.left(first) + run + text.mid(last + 1);
}

int ApplyAutoNumbers(SlipFormat& format, const NewestValueLookup& newestValue)
{
    if (!newestValue) return 0;
    int changed = 0;
    std::vector<BoxId> ids;
    for (const Box* b : format.BoxesOfKind(BoxKind::Text))
        if (b->dataType.Code() == 122) ids.push_back(b->id);
    for (BoxId id : ids) {
        const std::optional<QString> last = newestValue(id);
        if (!last || last->isEmpty()) continue;
        const QString next = NextSerial(*last);
        if (next != format.Value(id)) {
            format.SetValue(id, next);
            ++changed;
        }
    }
    return changed;
}

} // namespace slip
