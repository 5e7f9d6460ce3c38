#pragma once
#include "print/DrawSurface.h"

#include <QList>
#include <QPageLayout>
#include <QRawFont>
#include <QVector>
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
    // Around handing a finished job to the named printer: whether the print
    // system took it, with the reason in `error` when not. By default a job
    // that was written out counts as taken.
    virtual void BeforeSending(const QString& name) const { (void)name; }
    virtual bool Sent(const QString& name, QString& error) const
    {
        (void)name;
        (void)error;
        return true;
    }
};

// The printers of the print system (CUPS), as Qt sees them.
class SystemPrinters : public PrinterDirectory {
public:
    QStringList PrinterNames() const override;
    QString DefaultPrinterName() const override;
    bool Connect(QPrinter& device, const QString& name) const override;
    QList<QPageSize> PageSizes(const QString& name) const override;
    bool AcceptsCustomPageSize(const QString& name) const override;
    // Asks the spooler whether it took the job (Qt hands the job over
    // without looking at the answer).
    void BeforeSending(const QString& name) const override;
    bool Sent(const QString& name, QString& error) const override;
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
// the job and tells whether the print system took it: a PDF file is written
// beside its place and put there only once it is complete, so a failed job
// never leaves a broken file nor replaces the last good one.
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
    // nothing is drawn on it). Kept for later jobs until changed. False when
    // the printer can't print that way (a paper it doesn't have, an
    // orientation it refuses): it then keeps the page it had, which
    // Orientation() and Paper() tell. A change made while a page is being
    // drawn waits for the next page.
    bool SetOrientation(QPageLayout::Orientation o);
    QPageLayout::Orientation Orientation() const { return orientation_; }
    bool SetPaper(const QPageSize& size);
    QPageSize Paper() const { return paper_; }
    // The sheet as it lies (landscape swaps), in whole twips.
    int PageWidth() const;
    int PageHeight() const;

    // False when the printer refused the page (the job has failed).
    bool NewPage();
    // Sends the open job; with none open, tells whether the printer can be
    // used at all. False when the printer can't be reached or the job failed.
    bool EndDoc();
    // Drops the open job without sending it.
    void KillDoc();
    // The job could not start or a page was refused: what is drawn from now
    // on is passed over, and EndDoc will answer false.
    bool JobFailed() const { return jobFailed_; }
    // Why the last job failed, for the operator; "" when it did not.
    QString LastError() const { return lastError_; }

protected:
    QPainter* DrawingPainter() override;

    // Slips print character by character: consecutive characters of one font
    // and colour are gathered and drawn as one run of glyphs at the places
    // each would have had alone, so that the job neither shapes every
    // character again nor writes a text object for each. A barcode's bars of
    // one colour are gathered the same way. Anything else drawn (or a page,
    // the end of the job) draws what was gathered first.
    void PaintText(double x, double y, const QString& text) override;
    void PaintLine(double x1, double y1, double x2, double y2, const QColor& color) override;
    void PaintBox(double x1, double y1, double x2, double y2, const QColor& color) override;
    void PaintImage(const QImage& image, double x, double y, double width, double height) override;

private:
    void UseDevice(const QString& name, bool pdf);
    void DrawGatheredText();
    void DrawGatheredBoxes();
    void DrawGathered()
    {
        DrawGatheredText();
        DrawGatheredBoxes();
    }
    void MakeDevice();
    // The sheet as the program places things on it (exact millimetres).
    QPageLayout Layout() const;
    // The sheet as the job asks for it (see SpoolerPageSize).
    QPageSize DevicePaper() const;
    // Puts the page set-up on the device; false when the device took
    // another page.
    bool ApplyPage();
    // ApplyPage for a set-up change: between pages only, and a refused
    // set-up gives way to the page the device kept.
    bool TakePage();
    bool BeginJob();
    // Ends the page and begins the next with the set-up asked for.
    bool TurnPage();
    bool Fail(const QString& why);
    bool FinishPdf();
    void DropPartFile();

    QString deviceName_;
    bool pdf_ = false;
    bool connected_ = false;     // the device is the printer (or file) named
    std::unique_ptr<QPrinter> device_;
    QPainter painter_;
    QPageSize paper_;
    QPageLayout::Orientation orientation_ = QPageLayout::Portrait;
    bool pagePending_ = false;   // NewPage came, the next page not begun yet
    bool jobFailed_ = false;     // the job could not start; drawing is passed over
    QString lastError_;
    QString partFile_;           // PDF output being written, put in place by EndDoc

    // The font of the gathered characters as the device resolves it.
    QFont runFontFor_;
    QRawFont runFont_;
    QHash<quint64, quint32> runGlyphOf_;  // glyphs of runFont_ by character (ShortTextKey)
    QColor runColor_;
    QVector<quint32> runGlyphs_;
    QVector<QPointF> runPlaces_;
    QColor boxColor_;
    QVector<QRectF> boxes_;
};

// What the operator is told when a printer keeps its own page: the
// printer's name and what it could not take.
QString PaperRefusedMessage(const QString& printer, const QPageSize& paper);
QString OrientationRefusedMessage(const QString& printer, QPageLayout::Orientation o);

// The printer all printing of the program uses, until the chooser picks
// another.
SlipPrinter& CurrentPrinter();

} // namespace slip
