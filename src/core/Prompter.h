#pragma once
#include <QString>
#include <optional>

namespace slip {

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };
enum class PromptIcon { None, Information, Warning, Critical, Question };
// The button that Enter presses: the first one, or No for a question whose Yes
// deletes or overwrites something, so that a hurried Enter loses nothing.
enum class PromptDefault { First, No };

// How code below the windows asks the operator something or tells them
// something. It is passed in; the window layer answers with dialogs, tests
// with a script. The default tells nobody and answers every question with its
// first button (Ok or Yes), which only suits callers that pass one in.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual PromptAnswer Ask(const QString& text, PromptButtons buttons, PromptIcon icon,
                             const QString& title, PromptDefault byDefault = PromptDefault::First) = 0;
    // Empty optional when the operator cancels.
    virtual std::optional<QString> Input(const QString& prompt, const QString& title,
                                         const QString& initial) = 0;

    // A message with the OK button and no icon (one that needs an icon asks).
    void Tell(const QString& text) { Ask(text, PromptButtons::Ok, PromptIcon::None, QString()); }
};

// Says nothing; a question is answered No (or Cancel), an input is cancelled:
// code that has nobody to ask does the safe thing.
class SilentPrompter : public Prompter {
public:
    PromptAnswer Ask(const QString&, PromptButtons buttons, PromptIcon, const QString&, PromptDefault) override
    {
        switch (buttons) {
        case PromptButtons::Ok: return PromptAnswer::Ok;
        case PromptButtons::OkCancel: return PromptAnswer::Cancel;
        default: return PromptAnswer::No;
        }
    }
    std::optional<QString> Input(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
};

} // namespace slip
