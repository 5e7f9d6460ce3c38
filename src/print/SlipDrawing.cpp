#include "print/SlipDrawing.h"

#include "core/TextNumber.h"
#include "core/Units.h"
#include "entry/Conversion.h"
#include "print/barcode/Code39.h"
#include "print/barcode/Ean13.h"
#include "print/TextLayout.h"

#include <cmath>

namespace slip {

LayoutByType PrintLayoutByType(const DataType& type)
{
    const int k = type.Code();
    if (k <= 0) return {SlipLayout::WrappedText, 0};
    if (k <= 99) return {SlipLayout::AmountCells, k};
    if (k <= 108) return {SlipLayout::WrappedText, 0};
    if (k == 109) return {SlipLayout::CharCells, 6};
    if (k <= 122) return {SlipLayout::WrappedText, 0};
    if (k <= 200) return {SlipLayout::Nothing, 0};
    if (k <= 299) return {SlipLayout::CharCells, type.Cells()};
    if (k == 300) return {SlipLayout::Nothing, 0};
    if (k <= 399) return {SlipLayout::AmountCells, k};
    return {SlipLayout::Nothing, 0};
}

bool BoxReadable(const Box& b)
{
    const auto finite = [](std::initializer_list<double> values) {
        for (double v : values)
            if (!std::isfinite(v)) return false;
        return true;
    };
    if (b.kind == BoxKind::Line)
        return finite({b.line.x1(), b.line.y1(), b.line.x2(), b.line.y2(), b.lineWidth});
    return finite({b.rect.x(), b.rect.y(), b.rect.width(), b.rect.height(), b.font.pointSize, b.charSpacingMm,
                   b.lineSpacingMm});
}

bool IsBarcodeValue(const QString& value)
{
    return !value.isEmpty() && QStringLiteral("0123456789-%$*").contains(value.at(0));
}

QPointF PlaceOnSurface(QPointF mm, const SlipPlacement& w)
{
    const QPointF slip(units::TwipsFromMm(mm.x() - w.shiftXMm), units::TwipsFromMm(mm.y() - w.shiftYMm));
    if (w.page.pageWidth <= 0 || w.page.pageHeight <= 0) return slip;
    return PlaceOnPage(slip, units::TwipsFromMm(w.slipWidthMm), units::TwipsFromMm(w.slipHeightMm), w.page);
}

namespace {

void SetBoxFont(DrawSurface& s, const Box& b, const SlipDrawSettings& settings)
{
    s.SetFontName(b.font.family);
    s.SetFontBold(b.font.bold);
    s.SetForeColor(b.color);
    s.SetFontItalic(b.font.italic);
    s.SetFontUnderline(b.font.underline);
    s.SetFontStrikethru(b.font.strikeOut);
    if (b.kind == BoxKind::Check || !settings.fontSize) s.SetFontSize(b.font.pointSize);
    else s.SetFontSize(settings.fontSize(s, b.font.pointSize));
}

QString ValueOnPaper(const Box& b, const QString& value)
{
    switch (b.kind) {
    case BoxKind::Text: return value;
    case BoxKind::Check: return IsTicked(value) ? QStringLiteral("√") : QString();
    case BoxKind::Picture: return value;
    case BoxKind::Line: return QString();
    case BoxKind::Label: return b.caption;
    }
    return QString();
}

void DrawText(const SlipFormat& format, const Box& b, const QString& text, DrawSurface& s, const SlipPlacement& where,
              const SlipDrawSettings& settings)
{
    SetBoxFont(s, b, settings);
    const QPointF at = PlaceOnSurface(b.rect.topLeft(), where);
    const double w = units::TwipsFromMm(b.rect.width());
    const double l = units::TwipsFromMm(b.lineSpacingMm);
    const double sp = units::TwipsFromMm(b.charSpacingMm);
    const DataType type = b.kind == BoxKind::Text ? b.dataType : DataType();
    // Upper-case digits end at the right edge whatever the box asks.
    const int align = type.family() == DataType::Family::MoneyPlaces ? 1 : int(b.align);
    LayoutByType layout = PrintLayoutByType(type);
    const QChar currency = format.Options().currencyChar;
    // An amount with more figures than its cells is written as typed, never
    // cut to the figures that fit: a slip must not show another amount.
    // Characters in cells are kept whole and run on beside the cells.
    if (layout.layout == SlipLayout::AmountCells && !BoxCanShow(type, text, currency))
        layout = {SlipLayout::WrappedText, 0};
    switch (layout.layout) {
    case SlipLayout::WrappedText: PrintWrappedText(s, text, at.x(), at.y(), w, sp, l, align); break;
    case SlipLayout::CharCells: PrintCharsInCells(s, text, at.x(), at.y(), w, layout.cells, align); break;
    case SlipLayout::AmountCells:
        PrintAmountDigits(s, text, at.x(), at.y(), w, layout.cells, currency);
        break;
    case SlipLayout::Nothing: break;
    }
}

void DrawPicture(const Box& b, const QString& value, DrawSurface& s, const SlipPlacement& where,
                 const SlipDrawSettings& settings)
{
    const QPointF at = PlaceOnSurface(b.rect.topLeft(), where);
    const double w = units::TwipsFromMm(b.rect.width());
    const double h = units::TwipsFromMm(b.rect.height());
    if (value.isEmpty()) return;
    if (IsBarcodeValue(value)) {
        double fontSize = 0;
        if (b.font.pointSize > 2) {
            s.SetFontName(b.font.family);
            s.SetFontBold(b.font.bold);
            fontSize = settings.fontSize ? settings.fontSize(s, b.font.pointSize) : b.font.pointSize;
        }
        const double xMm = units::MmFromTwips(at.x()), yMm = units::MmFromTwips(at.y());
        SilentPrompter quiet;
        Prompter& tell = settings.prompter ? *settings.prompter : quiet;
        if (settings.barcodeStandard == 0) {
            const Code39Outcome drawn = DrawFittedCode39(s, value, xMm, yMm, b.rect.height(), w, fontSize, true, tell);
            // The canvas says in the empty box why it is empty.
            const QString note = settings.canvasRules ? Code39OutcomeNote(drawn) : QString();
            if (!note.isEmpty()) {
                const auto saved = s.SaveSettings();
                s.SetFontName(QStringLiteral("宋体"));
                s.SetFontSize(9);
                s.SetForeColor(Qt::red);
                s.SetCurrentX(at.x());
                s.SetCurrentY(at.y());
                s.Print(note);
                s.RestoreSettings(saved);
            }
        } else
            DrawEan13(s, value, xMm, yMm, b.rect.height(), b.rect.width(), fontSize, true);
        return;
    }
    if (!settings.loadPicture) return;
    const QImage image = settings.loadPicture(b.id, value);
    if (!image.isNull()) s.PaintPicture(image, at.x(), at.y(), w, h);
}

void DrawLine(const Box& b, DrawSurface& s, const SlipPlacement& where, const SlipDrawSettings& settings)
{
    // Style code c draws with style c - 1; code 0 ("no border") draws nothing.
    const int style = int(RoundHalfEven(b.lineStyle - 1.0));
    if (style < 0 || style == kLineTransparent) return;
    const QPointF p1 = PlaceOnSurface(b.line.p1(), where);
    const QPointF p2 = PlaceOnSurface(b.line.p2(), where);
    const auto saved = s.SaveSettings();
    s.SetDrawStyle(style);
    s.SetDrawWidth(settings.lineWidth ? settings.lineWidth(b.lineWidth) : double(RoundHalfEven(b.lineWidth)));
    s.Line(p1.x(), p1.y(), p2.x(), p2.y(), b.color);
    s.RestoreSettings(saved);
}

} // namespace

void DrawSlipBox(const SlipFormat& format, const Box& b, const QString& value, DrawSurface& s,
                 const SlipPlacement& where, const SlipDrawSettings& settings)
{
    if (!BoxReadable(b)) return;
    const QString v = ValueOnPaper(b, value);
    if (b.kind == BoxKind::Line) {
        DrawLine(b, s, where, settings);
        return;
    }
    if (v.isEmpty()) return;
    // A value larger than its box runs on beyond it: below it for wrapped
    // lines and tall fonts, beside the cells for a long text in cells.
    if (b.kind == BoxKind::Picture) DrawPicture(b, v, s, where, settings);
    else DrawText(format, b, v, s, where, settings);
}

void DrawSlipContents(const SlipFormat& format, const QHash<BoxId, QString>& values, DrawSurface& s,
                      const SlipPlacement& where, const SlipDrawSettings& settings)
{
    for (int kind = 0; kind < kBoxKindCount; ++kind)
        for (const Box& b : format.Boxes())
            if (int(b.kind) == kind) DrawSlipBox(format, b, values.value(b.id), s, where, settings);
}

} // namespace slip
