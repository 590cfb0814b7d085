// Modal services for window tests: file dialogs answer from a script, message boxes are
// recorded instead of shown.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/Dialogs.h"
#include "ui/Window.h"

namespace fixtures {

class ScriptedModal : public ui::ModalServices {
public:
    ScriptedModal() { ui::SetModalServices(this); }
    ~ScriptedModal() override { ui::SetModalServices(nullptr); }

    /// The next file dialog accepts name.
    void Choose(const std::string& name) { answers.emplace_back(name); }
    /// The next file dialog is cancelled.
    void Cancel() { answers.emplace_back(std::nullopt); }

    std::optional<std::string> ChooseFile(const ui::FileDialog& dialog) override {
        shownNames.push_back(dialog.FileName);
        shownKinds.push_back(dialog.DialogKind);
        if (answers.empty())
            return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowMessage(const ui::Window& owner, const std::string& text) override {
        messages.push_back(text);
        titles.push_back(owner.windowTitle().toStdString());
    }
    void ShowRuntimeError(int code) override { runtimeErrors.push_back(code); }

    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> shownNames;
    std::vector<ui::FileDialog::Kind> shownKinds;
    std::vector<std::string> messages;
    std::vector<std::string> titles;
    std::vector<int> runtimeErrors;
};

}  // namespace fixtures
