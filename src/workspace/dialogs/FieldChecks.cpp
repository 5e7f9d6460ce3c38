#include "workspace/dialogs/FieldChecks.h"

#include "core/TextNumber.h"
#include "model/SettingAnswers.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace slip {

std::optional<double> ReadTypedNumber(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*([+-]?(?:\\d+(?:\\.\\d*)?|\\.\\d+))\\s*(?:mm|毫米)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(m.captured(1), &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<double> CheckTypedNumber(const QString& text, const NumberRule& rule, QString& problem)
{
    const QString name = QStringLiteral("“") + rule.name + QStringLiteral("”");
    problem.clear();
    const std::optional<double> v = ReadTypedNumber(text);
    if (!v) {
        problem = rule.unit.isEmpty() ? name + QStringLiteral("必须是数字！")
                                      : name + QStringLiteral("必须是数字（单位：") + rule.unit + QStringLiteral("）！");
        return std::nullopt;
    }
    if (*v < 0 && !rule.allowNegative) {
        problem = name + QStringLiteral("不能为负数！");
        return std::nullopt;
    }
    if (*v == 0 && !rule.allowZero) {
        problem = name + QStringLiteral("必须大于零！");
        return std::nullopt;
    }
    if (rule.max > 0 && std::fabs(*v) > rule.max) {
        problem = OverLimitMessage(rule.name, rule.max, rule.unit);
        return std::nullopt;
    }
    return *v == 0 ? 0.0 : *v;  // no "-0"
}

NumberRule PositionRule(const QString& name)
{
    NumberRule r;
    r.name = name;
    r.allowNegative = true;
    r.max = kMaxTypedLength;
    return r;
}

NumberRule SizeRule(const QString& name, const QString& unit)
{
    NumberRule r;
    r.name = name;
    r.allowZero = false;
    r.max = kMaxTypedLength;
    r.unit = unit;
    return r;
}

NumberRule LineSpacingRule()
{
    NumberRule r = PositionRule(QStringLiteral("行间距"));
    r.max = kMaxLineSpacingMm;
    return r;
}

QString FontSizeProblem(double points)
{
    if (!std::isfinite(points) || points <= 0) return QStringLiteral("字号必须大于零！");
    if (points > kMaxFontPoints) return QStringLiteral("字号不能超过") + NumberText(kMaxFontPoints) + QStringLiteral("！");
    return QString();
}

} // namespace slip
