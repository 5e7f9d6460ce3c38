#include "CupsSpooler.h"
#include "PrintTestSupport.h"
#include "ProgressWatch.h"
#include "ScriptedPrompter.h"
#include "ShownWindow.h"
#include "TestHome.h"
#include "FileBytes.h"

#include "core/DataFolder.h"
#include "print/Calibration.h"
#include "print/barcode/Code39.h"
#include "storage/FormatStore.h"
#include "ui/SelPrinter.h"
#include "workspace/BatchOnSlip.h"
#include "workspace/BatchPanel.h"
#include "workspace/HistoryPanel.h"
#include "workspace/ImportMapDialog.h"
#include "workspace/MainWindow.h"
#include "workspace/OffsetWizardDialog.h"
#include "workspace/PrintCommands.h"
#include "workspace/SlipMenus.h"

#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QRadioButton>
#include <QPushButton>
#include <QLineEdit>
#include <QLabel>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QThread>

using namespace slip;
using namespace slip::test;

// The main window's print commands, driven as the operator drives them: the
// menu items and buttons, the printer chooser, the offset wizard; each
// reaches its rule and shows its answer.

namespace {

const QString kPrinter = QStringLiteral("柜台打印机");

// Answers the printer chooser whenever it shows: picks `printer`, or cancels
// when it is "".
struct ChooserAnswer {
    QString printer;
    int shown = 0;
    QTimer timer;
    explicit ChooserAnswer(QString p) : printer(std::move(p))
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* chooser = qobject_cast<SelPrinter*>(w);
                if (!chooser || !chooser->isVisible()) continue;
                ++shown;
                chooser->choices->setEditText(printer);
                chooser->buttons[printer.isEmpty() ? 1 : 0]->click();
            }
        });
        timer.start(5);
    }
};

// A made-up printer printing into a PDF file, and a stored format of three
// text boxes opened in the main window.
struct Desk {
    TestHome home;
    FakePrinters printers;
    PrintersScope scope;
    std::unique_ptr<MainWindow> mw;
    QString pdf;

    // On the made-up printer, or on the print system's printers.
    explicit Desk(bool madeUpPrinter = true) : scope(madeUpPrinter ? &printers : nullptr)
    {
        pdf = home.file(QStringLiteral("counter.pdf"));
        printers.names = {kPrinter};
        printers.files[kPrinter] = pdf;
        SlipFormat f;
        FormatHeader h{QStringLiteral("进账单"), 180, 90};
        f.Load(h, {});
        for (int i = 0; i < 3; ++i) {
            Box b = NewBoxOfKind(BoxKind::Text, QPointF(20, 10 + i * 20));
            b.rect.setSize(QSizeF(80, 8));
            b.caption = QStringLiteral("框%1").arg(i + 1);
            b.font.family = QStringLiteral("DejaVu Sans");
            f.AddBox(b);
        }
        QHash<BoxId, BoxId> ids;
        EXPECT_TRUE(FormatStore::Save(f, h.name, false, 15360, ids).ok);
        EXPECT_TRUE(FormatStore::SaveCurrentFormatState(h.name, {}).ok);
        mw = std::make_unique<MainWindow>();
        mw->resize(1000, 700);
        mw->Start();
    }
    ~Desk()
    {
        mw->Format().SetModified(false);
        mw->close();
    }
    SlipFormat& Format() { return mw->Format(); }
    BoxId Id(int i) { return Format().Boxes()[i].id; }
};

QString PdfText(const QString& pdf)
{
    return RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

// Closes every message box that shows, as the operator would with its
// button; keeps what it said, whether its parent was a shown window, and
// whether the printer chooser, closed, was still the active window then.
struct MessageCloser : QObject {
    QStringList texts;
    bool hiddenParent = false;
    bool closedChooserActive = false;
    QTimer timer;
    MessageCloser()
    {
        qApp->installEventFilter(this);
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (!box || !box->isVisible()) continue;
                texts << box->text();
                if (box->parentWidget() && !box->parentWidget()->isVisible()) hiddenParent = true;
                box->buttons().first()->click();
            }
        });
        timer.start();
    }
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Show && qobject_cast<QMessageBox*>(o)) {
            auto* chooser = qobject_cast<SelPrinter*>(QApplication::activeWindow());
            closedChooserActive = closedChooserActive || (chooser && !chooser->isVisible());
        }
        return false;
    }
};

} // namespace

