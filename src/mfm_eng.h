// MainForm: the main window with its controls, the picture state, and the commands and
// painting that work on it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "TJpegObj.h"

namespace ui {
class Button;
class Canvas;
class ComboBox;
class FileDialog;
class Label;
class PaintBox;
class Panel;
class Splitter;
class Window;
}  // namespace ui

/// The address the maker's link opens.
inline constexpr const char* kHomePageAddress = "https://quennick.example/vantoro/";

/// "Size: WxH , K.HH Kb": whole kilobytes and hundredths of a kilobyte, both cut off.
[[nodiscard]] std::string FormatSizeReport(int width, int height, uint32_t byteCount);

struct MainForm {
    ui::Window* MainWindow = nullptr;
    ui::Panel* TopPanel = nullptr;
    ui::Button* OpenButton = nullptr;
    ui::FileDialog* OpenDialog = nullptr;
    ui::FileDialog* SaveDialog = nullptr;
    ui::Panel* LeftPanel = nullptr;
    ui::PaintBox* SourceBox = nullptr;
    ui::Splitter* PaneSplitter = nullptr;
    ui::Panel* RightPanel = nullptr;
    ui::PaintBox* ResultBox = nullptr;
    ui::Label* SourceSizeLabel = nullptr;
    ui::Button* ShrinkButton = nullptr;
    ui::Label* ResultSizeLabel = nullptr;
    ui::Button* SaveButton = nullptr;
    ui::ComboBox* PercentCombo = nullptr;
    ui::Label* PercentLabel = nullptr;
    ui::Button* MailButton = nullptr;
    ui::Label* HomeLink = nullptr;
    bool Loaded = false;
    bool Shrunk = false;
    std::unique_ptr<JpegImage> SourceImage;
    std::unique_ptr<JpegImage> ResultImage;

    /// Sets the start-up state: no picture, "30%" selected.
    void MainFormCreated();

    /// 10 x (selected index of PercentCombo + 1); 0 when no entry is selected.
    [[nodiscard]] int ShrinkPercent() const;

    /// "Open ...": the chosen file becomes the source picture and its size is reported.
    void OpenPicture();
    /// "Shrink": the source picture is stretched to ShrinkPercent, encoded in memory, and its
    /// new size and exact encoded size are reported.
    void ShrinkPicture();
    /// "Save...": writes the encoded result under a chosen name, never over the opened file.
    void SaveResult();
    /// "Send by e-mail": writes the result into a private folder and hands it to the mail
    /// program as an attachment.
    void MailResult();
    /// The click of the maker's link: opens the home page in the system's browser.
    void OpenHomePage(ui::Label& sender);

    /// Paints the source pane: the opened picture, fitted, once a picture is open.
    void PaintSourcePreview(ui::PaintBox& sender, ui::Canvas& canvas);
    /// Paints the result pane: the shrunk picture, fitted, once there is one.
    void PaintResultPreview(ui::PaintBox& sender, ui::Canvas& canvas);

private:
    void PaintPreview(ui::PaintBox& box, ui::Canvas& canvas, JpegImage* image, bool show);
    void Tell(const std::string& text);
};

/// The program's one MainForm, set by BuildMainForm.
extern MainForm* TheMainForm;

/// Builds MainForm with its window, controls and dialogs, connects the events and sets the
/// start-up state. parent is unused by the program (which passes none): the window is
/// top-level.
MainForm* BuildMainForm(ui::Window* parent);
