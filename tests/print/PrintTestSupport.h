#pragma once
#include "print/DrawSurface.h"
#include "print/SlipPrinter.h"

#include <QHash>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

// Readable texts in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace slip::test {

// A surface with fixed, known metrics that records what is drawn on it, so
// layouts can be checked to the twip.
class FakeSurface : public DrawSurface {
public:
    struct Text {
        double x, y;
        QString text;
        double fontSize;
    };
    struct Box {
        double x1, y1, x2, y2;
        QColor color;
    };

    double charWidth = 100;        // every character not in widths
    QHash<QString, double> widths; // per character
    double lineHeight = 200;
    // When set, the width of a text at a font size (overrides the above).
    std::function<double(const QString&, double)> widthAtSize;

    std::vector<Text> texts;
    std::vector<Box> boxes;
    int lines = 0;
    int circles = 0;
    mutable std::vector<double> measuredAt;  // font size at every TextWidth

    double TextWidth(const QString& text) const override
    {
        measuredAt.push_back(FontSize());
        if (widthAtSize) return widthAtSize(text, FontSize());
        double w = 0;
        for (const QChar c : text) w += widths.value(QString(c), charWidth);
        return w;
    }
    double TextHeight(const QString&) const override { return lineHeight; }

    // The texts printed, in order, joined.
    QString PrintedText() const
    {
        QString s;
        for (const Text& t : texts) s += t.text;
        return s;
    }

protected:
    void PaintText(double x, double y, const QString& text) override { texts.push_back({x, y, text, FontSize()}); }
    void PaintLine(double, double, double, double, const QColor&) override { ++lines; }
    void PaintBox(double x1, double y1, double x2, double y2, const QColor& c) override
    {
        boxes.push_back({x1, y1, x2, y2, c});
    }
    void PaintCircle(double, double, double, const QColor&) override { ++circles; }
    void PaintImage(const QImage&, double, double, double, double) override {}
    QPainter* DrawingPainter() override { return nullptr; }
    double DotsPerTwipX() const override { return 1; }
    double DotsPerTwipY() const override { return 1; }
    double FontAscent() const override { return 0; }
};

// Runs an installed tool and returns its standard output; fails the test when
// the tool is missing (scripts/install-deps.sh installs it) or fails.
inline QString RunTool(const QString& tool, const QStringList& args)
{
    const QString exe = QStandardPaths::findExecutable(tool);
    EXPECT_FALSE(exe.isEmpty()) << tool.toStdString() << " is not installed (scripts/install-deps.sh)";
    if (exe.isEmpty()) return {};
    QProcess p;
    p.start(exe, args);
    EXPECT_TRUE(p.waitForFinished(60000)) << tool.toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline double MmToPt(double mm) { return mm / 25.4 * 72.0; }
inline double PtToMm(double pt) { return pt / 72.0 * 25.4; }

// Number of pages and page size (points) of a PDF, from pdfinfo.
struct PdfInfo {
    int pages = 0;
    double widthPt = 0;
    double heightPt = 0;
};
inline PdfInfo ReadPdfInfo(const QString& pdf)
{
    PdfInfo info;
    const QString out = RunTool(QStringLiteral("pdfinfo"), {pdf});
    const auto pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out);
    if (pages.hasMatch()) info.pages = pages.captured(1).toInt();
    const auto size =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(out);
    if (size.hasMatch()) {
        info.widthPt = size.captured(1).toDouble();
        info.heightPt = size.captured(2).toDouble();
    }
    return info;
}

// A printer directory of made-up printers that print into PDF files.
class FakePrinters : public PrinterDirectory {
public:
    QStringList names;
    QSet<QString> unreachable;
    QHash<QString, QString> files;              // printer -> PDF file
    QList<QPageSize> sizes{QPageSize(QPageSize::A4), QPageSize(QPageSize::Letter)};
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
    QList<QPageSize> PageSizes(const QString& name) const override
    {
        return names.contains(name) ? sizes : QList<QPageSize>{};
    }
    bool AcceptsCustomPageSize(const QString&) const override { return acceptsCustom; }
};

// Installs a printer directory for the life of a test.
class PrintersScope {
public:
    explicit PrintersScope(PrinterDirectory* d) { SetPrinters(d); }
    ~PrintersScope() { SetPrinters(nullptr); }
};

} // namespace slip::test
