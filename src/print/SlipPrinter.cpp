#include "print/SlipPrinter.h"

#include "core/ProgramName.h"

#include "core/TextNumber.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGlyphRun>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cups/cups.h>

namespace slip {

namespace {
PrinterDirectory* g_installed = nullptr;

// PDF output stands for a printer of common office resolution, so that line
// widths given in printer dots look the same as on such a printer.
constexpr int kPdfDotsPerInch = 600;

// Qt's print engine for CUPS takes extra job options (name, value, name,
// value ...) under this property key.
constexpr auto kCupsJobOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// Hundredths of a millimetre that read back as `points` whole points both by
// rounding (Qt's page) and by cutting (the spooler's paper): between one and
// two hundredths above the exact size (0.03 to 0.06 pt), so that neither
// reading, nor one that loses a hundredth to floating point on the way,
// falls to the point below or rises to the one above.
double HundredthsForPoints(int points)
{
    return std::ceil(points * 2540.0 / 72.0 + 1.0);
}
} // namespace

QPageSize SpoolerPageSize(const QPageSize& size)
{
    // A printer's own paper (A4, or one its driver names) is asked for by its
    // name, and the driver's size for it is the page's.
    if (!size.isValid() || size.id() != QPageSize::Custom || !size.key().startsWith(QLatin1String("Custom.")))
        return size;
    const QSize points = size.sizePoints();
    const QSizeF mm(HundredthsForPoints(points.width()) / 100.0, HundredthsForPoints(points.height()) / 100.0);
    const QPageSize spooled(mm, QPageSize::Millimeter, size.name(), QPageSize::ExactMatch);
    return spooled.sizePoints() == points ? spooled : size;
}

QStringList SpoolerJobOptions()
{
    return {QStringLiteral("print-scaling"), QStringLiteral("none"), QStringLiteral("fit-to-page"),
            QStringLiteral("false")};
}

// --- the machine's printers

QStringList SystemPrinters::PrinterNames() const { return QPrinterInfo::availablePrinterNames(); }

QString SystemPrinters::DefaultPrinterName() const { return QPrinterInfo::defaultPrinterName(); }

bool SystemPrinters::Connect(QPrinter& device, const QString& name) const
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    if (info.isNull() || info.state() == QPrinter::Error) return false;
    device.setOutputFormat(QPrinter::NativeFormat);
    device.setPrinterName(name);
    if (!device.isValid() || device.printerName() != name) return false;
    if (QPrintEngine* engine = device.printEngine()) engine->setProperty(kCupsJobOptions, SpoolerJobOptions());
    return true;
}

QList<QPageSize> SystemPrinters::PageSizes(const QString& name) const
{
    return QPrinterInfo::printerInfo(name).supportedPageSizes();
}

bool SystemPrinters::AcceptsCustomPageSize(const QString& name) const
{
    return QPrinterInfo::printerInfo(name).supportsCustomPageSizes();
}

void SystemPrinters::BeforeSending(const QString& name) const
{
    // Leaves the library's last answer at "ok" (or at why the printer can't be
    // found), so that what Sent reads is the answer to this job.
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.toLocal8Bit().constData(), nullptr);
    if (dest) cupsFreeDests(1, dest);
}

bool SystemPrinters::Sent(const QString& name, QString& error) const
{
    (void)name;
    const ipp_status_t status = cupsLastError();
    if (status <= IPP_STATUS_OK_EVENTS_COMPLETE) return true;
    error = QString::fromLocal8Bit(cupsLastErrorString());
    return false;
}

PrinterDirectory& Printers()
{
    static SystemPrinters system;
    return g_installed ? *g_installed : system;
}

void SetPrinters(PrinterDirectory* d) { g_installed = d; }

// --- the printer

SlipPrinter::SlipPrinter() : paper_(QPageSize::A4)
{
    deviceName_ = Printers().DefaultPrinterName();
    MakeDevice();
}

SlipPrinter::~SlipPrinter()
{
    if (painter_.isActive()) painter_.end();
    DropPartFile();
}

void SlipPrinter::MakeDevice()
{
    SetMetricsDevice(nullptr);
    runFont_ = QRawFont();
    runGlyphOf_.clear();
    device_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (pdf_) {
        device_->setOutputFormat(QPrinter::PdfFormat);
        device_->setOutputFileName(deviceName_);
        device_->setResolution(kPdfDotsPerInch);
        paper_ = QPageSize(QPageSize::A4);
    }
    connected_ = pdf_ || (!deviceName_.isEmpty() && Printers().Connect(*device_, deviceName_));
    if (connected_ && !pdf_) {
        const QPageSize own = device_->pageLayout().pageSize();
        paper_ = own.isValid() ? own : QPageSize(QPageSize::A4);
    }
    orientation_ = QPageLayout::Portrait;
    device_->setFullPage(true);
    SetMetricsDevice(device_.get());
}

