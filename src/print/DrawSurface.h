#pragma once
#include "core/Units.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QString>
#include <memory>
#include <optional>
#include <vector>


class QPaintDevice;

namespace slip {

// Paper units: everything placed on a slip is given in twips, 1440 to the
// inch. Positions stored in millimetres are converted with this factor.
constexpr double kTwipsPerInch = units::kTwipsPerInch;
constexpr double kPaperTwipsPerMm = units::kTwipsPerMm;

// Line styles by their stored codes (a line box's style code c is drawn with
// style c - 1).
enum LineStyleCode : int {
    kLineSolid = 0,
    kLineDash = 1,
    kLineDot = 2,
    kLineDashDot = 3,
    kLineDashDotDot = 4,
    kLineTransparent = 5,
    kLineInsideSolid = 6,
};

// Something to draw a slip, a barcode or a calibration figure on: the printer,
// a picture of the canvas, an image. Coordinates are twips from the surface's
// top-left corner; text is placed by its top-left corner.
//
// The surface keeps the current font, colour, line width and style and the
// current position, so routines can set what they need and put back what they
// found (SaveSettings/RestoreSettings).
class DrawSurface {
public:
    virtual ~DrawSurface();

    struct Settings {
        QFont font;
        QColor foreColor;
        double drawWidth = 1;
        int drawStyle = kLineSolid;
    };
    Settings SaveSettings() const;
    void RestoreSettings(const Settings& s);

    // Font sizes below this are raised to it: a text still has a height when
    // a routine asks for a size of 0.
    static constexpr double kMinFontSize = 1.0;

    const QFont& Font() const { return font_; }
    void SetFontName(const QString& name);
    void SetFontSize(double points);
    // The size really in use (read back after SetFontSize).
    double FontSize() const;
    void SetFontBold(bool on);
    void SetFontItalic(bool on);
    void SetFontUnderline(bool on);
    void SetFontStrikethru(bool on);

    QColor ForeColor() const { return foreColor_; }
    void SetForeColor(const QColor& c) { foreColor_ = c; }
    // Line width in dots of the device; 0 or less draws the thinnest line.
    void SetDrawWidth(double dots) { drawWidth_ = dots; }
    void SetDrawStyle(int code) { drawStyle_ = code; }

    void SetCurrentX(double x) { currentX_ = x; }
    void SetCurrentY(double y) { currentY_ = y; }

    // Size of a text in the current font, in twips.
    virtual double TextWidth(const QString& text) const = 0;
    virtual double TextHeight(const QString& text) const = 0;

    // Draws text with its top-left corner at the current position, then moves
    // the position to the end of the text on the same line.
    void Print(const QString& text);

    // A straight line with the current width and style.
    void Line(double x1, double y1, double x2, double y2, const QColor& color);
    // A filled box between two corners.
    void FillBox(double x1, double y1, double x2, double y2, const QColor& color);
    // A picture stretched into a rectangle.
    void PaintPicture(const QImage& image, double x, double y, double width, double height);

protected:
    DrawSurface();

    // The drawing itself, in twips, with the current settings; by default on
    // DrawingPainter(). A surface may record or draw differently.
    virtual void PaintText(double x, double y, const QString& text);
    virtual void PaintLine(double x1, double y1, double x2, double y2, const QColor& color);
    virtual void PaintBox(double x1, double y1, double x2, double y2, const QColor& color);
    virtual void PaintImage(const QImage& image, double x, double y, double width, double height);
    // A filled box's rectangle in dots of the device, its edges on whole
    // dots; none when it covers no dot.
    std::optional<QRectF> BoxInDots(double x1, double y1, double x2, double y2) const;

    // The painter to draw with now, or nullptr when nothing can be drawn (the
    // drawing call is then passed over).
    virtual QPainter* DrawingPainter() = 0;
    // Dots of the drawing device per twip, horizontally and vertically.
    virtual double DotsPerTwipX() const = 0;
    virtual double DotsPerTwipY() const = 0;
    // Ascent of the current font in twips (the distance from the top of a
    // line of text to its baseline).
    virtual double FontAscent() const = 0;

private:
    QPen MakePen(const QColor& color) const;

    QFont font_;
    QColor foreColor_ = Qt::black;
    double drawWidth_ = 1;
    int drawStyle_ = kLineSolid;
    double currentX_ = 0;
    double currentY_ = 0;
};

// A surface over a painter that is already drawing on its device (a pixmap of
// the canvas, an image). Twips map to the device's dots by its resolution.
class PainterSurface : public DrawSurface {
public:
    explicit PainterSurface(QPainter* painter);

    double TextWidth(const QString& text) const override;
    double TextHeight(const QString& text) const override;

protected:
    // For surfaces that start their painter later.
    PainterSurface() = default;
    // The device fonts are measured on (the drawing device, also before
    // drawing starts).
    void SetMetricsDevice(QPaintDevice* device)
    {
        metrics_ = device;
        measures_.clear();
        current_ = nullptr;
    }

    QPainter* DrawingPainter() override { return painter_; }
    double DotsPerTwipX() const override;
    double DotsPerTwipY() const override;
    double FontAscent() const override;

    // A key of its own for every text of one or two UTF-16 units (one
    // character, a surrogate pair, or two characters): slips are printed and
    // measured character by character, and a number is hashed far faster
    // than a string.
    static quint64 ShortTextKey(const QString& text)
    {
        return text.size() == 1 ? text.at(0).unicode()
                                : (quint64(1) << 32) | (quint64(text.at(0).unicode()) << 16) | text.at(1).unicode();
    }

private:
    // What is measured of one font on the device: made once a font for the
    // life of the device, as a slip goes from box to box and font to font
    // and every slip of a batch measures the same characters again.
    struct FontMeasures {
        QFont font;
        std::optional<QFontMetricsF> fm;
        double ascent = 0;
        double height = 0;
        QHash<quint64, double> advances;   // single characters (ShortTextKey)
        QHash<QString, double> widths;     // longer texts measured lately
    };
    // The measures of the current font, found or made.
    FontMeasures& Measures() const;

    QPainter* painter_ = nullptr;
    QPaintDevice* metrics_ = nullptr;
    mutable std::vector<std::unique_ptr<FontMeasures>> measures_;
    mutable FontMeasures* current_ = nullptr;
};

} // namespace slip
