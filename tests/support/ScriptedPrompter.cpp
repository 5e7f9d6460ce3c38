#include "ScriptedPrompter.h"

namespace slip {

namespace test {
void (*InstallPrompter)(Prompter*) = nullptr;
} // namespace test

ScriptedPrompter::ScriptedPrompter()
{
    if (test::InstallPrompter) test::InstallPrompter(this);
}

ScriptedPrompter::~ScriptedPrompter()
{
    if (test::InstallPrompter) test::InstallPrompter(nullptr);
}

PromptAnswer ScriptedPrompter::Ask(const QString& text, PromptButtons buttons, PromptIcon icon, const QString&,
                                   PromptDefault byDefault)
{
    shown << text;
    icons << icon;
    if (byDefault == PromptDefault::No) noByDefault << text;
    if (!answers.empty()) {
        PromptAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    switch (buttons) {
    case PromptButtons::Ok:
    case PromptButtons::OkCancel: return PromptAnswer::Ok;
    case PromptButtons::YesNo:
    case PromptButtons::YesNoCancel: return PromptAnswer::Yes;
    }
    return PromptAnswer::Ok;
}

std::optional<QString> ScriptedPrompter::Input(const QString& prompt, const QString&, const QString& initial)
{
    shown << prompt;
    if (!inputs.empty()) {
        auto v = inputs.front();
        inputs.pop_front();
        return v;
    }
    return initial;
}

} // namespace slip
