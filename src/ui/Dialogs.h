// The modal pieces: the open and save file dialogs and the message box. They run through a
// replaceable set of modal services, so that tests can script what the user picks.
#pragma once

#include <optional>
#include <string>

namespace ui {

class Window;

/// A file dialog's settings and the name it holds.
class FileDialog {
public:
    enum class Kind { Open, Save };

    explicit FileDialog(Window* owner) : Owner(owner) {}

    /// Shows the dialog modally, opening on FileName. When the user accepts, FileName becomes
    /// the full name of the chosen file and the result is true. When the user cancels, a save
    /// dialog's FileName becomes empty, an open dialog's stays as it was, and the result is
    /// false.
    [[nodiscard]] bool Execute();

    Kind DialogKind = Kind::Open;
    Window* Owner;
    std::string FilterName = "Image Files";
    std::string FilterPatterns = "*.jpg;*.jpeg";
    std::string DefaultExtension = "jpg";
    std::string FileName;
    bool FileMustExist = true;
    bool PathMustExist = true;
    bool OverwritePrompt = true;
};

/// Everything modal that the window layer shows.
class ModalServices {
public:
    virtual ~ModalServices() = default;
    /// Runs a file dialog; the chosen full name, or nothing when the user cancelled.
    virtual std::optional<std::string> ChooseFile(const FileDialog& dialog) = 0;
    /// Shows text in a message box titled with owner's caption, with one OK button and no icon,
    /// brought to the front; returns when the user closes it.
    virtual void ShowMessage(const Window& owner, const std::string& text) = 0;
    /// Shows the box of a failure that nothing handled ("Runtime error" and its number).
    virtual void ShowRuntimeError(int code) = 0;
};

/// The services in use: Qt's dialogs unless SetModalServices installed others.
[[nodiscard]] ModalServices& Modal();
/// Installs services (null restores Qt's); the caller keeps ownership.
void SetModalServices(ModalServices* services);

/// Shows text in the program's message box, owned by owner.
void ShowMessage(const Window& owner, const std::string& text);

}  // namespace ui
