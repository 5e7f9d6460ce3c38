#pragma once
#include "TextPrinting.h"

#include "print/DrawSurface.h"
#include "print/SlipPrinter.h"
#include "storage/HistoryStore.h"

#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace slip::test {

// An image of a given size in twips at a given resolution, white, with its
// own painter: what a surface draws, read back dot by dot.
class ImageSurface : public PainterSurface {
public:
    ImageSurface(double widthTwips, double heightTwips, int dotsPerInch)
    {
        const double dots = dotsPerInch / 1440.0;
        image_ = QImage(qMax(1, int(std::ceil(widthTwips * dots))), qMax(1, int(std::ceil(heightTwips * dots))),
                        QImage::Format_RGB32);
        image_.setDotsPerMeterX(int(std::lround(dotsPerInch / 0.0254)));
        image_.setDotsPerMeterY(int(std::lround(dotsPerInch / 0.0254)));
        image_.fill(Qt::white);
        painter_.begin(&image_);
        // Sharp edges: a bar's edge must fall on a dot, not fade across two.
        painter_.setRenderHint(QPainter::Antialiasing, false);
        SetMetricsDevice(&image_);
    }
    ~ImageSurface() override
    {
        if (painter_.isActive()) painter_.end();
    }
    // Ends the drawing and hands out the image.
    QImage Finish()
    {
        if (painter_.isActive()) painter_.end();
        return image_;
    }

protected:
    QPainter* DrawingPainter() override { return painter_.isActive() ? &painter_ : nullptr; }

private:
    QImage image_;
    QPainter painter_;
};

// A surface with fixed metrics (characters charWidth wide, lines lineHeight
// high, or widthAtSize) that records what is drawn on it, to the twip.
class FakeSurface : public DrawSurface {
public:
    struct Text { double x, y; QString text; };
    struct Box { double x1, y1, x2, y2; QColor color; };
    struct Line { double x1, y1, x2, y2; QColor color; double width; };
    double charWidth = 100;
    double lineHeight = 200;
    std::function<double(const QString&, double)> widthAtSize;
    std::vector<Text> texts;
    std::vector<Box> boxes;
    std::vector<Line> lines;
    std::vector<QRectF> pictures;
    mutable std::vector<double> measuredAt;  // font size at every TextWidth

    double TextWidth(const QString& text) const override
    {
        measuredAt.push_back(FontSize());
        return widthAtSize ? widthAtSize(text, FontSize()) : text.size() * charWidth;
    }
    double TextHeight(const QString&) const override { return lineHeight; }
    QString Printed() const
    {
        QString s;
        for (const Text& t : texts) s += t.text;
        return s;
    }

protected:
    void PaintText(double x, double y, const QString& text) override { texts.push_back({x, y, text}); }
    void PaintBox(double x1, double y1, double x2, double y2, const QColor& c) override
    {
        boxes.push_back({x1, y1, x2, y2, c});
    }
    void PaintLine(double x1, double y1, double x2, double y2, const QColor& c) override
    {
        lines.push_back({x1, y1, x2, y2, c, SaveSettings().drawWidth});
    }
    void PaintImage(const QImage&, double x, double y, double w, double h) override { pictures.push_back({x, y, w, h}); }
    QPainter* DrawingPainter() override { return nullptr; }
    double DotsPerTwipX() const override { return 1; }
    double DotsPerTwipY() const override { return 1; }
    double FontAscent() const override { return 0; }
};

// Standard output of an installed tool; fails when it is missing
// (scripts/install-deps.sh installs it).
inline QString RunTool(const QString& tool, const QStringList& args)
{
    const QString exe = QStandardPaths::findExecutable(tool);
    EXPECT_FALSE(exe.isEmpty()) << tool.toStdString() << " is not installed";
    QProcess p;
    p.start(exe, args);
    EXPECT_TRUE(p.waitForFinished(60000)) << tool.toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline double PtToMm(double pt) { return pt / 72.0 * 25.4; }
inline double Tw(double mm) { return mm * kPaperTwipsPerMm; }

// Pages and page size (mm) of a PDF.
struct PdfInfo { int pages = 0; double widthMm = 0, heightMm = 0; };
inline PdfInfo ReadPdfInfo(const QString& pdf)
{
    const QString out = RunTool(QStringLiteral("pdfinfo"), {pdf});
    const auto pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out);
    const auto size = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(out);
    return {pages.captured(1).toInt(), PtToMm(size.captured(1).toDouble()), PtToMm(size.captured(2).toDouble())};
}