TEST(PrintCommands, AMessageDuringAPrintOnAQueueComesAndGoesAndThePrintGoesOn)
{
    CupsSpooler spooler;
    ASSERT_TRUE(spooler.Ok()) << spooler.Failure().toStdString();
    // Its driver takes only its own paper sizes.
    const QString queue = spooler.AddMarginedPdfPrinter();
    ASSERT_FALSE(queue.isEmpty()) << spooler.Failure().toStdString();
    Desk desk(false);
    SlipOptions o = desk.Format().Options();
    o.setPaper = true;
    desk.Format().SetOptions(o);
    desk.Format().SetValue(desk.Id(0), QStringLiteral("QUEUED"));
    MessageCloser messages;
    ChooserAnswer answer(queue);
    desk.mw->printBillAction->trigger();
    EXPECT_TRUE(messages.closedChooserActive);
    EXPECT_EQ(messages.texts, QStringList({QStringLiteral("对打印机“") + queue + QStringLiteral("”您没有权限添加自定义纸张!")}));
    EXPECT_FALSE(messages.hiddenParent);
    const QString out = spooler.WaitForOutput(queue);
    ASSERT_FALSE(out.isEmpty()) << spooler.Failure().toStdString();
    EXPECT_TRUE(PdfText(out).contains(QStringLiteral("QUEUED")));
    EXPECT_EQ(History(desk.Format().Name()).size(), 1);
}

TEST(PrintCommands, ABarcodeTooWideForItsBoxIsToldWhenEntered)
{
    Desk desk;
    Box picture = NewBoxOfKind(BoxKind::Picture, QPointF(100, 10));  // 30 x 12 mm
    desk.Format().AddBox(picture);
    const BoxId id = desk.Format().Boxes().back().id;
    ScriptedPrompter prompter;
    prompter.inputs = {QStringLiteral("12345678"), QStringLiteral("1234")};
    desk.mw->findChild<SlipMenus*>()->EnterBarcode(id);
    desk.mw->findChild<SlipMenus*>()->EnterBarcode(id);  // fits
    EXPECT_EQ(prompter.shown.mid(1, 1), QStringList({Code39TooNarrowMessage()}));
    EXPECT_EQ(prompter.shown.size(), 3);
    EXPECT_EQ(desk.Format().Value(id), QStringLiteral("1234"));
}

