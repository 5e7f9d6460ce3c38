#include "FileBytes.h"
#include "FileSizeLimit.h"
#include "SlipPrintTestSupport.h"

#include "core/DataFolder.h"
#include "print/PrintJobs.h"
#include "ScriptedPrompter.h"
#include "TestHome.h"

#include <QRandomGenerator>

using namespace slip;
using namespace slip::test;

// Print jobs: the shown slip as one page, a batch as one job of one page per
// record, and the history holding exactly the slips the print system took.

namespace {

SlipValues Record(int n)
{
    return {{11, QStringLiteral("REC%1").arg(n)}, {12, n % 2 ? QStringLiteral("1") : QString()}};
}

QVector<SlipValues> Records(int n)
{
    QVector<SlipValues> out;
    for (int i = 1; i <= n; ++i) out << Record(i);
    return out;
}

// Everything a print run works with, printing into a PDF file.
struct PrintRun {
    SlipPrinter printer;
    ScriptedPrompter prompter;
    RecordedProgress progress;
    QString pdf;
    bool cancel = false;
    int choices = 0;
    PrintServices services{printer, prompter, progress, {}, SaveToHistory};

    explicit PrintRun(const QString& file) : pdf(file)
    {
        services.selectPrinter = [this] {
            ++choices;
            if (cancel) return QString();
            printer.UsePdfFile(pdf);
            return pdf;
        };
    }
};

// Puts each record on the slip, as the canvas does when it shows a record.
class CanvasSource : public BatchSlipSource {
public:
    CanvasSource(SlipFormat& f, QVector<SlipValues> records) : f_(f), records_(std::move(records)) {}
    int Count() const override { return int(records_.size()); }
    std::optional<SlipValues> Values(int r) override
    {
        if (r < 1 || r > records_.size()) return std::nullopt;
        for (const Box& b : f_.Boxes()) f_.SetValue(b.id, records_[r - 1].value(b.id));
        return f_.Values();
    }
    QVector<SlipValues> records_;

private:
    SlipFormat& f_;
};

// A three-box slip (a text box, a check box and a picture box) in a fresh home.
struct PrintJobs : ::testing::Test {
    TestHome home;
    SlipFormat f;
    void SetUp() override
    {
        f.Load(SlipHeader(QStringLiteral("进账单"), 180, 90),
               {TextBox(11, QRectF(20, 20, 80, 8)), KindBox(12, BoxKind::Check, QRectF(120, 20, 6, 6)),
                KindBox(13, BoxKind::Picture, QRectF(20, 50, 60, 20), 2)});
    }
};

} // namespace

TEST_F(PrintJobs, ABatchOfNRecordsIsOneJobOfNPagesWithTheGridAndAHistorySlipForEachWithValues)
{
    FormatHeader h = f.Header();
    h.options.printRulers = true;
    f.SetHeader(h);
    f.SetValue(11, QStringLiteral("SHOWN"));
    const SlipValues shown = f.Values();
    PrintRun run(home.file(QStringLiteral("batch.pdf")));
    CanvasSource records(f, {Record(1), {}, Record(3), Record(4), {}});  // blank slips take their pages too
    const PrintOutcome out = PrintAllBills(run.services, f, records, {});
    EXPECT_EQ(out.status, PrintStatus::Printed);
    EXPECT_EQ(out.printed, 5);
    EXPECT_EQ(out.stored, 3);  // a slip without values stores nothing
    EXPECT_EQ(run.choices, 1);
    EXPECT_TRUE(run.prompter.shown.isEmpty());

    EXPECT_EQ(ReadPdfInfo(run.pdf).pages, 5);
    const auto words = PdfWords(run.pdf);
    for (int page = 1; page <= 5; ++page) {
        const PdfWord* w = FindWord(words, QStringLiteral("REC%1").arg(page), page);
        EXPECT_EQ(w != nullptr, page != 2 && page != 5) << page;
        if (w) EXPECT_NEAR(w->mm.left(), 20, 0.2);
        EXPECT_EQ(FindWord(words, QStringLiteral("√"), page) != nullptr, page % 2 == 1 && page != 5) << page;
        // Below the slip only the grid has ink: down to the foot of the A4 page.
        const QRectF grid = InkBounds(RasterisePage(run.pdf, page), QRectF(0, 100, 210, 197));
        EXPECT_NEAR(grid.bottom(), 297, 0.3) << page;
        EXPECT_NEAR(grid.right(), 210, 0.3) << page;
    }
    const auto history = History(f.Name());
    ASSERT_EQ(history.keys(), QList<qint64>({1, 2, 3}));
    EXPECT_EQ(history.value(2).value(11), QStringLiteral("REC3"));
    EXPECT_EQ(history.value(2).value(12), QStringLiteral("1"));
    EXPECT_FALSE(history.value(3).contains(12));
    EXPECT_EQ(run.progress.title, PrintProgressTitle());
    EXPECT_EQ(run.progress.total, 5);
    EXPECT_EQ(run.progress.steps, 5);
    EXPECT_EQ(run.progress.ends, 1);
    // The canvas shows again what it showed before the run.
    EXPECT_EQ(f.Values(), shown);
}

