#include "ui/SelPrinter.h"

#include "print/SlipPrinter.h"
#include "ui/Prompt.h"
#include "core/CommonHelpers.h"
#include "core/Registry.h"
#include "ui/WindowHelpers.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace slip {

namespace {
const QString kSection = QStringLiteral("Validate");
const QString kName = QStringLiteral("Printer");
} // namespace

QString PreselectedPrinter(const QStringList& installed, const QString& current, const QString& saved)
{
    QString text = current;
    for (const QString& name : installed)
        if (name == saved) text = name;
    if (text.isEmpty() && !installed.isEmpty()) text = installed.first();
    return text;
}

SelPrinter::SelPrinter(QWidget* parent) : SelPrinter(CurrentPrinter(), Printers(), parent) {}

SelPrinter::SelPrinter(SlipPrinter& printer, PrinterDirectory& printers, QWidget* parent)
    : QDialog(parent), printer_(printer), printers_(printers)
{
    Build();
}

QString SelPrinter::PrinterMode() { return QStringLiteral("选择打印机"); }

void SelPrinter::Build()
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("选择"));
    SetTopmost(this);
    answer_.clear();

    choices = new QComboBox(this);
    // Editable only so that it can show a printer that is not in the list;
    // the key filter keeps the operator from typing.
    choices->setEditable(true);
    choices->lineEdit()->setReadOnly(true);
    choices->setInsertPolicy(QComboBox::NoInsert);
    choices->setMinimumWidth(260);
    choices->setToolTip(QStringLiteral("要选择的打印机名称。"));
    choices->installEventFilter(this);
    choices->lineEdit()->installEventFilter(this);
    choices->view()->installEventFilter(this);

    auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("确定"), this);
    auto* cancel =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("取消"), this);
    ok->setDefault(true);
    buttons = {ok, cancel};
    connect(ok, &QPushButton::clicked, this, [this] { COM_Click(0); });
    connect(cancel, &QPushButton::clicked, this, [this] { COM_Click(1); });

    auto* row = new QHBoxLayout(this);
    row->addWidget(choices, 1);
    row->addWidget(ok);
    row->addWidget(cancel);
    adjustSize();

    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->geometry();
        move(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 2);
    }
}

void SelPrinter::LoadPrinterNames()
{
    choices->clear();
    const QStringList installed = printers_.PrinterNames();
    choices->addItems(installed);
    const QString saved = GetRegValue(RegRoot(), kSection, kName, QString());
    choices->setEditText(PreselectedPrinter(installed, printer_.DeviceName(), saved));
}

void SelPrinter::showEvent(QShowEvent* e)
{
    // Filled whenever the window is shown, so it lists the printers installed
    // now; switching to another program and back keeps the operator's pick.
    if (mode_ == PrinterMode()) LoadPrinterNames();
    QDialog::showEvent(e);
}

bool SelPrinter::eventFilter(QObject* watched, QEvent* e)
{
    // Every key pressed in the list is discarded: only a listed printer can
    // be chosen, with the mouse, and confirmed or cancelled with the buttons.
    if ((watched == choices || watched == choices->lineEdit() || watched == choices->view())
        && e->type() == QEvent::KeyPress) {
        e->accept();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void SelPrinter::COM_Click(int index)
{
    if (index == 0) {
        const QString chosen = choices->currentText();
        answer_ = chosen;
        if (mode_ == PrinterMode()) {
            if (printers_.PrinterNames().contains(chosen)) {
                if (QString why; !SaveRegValue(RegRoot(), kSection, kName, chosen, &why))
                    MsgBox(WithSystemText(QStringLiteral("打印机设置保存失败！"), why));
                printer_.UsePrinter(chosen);
            }
            if (!printer_.EndDoc()) {
                MsgBox(QStringLiteral("没有正常连接打印机！"));
                answer_.clear();
            }
        }
    }
    emit answered(answer_);
    close();
}

} // namespace slip