void SlipPrinter::UsePrinter(const QString& deviceName) { UseDevice(deviceName, false); }

void SlipPrinter::UsePdfFile(const QString& path) { UseDevice(path, true); }

void SlipPrinter::UseDevice(const QString& name, bool pdf)
{
    if (painter_.isActive()) EndDoc();
    deviceName_ = name;
    pdf_ = pdf;
    jobFailed_ = false;
    MakeDevice();
}

bool SlipPrinter::SetOrientation(QPageLayout::Orientation o)
{
    orientation_ = o;
    return TakePage();
}

bool SlipPrinter::SetPaper(const QPageSize& size)
{
    if (!size.isValid()) return false;
    // A printer that lists its papers and takes no other size has only those
    // (the print system would otherwise take any size and print on whatever
    // paper the printer holds).
    if (connected_ && !pdf_ && !Printers().AcceptsCustomPageSize(deviceName_)) {
        const QList<QPageSize> own = Printers().PageSizes(deviceName_);
        if (!own.isEmpty()
            && std::none_of(own.cbegin(), own.cend(), [&](const QPageSize& p) { return p.isEquivalentTo(size); }))
            return false;
    }
    paper_ = size;
    return TakePage();
}

bool SlipPrinter::ApplyPage()
{
    // Orientation and paper are asked for one by one, never as a layout
    // without margins: a printer whose paper has edges it can't print on
    // refuses such a layout whole and keeps its own page. The printer's
    // margins stay, and as the full page is drawn on they move nothing.
    device_->setFullPage(true);
    const QPageSize paper = DevicePaper();
    bool ok = device_->setPageOrientation(orientation_);
    ok = device_->setPageSize(paper) && ok;
    const QPageLayout got = device_->pageLayout();
    return ok && got.orientation() == orientation_ && got.pageSize().isEquivalentTo(paper)
        && got.mode() == QPageLayout::FullPageMode;
}

bool SlipPrinter::TakePage()
{
    // The page being drawn keeps its set-up; the next page takes it.
    if (painter_.isActive() && !pagePending_) return true;
    // A printer that can't be reached fails its job when the job starts.
    if (!connected_) return true;
    if (ApplyPage()) return true;
    const QPageLayout kept = device_->pageLayout();
    if (!kept.pageSize().isEquivalentTo(DevicePaper())) paper_ = kept.pageSize();
    orientation_ = kept.orientation();
    ApplyPage();
    return false;
}

QString PaperRefusedMessage(const QString& printer, const QPageSize& paper)
{
    const QSizeF mm = paper.size(QPageSize::Millimeter);
    return QStringLiteral("打印机“%1”没有%2×%3毫米的纸张，单据将打印在它现有的纸张上。")
        .arg(printer, NumberText(mm.width()), NumberText(mm.height()));
}

QString OrientationRefusedMessage(const QString& printer, QPageLayout::Orientation o)
{
    return QStringLiteral("打印机“%1”不能%2打印，单据将按它现有的方向打印。")
        .arg(printer, o == QPageLayout::Landscape ? QStringLiteral("横向") : QStringLiteral("纵向"));
}

