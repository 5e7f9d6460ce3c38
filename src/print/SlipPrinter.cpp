#include "print/SlipPrinter.h"

#include "core/ProgramName.h"

#include "core/TextNumber.h"

#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <cmath>

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
}

void SlipPrinter::MakeDevice()
{
    SetMetricsDevice(nullptr);
    device_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (pdf_) {
        device_->setOutputFormat(QPrinter::PdfFormat);
        device_->setOutputFileName(deviceName_);
        device_->setResolution(kPdfDotsPerInch);
        paper_ = QPageSize(QPageSize::A4);
    } else if (!deviceName_.isEmpty() && Printers().Connect(*device_, deviceName_)) {
        const QPageSize own = device_->pageLayout().pageSize();
        paper_ = own.isValid() ? own : QPageSize(QPageSize::A4);
    }
    orientation_ = QPageLayout::Portrait;
    device_->setFullPage(true);
    SetMetricsDevice(device_.get());
}

void SlipPrinter::UsePrinter(const QString& deviceName)
{
    if (painter_.isActive()) EndDoc();
    deviceName_ = deviceName;
    pdf_ = false;
    jobFailed_ = false;
    MakeDevice();
}

void SlipPrinter::UsePdfFile(const QString& path)
{
    if (painter_.isActive()) EndDoc();
    deviceName_ = path;
    pdf_ = true;
    jobFailed_ = false;
    MakeDevice();
}

void SlipPrinter::SetOrientation(QPageLayout::Orientation o) { orientation_ = o; }

void SlipPrinter::SetPaper(const QPageSize& size)
{
    if (size.isValid()) paper_ = size;
}

QPageLayout SlipPrinter::Layout() const
{
    return QPageLayout(paper_, orientation_, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

QPageLayout SlipPrinter::DeviceLayout() const
{
    return QPageLayout(SpoolerPageSize(paper_), orientation_, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
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

int SlipPrinter::Resolution() const { return device_->resolution(); }

bool SlipPrinter::BeginJob()
{
    if (jobFailed_) return false;
    if (!pdf_ && (deviceName_.isEmpty() || !Printers().Connect(*device_, deviceName_))) {
        jobFailed_ = true;
        return false;
    }
    device_->setFullPage(true);
    device_->setPageLayout(DeviceLayout());
    device_->setDocName(ProgramTitle());
    if (!painter_.begin(device_.get())) {
        jobFailed_ = true;
        return false;
    }
    pages_ = 1;
    pagePending_ = false;
    return true;
}

QPainter* SlipPrinter::DrawingPainter()
{
    if (!painter_.isActive()) {
        if (!BeginJob()) return nullptr;
    } else if (pagePending_) {
        device_->setPageLayout(DeviceLayout());
        device_->newPage();
        ++pages_;
        pagePending_ = false;
    }
    return &painter_;
}

void SlipPrinter::NewPage()
{
    if (!painter_.isActive()) {
        // A page with nothing on it is still a page of the job.
        if (!BeginJob()) return;
    } else if (pagePending_) {
        device_->setPageLayout(DeviceLayout());
        device_->newPage();
        ++pages_;
    }
    pagePending_ = true;
}

bool SlipPrinter::EndDoc()
{
    if (painter_.isActive()) {
        pagePending_ = false;
        jobFailed_ = false;
        return painter_.end();
    }
    const bool failed = jobFailed_;
    jobFailed_ = false;
    if (failed) return false;
    if (pdf_) return !deviceName_.isEmpty();
    if (deviceName_.isEmpty()) return false;
    QPrinter probe(QPrinter::HighResolution);
    return Printers().Connect(probe, deviceName_);
}

void SlipPrinter::KillDoc()
{
    if (painter_.isActive()) {
        device_->abort();
        painter_.end();
    }
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
