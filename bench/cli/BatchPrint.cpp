// A batch printer for bench/batch-print-vs-peer.sh, not part of the program.
//
//   slip-batch-print RECORDS.csv OUT.pdf
//     The operator's way: the benchmark's format stored and opened in the main
//     window, the records imported into its batch, then "打印所有单据" on a
//     printer that writes OUT.pdf: the chooser answered, each record put on
//     the slip and its boxes left as typing leaves them, the progress window
//     shown, every printed slip stored in the history (a scratch data folder).
//   slip-batch-print --plain RECORDS.csv OUT.pdf
//     The limit: the same pages drawn straight onto a QPdfWriter, each value
//     converted beforehand, no fitting, no history, no window.
//
// Prints "pages N stored M seconds S" (S: the print alone, from the command
// to the file written).
#include "BenchSlip.h"
#include "ScratchFolders.h"

#include "batch/BatchImport.h"
#include "core/Fonts.h"
#include "core/Units.h"
#include "print/SlipPrinter.h"
#include "print/barcode/Code39.h"
#include "storage/FormatStore.h"
#include "storage/HistoryStore.h"
#include "storage/Schema.h"
#include "ui/SelPrinter.h"
#include "workspace/BatchOnSlip.h"
#include "workspace/BatchPanel.h"
#include "workspace/ImportMapDialog.h"
#include "workspace/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace slip;
using namespace slip::bench;

namespace {

const QString kPrinter = QStringLiteral("批量打印机");

// One printer, printing into a PDF file.
class PdfPrinter : public PrinterDirectory {
public:
    explicit PdfPrinter(QString file) : file_(std::move(file)) {}
    QStringList PrinterNames() const override { return {kPrinter}; }
    QString DefaultPrinterName() const override { return kPrinter; }
    bool Connect(QPrinter& device, const QString& name) const override
    {
        if (name != kPrinter) return false;
        device.setOutputFormat(QPrinter::PdfFormat);
        device.setOutputFileName(file_);
        return true;
    }
    QList<QPageSize> PageSizes(const QString&) const override { return {QPageSize(QPageSize::A4)}; }
    bool AcceptsCustomPageSize(const QString&) const override { return true; }

private:
    QString file_;
};

int ThroughTheWindow(const QString& csv, const QString& out, int records)
{
    EnsureSchema();
    {
        SlipFormat f;
        LoadBenchSlip(f);
        QHash<BoxId, BoxId> ids;
        if (!FormatStore::Save(f, BenchFormatName(), false, 15360, ids).ok
            || !FormatStore::SaveCurrentFormatState(BenchFormatName(), {}).ok) {
            std::fprintf(stderr, "the format could not be stored\n");
            return 1;
        }
    }
    PdfPrinter printer(out);
    SetPrinters(&printer);
    MainWindow mw;
    mw.resize(1100, 760);
    mw.show();
    mw.Start();

    // Column A to L, one a box, in the order of the slip's boxes.
    ImportMaps maps = ImportBoxesOf(mw.Format());
    int column = 0;
    for (QVector<ImportBox>* boxes : {&maps.textBoxes, &maps.checkBoxes, &maps.pictureBoxes})
        for (ImportBox& b : *boxes) b.map = QString(QChar(u'A' + column++));
    ImportRequest request{maps, ImportRange{2, records + 1, 1}};
    if (!mw.batchPanel->Import(ImportSource{csv, QString(), ImportFileKind::Csv}, request)
        || mw.batchPanel->Batch().RecordCount() != records) {
        std::fprintf(stderr, "the records could not be imported\n");
        return 1;
    }

    // The operator picks the printer in the chooser.
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* c = qobject_cast<SelPrinter*>(w); c && c->isVisible()) {
                c->choices->setEditText(kPrinter);
                c->buttons[0]->click();
            }
    });
    chooser.start(2);
    QElapsedTimer clock;
    clock.start();
    mw.printAllAction->trigger();
    const double seconds = clock.nsecsElapsed() / 1e9;
    const int stored = int(HistorySlipNumbersOf(BenchFormatName()).numbers.size());
    std::printf("pages %d stored %d seconds %.3f\n", records, stored, seconds);
    mw.Format().SetModified(false);
    mw.close();
    SetPrinters(nullptr);
    return stored == records ? 0 : 1;
}

// The same pages with nothing but QPainter on a QPdfWriter.
int Plain(const QString& out, const QVector<QStringList>& records)
{
    SlipFormat f;
    LoadBenchSlip(f);
    QElapsedTimer clock;
    clock.start();
    QPdfWriter pdf(out);
    pdf.setResolution(600);
    pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(180, 90), QPageSize::Millimeter), QPageLayout::Portrait, {}));
    QPainter p(&pdf);
    const double dots = 600 / units::kMmPerInch;
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(10.5);
    p.setFont(font);
    for (int r = 0; r < records.size(); ++r) {
        if (r > 0) pdf.newPage();
        const SlipValues values = BenchSlipValues(f, records[r]);
        for (const Box& b : f.Boxes()) {
            const QString v = values.value(b.id);
            const QRectF at(b.rect.x() * dots, b.rect.y() * dots, b.rect.width() * dots, b.rect.height() * dots);
            if (b.kind == BoxKind::Text) {
                p.drawText(at, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, v);
                continue;
            }
            // Code 39 bars across the box: nine elements a character, wide ones three times narrow.
            const QString symbol = Code39Symbol(v);
            const double narrow = at.width() / (symbol.size() * 16.0);
            double x = at.left();
            for (const QChar c : symbol) {
                const char* pattern = Code39PatternTable()[std::max(0, Code39Index(c))];
                for (int e = 0; e < 9; ++e) {
                    const double w = (e % 2 ? pattern[5 + e / 2] : pattern[e / 2]) == '1' ? 3 * narrow : narrow;
                    if (e % 2 == 0) p.fillRect(QRectF(x, at.top(), w, at.height()), Qt::black);
                    x += w;
                }
                x += narrow;
            }
        }
    }
    p.end();
    std::printf("pages %d stored 0 seconds %.3f\n", int(records.size()), clock.nsecsElapsed() / 1e9);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    test::UseScratchFolders(home.path());
    QApplication app(argc, argv);
    const bool plain = argc == 4 && qstrcmp(argv[1], "--plain") == 0;
    if (argc != 3 && !plain) {
        std::fprintf(stderr, "usage: slip-batch-print [--plain] RECORDS.csv OUT.pdf\n");
        return 2;
    }
    const QString csv = QString::fromLocal8Bit(argv[argc - 2]), out = QString::fromLocal8Bit(argv[argc - 1]);
    InstallFontSubstitutions();
    const QVector<QStringList> records = ReadBenchRecords(csv);
    if (records.isEmpty()) {
        std::fprintf(stderr, "no records in %s\n", qPrintable(csv));
        return 1;
    }
    return plain ? Plain(out, records) : ThroughTheWindow(csv, out, int(records.size()));
}