TEST(PrintCommands, PrintStoresTheShownSlipAndPrintAndAddStartsTheNextOnlyWhenItPrinted)
{
    Desk desk;
    desk.Format().SetValue(desk.Id(0), QStringLiteral("NEXT"));
    desk.Format().SetValue(desk.Id(2), QStringLiteral("NO0099"));
    const SlipValues shown = desk.Format().Values();
    ScriptedPrompter prompter;
    {
        ChooserAnswer cancel{QString()};
        desk.mw->findChild<SlipMenus*>()->hooks.printAndAddSlip();
        EXPECT_EQ(cancel.shown, 1);
    }
    EXPECT_EQ(desk.Format().Values(), shown);
    EXPECT_FALSE(QFileInfo::exists(desk.pdf));
    EXPECT_TRUE(History(desk.Format().Name()).isEmpty());

    // "打印当前单据" prints and stores the slip, which stays on the canvas.
    ChooserAnswer answer(kPrinter);
    desk.mw->printBillAction->trigger();
    EXPECT_TRUE(PdfText(desk.pdf).contains(QStringLiteral("NEXT")));
    EXPECT_EQ(History(desk.Format().Name()).value(1).value(desk.Id(2)), QStringLiteral("NO0099"));
    EXPECT_EQ(desk.Format().Values(), shown);
    // "打印并添加单据" then starts the next one.
    desk.mw->findChild<SlipMenus*>()->hooks.printAndAddSlip();
    EXPECT_EQ(answer.shown, 2);
    EXPECT_EQ(History(desk.Format().Name()).size(), 2);
    EXPECT_TRUE(desk.Format().Value(desk.Id(0)).isEmpty());
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST(PrintCommands, TheBatchPrintTakesTwoRecordsOrMoreAndPrintsEachAsTheSlipShowsIt)
{
    Desk desk;
    ScriptedPrompter prompter;
    ChooserAnswer answer(kPrinter);
    MainWindow& mw = *desk.mw;
    // The menu item runs with any batch: the button waits for two records.
    auto batchPrintOn = [&mw] {
        EXPECT_TRUE(mw.printAllAction->isEnabled());
        return mw.printAllButton->isEnabled();
    };
    EXPECT_TRUE(mw.printBillButton->isEnabled());
    EXPECT_EQ(mw.printBillButton->toolTip(), QStringLiteral("打印当前显示的单据。"));
    EXPECT_EQ(mw.printAllButton->toolTip(), QStringLiteral("按照当前单据的格式设置，批量打印所有导入的单据内容。"));
    EXPECT_FALSE(mw.printAllButton->icon().isNull());
    EXPECT_FALSE(batchPrintOn()) << "no batch";
    // With nothing imported the menu prints the slip as it stands, once.
    desk.Format().SetValue(desk.Id(0), QStringLiteral("ASTYPED"));
    mw.printAllAction->trigger();
    EXPECT_EQ(ReadPdfInfo(desk.pdf).pages, 1);
    EXPECT_TRUE(PdfText(desk.pdf).contains(QStringLiteral("ASTYPED")));
    ASSERT_EQ(History(desk.Format().Name()).size(), 1);

    Box amount = desk.Format().Boxes()[1];
    amount.dataType = DataType::FromStored(104);
    ASSERT_TRUE(desk.Format().UpdateBox(amount));
    const QString csv = desk.home.file(QStringLiteral("收款.csv"));
    ASSERT_TRUE(WriteBytes(csv, "ROW1,1234.5,A//B\r\nROW2,88,\r\nROW3,0.5,C\r\n"));
    ImportMaps maps = ImportBoxesOf(desk.Format());
    for (int i = 0; i < 3; ++i) maps.textBoxes[i].map = QString(QChar(u'A' + i));
    const ImportSource source{csv, QString(), ImportFileKind::Csv};
    ASSERT_TRUE(mw.batchPanel->Import(source, ImportRequest{maps, ImportRange{1, 1, 1}}));
    EXPECT_FALSE(batchPrintOn()) << "one record";
    mw.printAllAction->trigger();
    EXPECT_EQ(ReadPdfInfo(desk.pdf).pages, 1);
    EXPECT_TRUE(PdfText(desk.pdf).contains(QStringLiteral("ROW1")));
    ASSERT_EQ(History(desk.Format().Name()).size(), 2);
    ASSERT_TRUE(mw.batchPanel->Import(source, ImportRequest{maps, ImportRange{1, 3, 1}}));
    EXPECT_TRUE(batchPrintOn()) << "three records";
    mw.batchPanel->ShowRecord(2);
    const SlipValues shown = desk.Format().Values();
    mw.printAllButton->click();
    EXPECT_EQ(answer.shown, 3);
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.shown.join('\n').toStdString();
    EXPECT_EQ(ReadPdfInfo(desk.pdf).pages, 3);
    const auto history = History(desk.Format().Name());
    ASSERT_EQ(history.size(), 5);
    // Converted as the slip converts a value on leaving its box.
    EXPECT_EQ(history[3].value(desk.Id(0)), QStringLiteral("ROW1"));
    EXPECT_EQ(history[3].value(desk.Id(1)), QStringLiteral("￥1,234.50"));
    // The slip shows the record it showed before the run.
    EXPECT_EQ(desk.Format().Values(), shown);
    EXPECT_EQ(mw.batchPanel->shownLabel->text(), QStringLiteral("2"));
    mw.batchPanel->ClearRecords(false);
    EXPECT_FALSE(batchPrintOn()) << "cleared";
}

TEST(PrintCommands, SlipsOfTheHistoryPrintAgainOneJobEachAndAreNotStoredAgain)
{
    // A job that fails is told, and the next slip is printed all the same.
    const struct { int failing, printed, told; } cases[] = {{-1, 3, 0}, {1, 2, 1}, {2, 2, 1}};  // failing: the job, or -1
    for (const auto& c : cases) {
        Desk desk;
        ScriptedPrompter prompter;
        ChooserAnswer answer(kPrinter);
        int jobs = 0, done = 0;
        QObject::connect(desk.mw->findChild<PrintCommands*>(), &PrintCommands::printed, [&](const PrintOutcome& o) {
            jobs += o.printed == 1 && o.stored == 0;
            if (++done == c.failing) desk.printers.unreachable.insert(kPrinter);
            else desk.printers.unreachable.remove(kPrinter);
        });
        const auto slip = [&](const char* v) { return SlipValues{{desk.Id(0), QString::fromUtf8(v)}}; };
        {
            test::ProgressWatch watch;
            EXPECT_TRUE(desk.mw->findChild<PrintCommands*>()->ReprintSlips({slip("FIRST"), slip("SECOND"), slip("THIRD")}));
            EXPECT_EQ(watch.titles, QStringList{"正在打印..."});
            EXPECT_EQ(ProgressPosition(), 3) << "a step per slip";
            EXPECT_FALSE(ProgressWindowOpen());
        }
        EXPECT_EQ(answer.shown, 1);  // one choice for the run
        EXPECT_EQ(jobs, c.printed) << c.failing;
        EXPECT_EQ(prompter.shown.size(), c.told) << c.failing;
        EXPECT_TRUE(PdfText(desk.pdf).contains(c.failing != 2 ? QStringLiteral("THIRD") : QStringLiteral("SECOND")));
        EXPECT_EQ(ReadPdfInfo(desk.pdf).pages, 1);  // the last job's file
        EXPECT_TRUE(History(desk.Format().Name()).isEmpty());
    }
}

TEST(PrintCommands, ASlipPrintedWhileTheHistoryIsShownIsListedOnceTheTabIsChosenAgain)
{
    Desk desk;
    ScriptedPrompter prompter;
    ChooserAnswer answer(kPrinter);
    desk.mw->tabs->setCurrentIndex(2);
    const HistoryTableModel& list = *desk.mw->historyPanel->model;
    ASSERT_EQ(list.rowCount(), 0);
    desk.Format().SetValue(desk.Id(0), QStringLiteral("SNAPSHOT"));
    ASSERT_TRUE(desk.mw->findChild<PrintCommands*>()->PrintBill().Done());
    ASSERT_EQ(History(desk.Format().Name()).size(), 1);
    EXPECT_EQ(list.rowCount(), 0);
    desk.mw->tabs->setCurrentIndex(0);
    desk.mw->tabs->setCurrentIndex(2);
    EXPECT_EQ(list.rowCount(), 1);
}

TEST(PrintCommands, TheWizardAddsTheMeasuredShift)
{
    Desk desk;
    desk.Format().SetPrintOffsets(10, 10);
    ScriptedPrompter prompter;
    desk.mw->offsetWizardAction->trigger();
    ASSERT_NE(Shown<ValWizard>(), nullptr);
    EXPECT_EQ(Shown<ValWizard>()->windowTitle(), QStringLiteral("常见打印偏差校正向导"));
    QTest::mouseClick(Shown<ValWizard>()->nextButton, Qt::LeftButton);
    ValValue* value = Shown<ValValue>();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(Shown<ValWizard>(), nullptr);  // one window at a time
    QTest::keyClicks(value->distances[0], QStringLiteral("2.5"));
    value->options[3]->click();  // "内容偏下了"
    QTest::keyClicks(value->distances[3], QStringLiteral("1"));
    QTest::mouseClick(value->doneButton, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(desk.Format().Header().offsetXMm, 7.5);
    EXPECT_DOUBLE_EQ(desk.Format().Header().offsetYMm, 11);
    EXPECT_TRUE(desk.mw->offsetLabel->text().contains(QStringLiteral("7.5")));
    EXPECT_EQ(prompter.shown, QStringList({ValValueDoneMessage()}));
}

TEST(PrintCommands, TheWizardsOtherDeviationsOpenTheManualAtTheirHelpTopics)
{
    Desk desk;
    const QString chm = DataFile(QStringLiteral("KVW.CHM"));
    ASSERT_TRUE(WriteBytes(chm, "ITSF"));
    // A help viewer that notes what it is asked to open, first on the path.
    const QString bin = desk.home.file(QStringLiteral("bin")), asked = desk.home.file(QStringLiteral("asked.txt"));
    const QString viewer = bin + QStringLiteral("/xchm");
    ASSERT_TRUE(QDir().mkpath(bin) && WriteBytes(viewer, QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1.part' && mv '%1.part' '%1'\n").arg(asked).toUtf8()));
    ASSERT_TRUE(QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ':' + path);
    ScriptedPrompter prompter;
    for (const auto& [option, topic] : {std::pair{1, 19}, std::pair{2, 30}, std::pair{3, 31}}) {
        QFile::remove(asked);
        desk.mw->offsetWizardAction->trigger();
        ValWizard* wizard = Shown<ValWizard>();
        ASSERT_NE(wizard, nullptr);
        wizard->options[option]->click();
        QTest::mouseClick(wizard->nextButton, Qt::LeftButton);
        EXPECT_TRUE(!Shown<ValWizard>() && !Shown<ValValue>()) << option;
        QDeadlineTimer guard(20000);  // hang guard only
        while (!QFileInfo::exists(asked) && !guard.hasExpired()) QThread::msleep(20);
        EXPECT_EQ(FileBytes(asked), QStringLiteral("-c\n%1\n%2\n").arg(topic).arg(chm).toUtf8()) << option;
    }
    qputenv("PATH", path);
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.shown.join('\n').toStdString();
}

TEST(PrintCommands, CalibrationPrintsTheFigureThenAsksForTheOffsetsButNotWhileLocked)
{
    Desk desk;
    ScriptedPrompter prompter;
    prompter.answers = {PromptAnswer::Yes};
    int margins = 0;
    desk.mw->findChild<PrintCommands*>()->showPrintMargins = [&] { ++margins; };
    {
        ChooserAnswer answer(kPrinter);
        QTest::mouseClick(desk.mw->calibrateButton, Qt::LeftButton);
        EXPECT_EQ(answer.shown, 1);
    }
    EXPECT_EQ(prompter.shown, QStringList({CalibrationQuestion()}));
    EXPECT_EQ(margins, 1);
    EXPECT_EQ(ReadPdfInfo(desk.pdf).pages, 1);
    SlipOptions o = desk.Format().Options();
    o.locked = true;
    desk.Format().SetOptions(o);
    EXPECT_FALSE(desk.mw->calibrateButton->isEnabled());
}
