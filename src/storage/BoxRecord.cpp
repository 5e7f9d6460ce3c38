#include "storage/BoxRecord.h"

#include "core/TextNumber.h"
#include "core/Units.h"

#include <cmath>

namespace slip {

namespace {

double Number(const QVariant& v, double fallback = 0)
{
    if (v.isNull() || !v.isValid()) return fallback;
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (ok && std::isfinite(d)) return d;
    // Text kept by older files: read as the program writes numbers.
    return Val(v.toString());
}

bool Flag(const QVariant& v)
{
    if (v.isNull() || !v.isValid()) return false;
    const QString t = v.toString().trimmed().toLower();
    return !(t.isEmpty() || t == QStringLiteral("0") || t == QStringLiteral("false"));
}

QString BoolText(bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); }
int WholeNumber(const QString& t) { return int(RoundHalfEven(Val(t))); }

} // namespace

QColor ColorFromStored(qint64 bgr)
{
    if (bgr == 65793) bgr = 0;
    if (bgr < 0 || bgr > 0xFFFFFF) bgr = 0;
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

qint64 ColorToStored(const QColor& c)
{
    const QColor rgb = c.toRgb();
    return qint64(rgb.red()) | (qint64(rgb.green()) << 8) | (qint64(rgb.blue()) << 16);
}

double EncodeRelation(const Relation& r)
{
    if (!r.IsSet() || r.target <= 0) return 0;
    return r.kind == RelationKind::ChainNext ? double(r.target) : -double(r.target);
}

Relation DecodeRelation(double stored)
{
    const qint64 v = RoundHalfEven(stored);
    if (v == 0 || std::llabs(v) > std::numeric_limits<BoxId>::max()) return {};
    return {v > 0 ? RelationKind::ChainNext : RelationKind::Related, BoxId(std::llabs(v))};
}

double EncodeSumTarget(const SumTarget& t)
{
    if (!t.IsSet() || t.target <= 0) return 0;
    const double v = double(t.target) + (t.negated ? 0.1 : 0.0);
    return t.op == SumOp::Multiply ? -v : v;
}

SumTarget DecodeSumTarget(double stored)
{
    if (stored == 0 || !std::isfinite(stored)) return {};
    // The whole part names the box; any fraction (the dialog writes .1)
    // takes its number negated.
    const double a = std::fabs(stored);
    const double whole = std::trunc(a);
    if (whole < 1 || whole > std::numeric_limits<BoxId>::max()) return {};
    SumTarget t;
    t.target = BoxId(whole);
    t.op = stored < 0 ? SumOp::Multiply : SumOp::Add;
    t.negated = a != whole;
    return t;
}

double PackAlignSpacing(double spacingMm, TextAlign align)
{
    const double v = int(align) * 1000.0 + std::fabs(spacingMm);
    return spacingMm < 0 ? -v : v;
}

qint16 PackedAlign(double packed)
{
    const double code = std::trunc(std::fabs(packed) / 1000.0);
    if (std::isnan(code)) return 0;
    // A number too large for an alignment code reads as the largest one.
    if (!(code <= std::numeric_limits<qint16>::max())) return std::numeric_limits<qint16>::max();
    return qint16(code);
}

void UnpackAlignSpacing(double packed, double& spacingMm, TextAlign& align)
{
    const double a = std::fabs(packed);
    // Kept as stored: wrapped text reads a code other than 1 and 2 as left,
    // characters in cells read 2 and more as centred.
    align = TextAlign(PackedAlign(packed));
    // `PackedSpacing`: the thousands are taken off at most 20 times, so a
    // stored 25000 keeps a spacing of 5000.
    double spacing = a;
    for (int i = 0; i < 20 && spacing >= 1000; ++i) spacing -= 1000;
    spacingMm = packed < 0 ? -spacing : spacing;
}

BoxRecord EncodeBox(const Box& b, const std::function<BoxId(BoxId)>& idOf)
{
    BoxRecord r;
    auto ref = [&](BoxId id) { return idOf ? idOf(id) : id; };
    r[FieldID] = b.id;
    r[FieldClas] = int(b.kind);
    r[FieldDir] = int(b.captionSide);
    if (b.kind == BoxKind::Line) {
        r[FieldLBL] = LineLabel();
        r[FieldX] = b.line.x1();
        r[FieldY] = b.line.y1();
        r[FieldW] = b.line.x2();
        r[FieldH] = b.line.y2();
        r[FieldFName] = QStringLiteral("宋体");
        r[FieldFSize] = b.lineWidth;
        r[FieldCash] = double(b.lineStyle);
    } else {
        r[FieldLBL] = b.caption.isNull() ? QStringLiteral("") : b.caption;
        r[FieldX] = b.rect.x();
        r[FieldY] = b.rect.y();
        r[FieldW] = b.rect.width();
        r[FieldH] = b.rect.height();
        r[FieldFName] = b.font.family;
        r[FieldFSize] = b.font.pointSize;
        r[FieldCash] = b.kind == BoxKind::Text ? b.dataType.Stored() : 0.0;
    }
    r[FieldS] = b.charSpacingMm;
    r[FieldL] = PackAlignSpacing(b.lineSpacingMm, b.align);
    r[FieldColor] = ColorToStored(b.color);
    r[FieldBold] = b.font.bold ? 1 : 0;
    r[FieldItalic] = b.font.italic ? 1 : 0;
    r[FieldUnderline] = b.font.underline ? 1 : 0;
    r[FieldStrikethru] = b.font.strikeOut ? 1 : 0;
    Relation rel = b.relation;
    rel.target = rel.IsSet() ? ref(rel.target) : 0;
    r[FieldRCtl] = EncodeRelation(rel);
    SumTarget s1 = b.sum1, s2 = b.sum2;
    s1.target = s1.IsSet() ? ref(s1.target) : 0;
    s2.target = s2.IsSet() ? ref(s2.target) : 0;
    r[FieldSumID] = EncodeSumTarget(s1);
    r[FieldSumID1] = EncodeSumTarget(s2);
    if (b.kind == BoxKind::Text && b.caption.isEmpty())
        r[FieldMem] = b.fixedText.isNull() ? QStringLiteral("") : b.fixedText;
    return r;
}

namespace {

// A stored size times the screen font factor, to two decimals.
double ScaledToScreen(double size, double factor)
{
    return factor == 1.0 ? size : double(RoundHalfEven(size * factor * 100)) / 100.0;
}

} // namespace

bool DecodeBox(const BoxRecord& r, double fontFactor, Box& b)
{
    const QVariant clas = r[FieldClas];
    if (clas.isNull() || !clas.isValid()) return false;
    const double c = Number(clas, -1);
    if (c != std::trunc(c) || !IsBoxKindNumber(int(c))) return false;
    b = Box();
    b.kind = BoxKind(int(c));
    b.id = BoxId(RoundHalfEven(Number(r[FieldID])));
    // A position that is none of the four (an empty field too) reads as no
    // text, and so as above.
    const double dir = RoundHalfEven(Number(r[FieldDir], -1));
    b.captionSide = (dir >= 0 && dir <= 3) ? CaptionSide(int(dir)) : CaptionSide::Above;
    const double x = Number(r[FieldX]), y = Number(r[FieldY]), w = Number(r[FieldW]), h = Number(r[FieldH]);
    b.color = ColorFromStored(qint64(Number(r[FieldColor])));
    if (b.kind == BoxKind::Line) {
        b.caption = LineLabel();
        b.line = QLineF(x, y, w, h);
        // A line's width stands where a box's font size does and scales alike.
        b.lineWidth = ScaledToScreen(Number(r[FieldFSize], 1), fontFactor);
        b.lineStyle = int(RoundHalfEven(Number(r[FieldCash])));
    } else {
        b.caption = r[FieldLBL].toString();
        b.rect = QRectF(x, y, w, h);
        b.font.family = r[FieldFName].toString();
        if (b.font.family.isEmpty()) b.font.family = QStringLiteral("宋体");
        b.font.pointSize = ScaledToScreen(Number(r[FieldFSize], 9), fontFactor);
        if (b.kind == BoxKind::Text) b.dataType = DataType::FromStored(Number(r[FieldCash]));
    }
    b.charSpacingMm = Number(r[FieldS]);
    UnpackAlignSpacing(Number(r[FieldL]), b.lineSpacingMm, b.align);
    b.font.bold = Flag(r[FieldBold]);
    b.font.italic = Flag(r[FieldItalic]);
    b.font.underline = Flag(r[FieldUnderline]);
    b.font.strikeOut = Flag(r[FieldStrikethru]);
    b.relation = DecodeRelation(Number(r[FieldRCtl]));
    b.sum1 = DecodeSumTarget(Number(r[FieldSumID]));
    b.sum2 = DecodeSumTarget(Number(r[FieldSumID1]));
    if (b.kind == BoxKind::Text && b.caption.isEmpty()) b.fixedText = r[FieldMem].toString();
    return true;
}

QString EncodeOptionList(const SlipOptions& o)
{
    QStringList items;
    items << BoolText(o.setPaper) << BoolText(o.printBackground);
    for (bool v : {o.showRulers, o.lengthwise, o.locked, o.guidesToCentre, o.showBackground})
        items << QString::number(v ? 1 : 0);
    items << BoolText(o.printRulers) << QString(o.currencyChar);
    return items.join(QLatin1Char('|')) + QLatin1Char('|');
}

void ApplyOptionList(const QString& mem, SlipOptions& o)
{
    o.currencyChar = kYuanSign;
    if (mem.isEmpty()) return;
    const QStringList items = mem.split(QLatin1Char('|'));
    if (items.size() < 8) return;
    o.setPaper = items[0].toLower() == QStringLiteral("true");
    o.printBackground = items[1].toLower() == QStringLiteral("true");
    bool* switches[5] = {&o.showRulers, &o.lengthwise, &o.locked, &o.guidesToCentre, &o.showBackground};
    for (int i = 0; i < 5; ++i) *switches[i] = WholeNumber(items[i + 2]) != 0;
    o.printRulers = items[7].toLower() == QStringLiteral("true");
    if (items.size() > 8 && !items[8].isEmpty()) o.currencyChar = items[8].at(0);
}

QString EncodeStateSwitches(const SlipOptions& o)
{
    return QStringList{QString::number(o.showRulers ? 1 : 0), QString::number(o.lengthwise ? 1 : 0),
                       QString::number(o.locked ? 1 : 0)}
        .join(StateSeparator());
}

void ApplyStateSwitches(const QString& text, SlipOptions& o)
{
    if (text.isEmpty()) return;
    const QStringList items = text.split(StateSeparator());
    bool* switches[3] = {&o.showRulers, &o.lengthwise, &o.locked};
    for (int i = 0; i < 3 && i < items.size(); ++i) *switches[i] = WholeNumber(items[i]) != 0;
}

double ScreenFontFactor(const QVariant& storedWidth, int screenWidth)
{
    if (storedWidth.isNull() || !storedWidth.isValid() || storedWidth.toString().isEmpty()) return 1.0;
    const double color = Val(storedWidth.toString());
    if (color == 0) return ScreenFontFactor(units::kDefaultScreenWidthTwips, screenWidth);
    if (color == screenWidth) return 1.0;
    // A stored width of 340 twips or less can't come from a real screen and
    // would divide by zero or turn the sizes negative.
    if (color <= 340) return 1.0;
    return (screenWidth - 340) / (color - 340);
}

} // namespace slip
