#include "model/SettingAnswers.h"

#include "core/TextNumber.h"
#include "model/FormatHeader.h"

namespace slip {

namespace {

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029; }

} // namespace

SettingAnswer CurrencyCharFromAnswer(const QString& answer)
{
    SettingAnswer a;
    if (answer.isEmpty()) return a;
    const QChar first = answer.at(0);
    if (first.isHighSurrogate() && answer.size() > 1 && answer.at(1).isLowSurrogate()) {
        a.error = QStringLiteral("不支持货币符号“") + answer.left(2)
                  + QStringLiteral("”，请输入常用字符（如 ￥ $ € £）！");
        return a;
    }
    if (first.isSurrogate() || IsControl(first.unicode())) {
        a.error = QStringLiteral("货币符号无效，请输入一个可以显示的字符！");
        return a;
    }
    if (first == QLatin1Char('|')) {
        a.error = QStringLiteral("货币符号不能是“|”！");
        return a;
    }
    a.take = true;
    a.value = QString(first);
    return a;
}

SettingAnswer LineBreakMarkerFromAnswer(const QString& answer)
{
    SettingAnswer a;
    if (answer.isEmpty()) return a;
    for (QChar c : answer) {
        if (IsControl(c.unicode())) {
            a.error = QStringLiteral("换行特殊符不能包含回车、换行等控制字符！");
            return a;
        }
    }
    for (int i = 0; i < answer.size(); ++i) {
        const QChar c = answer.at(i);
        const bool paired = c.isHighSurrogate() ? (i + 1 < answer.size() && answer.at(i + 1).isLowSurrogate())
                            : c.isLowSurrogate() ? (i > 0 && answer.at(i - 1).isHighSurrogate())
                                                 : true;
        if (!paired) {
            a.error = QStringLiteral("换行特殊符中有无效的字符，请重新输入！");
            return a;
        }
    }
    // Blanks are part of ordinary values: every one would become a line break.
    if (answer.trimmed().isEmpty()) {
        a.error = QStringLiteral("换行特殊符不能只是空格！");
        return a;
    }
    a.take = true;
    a.value = answer;
    return a;
}

bool SlipSizeAcceptable(double w, double h)
{
    if (!SlipSizeUsable(w, h)) return false;
    const double ratio = w / h;
    return ratio >= 1.0 / 20 && ratio <= 20;
}

QString OverLimitMessage(const QString& name, double max, const QString& unit)
{
    return QStringLiteral("“") + name + QStringLiteral("”不能超过") + NumberText(max) + unit + QStringLiteral("！");
}

QString SlipSideProblem(const QString& name, double mm)
{
    return mm > kMaxTypedLength ? OverLimitMessage(name, kMaxTypedLength) : QString();
}

SlipSizeAnswer SlipSizeFromAnswer(const QString& width, const QString& height)
{
    SlipSizeAnswer a;
    a.widthMm = Val(width);
    a.heightMm = Val(height);
    a.error = SlipSideProblem(QStringLiteral("单据宽度"), a.widthMm);
    if (a.error.isEmpty()) a.error = SlipSideProblem(QStringLiteral("单据高度"), a.heightMm);
    if (!a.error.isEmpty()) return a;
    a.take = SlipSizeAcceptable(a.widthMm, a.heightMm);
    if (!a.take) a.error = QStringLiteral("单据的宽度与高度比例应为1：20到20：1之间！");
    return a;
}

} // namespace slip
