#include "print/DrawSurface.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPen>
#include <cmath>

namespace slip {

DrawSurface::DrawSurface()
{
    font_ = QFont(QStringLiteral("宋体"));
    font_.setPointSizeF(9);
}

DrawSurface::~DrawSurface() = default;

DrawSurface::Settings DrawSurface::SaveSettings() const
{
    return Settings{font_, foreColor_, drawWidth_, drawStyle_};
}

void DrawSurface::RestoreSettings(const Settings& s)
{
    font_ = s.font;
    foreColor_ = s.foreColor;
    drawWidth_ = s.drawWidth;
    drawStyle_ = s.drawStyle;
}

void DrawSurface::SetFontName(const QString& name)
{
    // Keep size and style: only the family changes, as on the platform's
    // printer object.
    font_.setFamily(name);
}

void DrawSurface::SetFontSize(double points)
{
    font_.setPointSizeF(points >= kMinFontSize ? points : kMinFontSize);
}

double DrawSurface::FontSize() const { return font_.pointSizeF(); }

void DrawSurface::SetFontBold(bool on) { font_.setBold(on); }
void DrawSurface::SetFontItalic(bool on) { font_.setItalic(on); }
void DrawSurface::SetFontUnderline(bool on) { font_.setUnderline(on); }
void DrawSurface::SetFontStrikethru(bool on) { font_.setStrikeOut(on); }

void DrawSurface::Print(const QString& text)
{
    PaintText(currentX_, currentY_, text);
    currentX_ += TextWidth(text);
}

void DrawSurface::Line(double x1, double y1, double x2, double y2, const QColor& color)
{
    PaintLine(x1, y1, x2, y2, color);
}

void DrawSurface::FillBox(double x1, double y1, double x2, double y2, const QColor& color)
{
    PaintBox(x1, y1, x2, y2, color);
}

void DrawSurface::PaintPicture(const QImage& image, double x, double y, double width, double height)
{
    PaintImage(image, x, y, width, height);
}

QPen DrawSurface::MakePen(const QColor& color) const
{
    QPen pen(color);
    pen.setWidthF(drawWidth_ > 0 ? drawWidth_ : 0);
    pen.setCapStyle(Qt::FlatCap);
    switch (drawStyle_) {
    case kLineDash: pen.setStyle(Qt::DashLine); break;
    case kLineDot: pen.setStyle(Qt::DotLine); break;
    case kLineDashDot: pen.setStyle(Qt::DashDotLine); break;
    case kLineDashDotDot: pen.setStyle(Qt::DashDotDotLine); break;
    case kLineTransparent: pen.setStyle(Qt::NoPen); break;
    default: pen.setStyle(Qt::SolidLine); break;
    }
    return pen;
}

void DrawSurface::PaintText(double x, double y, const QString& text)
{
    QPainter* p = DrawingPainter();
    if (!p) return;
    // Setting a font makes the painter look the font up again: only when it
    // changed (a slip prints its characters one by one).
    if (!(p->font() == font_) || p->font().pointSizeF() != font_.pointSizeF()) p->setFont(font_);
    if (p->pen() != QPen(foreColor_)) p->setPen(foreColor_);
    if (p->brush().style() != Qt::NoBrush) p->setBrush(Qt::NoBrush);
    p->drawText(QPointF(x * DotsPerTwipX(), (y + FontAscent()) * DotsPerTwipY()), text);
}

void DrawSurface::PaintLine(double x1, double y1, double x2, double y2, const QColor& color)
{
    QPainter* p = DrawingPainter();
    if (!p) return;
    const double dx = DotsPerTwipX();
    const double dy = DotsPerTwipY();
    p->setPen(MakePen(color));
    p->drawLine(QPointF(x1 * dx, y1 * dy), QPointF(x2 * dx, y2 * dy));
}

std::optional<QRectF> DrawSurface::BoxInDots(double x1, double y1, double x2, double y2) const
{
    const double dx = DotsPerTwipX();
    const double dy = DotsPerTwipY();
    // Edges on whole dots, so that bars of equal width come out equally wide.
    const double l = std::round(std::min(x1, x2) * dx);
    const double r = std::round(std::max(x1, x2) * dx);
    const double t = std::round(std::min(y1, y2) * dy);
    const double b = std::round(std::max(y1, y2) * dy);
    if (r <= l || b <= t) return std::nullopt;
    return QRectF(l, t, r - l, b - t);
}

void DrawSurface::PaintBox(double x1, double y1, double x2, double y2, const QColor& color)
{
    QPainter* p = DrawingPainter();
    if (!p) return;
    if (const std::optional<QRectF> box = BoxInDots(x1, y1, x2, y2)) p->fillRect(*box, color);
}

void DrawSurface::PaintImage(const QImage& image, double x, double y, double width, double height)
{
    QPainter* p = DrawingPainter();
    if (!p || image.isNull()) return;
    const double dx = DotsPerTwipX();
    const double dy = DotsPerTwipY();
    p->drawImage(QRectF(x * dx, y * dy, width * dx, height * dy), image);
}

// --- PainterSurface

PainterSurface::PainterSurface(QPainter* painter)
    : painter_(painter), metrics_(painter ? painter->device() : nullptr)
{
}

double PainterSurface::DotsPerTwipX() const
{
    return metrics_ ? metrics_->logicalDpiX() / kTwipsPerInch : 1.0 / 15.0;
}

double PainterSurface::DotsPerTwipY() const
{
    return metrics_ ? metrics_->logicalDpiY() / kTwipsPerInch : 1.0 / 15.0;
}

namespace {
// Fonts a surface keeps the measures of; a slip uses a handful.
constexpr size_t kMeasuredFonts = 16;
// Longer texts kept measured per font: a line is measured when it is wrapped
// and again when it is placed.
constexpr qsizetype kMeasuredTexts = 256;
} // namespace

PainterSurface::FontMeasures& PainterSurface::Measures() const
{
    const QFont& font = Font();
    if (current_ && current_->font == font) return *current_;
    for (const std::unique_ptr<FontMeasures>& m : measures_)
        if (m->font == font) return *(current_ = m.get());
    if (measures_.size() >= kMeasuredFonts) measures_.erase(measures_.begin());
    auto m = std::make_unique<FontMeasures>();
    m->font = font;
    m->fm.emplace(metrics_ ? QFontMetricsF(font, metrics_) : QFontMetricsF(font));
    m->ascent = m->fm->ascent();
    m->height = m->fm->height();
    current_ = m.get();
    measures_.push_back(std::move(m));
    return *current_;
}

double PainterSurface::TextWidth(const QString& text) const
{
    FontMeasures& m = Measures();
    const bool oneChar = text.size() == 1 || (text.size() == 2 && text.at(0).isHighSurrogate());
    if (!oneChar) {
        if (text.size() < 2) return m.fm->horizontalAdvance(text) / DotsPerTwipX();
        auto it = m.widths.constFind(text);
        if (it == m.widths.constEnd()) {
            if (m.widths.size() >= kMeasuredTexts) m.widths.clear();
            it = m.widths.insert(text, m.fm->horizontalAdvance(text));
        }
        return *it / DotsPerTwipX();
    }
    const quint64 key = ShortTextKey(text);
    auto it = m.advances.constFind(key);
    if (it == m.advances.constEnd()) it = m.advances.insert(key, m.fm->horizontalAdvance(text));
    return *it / DotsPerTwipX();
}

double PainterSurface::TextHeight(const QString& text) const
{
    Q_UNUSED(text)  // one line of text is as high as the font
    return Measures().height / DotsPerTwipY();
}

double PainterSurface::FontAscent() const
{
    return Measures().ascent / DotsPerTwipY();
}

} // namespace slip
