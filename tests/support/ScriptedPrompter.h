#pragma once
#include "core/Prompter.h"

#include <QStringList>
#include <deque>

namespace slip {

// Answers from a script and records every text it was shown. With an empty
// script a box is answered with its first button (Ok or Yes) and an input box
// with its initial text. In test programs of the window layers it stands in
// for the dialogs while it lives.
class ScriptedPrompter : public Prompter {
public:
    ScriptedPrompter();
    ~ScriptedPrompter() override;

    PromptAnswer Ask(const QString& text, PromptButtons buttons, PromptIcon icon, const QString& title,
                     PromptDefault byDefault = PromptDefault::First) override;
    std::optional<QString> Input(const QString& prompt, const QString& title,
                                 const QString& initial) override;

    std::deque<PromptAnswer> answers;
    std::deque<std::optional<QString>> inputs;
    QStringList shown;   // texts of every box and input box, in order
    QList<PromptIcon> icons;  // the icon of every box, in order
    QStringList noByDefault;  // texts of the questions that Enter answers No
};

namespace test {
// Set by the test programs of the window layers: puts a prompter in place of
// the dialogs (nullptr restores them).
extern void (*InstallPrompter)(Prompter*);
} // namespace test

} // namespace slip