TEST_F(PrintJobs, TheSlipsAreKeptAsPendingBeforeTheJobIsSentAndStoredAfter)
{
    PrintRun run(home.file(QStringLiteral("pending.pdf")));
    QStringList events;
    run.services.keepPending = [&](const QString&, const QVector<SlipValues>& slips) {
        events << QStringLiteral("keep %1, pages so far %2").arg(slips.size()).arg(QFileInfo::exists(run.pdf));
    };
    run.services.dropPending = [&] { events << QStringLiteral("drop"); };
    const HistorySaver store = run.services.saveHistory;
    run.services.saveHistory = [&](const QString& name, const QVector<SlipValues>& slips) {
        events << QStringLiteral("store");
        return store(name, slips);
    };
    CanvasSource records(f, Records(3));
    EXPECT_EQ(PrintAllBills(run.services, f, records, {}).status, PrintStatus::Printed);
    EXPECT_EQ(events, (QStringList{"keep 3, pages so far 0", "store"}));
}

TEST_F(PrintJobs, CancellingThePrinterChoicePrintsAndStoresNothing)
{
    f.SetValue(11, QStringLiteral("SHOWN"));
    PrintRun run(home.file(QStringLiteral("none.pdf")));
    run.cancel = true;
    EXPECT_EQ(PrintBill(run.services, f, {}).status, PrintStatus::Cancelled);
    SlipValueList records(Records(3));
    EXPECT_EQ(PrintAllBills(run.services, f, records, {}).status, PrintStatus::Cancelled);
    EXPECT_EQ(run.choices, 2);
    EXPECT_FALSE(QFileInfo::exists(run.pdf));
    EXPECT_TRUE(History(f.Name()).isEmpty());
    EXPECT_EQ(run.progress.total, -1);  // no progress shown
    EXPECT_TRUE(run.prompter.shown.isEmpty());
    EXPECT_EQ(f.Value(11), QStringLiteral("SHOWN"));
}

TEST_F(PrintJobs, ABatchThatStopsPartWayStoresExactlyTheSlipsItPrinted)
{
    PrintRun run(home.file(QStringLiteral("part.pdf")));
    // The records the run reads from are cut while it runs (the operator
    // deleted rows while the progress window was up): record 4 is gone.
    QVector<SlipValues> list = Records(6);
    class Shrinking : public BatchSlipSource {
    public:
        QVector<SlipValues>* list = nullptr;
        int Count() const override { return 6; }
        std::optional<SlipValues> Values(int r) override
        {
            if (r < 1 || r > list->size()) return std::nullopt;
            return list->at(r - 1);
        }
    } records;
    records.list = &list;
    run.progress.onStep = [&](int done) {
        if (done == 3) list.resize(3);
    };
    const PrintOutcome out = PrintAllBills(run.services, f, records, {});
    EXPECT_EQ(out.status, PrintStatus::Interrupted);
    EXPECT_EQ(out.printed, 3);
    EXPECT_EQ(out.stored, 3);
    EXPECT_EQ(ReadPdfInfo(run.pdf).pages, 3);
    const auto history = History(f.Name());
    ASSERT_EQ(history.size(), 3);
    EXPECT_EQ(history.last().value(11), QStringLiteral("REC3"));
    ASSERT_EQ(run.prompter.shown.size(), 1);
    EXPECT_TRUE(run.prompter.shown[0].startsWith(QStringLiteral("打印中断：6张单据中已打印3张，已保存到历史记录3张。")))
        << run.prompter.shown[0].toStdString();
    EXPECT_EQ(run.progress.ends, 1);
}