// A word of a PDF page as pdftotext places it (mm from the page's corner).
struct PdfWord {
    int page = 0;  // from 1
    QString text;
    QRectF mm;
};

inline std::vector<PdfWord> PdfWords(const QString& pdf)
{
    const QString html = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    std::vector<PdfWord> words;
    int page = 0;
    static const QRegularExpression token(
        QStringLiteral("<page |<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" xMax=\"([-0-9.]+)\" yMax=\"([-0-9.]+)\">([^<]*)</word>"));
    for (auto it = token.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            ++page;
            continue;
        }
        const double x0 = PtToMm(m.captured(1).toDouble()), y0 = PtToMm(m.captured(2).toDouble());
        const double x1 = PtToMm(m.captured(3).toDouble()), y1 = PtToMm(m.captured(4).toDouble());
        words.push_back({page, m.captured(5), QRectF(QPointF(x0, y0), QPointF(x1, y1))});
    }
    return words;
}

inline const PdfWord* FindWord(const std::vector<PdfWord>& words, const QString& text, int page = 1)
{
    for (const PdfWord& w : words)
        if (w.text == text && w.page == page) return &w;
    return nullptr;
}

// Page `page` (from 1) at `dotsPerMm` dots per millimetre, grey.
inline QImage RasterisePage(const QString& pdf, int page = 1, int dotsPerMm = 20)
{
    const QString out = pdf + QStringLiteral("-p%1").arg(page);
    RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dotsPerMm * 25.4), QStringLiteral("-gray"),
                                         QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                         QString::number(page), QStringLiteral("-singlefile"), pdf, out});
    return QImage(out + QStringLiteral(".pgm")).convertToFormat(QImage::Format_Grayscale8);
}

// Top-left corner (mm) of a word on page 1; (-1, -1) when it is not there.
inline QPointF WordAt(const QString& pdf, const QString& word)
{
    const std::vector<PdfWord> words = PdfWords(pdf);
    const PdfWord* w = FindWord(words, word);
    return w ? w->mm.topLeft() : QPointF(-1, -1);
}

// The first and one past the last dark dot along a row (horizontal) or a
// column of a page, between from and to; (-1, 0) when there is none.
inline std::pair<int, int> DarkSpan(const QImage& img, bool horizontal, int at, int from, int to)
{
    int first = -1, last = -1;
    for (int i = from; i < to; ++i)
        if (qGray(horizontal ? img.pixel(i, at) : img.pixel(at, i)) < 128) {
            if (first < 0) first = i;
            last = i;
        }
    return {first, last + 1};
}

// Made-up printers that print into PDF files.
class FakePrinters : public PrinterDirectory {
public:
    QStringList names;
    QSet<QString> unreachable;
    QHash<QString, QString> files;
    bool acceptsCustom = true;

    QStringList PrinterNames() const override { return names; }
    QString DefaultPrinterName() const override { return names.value(0); }
    bool Connect(QPrinter& device, const QString& name) const override
    {
        if (!names.contains(name) || unreachable.contains(name)) return false;
        device.setOutputFormat(QPrinter::PdfFormat);
        device.setOutputFileName(files.value(name));
        return true;
    }
    QList<QPageSize> PageSizes(const QString&) const override
    {
        return {QPageSize(QPageSize::A4), QPageSize(QPageSize::Letter)};
    }
    bool AcceptsCustomPageSize(const QString&) const override { return acceptsCustom; }
};

// Installs a printer directory for the life of a test.
struct PrintersScope {
    explicit PrintersScope(PrinterDirectory* d) { SetPrinters(d); }
    ~PrintersScope() { SetPrinters(nullptr); }
};

// The format's history: slip number -> values.
inline QMap<qint64, QHash<qint64, QString>> History(const QString& format)
{
    QMap<qint64, QHash<qint64, QString>> out;
    const HistorySlipNumbers numbers = HistorySlipNumbersOf(format);
    EXPECT_TRUE(numbers.ok) << numbers.error.toStdString();
    for (qint64 n : numbers.numbers) out.insert(n, ReadHistorySlip(format, n).values);
    return out;
}

} // namespace slip::test
