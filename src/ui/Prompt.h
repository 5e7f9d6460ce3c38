#pragma once
#include "core/ProgramName.h"
#include "core/Prompter.h"
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace slip {

// The prompter in use; the Qt dialogs unless a test installed another.
Prompter& Prompts();
// Installs p (not owned); nullptr restores the Qt dialogs.
void SetPrompter(Prompter* p);


// Shorthands.
// A message with the OK button: no icon, as every such message of the program.
void MsgBox(const QString& text);
PromptAnswer Question(const QString& text, PromptButtons buttons = PromptButtons::YesNo,
                      PromptIcon icon = PromptIcon::Question, PromptDefault byDefault = PromptDefault::First);
// A Yes/No question whose Yes deletes or overwrites: true only for Yes, and
// Enter answers No.
bool ConfirmLoss(const QString& text);
std::optional<QString> InputBox(const QString& prompt, const QString& title = {},
                                const QString& initial = {});

// Modal Qt dialogs; one asked for without a title shows the program's.
class QtPrompter : public Prompter {
public:
    PromptAnswer Ask(const QString& text, PromptButtons buttons, PromptIcon icon, const QString& title,
                     PromptDefault byDefault = PromptDefault::First) override;
    std::optional<QString> Input(const QString& prompt, const QString& title,
                                 const QString& initial) override;
};

} // namespace slip