TEST_F(PrintJobs, ADiskThatFillsUpPartWayKeepsTheLastFileAndStoresNothing)
{
    // A different picture on every slip, none of which compresses: the PDF
    // grows by a quarter of a megabyte a page or more.
    QVector<SlipValues> records;
    QRandomGenerator random(7);
    for (int i = 1; i <= 20; ++i) {
        QImage noise(500, 400, QImage::Format_RGB32);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x) noise.setPixel(x, y, random.generate() | 0xff000000u);
        const QString path = home.file(QStringLiteral("noise%1.bmp").arg(i));
        ASSERT_TRUE(noise.save(path));
        SlipValues v = Record(i);
        v.insert(13, path);
        records << v;
    }
    PrintRun run(home.file(QStringLiteral("full.pdf")));
    // An earlier job's file is there.
    SlipValueList one({Record(99)});
    run.printer.UsePdfFile(run.pdf);
    ASSERT_EQ(PrintSlipJob(run.services, f, one, {}, false, false).status, PrintStatus::Printed);
    QFile earlier(run.pdf);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    const QByteArray before = earlier.readAll();
    earlier.close();

    SlipValueList batch(records);
    PrintOutcome out;
    {
        FileSizeLimit full(2 * 1024 * 1024);  // the disk is full after a few pages
        out = PrintAllBills(run.services, f, batch, {});
    }

    EXPECT_EQ(out.status, PrintStatus::Failed);
    EXPECT_EQ(out.printed, 0);
    EXPECT_EQ(out.stored, 0);
    EXPECT_EQ(History(f.Name()).size(), 0);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), before);  // the last good file is untouched
    EXPECT_EQ(QDir(home.path()).entryList({QStringLiteral("*.part")}, QDir::Hidden | QDir::Files), QStringList());
    ASSERT_EQ(run.prompter.shown.size(), 1);
    EXPECT_TRUE(run.prompter.shown[0].startsWith(QStringLiteral("打印失败，没有打印任何单据，也没有保存到历史记录。")))
        << run.prompter.shown[0].toStdString();
}

TEST_F(PrintJobs, PrintedSlipsThatTheHistoryCannotTakeAreToldAsPrinted)
{
    f.SetValue(11, QStringLiteral("LOSTHISTORY"));
    // The database is gone and a folder stands in its place.
    ASSERT_TRUE(QFile::remove(DatabasePath()));
    ASSERT_TRUE(QDir().mkpath(DatabasePath()));
    PrintRun run(home.file(QStringLiteral("printed.pdf")));
    const PrintOutcome out = PrintBill(run.services, f, {});
    EXPECT_EQ(out.status, PrintStatus::Printed);
    EXPECT_EQ(out.printed, 1);
    EXPECT_EQ(out.stored, 0);
    EXPECT_FALSE(out.error.isEmpty());
    EXPECT_EQ(ReadPdfInfo(run.pdf).pages, 1);
    ASSERT_EQ(run.prompter.shown.size(), 1);
    EXPECT_TRUE(run.prompter.shown[0].startsWith(QStringLiteral("单据已打印，但没有保存到历史记录。")));
}

TEST_F(PrintJobs, AJobToAFileClearsWhatAKilledJobToItLeft)
{
    PrintRun run(home.file(QStringLiteral("slip.pdf")));
    const QStringList left{".slip.pdf.Ab3xYz.part", ".other.pdf.Ab3xYz.part", ".slip.pdf.Ab3xYz7.part"};
    for (const QString& name : left) ASSERT_TRUE(test::WriteBytes(home.file(name), "%PDF-1.4 cut"));
    run.printer.UsePdfFile(run.pdf);
    SlipValueList one({Record(1)});
    ASSERT_EQ(PrintSlipJob(run.services, f, one, {}, false, false).status, PrintStatus::Printed);
    // Only the killed part of this very file: other files' parts may be live.
    EXPECT_EQ(QDir(home.path()).entryList({QStringLiteral("*.part")}, QDir::Hidden | QDir::Files),
              (QStringList{".other.pdf.Ab3xYz.part", ".slip.pdf.Ab3xYz7.part"}));
}
