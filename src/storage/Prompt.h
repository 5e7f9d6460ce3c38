#pragma once
#include "core/Prompter.h"
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

class QWidget;

namespace slip {

// The prompter in use; the Qt dialogs unless a test installed another.
Prompter& Prompts();
// Installs p (not owned); nullptr restores the Qt dialogs.
void SetPrompter(Prompter* p);

// The program's title, used as the caption of message boxes.
QString ProgramTitle();
// Title followed by the version, the main window's caption.
QString ProgramCaption();

// Shorthands.
void MsgBox(const QString& text, PromptIcon icon = PromptIcon::Information);
PromptAnswer Question(const QString& text, PromptButtons buttons = PromptButtons::YesNo,
                      PromptIcon icon = PromptIcon::Question);
std::optional<QString> InputBox(const QString& prompt, const QString& title = {},
                                const QString& initial = {});

// Modal Qt dialogs.
class QtPrompter : public Prompter {
public:
    PromptAnswer Ask(const QString& text, PromptButtons buttons, PromptIcon icon,
                     const QString& title) override;
    std::optional<QString> Input(const QString& prompt, const QString& title,
                                 const QString& initial) override;
};

// Answers from a script and records every text it was shown.
// With an empty script a box is answered with its first button
// (Ok or Yes) and an input box with its initial text.
class ScriptedPrompter : public Prompter {
public:
    ScriptedPrompter();            // installs itself
    ~ScriptedPrompter() override;  // restores the Qt dialogs

    PromptAnswer Ask(const QString& text, PromptButtons buttons, PromptIcon icon,
                     const QString& title) override;
    std::optional<QString> Input(const QString& prompt, const QString& title,
                                 const QString& initial) override;

    std::deque<PromptAnswer> answers;
    std::deque<std::optional<QString>> inputs;
    QStringList shown;   // texts of every box and input box, in order
};

} // namespace slip
