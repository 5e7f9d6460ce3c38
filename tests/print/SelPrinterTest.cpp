#include "PrintTestSupport.h"

#include "print/SelPrinter.h"
#include "print/SlipPrinter.h"
#include "storage/Prompt.h"
#include "storage/Registry.h"
#include "storage/Startup.h"
#include "TestHome.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

using namespace slip;
using namespace slip::test;

namespace {

const QString kCounter = QStringLiteral("柜台打印机");
const QString kSlip = QStringLiteral("票据打印机");

QString Remembered() { return GetRegValue(RegRoot(), QStringLiteral("Validate"), QStringLiteral("Printer"), QString()); }

void Remember(const QString& name)
{
    SaveRegValue(RegRoot(), QStringLiteral("Validate"), QStringLiteral("Printer"), name);
}

// Two made-up printers that print into PDF files of the test's folder.
struct Machine {
    TestHome home;
    FakePrinters printers;
    PrintersScope scope{&printers};
    Machine()
    {
        printers.names = {kCounter, kSlip};
        printers.files[kCounter] = home.file(QStringLiteral("counter.pdf"));
        printers.files[kSlip] = home.file(QStringLiteral("slip.pdf"));
    }
};

// Opens the chooser in the printer mode, as a print job does.
QPointer<SelPrinter> Open(SlipPrinter& printer, PrinterDirectory& printers)
{
    auto* w = new SelPrinter(printer, printers);
    w->SetMode(SelPrinter::PrinterMode());
    w->show();
    return w;
}

void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

} // namespace

TEST(SelPrinter, PreselectsTheRememberedThenTheCurrentThenTheFirstPrinter)
{
    const QStringList installed{QStringLiteral("A"), QStringLiteral("B")};
    EXPECT_EQ(PreselectedPrinter(installed, QStringLiteral("A"), QStringLiteral("B")), QStringLiteral("B"));
    // Remembered but no longer installed: the current printer.
    EXPECT_EQ(PreselectedPrinter(installed, QStringLiteral("A"), QStringLiteral("Z")), QStringLiteral("A"));
    EXPECT_EQ(PreselectedPrinter(installed, QString(), QString()), QStringLiteral("A"));
    EXPECT_EQ(PreselectedPrinter({}, QString(), QStringLiteral("B")), QString());
}

TEST(SelPrinter, ListsTheInstalledPrintersWithTheRememberedOneShown)
{
    Machine m;
    Remember(kSlip);
    SlipPrinter printer;  // on the machine's default, the first printer
    ASSERT_EQ(printer.DeviceName(), kCounter);
    QPointer<SelPrinter> w = Open(printer, m.printers);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("选择"));
    EXPECT_EQ(w->COMB->toolTip(), QStringLiteral("要选择的打印机名称。"));
    ASSERT_EQ(w->COMB->count(), 2);
    EXPECT_EQ(w->COMB->itemText(0), kCounter);
    EXPECT_EQ(w->COMB->itemText(1), kSlip);
    EXPECT_EQ(w->COMB->currentText(), kSlip);
    EXPECT_TRUE(ChoiceResult.isEmpty());

    // Typing changes nothing: only a listed printer can be chosen.
    for (const auto& [key, text] : {std::pair{Qt::Key_A, QStringLiteral("a")}, std::pair{Qt::Key_Down, QString()},
                                    std::pair{Qt::Key_Backspace, QString()}}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(w->COMB->lineEdit(), &press);
        QKeyEvent press2(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(w->COMB, &press2);
    }
    EXPECT_EQ(w->COMB->currentText(), kSlip);
    w->close();
    Settle();
    EXPECT_TRUE(w.isNull());
}

TEST(SelPrinter, ARememberedPrinterNoLongerInstalledShowsTheCurrentOne)
{
    Machine m;
    Remember(QStringLiteral("已拆除的打印机"));
    SlipPrinter printer;
    printer.UsePrinter(kSlip);
    QPointer<SelPrinter> w = Open(printer, m.printers);
    EXPECT_EQ(w->COMB->currentText(), kSlip);
    w->close();
    Settle();
}

TEST(SelPrinter, ConfirmingMakesThePrinterTheProgramsAndRemembersIt)
{
    Machine m;
    SlipPrinter printer;
    QPointer<SelPrinter> w = Open(printer, m.printers);
    w->COMB->setCurrentIndex(1);
    w->COM[0]->click();
    Settle();
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(ChoiceResult, kSlip);
    EXPECT_EQ(Remembered(), kSlip);
    EXPECT_EQ(printer.DeviceName(), kSlip);

    // All later printing goes there.
    printer.Print(QStringLiteral("x"));
    ASSERT_TRUE(printer.EndDoc());
    EXPECT_EQ(ReadPdfInfo(m.printers.files[kSlip]).pages, 1);

    // Next time (also in a new printer object, as after a restart) it is shown first.
    SlipPrinter fresh;
    QPointer<SelPrinter> again = Open(fresh, m.printers);
    EXPECT_EQ(again->COMB->currentText(), kSlip);
    again->close();
    Settle();
}

TEST(SelPrinter, CancellingAnswersNothingAndChangesNothing)
{
    Machine m;
    Remember(kSlip);
    SlipPrinter printer;
    ChoiceResult = QStringLiteral("left over");  // cleared when the chooser opens
    QPointer<SelPrinter> w = Open(printer, m.printers);
    ASSERT_EQ(w->COMB->currentText(), kSlip);
    w->COM[1]->click();
    Settle();
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(ChoiceResult, QString());
    EXPECT_EQ(printer.DeviceName(), kCounter);
    EXPECT_EQ(Remembered(), kSlip);

    // Closing the window any other way is a cancel too.
    ChoiceResult = QStringLiteral("left over");
    QPointer<SelPrinter> other = Open(printer, m.printers);
    other->reject();
    Settle();
    EXPECT_TRUE(other.isNull());
    EXPECT_EQ(ChoiceResult, QString());
}

TEST(SelPrinter, APrinterThatCannotBeReachedIsReportedAndAnswersNothing)
{
    Machine m;
    m.printers.unreachable = {kSlip};
    ScriptedPrompter prompter;
    SlipPrinter printer;
    QPointer<SelPrinter> w = Open(printer, m.printers);
    w->COMB->setCurrentIndex(1);
    w->COM[0]->click();
    Settle();
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(prompter.shown, QStringList({QStringLiteral("没有正常连接打印机！")}));
    EXPECT_EQ(ChoiceResult, QString());
}

TEST(SelPrinter, WithNoPrinterInstalledConfirmingAnswersNothing)
{
    TestHome home;
    FakePrinters none;
    PrintersScope scope(&none);
    ScriptedPrompter prompter;
    SlipPrinter printer;
    ASSERT_EQ(printer.DeviceName(), QString());
    QPointer<SelPrinter> w = Open(printer, none);
    EXPECT_EQ(w->COMB->count(), 0);
    EXPECT_EQ(w->COMB->currentText(), QString());
    w->COM[0]->click();
    Settle();
    EXPECT_EQ(prompter.shown, QStringList({QStringLiteral("没有正常连接打印机！")}));
    EXPECT_EQ(ChoiceResult, QString());
}

TEST(SelPrinter, OtherModesListNothing)
{
    Machine m;
    SlipPrinter printer;
    auto* w = new SelPrinter(printer, m.printers);
    QPointer<SelPrinter> guard = w;
    w->SetMode(QStringLiteral("别的"));
    w->show();
    EXPECT_EQ(w->COMB->count(), 0);
    w->close();
    Settle();
    EXPECT_TRUE(guard.isNull());
}
