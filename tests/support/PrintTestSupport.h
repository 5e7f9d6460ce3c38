#pragma once
#include "print/DrawSurface.h"
#include "print/SlipPrinter.h"

#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

// Readable texts in failure messages.
#ifndef SLIP_TEST_QSTRING_PRINTTO
#define SLIP_TEST_QSTRING_PRINTTO
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
#endif

namespace slip::test {

// A surface with fixed metrics (characters charWidth wide, lines lineHeight
// high, or widthAtSize) that records what is drawn on it, to the twip.
class FakeSurface : public DrawSurface {
public:
    struct Text { double x, y; QString text; };
    struct Box { double x1, y1, x2, y2; QColor color; };
    struct Line { double x1, y1, x2, y2; QColor color; int width; };
    struct Circle { double x, y, r; };
    double charWidth = 100;
    double lineHeight = 200;
    std::function<double(const QString&, double)> widthAtSize;
    std::vector<Text> texts;
    std::vector<Box> boxes;
    std::vector<Line> lines;
    std::vector<Circle> circles;
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
        lines.push_back({x1, y1, x2, y2, c, DrawWidth()});
    }
    void PaintCircle(double x, double y, double r, const QColor&) override { circles.push_back({x, y, r}); }
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

} // namespace slip::test
