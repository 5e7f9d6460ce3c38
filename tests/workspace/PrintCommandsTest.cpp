#include "PrintTestSupport.h"
#include "PrintUiSupport.h"
#include "ScriptedPrompter.h"
#include "TestHome.h"

#include "print/Calibration.h"
#include "print/SlipPrinter.h"
#include "storage/FormatStore.h"
#include "storage/HistoryStore.h"
#include "ui/SelPrinter.h"
#include "workspace/HelpLinks.h"
#include "workspace/HistoryPanel.h"
#include "workspace/MainWindow.h"
#include "workspace/OffsetWizardDialog.h"
#include "workspace/PrintCommands.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace slip;
using namespace slip::test;

// The main window's print commands, driven as the operator drives them: the
// menu items and buttons, the printer chooser, the offset wizard.

namespace {

const QString kPrinter = QStringLiteral("柜台打印机");

// A made-up printer printing into a PDF file, and a stored format of three
// text boxes opened in the main window.
struct Desk {
    TestHome home;
    FakePrinters printers;
    PrintersScope scope{&printers};
    std::unique_ptr<MainWindow> mw;
    QString pdf;

    Desk()
    {
        pdf = home.file(QStringLiteral("counter.pdf"));
        printers.names = {kPrinter};
        printers.files[kPrinter] = pdf;
        SlipFormat f;
        FormatHeader h;
        h.name = QStringLiteral("进账单");
        h.widthMm = 180;
        h.heightMm = 90;
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

} // namespace

TEST(PrintCommands, PrintMenuItemsAndTheCalibrateButtonWorkOnAnOpenFormat)
{
    Desk desk;
    ASSERT_TRUE(desk.Format().IsOpen());
    for (QAction* a : {desk.mw->printBillAction, desk.mw->printAllAction, desk.mw->offsetWizardAction})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    EXPECT_EQ(desk.mw->printBillAction->text(), QStringLiteral("打印当前单据"));
    EXPECT_EQ(desk.mw->printAllAction->text(), QStringLiteral("打印所有单据"));
    EXPECT_EQ(desk.mw->offsetWizardAction->text(), QStringLiteral("打印校准向导"));
    EXPECT_TRUE(desk.mw->calibrateButton->isEnabled());
    // The calibration sets the offsets: not while the format is locked.
    SlipOptions o = desk.Format().Options();
    o.locked = true;
    desk.Format().SetOptions(o);
    EXPECT_FALSE(desk.mw->calibrateButton->isEnabled());
    o.locked = false;
    desk.Format().SetOptions(o);
    EXPECT_TRUE(desk.mw->calibrateButton->isEnabled());
}

TEST(PrintCommands, TheShownSlipPrintsOnTheChosenPrinterAndEntersTheHistory)
{
    Desk desk;
    desk.Format().SetValue(desk.Id(0), QStringLiteral("CANVAS"));
    desk.Format().SetValue(desk.Id(1), QStringLiteral("LINE1\nLINE2"));
    ScriptedPrompter prompter;
    ChooserAnswer answer(kPrinter);
    desk.mw->printBillAction->trigger();
    EXPECT_EQ(answer.shown, 1);
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.shown.join('\n').toStdString();
    EXPECT_EQ(ReadPdfInfo(desk.pdf).pages, 1);
    EXPECT_TRUE(PdfText(desk.pdf).contains(QStringLiteral("CANVAS")));
    const auto history = History(desk.Format().Name());
    ASSERT_EQ(history.size(), 1);
    EXPECT_EQ(history.first().value(desk.Id(0)), QStringLiteral("CANVAS"));
    EXPECT_EQ(history.first().value(desk.Id(1)), QStringLiteral("LINE1\r\nLINE2"));  // as the history keeps breaks
    EXPECT_EQ(desk.Format().Value(desk.Id(0)), QStringLiteral("CANVAS"));  // the slip stays on the canvas
}

TEST(PrintCommands, PrintAndAddClearsTheSlipOnlyWhenItPrinted)
{
    Desk desk;
    desk.Format().SetValue(desk.Id(0), QStringLiteral("NEXT"));
    ScriptedPrompter prompter;
    {
        ChooserAnswer cancel{QString()};
        EXPECT_FALSE(desk.mw->Print().PrintAndAddBill());
        EXPECT_EQ(cancel.shown, 1);
    }
    EXPECT_EQ(desk.Format().Value(desk.Id(0)), QStringLiteral("NEXT"));
    EXPECT_FALSE(QFileInfo::exists(desk.pdf));
    EXPECT_TRUE(History(desk.Format().Name()).isEmpty());

    ChooserAnswer answer(kPrinter);
    EXPECT_TRUE(desk.mw->Print().PrintAndAddBill());
    EXPECT_TRUE(desk.Format().Value(desk.Id(0)).isEmpty());
    EXPECT_EQ(History(desk.Format().Name()).size(), 1);
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST(PrintCommands, TheBatchPrintsEveryRecordConvertedAndTheCanvasKeepsItsSlip)
{
    Desk desk;
    Box postcode = desk.Format().Boxes()[2];
    postcode.dataType = DataType::FromStored(109);  // six digits
    ASSERT_TRUE(desk.Format().UpdateBox(postcode));
    desk.Format().SetValue(desk.Id(0), QStringLiteral("SHOWN"));
    const SlipValues shown = desk.Format().Values();
    BatchDataSet set;
    QVector<BatchColumn> columns;
    for (int i = 0; i < 3; ++i) columns << BatchColumn{desk.Id(i), i + 1, QStringLiteral("框%1").arg(i + 1)};
    set.Reset(columns, {{QStringLiteral("ROW1"), QStringLiteral("A//B"), QStringLiteral("12")},
                        {QStringLiteral("ROW2"), QString(), QStringLiteral("34")},
                        {QStringLiteral("ROW3"), QStringLiteral("C"), QStringLiteral("56")}});
    desk.mw->Print().batchRecords = [&] { return std::make_unique<BatchDataSetSlips>(set, desk.Format(), QStringLiteral("//")); };
    ScriptedPrompter prompter;
    ChooserAnswer answer(kPrinter);
    desk.mw->printAllAction->trigger();
    EXPECT_EQ(answer.shown, 1);
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.shown.join('\n').toStdString();
    EXPECT_EQ(ReadPdfInfo(desk.pdf).pages, 3);
    const auto history = History(desk.Format().Name());
    ASSERT_EQ(history.size(), 3);
    EXPECT_EQ(history[1].value(desk.Id(0)), QStringLiteral("ROW1"));
    EXPECT_EQ(history[1].value(desk.Id(1)), QStringLiteral("A\r\nB"));
    EXPECT_EQ(history[1].value(desk.Id(2)), QStringLiteral("000012"));
    EXPECT_FALSE(history[2].contains(desk.Id(1)));
    EXPECT_EQ(history[3].value(desk.Id(2)), QStringLiteral("000056"));
    EXPECT_EQ(desk.Format().Values(), shown);
}

TEST(PrintCommands, WithoutImportedRecordsTheBatchIsTheShownSlipOnce)
{
    Desk desk;
    desk.Format().SetValue(desk.Id(0), QStringLiteral("ALONE"));
    ScriptedPrompter prompter;
    ChooserAnswer answer(kPrinter);
    desk.mw->printAllAction->trigger();
    EXPECT_EQ(ReadPdfInfo(desk.pdf).pages, 1);
    ASSERT_EQ(History(desk.Format().Name()).size(), 1);
    EXPECT_EQ(History(desk.Format().Name()).first().value(desk.Id(0)), QStringLiteral("ALONE"));
}

TEST(PrintCommands, TheWizardAddsTheMeasuredShiftToTheOffsets)
{
    Desk desk;
    desk.Format().SetPrintOffsets(10, 10);
    ScriptedPrompter prompter;
    desk.mw->offsetWizardAction->trigger();
    ValWizard* wizard = desk.mw->Print().Wizard().WizardWindow();
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(wizard->windowTitle(), QStringLiteral("常见打印偏差校正向导"));
    EXPECT_TRUE(wizard->options[0]->isChecked());
    EXPECT_TRUE(wizard->pictures[0]->isVisibleTo(wizard));
    EXPECT_FALSE(wizard->pictures[1]->isVisibleTo(wizard));
    EXPECT_EQ(wizard->options[0]->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(wizard->options[1]->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QTest::mouseClick(wizard->nextButton, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    ValValue* value = desk.mw->Print().Wizard().ValueWindow();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(desk.mw->Print().Wizard().WizardWindow(), nullptr);  // one window at a time
    EXPECT_TRUE(value->options[0]->isChecked());
    EXPECT_TRUE(value->options[2]->isChecked());
    EXPECT_FALSE(value->distances[1]->isEnabled());
    QTest::keyClicks(value->distances[0], QStringLiteral("2.5"));
    value->options[3]->click();  // "内容偏下了"
    EXPECT_FALSE(value->distances[2]->isEnabled());
    EXPECT_TRUE(value->distances[3]->isEnabled());
    value->distances[2]->setText(QStringLiteral("99"));  // left in a box not chosen: not read
    QTest::keyClicks(value->distances[3], QStringLiteral("1"));
    QTest::mouseClick(value->doneButton, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(desk.Format().Header().offsetXMm, 7.5);
    EXPECT_DOUBLE_EQ(desk.Format().Header().offsetYMm, 11);
    EXPECT_EQ(prompter.shown, QStringList({ValValueDoneMessage()}));
    EXPECT_TRUE(desk.mw->offsetLabel->text().contains(QStringLiteral("7.5")));

    // Run again from the help menu the corrections add up; "上 一 步" goes back.
    desk.mw->offsetWizardAction->trigger();
    QTest::mouseClick(desk.mw->Print().Wizard().WizardWindow()->nextButton, Qt::LeftButton);
    value = desk.mw->Print().Wizard().ValueWindow();
    ASSERT_NE(value, nullptr);
    value->options[1]->click();  // "内容偏右了"
    QTest::keyClicks(value->distances[1], QStringLiteral("0.5"));
    QTest::mouseClick(value->doneButton, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(desk.Format().Header().offsetXMm, 8);
    EXPECT_DOUBLE_EQ(desk.Format().Header().offsetYMm, 11);  // "内容偏上了" with nothing typed: no change
    desk.mw->offsetWizardAction->trigger();
    QTest::mouseClick(desk.mw->Print().Wizard().WizardWindow()->nextButton, Qt::LeftButton);
    QTest::mouseClick(desk.mw->Print().Wizard().ValueWindow()->backButton, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_NE(desk.mw->Print().Wizard().WizardWindow(), nullptr);
    EXPECT_TRUE(desk.mw->Print().Wizard().WizardWindow()->isVisible());
    EXPECT_EQ(desk.mw->Print().Wizard().ValueWindow(), nullptr);
}

TEST(PrintCommands, TheWizardsHelpTopicsOpenTheManualOrSayThereIsNone)
{
    Desk desk;
    ScriptedPrompter prompter;
    ASSERT_TRUE(FindManual(ManualFolders()).isEmpty());
    for (int option : {1, 2, 3}) {
        desk.mw->offsetWizardAction->trigger();
        ValWizard* wizard = desk.mw->Print().Wizard().WizardWindow();
        ASSERT_NE(wizard, nullptr);
        wizard->options[option]->click();
        EXPECT_TRUE(wizard->pictures[option]->isVisibleTo(wizard));
        QTest::mouseClick(wizard->nextButton, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(desk.mw->Print().Wizard().WizardWindow(), nullptr);
        EXPECT_EQ(desk.mw->Print().Wizard().ValueWindow(), nullptr);
    }
    EXPECT_EQ(prompter.shown, QStringList({NoManualMessage(), NoManualMessage(), NoManualMessage()}));
}

TEST(PrintCommands, CalibrationPrintsTheFigureOnA4ThenAsksForTheOffsets)
{
    Desk desk;
    ScriptedPrompter prompter;
    prompter.answers = {PromptAnswer::Yes};
    int margins = 0;
    desk.mw->Print().showPrintMargins = [&] { ++margins; };
    {
        ChooserAnswer answer(kPrinter);
        QTest::mouseClick(desk.mw->calibrateButton, Qt::LeftButton);
        EXPECT_EQ(answer.shown, 1);
    }
    EXPECT_EQ(prompter.shown, QStringList({CalibrationQuestion()}));
    EXPECT_EQ(margins, 1);
    const PdfInfo info = ReadPdfInfo(desk.pdf);
    EXPECT_EQ(info.pages, 1);
    EXPECT_NEAR(info.widthMm, 210, 0.2);
    EXPECT_NEAR(info.heightMm, 297, 0.2);
    RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-gray"),
                                         QStringLiteral("-singlefile"), desk.pdf, desk.pdf});
    const QImage img = QImage(desk.pdf + QStringLiteral(".pgm")).convertToFormat(QImage::Format_Grayscale8);
    int left = -1, right = -1;
    for (int x = 0; x < 400; ++x)
        if (qGray(img.pixel(x, 150)) < 128) {
            if (left < 0) left = x;
            right = x + 1;
        }
    EXPECT_NEAR(left, 100, 1);  // 10 mm at 10 dots per millimetre
    EXPECT_NEAR(right, 200, 1);

    // Cancelling the printer skips the figure; the offsets are still asked for.
    QFile::remove(desk.pdf);
    {
        ChooserAnswer cancel{QString()};
        desk.mw->Print().PrintCalibration();
    }
    EXPECT_EQ(margins, 2);
    EXPECT_FALSE(QFileInfo::exists(desk.pdf));
    // Without a margins dialog the wizard's offset window opens.
    desk.mw->Print().showPrintMargins = nullptr;
    {
        ChooserAnswer cancel{QString()};
        desk.mw->Print().PrintCalibration();
    }
    ASSERT_NE(desk.mw->Print().Wizard().ValueWindow(), nullptr);
    EXPECT_TRUE(desk.mw->Print().Wizard().ValueWindow()->isVisible());
}
