#pragma once
#include "PrintTestSupport.h"

#include "model/SlipFormat.h"
#include "print/PrintJobs.h"
#include "storage/HistoryStore.h"

#include <QImage>
#include <memory>
#include <vector>

namespace slip::test {

// Bounds (mm) of the ink darker than mid grey inside a window (mm).
inline QRectF InkBounds(const QImage& img, const QRectF& windowMm, double dotsPerMm = 20)
{
    int l = INT_MAX, t = INT_MAX, r = -1, b = -1;
    const int x0 = std::max(0, int(windowMm.left() * dotsPerMm)), x1 = std::min(img.width(), int(windowMm.right() * dotsPerMm));
    const int y0 = std::max(0, int(windowMm.top() * dotsPerMm)), y1 = std::min(img.height(), int(windowMm.bottom() * dotsPerMm));
    for (int y = y0; y < y1; ++y) {
        const uchar* row = img.constScanLine(y);
        for (int x = x0; x < x1; ++x)
            if (row[x] < 128) {
                l = std::min(l, x);
                r = std::max(r, x);
                t = std::min(t, y);
                b = std::max(b, y);
            }
    }
    if (r < 0) return QRectF();
    return QRectF(QPointF(l / dotsPerMm, t / dotsPerMm), QPointF((r + 1) / dotsPerMm, (b + 1) / dotsPerMm));
}

// Boxes of each kind, for building test formats.
inline Box TextBox(BoxId id, QRectF mm, double dataType = 0, double pointSize = 12,
                   const QString& family = QStringLiteral("DejaVu Sans"))
{
    Box b;
    b.id = id;
    b.kind = BoxKind::Text;
    b.rect = mm;
    b.dataType = DataType::FromStored(dataType);
    b.font.family = family;
    b.font.pointSize = pointSize;
    b.caption = QStringLiteral("框%1").arg(id);
    return b;
}

inline Box KindBox(BoxId id, BoxKind kind, QRectF mm, double pointSize = 12)
{
    Box b = TextBox(id, mm, 0, pointSize);
    b.kind = kind;
    return b;
}

inline Box LineBox(BoxId id, QLineF mm, int style = 1, double width = 8)
{
    Box b;
    b.id = id;
    b.kind = BoxKind::Line;
    b.line = mm;
    b.lineStyle = style;
    b.lineWidth = width;
    return b;
}

inline FormatHeader SlipHeader(const QString& name, double w, double h, double offX = 10, double offY = 10)
{
    FormatHeader hd;
    hd.name = name;
    hd.widthMm = w;
    hd.heightMm = h;
    hd.offsetXMm = offX;
    hd.offsetYMm = offY;
    return hd;
}

// The history as the program stores it: each slip's non-empty values by
// box record ID, in one transaction.
inline HistorySaveOutcome SaveToHistory(const QString& format, const QVector<SlipValues>& slips)
{
    QVector<HistorySlip> stored;
    for (const SlipValues& v : slips) {
        HistorySlip s;
        for (auto it = v.cbegin(); it != v.cend(); ++it) s << HistoryValue{it.key(), it.value()};
        stored << s;
    }
    const HistoryBatchSaveResult r = SaveHistorySlips(format, stored);
    HistorySaveOutcome out;
    out.ok = r.ok;
    out.error = r.error;
    for (qint64 n : r.slipNumbers) out.stored += n > 0 ? 1 : 0;
    return out;
}

// Progress as reported, step by step.
struct RecordedProgress : ProgressReporter {
    QString title;
    int total = -1, steps = 0, ends = 0;
    std::function<void(int)> onStep;
    void Start(const QString& t, int n) override { title = t; total = n; }
    void Step(int n, const QString&) override
    {
        steps += n;
        if (onStep) onStep(steps);
    }
    void End() override { ++ends; }
};

} // namespace slip::test
