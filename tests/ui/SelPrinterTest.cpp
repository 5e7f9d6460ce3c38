#include "ScriptedPrompter.h"
#include "PrintTestSupport.h"

#include "ui/SelPrinter.h"
#include "core/Registry.h"
#include "TestHome.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QComboBox>
#include <QLineEdit>

using namespace slip;
using namespace slip::test;

namespace {

const QString kCounter = QStringLiteral("柜台打印机");
const QString kSlip = QStringLiteral("票据打印机");

QString Remembered() { return GetRegValue(RegRoot(), QStringLiteral("Validate"), QStringLiteral("Printer"), {}); }

// Two made-up printers printing into PDF files; the chooser opened in the
// printer mode as a print job opens it.
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
    QString answer = QStringLiteral("(none)");
    QPointer<SelPrinter> Open(SlipPrinter& printer)
    {
        auto* w = new SelPrinter(printer, printers);
        QObject::connect(w, &SelPrinter::answered, [this](const QString& a) { answer = a; });
        w->SetMode(SelPrinter::PrinterMode());
        w->show();
        return w;
    }
};

void Click(SelPrinter* w, int button)
{
    w->buttons[button]->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST(SelPrinter, PreselectsTheRememberedThenTheCurrentThenTheFirstPrinter)
{
    const QStringList installed{QStringLiteral("A"), QStringLiteral("B")};
    EXPECT_EQ(PreselectedPrinter(installed, QStringLiteral("A"), QStringLiteral("B")), QStringLiteral("B"));
    EXPECT_EQ(PreselectedPrinter(installed, QStringLiteral("A"), QStringLiteral("gone")), QStringLiteral("A"));
    EXPECT_EQ(PreselectedPrinter(installed, QString(), QString()), QStringLiteral("A"));
    EXPECT_EQ(PreselectedPrinter({}, QString(), QStringLiteral("B")), QString());
}

TEST(SelPrinter, ConfirmingMakesThePrinterTheProgramsAndRemembersIt)
{
    Machine m;
    SlipPrinter printer;  // on the default, the first printer
    QPointer<SelPrinter> w = m.Open(printer);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("选择"));
    EXPECT_EQ(w->choices->count(), 2);
    EXPECT_EQ(w->choices->currentText(), kCounter);
    w->choices->setCurrentIndex(1);
    // Every key in the list is discarded: typing, moving, confirming, cancelling, leaving.
    const std::pair<int, const char*> keys[] = {{Qt::Key_A, "a"}, {Qt::Key_Up, ""}, {Qt::Key_Backspace, "\b"}, {Qt::Key_Tab, "\t"},
                                                {Qt::Key_Escape, ""}, {Qt::Key_Return, "\r"}, {Qt::Key_Enter, "\r"}, {Qt::Key_Down, ""}};
    for (const auto& [key, text] : keys) {
        for (QWidget* list : {static_cast<QWidget*>(w->choices), static_cast<QWidget*>(w->choices->lineEdit())}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString::fromLatin1(text));
            QApplication::sendEvent(list, &press);
            ASSERT_TRUE(w && w->isVisible()) << key;
            EXPECT_EQ(w->choices->currentText() + m.answer, kSlip + QStringLiteral("(none)")) << key;
        }
    }
    Click(w, 0);
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(m.answer, kSlip);
    EXPECT_EQ(Remembered(), kSlip);
    printer.Print(QStringLiteral("x"));  // later printing goes there
    ASSERT_TRUE(printer.EndDoc());
    EXPECT_EQ(ReadPdfInfo(m.printers.files[kSlip]).pages, 1);

    SlipPrinter restarted;  // shown first next time, also after a restart
    QPointer<SelPrinter> again = m.Open(restarted);
    EXPECT_EQ(again->choices->currentText(), kSlip);
    // Cancelling answers nothing and changes nothing.
    Click(again, 1);
    EXPECT_TRUE(again.isNull());
    EXPECT_EQ(m.answer, QString());
    EXPECT_EQ(restarted.DeviceName(), kCounter);
}

TEST(SelPrinter, APrinterThatCannotBeUsedIsReportedAndAnswersNothing)
{
    Machine m;
    m.printers.unreachable = {kSlip};
    SaveRegValue(RegRoot(), QStringLiteral("Validate"), QStringLiteral("Printer"), kSlip);
    ScriptedPrompter prompter;
    SlipPrinter printer;
    QPointer<SelPrinter> w = m.Open(printer);
    EXPECT_EQ(w->choices->currentText(), kSlip);
    Click(w, 0);
    EXPECT_EQ(prompter.shown, QStringList({QStringLiteral("没有正常连接打印机！")}));
    EXPECT_EQ(m.answer, QString());

    m.printers.names.clear();  // no printer installed at all
    SlipPrinter none;
    QPointer<SelPrinter> empty = m.Open(none);
    EXPECT_EQ(empty->choices->count(), 0);
    Click(empty, 0);
    EXPECT_EQ(prompter.shown.size(), 2);
    EXPECT_EQ(m.answer, QString());
}
