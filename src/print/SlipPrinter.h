#pragma once
#include "print/DrawSurface.h"

#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <memory>

class QPrinter;

namespace slip {

// The printers of the machine. The program asks through this seam so that the
// chooser and the paper forms can be exercised without a print server.
class PrinterDirectory {
public:
    virtual ~PrinterDirectory() = default;
    // Installed printers, in the print system's order.
    virtual QStringList PrinterNames() const = 0;
    virtual QString DefaultPrinterName() const = 0;
    // Points device at the named printer; false when it can't be used now.
    virtual bool Connect(QPrinter& device, const QString& name) const = 0;
    // The paper sizes the printer offers, in its own order.
    virtual QList<QPageSize> PageSizes(const QString& name) const = 0;
    // Whether the printer takes a paper size of any width and height.
    virtual bool AcceptsCustomPageSize(const QString& name) const = 0;
};

// The printers of the print system (CUPS), as Qt sees them.
class SystemPrinters : public PrinterDirectory {
public:
    QStringList PrinterNames() const override;
    QString DefaultPrinterName() const override;
    bool Connect(QPrinter& device, const QString& name) const override;
    QList<QPageSize> PageSizes(const QString& name) const override;
    bool AcceptsCustomPageSize(const QString& name) const override;
};

// The page size a print job asks for so that the document and the paper the
// spooler selects are exactly the same size. Qt writes a page in whole points
// (a 180 x 90 mm slip becomes 510 x 255 pt), while it names the paper to the
// spooler by its exact size; CUPS reads that name back in hundredths of a
// millimetre and cuts it to whole points, which can make the paper a point
// smaller or larger than the page (175.6 mm: a 498 pt page on 497 pt paper),
// and the spooler then centres or crops the page and every mark moves by up
// to a quarter of a millimetre. A custom size therefore becomes the size in
// hundredths of a millimetre that both sides read as the same whole points.
// Named sizes (A4 ...) are the printer's own and stay as they are.
QPageSize SpoolerPageSize(const QPageSize& size);

// The options every job on a spooled printer carries: print the page as it
// is. A printer set up to fit documents to its printable area would shrink
// the slip and move every mark.
QStringList SpoolerJobOptions();

// The directory in use; the system's unless a test installed another.
PrinterDirectory& Printers();
// Installs d (not owned); nullptr restores the system's.
void SetPrinters(PrinterDirectory* d);

// The program's printer: one print job at a time on an installed printer or
// into a PDF file, drawn in twips from the sheet's top-left corner. Nothing is
// scaled: an item at x mm, y mm lands x mm, y mm from the paper's corner.
//
// The job starts with the first drawing. NewPage ends the page; the next page
// starts only when something more is drawn (or another NewPage comes), so a
// job of n slips each followed by NewPage has exactly n pages. EndDoc sends
// the job.
class SlipPrinter : public PainterSurface {
public:
    // On the machine's default printer (none when there is no printer).
    SlipPrinter();
    ~SlipPrinter() override;
    SlipPrinter(const SlipPrinter&) = delete;
    SlipPrinter& operator=(const SlipPrinter&) = delete;

    // Prints on an installed printer from now on (an open job is sent first).
    void UsePrinter(const QString& deviceName);
    // Writes the jobs into a PDF file (each job replaces the file).
    void UsePdfFile(const QString& path);
    // The printer's name, the file's path for PDF output, "" for none.
    QString DeviceName() const { return deviceName_; }
    bool IsPdfOutput() const { return pdf_; }

    // Page set-up for the page being started next (the current one while
    // nothing is drawn on it). Kept for later jobs until changed.
    void SetOrientation(QPageLayout::Orientation o);
    QPageLayout::Orientation Orientation() const { return orientation_; }
    void SetPaper(const QPageSize& size);
    QPageSize Paper() const { return paper_; }
    // The sheet as it lies (landscape swaps), in whole twips.
    int PageWidth() const;
    int PageHeight() const;
    // Dots per inch of the drawing device.
    int Resolution() const;

    void NewPage();
    // Sends the open job; with none open, tells whether the printer can be
    // used at all. False when the printer can't be reached or the job failed.
    bool EndDoc();
    // Drops the open job without sending it.
    void KillDoc();
    bool JobOpen() const { return painter_.isActive(); }
    // Pages of the open job, or of the last one sent.
    int PageCount() const { return pages_; }

protected:
    QPainter* DrawingPainter() override;

private:
    void MakeDevice();
    // The sheet as the program places things on it (exact millimetres).
    QPageLayout Layout() const;
    // The sheet as the job asks for it (see SpoolerPageSize).
    QPageLayout DeviceLayout() const;
    bool BeginJob();

    QString deviceName_;
    bool pdf_ = false;
    std::unique_ptr<QPrinter> device_;
    QPainter painter_;
    QPageSize paper_;
    QPageLayout::Orientation orientation_ = QPageLayout::Portrait;
    bool pagePending_ = false;   // NewPage came, the next page not begun yet
    bool jobFailed_ = false;     // the job could not start; drawing is passed over
    int pages_ = 0;
};

// The printer all printing of the program uses, until the chooser picks
// another.
SlipPrinter& CurrentPrinter();

} // namespace slip