QPageLayout SlipPrinter::Layout() const
{
    return QPageLayout(paper_, orientation_, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

QPageSize SlipPrinter::DevicePaper() const
{
    // A turned page goes to the spooler as what it is, the paper and the
    // landscape orientation: the spooler turns it onto the paper as the paper
    // is fed, and a printer that takes only its own sizes (A4) still gets
    // its own paper.
    return SpoolerPageSize(paper_);
}

int SlipPrinter::PageWidth() const
{
    const QSizeF mm = Layout().fullRect(QPageLayout::Millimeter).size();
    return int(RoundHalfEven(mm.width() * kPaperTwipsPerMm));
}

int SlipPrinter::PageHeight() const
{
    const QSizeF mm = Layout().fullRect(QPageLayout::Millimeter).size();
    return int(RoundHalfEven(mm.height() * kPaperTwipsPerMm));
}

// A page the set-up had found the printer able to take and the job could
// not have after all.
static QString PageNotTaken(const QString& printer)
{
    return QStringLiteral("打印机“%1”不能按所设的纸张和方向打印。").arg(printer);
}

bool SlipPrinter::Fail(const QString& why)
{
    jobFailed_ = true;
    if (lastError_.isEmpty()) lastError_ = why;
    return false;
}

// A job killed while it wrote left its part beside the file; the next job to
// the same file clears it.
static void ClearKilledParts(const QFileInfo& target)
{
    const QString prefix = QStringLiteral(".") + target.fileName() + QLatin1Char('.');
    const QString suffix = QStringLiteral(".part");
    constexpr int kRandomChars = 6;  // QTemporaryFile's XXXXXX
    const QDir folder = target.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
        if (name.size() == prefix.size() + kRandomChars + suffix.size() && name.startsWith(prefix)
            && name.endsWith(suffix))
            QFile::remove(folder.filePath(name));
}

bool SlipPrinter::BeginJob()
{
    if (jobFailed_) return false;
    lastError_.clear();
    if (!pdf_ && (deviceName_.isEmpty() || !Printers().Connect(*device_, deviceName_)))
        return Fail(QStringLiteral("没有正常连接打印机！"));
    if (pdf_) {
        // The job is written beside the file and put in its place when it is
        // complete.
        const QFileInfo target(deviceName_);
        ClearKilledParts(target);
        QTemporaryFile part(target.absolutePath() + QStringLiteral("/.") + target.fileName()
                            + QStringLiteral(".XXXXXX.part"));
        part.setAutoRemove(false);
        if (deviceName_.isEmpty() || !part.open())
            return Fail(QStringLiteral("无法写入文件：") + QDir::toNativeSeparators(deviceName_));
        partFile_ = part.fileName();
        part.close();
        device_->setOutputFileName(partFile_);
    }
    if (!ApplyPage()) {
        DropPartFile();
        return Fail(PageNotTaken(deviceName_));
    }
    device_->setDocName(ProgramTitle());
    if (!painter_.begin(device_.get())) {
        DropPartFile();
        return Fail(QStringLiteral("打印机无法开始打印。"));
    }
    pagePending_ = false;
    return true;
}

void SlipPrinter::DropPartFile()
{
    if (!partFile_.isEmpty()) QFile::remove(partFile_);
    partFile_.clear();
}

bool SlipPrinter::FinishPdf()
{
    // The writer does not notice a full disk: a file that does not end as a
    // PDF ends is not a printed job.
    QFile f(partFile_);
    bool complete = false;
    if (f.open(QIODevice::ReadOnly) && f.size() > 0) {
        f.seek(std::max<qint64>(0, f.size() - 64));
        complete = f.readAll().contains("%%EOF");
    }
    f.close();
    if (!complete) {
        DropPartFile();
        return Fail(QStringLiteral("无法写入文件：") + QDir::toNativeSeparators(deviceName_));
    }
    // Replaces the earlier file in one step.
    if (std::rename(QFile::encodeName(partFile_).constData(), QFile::encodeName(deviceName_).constData()) != 0) {
        DropPartFile();
        return Fail(QStringLiteral("无法写入文件：") + QDir::toNativeSeparators(deviceName_));
    }
    partFile_.clear();
    return true;
}

void SlipPrinter::PaintText(double x, double y, const QString& text)
{
    const QFont& f = Font();
    // Lines under or through the text belong to each drawn text: those are
    // drawn one by one as they come.
    if (f.underline() || f.strikeOut() || !text.size() || text.size() > 2) {
        DrawGathered();
        PainterSurface::PaintText(x, y, text);
        return;
    }
    QPainter* p = DrawingPainter();
    if (!p) return;
    if (!runFont_.isValid() || !(runFontFor_ == f) || runFontFor_.pointSizeF() != f.pointSizeF()) {
        DrawGathered();
        runFont_ = QRawFont::fromFont(QFont(f, device_.get()));
        runFontFor_ = f;
        runGlyphOf_.clear();
    }
    const quint64 key = ShortTextKey(text);
    auto glyph = runGlyphOf_.constFind(key);
    if (glyph == runGlyphOf_.constEnd()) {
        const QList<quint32> glyphs = runFont_.isValid() ? runFont_.glyphIndexesForString(text) : QList<quint32>();
        glyph = runGlyphOf_.insert(key, glyphs.size() == 1 ? glyphs[0] : 0);
    }
    // A character the font lacks is drawn alone, in the font the painter
    // falls back to.
    if (*glyph == 0) {
        DrawGathered();
        PainterSurface::PaintText(x, y, text);
        return;
    }
    DrawGatheredBoxes();
    if (!runGlyphs_.isEmpty() && runColor_ != ForeColor()) DrawGatheredText();
    runColor_ = ForeColor();
    runGlyphs_ << *glyph;
    runPlaces_ << QPointF(x * DotsPerTwipX(), (y + FontAscent()) * DotsPerTwipY());
}

void SlipPrinter::DrawGatheredText()
{
    if (runGlyphs_.isEmpty()) return;
    if (painter_.isActive()) {
        QGlyphRun run;
        run.setRawFont(runFont_);
        run.setGlyphIndexes(runGlyphs_);
        run.setPositions(runPlaces_);
        painter_.setPen(runColor_);
        painter_.setBrush(Qt::NoBrush);
        painter_.drawGlyphRun(QPointF(0, 0), run);
    }
    runGlyphs_.clear();
    runPlaces_.clear();
}

void SlipPrinter::PaintLine(double x1, double y1, double x2, double y2, const QColor& color)
{
    DrawGathered();
    PainterSurface::PaintLine(x1, y1, x2, y2, color);
}

void SlipPrinter::PaintBox(double x1, double y1, double x2, double y2, const QColor& color)
{
    DrawGatheredText();
    if (!DrawingPainter()) return;
    const std::optional<QRectF> box = BoxInDots(x1, y1, x2, y2);
    if (!box) return;
    if (!boxes_.isEmpty() && boxColor_ != color) DrawGatheredBoxes();
    boxColor_ = color;
    boxes_ << *box;
}

void SlipPrinter::DrawGatheredBoxes()
{
    if (boxes_.isEmpty()) return;
    if (painter_.isActive()) {
        // As a painter fills a rectangle: no outline, the colour as brush,
        // the pen and brush put back, but set once for all the rectangles.
        const QPen pen = painter_.pen();
        const QBrush brush = painter_.brush();
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(boxColor_);
        // Each filled alone, as before: a rasteriser places the edges of a
        // lone rectangle otherwise than those of a path of many.
        for (const QRectF& box : std::as_const(boxes_)) painter_.drawRects(&box, 1);
        painter_.setBrush(brush);
        painter_.setPen(pen);
    }
    boxes_.clear();
}

void SlipPrinter::PaintImage(const QImage& image, double x, double y, double width, double height)
{
    DrawGathered();
    PainterSurface::PaintImage(image, x, y, width, height);
}

QPainter* SlipPrinter::DrawingPainter()
{
    if (jobFailed_) return nullptr;
    if (!painter_.isActive()) {
        if (!BeginJob()) return nullptr;
    } else if (pagePending_) {
        pagePending_ = false;
        if (!TurnPage()) return nullptr;
    }
    return &painter_;
}

bool SlipPrinter::TurnPage()
{
    if (!ApplyPage()) return Fail(PageNotTaken(deviceName_));
    if (!device_->newPage()) return Fail(QStringLiteral("打印机不接受新的一页。"));
    return true;
}

bool SlipPrinter::NewPage()
{
    DrawGathered();
    if (jobFailed_) return false;
    if (!painter_.isActive()) {
        // A page with nothing on it is still a page of the job.
        if (!BeginJob()) return false;
    } else if (pagePending_ && !TurnPage()) {
        return false;
    }
    pagePending_ = true;
    return true;
}

bool SlipPrinter::EndDoc()
{
    DrawGathered();
    if (painter_.isActive()) {
        pagePending_ = false;
        const bool failedBefore = jobFailed_;
        if (!pdf_) Printers().BeforeSending(deviceName_);
        bool ok = painter_.end() && !failedBefore;
        if (ok && pdf_) ok = FinishPdf();
        else if (pdf_) DropPartFile();
        QString why;
        if (ok && !pdf_ && !Printers().Sent(deviceName_, why)) {
            lastError_ = QStringLiteral("打印系统没有接受打印作业：") + why;
            ok = false;
        }
        if (!ok && lastError_.isEmpty()) lastError_ = QStringLiteral("打印作业失败。");
        jobFailed_ = false;
        return ok;
    }
    const bool failed = jobFailed_;
    jobFailed_ = false;
    if (failed) return false;
    lastError_.clear();
    if (pdf_) return !deviceName_.isEmpty();
    if (deviceName_.isEmpty()) return false;
    QPrinter probe(QPrinter::HighResolution);
    return Printers().Connect(probe, deviceName_);
}

void SlipPrinter::KillDoc()
{
    runGlyphs_.clear();
    runPlaces_.clear();
    boxes_.clear();
    if (painter_.isActive()) {
        device_->abort();
        painter_.end();
    }
    DropPartFile();
    pagePending_ = false;
    jobFailed_ = false;
}

SlipPrinter& CurrentPrinter()
{
    // Lives as long as the program: a job left open at exit is not written.
    static SlipPrinter* printer = new SlipPrinter;
    return *printer;
}

} // namespace slip
