#pragma once
#include "ui/FileDialogs.h"

#include <deque>
#include <vector>

namespace slip {

// Answers file dialogs from a script and records every request while it
// lives. With an empty script a dialog is cancelled.
class ScriptedFileDialog {
public:
    ScriptedFileDialog()
    {
        SetFileDialogHandler([this](const FileDialogRequest& r) {
            requests.push_back(r);
            if (answers.empty()) return QString();
            QString a = answers.front();
            answers.pop_front();
            return a;
        });
    }
    ~ScriptedFileDialog() { SetFileDialogHandler({}); }
    ScriptedFileDialog(const ScriptedFileDialog&) = delete;
    ScriptedFileDialog& operator=(const ScriptedFileDialog&) = delete;

    std::deque<QString> answers;
    std::vector<FileDialogRequest> requests;
};

} // namespace slip
