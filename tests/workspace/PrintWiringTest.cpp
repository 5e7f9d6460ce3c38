#include "BatchUiSupport.h"
#include "ModalScript.h"
#include "PrintTestSupport.h"
#include "PrintUiSupport.h"
#include "ScriptedFileDialog.h"
#include "ScriptedPrompter.h"
#include "TestHome.h"

#include "storage/FormatStore.h"
#include "workspace/BatchPanel.h"
#include "workspace/ImportMapDialog.h"
#include "workspace/MainWindow.h"
#include "workspace/PrintCommands.h"

#include <QAction>
#include <QLabel>
#include <QScrollBar>
#include <gtest/gtest.h>

using namespace slip;
using namespace slip::test;

// Printing wired into the rest of the window: the batch imported through the
// batch panel, printed record by record as the slip shows each, and slips of
// the history printed again.

namespace {

const QString kPrinter = QStringLiteral("柜台打印机");

struct Window {
    TestHome home;
    FakePrinters printers;
    PrintersScope scope{&printers};
    QString pdf;
    std::unique_ptr<MainWindow> mw;
    Window()
    {
        pdf = home.file(QStringLiteral("counter.pdf"));
        printers.names = {kPrinter};
        printers.files[kPrinter] = pdf;
        SlipFormat f;
        MakeStoredFormat(f, QStringLiteral("工行"), {{BoxKind::Text, QStringLiteral("户名")},
                                                     {BoxKind::Text, QStringLiteral("金额"), 104},
                                                     {BoxKind::Text, QStringLiteral("备注")},
                                                     {BoxKind::Check, QStringLiteral("加急")}});
        EXPECT_TRUE(FormatStore::SaveCurrentFormatState(QStringLiteral("工行"), {}).ok);
        mw = std::make_unique<MainWindow>();
        mw->resize(1100, 760);
        mw->Start();
    }
    ~Window()
    {
        mw->Format().SetModified(false);
        mw->close();
    }
    BoxId Id(int index) { return BoxIdAt(mw->Format(), index); }
};

void ImportCsv(Window& w)
{
    const QString csv = w.home.file(QStringLiteral("收款.csv"));
    ASSERT_TRUE(WriteBytes(csv, Gbk(QStringLiteral("户名,金额,备注,加急\r\n"
                                                  "张三,1234.5,第一,是\r\n"
                                                  "李四,88,第二,\r\n"
                                                  "王五,0.5,第三,x\r\n"))));
    ScriptedFileDialog files;
    files.answers = {csv};
    ModalScript script;
    script.Expect<ImportMapDialog>([](ImportMapDialog& d) {
        d.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
        TypeMap(d, 0, QStringLiteral("A"));
        TypeMap(d, 1, QStringLiteral("B"));
        TypeMap(d, 2, QStringLiteral("C"));
        TypeMap(d, 3, QStringLiteral("D"));
        SetRows(d, QStringLiteral("2"), QStringLiteral("4"), QStringLiteral("1"));
        Click(d.okButton);
    });
    w.mw->importBatchAction->trigger();
    ASSERT_TRUE(script.Done());
    ASSERT_EQ(w.mw->batchPanel->Batch().RecordCount(), 3);
}

} // namespace

TEST(PrintWiring, TheImportedBatchPrintsEachRecordAsTheSlipShowsItAndTheSlipStays)
{
    Window w;
    ImportCsv(w);
    w.mw->batchPanel->ShowRecord(2);
    const SlipValues shown = w.mw->Format().Values();
    ASSERT_EQ(shown.value(w.Id(1)), QStringLiteral("李四"));
    ScriptedPrompter prompter;
    ChooserAnswer answer(kPrinter);
    w.mw->printAllAction->trigger();
    EXPECT_EQ(answer.shown, 1);
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.shown.join('\n').toStdString();
    EXPECT_EQ(ReadPdfInfo(w.pdf).pages, 3);
    const auto history = History(QStringLiteral("工行"));
    ASSERT_EQ(history.size(), 3);
    // Converted as the slip converts a value on leaving its box.
    EXPECT_EQ(history[1].value(w.Id(1)), QStringLiteral("张三"));
    EXPECT_EQ(history[1].value(w.Id(2)), QStringLiteral("￥1,234.50"));
    EXPECT_EQ(history[1].value(w.Id(1001)), QStringLiteral("1"));
    EXPECT_EQ(history[2].value(w.Id(2)), QStringLiteral("￥88.00"));
    EXPECT_FALSE(history[2].contains(w.Id(1001)));
    EXPECT_EQ(history[3].value(w.Id(3)), QStringLiteral("第三"));
    // The slip shows the record it showed before the run.
    EXPECT_EQ(w.mw->Format().Values(), shown);
    EXPECT_EQ(w.mw->batchPanel->shownLabel->text(), QStringLiteral("2"));
}

TEST(PrintWiring, SlipsOfTheHistoryPrintAgainOneJobEachAndAreNotStoredAgain)
{
    Window w;
    SlipFormat& f = w.mw->Format();
    f.SetValue(w.Id(1), QStringLiteral("AGAIN"));
    ScriptedPrompter prompter;
    ChooserAnswer answer(kPrinter);
    ASSERT_EQ(w.mw->Print().PrintBill().status, PrintStatus::Printed);
    ASSERT_EQ(History(f.Name()).size(), 1);
    int jobs = 0;
    QObject::connect(&w.mw->Print(), &PrintCommands::printed, [&](const PrintOutcome& o) {
        ++jobs;
        EXPECT_EQ(o.printed, 1);
        EXPECT_EQ(o.stored, 0);
    });
    const SlipValues one{{w.Id(1), QStringLiteral("FIRST")}}, two{{w.Id(1), QStringLiteral("SECOND")}};
    EXPECT_TRUE(w.mw->Print().ReprintSlips({one, two}));
    EXPECT_EQ(answer.shown, 2);  // one choice for the print, one for the reprint
    EXPECT_EQ(jobs, 2);
    EXPECT_EQ(ReadPdfInfo(w.pdf).pages, 1);  // the last job's file
    EXPECT_TRUE(RunTool(QStringLiteral("pdftotext"), {w.pdf, QStringLiteral("-")}).contains(QStringLiteral("SECOND")));
    EXPECT_EQ(History(f.Name()).size(), 1);
    EXPECT_TRUE(prompter.shown.isEmpty());
}
