#include "ui/Prompt.h"

#include "ui/WindowHelpers.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace slip {

namespace {
Prompter* g_installed = nullptr;

// A box asked for without a title of its own carries the program's.
QString BoxTitle(const QString& title) { return title.isEmpty() ? ProgramTitle() : title; }
}

Prompter& Prompts()
{
    static QtPrompter qtPrompter;
    return g_installed ? *g_installed : qtPrompter;
}

void SetPrompter(Prompter* p) { g_installed = p; }


void MsgBox(const QString& text) { Prompts().Tell(text); }

PromptAnswer Question(const QString& text, PromptButtons buttons, PromptIcon icon, PromptDefault byDefault)
{
    return Prompts().Ask(text, buttons, icon, QString(), byDefault);
}

bool ConfirmLoss(const QString& text)
{
    return Question(text, PromptButtons::YesNo, PromptIcon::Question, PromptDefault::No) == PromptAnswer::Yes;
}

std::optional<QString> InputBox(const QString& prompt, const QString& title, const QString& initial)
{
    return Prompts().Input(prompt, title, initial);
}

PromptAnswer QtPrompter::Ask(const QString& text, PromptButtons buttons, PromptIcon icon,
                             const QString& title, PromptDefault byDefault)
{
    ScopedDialog<QMessageBox> held(DialogParent());
    QMessageBox& box = *held.get();
    box.setWindowTitle(BoxTitle(title));
    // Texts carry names and values from files, servers and the operator:
    // shown as written, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    switch (icon) {
    case PromptIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case PromptIcon::Information: box.setIcon(QMessageBox::Information); break;
    case PromptIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case PromptIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case PromptIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    QAbstractButton* ok = nullptr;
    QAbstractButton* cancel = nullptr;
    QAbstractButton* yes = nullptr;
    QAbstractButton* no = nullptr;
    switch (buttons) {
    case PromptButtons::Ok:
        ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        break;
    case PromptButtons::OkCancel:
        ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        break;
    case PromptButtons::YesNo:
        yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
        break;
    case PromptButtons::YesNoCancel:
        yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
        cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        break;
    }
    if (no && byDefault == PromptDefault::No) box.setDefaultButton(static_cast<QPushButton*>(no));
    box.exec();
    QAbstractButton* clicked = held.get() ? held->clickedButton() : nullptr;
    if (clicked && clicked == yes) return PromptAnswer::Yes;
    if (clicked && clicked == no) return PromptAnswer::No;
    if (clicked && clicked == ok) return PromptAnswer::Ok;
    if (cancel) return PromptAnswer::Cancel;
    // Closed with the window's close box (or gone with its window): the safe
    // answer.
    if (no) return PromptAnswer::No;
    return PromptAnswer::Ok;
}

std::optional<QString> QtPrompter::Input(const QString& prompt, const QString& title,
                                         const QString& initial)
{
    bool ok = false;
    QString text = QInputDialog::getText(DialogParent(), BoxTitle(title), prompt,
                                         QLineEdit::Normal, initial, &ok);
    if (!ok) return std::nullopt;
    return text;
}

} // namespace slip
