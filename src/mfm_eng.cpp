#include "mfm_eng.h"

#include <QCoreApplication>
#include <QFont>
#include <QPalette>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "mapimail.h"
#include "platform/FileIdentity.h"
#include "platform/HalftoneStretch.h"
#include "platform/MailService.h"
#include "platform/PrivateFolder.h"
#include "platform/Process.h"
#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Dialogs.h"
#include "ui/Label.h"
#include "ui/PaintBox.h"
#include "ui/Panel.h"
#include "ui/Splitter.h"
#include "ui/Window.h"

using platform::Bitmap;

MainForm* TheMainForm = nullptr;

namespace {

constexpr const char* kSaveRefusal =
    "Save better with different name (old file has better quality).";

std::string Quoted(const std::string& name) {
    return "\u201C" + name + "\u201D";
}

// The system's words for an errno value; a failure that left none is an input/output error.
std::string Reason(int error) {
    return std::strerror(error != 0 ? error : EIO);
}

// What Open tells the user about a picture it cannot show.
std::string ProblemText(const std::string& name, PictureProblem problem, int width, int height) {
    switch (problem) {
        case PictureProblem::Unreadable:
            return Quoted(name) + " is not a JPEG picture that Vantoro can read.";
        case PictureProblem::TooLarge:
            // Without a size the file itself was too large to read into memory.
            if (width == 0 || height == 0) {
                return Quoted(name) +
                       " is too large to open: the file does not fit in the memory "
                       "this computer can spare.";
            }
            return Quoted(name) + " is too large to open: its picture of " + std::to_string(width) +
                   " x " + std::to_string(height) +
                   " pixels needs more memory than this computer can spare.";
        case PictureProblem::TooManyScans:
            return Quoted(name) +
                   " was refused: it is made of more scans than any real photo, and decoding it "
                   "would take too long.";
        case PictureProblem::Undecodable:
            return "The picture in " + Quoted(name) + " could not be decoded.";
        case PictureProblem::Hollow:
            return Quoted(name) + " is damaged: it holds far too little data for its picture of " +
                   std::to_string(width) + " x " + std::to_string(height) + " pixels.";
        case PictureProblem::None:
            break;
    }
    return "";
}

// The file-name part of a name: after the last "/", backslash or colon.
std::string FileNamePart(const std::string& name) {
    const size_t cut = name.find_last_of("/\\:");
    return cut == std::string::npos ? name : name.substr(cut + 1);
}

}  // namespace

std::string FormatSizeReport(int width, int height, uint32_t byteCount) {
    char text[96];
    std::snprintf(text, sizeof text, "Size: %dx%d , %u.%02u Kb", width, height, byteCount >> 10,
                  ((byteCount % 1024) * 100) / 1024);
    return text;
}

// ---- start-up ----

void MainForm::MainFormCreated() {
    Loaded = false;
    Shrunk = false;
    PercentCombo->SetSelectedIndex(2);
}

MainForm* BuildMainForm(ui::Window*) {
    auto* form = new MainForm();
    TheMainForm = form;

    auto* window = new ui::Window("Vantoro");
    form->MainWindow = window;
    window->setObjectName("MainWindow");
    window->SetClientSize(775, 513);
    window->RegisterRelease("MainForm", [form] {
        if (TheMainForm == form)
            TheMainForm = nullptr;
        delete form;
    });

    form->OpenDialog = new ui::FileDialog(nullptr);
    window->RegisterRelease("OpenDialog", [form] { delete form->OpenDialog; });
    form->SaveDialog = new ui::FileDialog(nullptr);
    form->SaveDialog->DialogKind = ui::FileDialog::Kind::Save;
    window->RegisterRelease("SaveDialog", [form] { delete form->SaveDialog; });

    const int clientWidth = 775, clientHeight = 513;
    form->TopPanel = new ui::Panel(window);
    form->TopPanel->setObjectName("TopPanel");
    form->TopPanel->SetBounds(2, 2, clientWidth - 4, 65);
    form->TopPanel->SetDock(ui::Dock::Top);

    ui::Panel* top = form->TopPanel;
    const auto place = [](auto* control, const char* name, int x, int y) {
        control->setObjectName(name);
        control->SetBounds(x, y, control->Width(), control->Height());
    };
    form->ResultSizeLabel = new ui::Label(top, "", true);
    place(form->ResultSizeLabel, "ResultSizeLabel", 342, 33);
    form->SourceSizeLabel = new ui::Label(top, "", true);
    place(form->SourceSizeLabel, "SourceSizeLabel", 12, 33);
    form->HomeLink = new ui::Label(top, "Quennick Software", false);
    form->HomeLink->setObjectName("HomeLink");
    form->HomeLink->SetBounds(648, 42, 115, 16);
    QFont linkFont("MS Sans Serif");
    linkFont.setUnderline(true);
    form->HomeLink->setFont(linkFont);
    QPalette linkPalette = form->HomeLink->palette();
    linkPalette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    form->HomeLink->setPalette(linkPalette);
    form->HomeLink->setCursor(Qt::PointingHandCursor);
    form->PercentLabel = new ui::Label(top, "Shrink percent", true);
    place(form->PercentLabel, "PercentLabel", 93, 8);
    form->OpenButton = new ui::Button(top, "Open ...", false);
    form->OpenButton->setObjectName("OpenButton");
    form->OpenButton->SetBounds(6, 5, 79, ui::Button::kHeight);
    form->ShrinkButton = new ui::Button(top, "Shrink", true);
    place(form->ShrinkButton, "ShrinkButton", 339, 6);
    form->SaveButton = new ui::Button(top, "Save...", true);
    place(form->SaveButton, "SaveButton", 504, 6);
    form->PercentCombo = new ui::ComboBox(
        top, {"10%", "20%", "30%", "40%", "50%", "60%", "70%", "80%", "90%", "100%"});
    form->PercentCombo->setObjectName("PercentCombo");
    form->PercentCombo->SetBounds(248, 5, 49, form->PercentCombo->Height());
    form->MailButton = new ui::Button(top, "Send by e-mail", true);
    place(form->MailButton, "MailButton", 615, 6);

    form->LeftPanel = new ui::Panel(window);
    form->LeftPanel->setObjectName("LeftPanel");
    form->LeftPanel->SetBounds(2, 69, 389, clientHeight - 71);
    form->LeftPanel->SetDock(ui::Dock::Left);
    form->SourceBox = new ui::PaintBox(form->LeftPanel, true);
    form->SourceBox->setObjectName("SourceBox");
    form->SourceBox->setAccessibleName("Original picture");
    form->SourceBox->SetDock(ui::Dock::Fill);

    form->PaneSplitter = new ui::Splitter(window);
    form->PaneSplitter->setObjectName("PaneSplitter");
    form->PaneSplitter->SetBounds(393, 69, 4, clientHeight - 71);
    form->PaneSplitter->SetDock(ui::Dock::Left);

    form->RightPanel = new ui::Panel(window);
    form->RightPanel->setObjectName("RightPanel");
    form->RightPanel->SetDock(ui::Dock::Fill);
    form->ResultBox = new ui::PaintBox(form->RightPanel, false);
    form->ResultBox->setObjectName("ResultBox");
    form->ResultBox->setAccessibleName("Shrunk picture");
    form->ResultBox->SetDock(ui::Dock::Fill);

    form->OpenButton->OnClick = [form](ui::Button&) { form->OpenPicture(); };
    form->ShrinkButton->OnClick = [form](ui::Button&) { form->ShrinkPicture(); };
    form->SaveButton->OnClick = [form](ui::Button&) { form->SaveResult(); };
    form->MailButton->OnClick = [form](ui::Button&) { form->MailResult(); };
    form->HomeLink->OnClick = [form](ui::Label& sender) { form->OpenHomePage(sender); };
    form->SourceBox->OnPaint = [form](ui::PaintBox& box, ui::Canvas& canvas) {
        form->PaintSourcePreview(box, canvas);
    };
    form->ResultBox->OnPaint = [form](ui::PaintBox& box, ui::Canvas& canvas) {
        form->PaintResultPreview(box, canvas);
    };

    form->OpenDialog->Owner = window;
    form->SaveDialog->Owner = window;
    window->CentreOnScreen();
    // While a send waits for the mail program, the window goes on painting.
    platform::SetMailWaitIdle(ui::ProcessPaintEvents);
    form->MainFormCreated();
    return form;
}

void MainForm::OpenHomePage(ui::Label&) {
    int error = 0;
    (void)platform::StartProcess({"xdg-open", kHomePageAddress}, &error);
}

// ---- image commands ----

int MainForm::ShrinkPercent() const {
    return 10 * (PercentCombo->SelectedIndex() + 1);
}

void MainForm::Tell(const std::string& text) {
    ui::ShowMessage(*MainWindow, text);
}

void MainForm::OpenPicture() {
    if (!OpenDialog->Execute()) {
        SourceBox->Invalidate();
        return;
    }
    const std::string name = OpenDialog->FileName;
    std::string trouble;
    {
        ui::BusyCursor busy;
        int openError = 0;
        auto stream = platform::FileReadStream::Open(name, &openError);
        SourceImage.reset();
        SourceImage = CreateJpegImage();
        uint64_t fileSize = 0;
        if (stream) {
            SourceImage->LoadFromStream(*stream);
            fileSize = stream->Size();
        }
        Loaded = true;
        Shrunk = false;
        SourceSizeLabel->SetCaption(FormatSizeReport(SourceImage->Width(), SourceImage->Height(),
                                                     static_cast<uint32_t>(fileSize)));
        if (!stream) {
            trouble = "Vantoro could not open " + Quoted(name) + ": " + Reason(openError) + ".";
        } else if (stream->LastError() != 0) {
            trouble = "Vantoro could not read all of " + Quoted(name) + ": " +
                      Reason(stream->LastError()) + ".";
        } else {
            // Decoding now, under the busy cursor, lets a picture that cannot be shown be
            // reported at once; the first paint then finds the bitmap ready.
            if (SourceImage->Problem() == PictureProblem::None)
                (void)SourceImage->Bitmap();
            trouble = ProblemText(name, SourceImage->Problem(), SourceImage->Width(),
                                  SourceImage->Height());
        }
    }
    SourceBox->Invalidate();
    if (!trouble.empty())
        Tell(trouble);
}

void MainForm::ShrinkPicture() {
    if (!Loaded)
        return;
    // A picture that did not open or decode has nothing to shrink; Open has said why.
    if (SourceImage->IsEmpty() || SourceImage->Problem() != PictureProblem::None)
        return;
    const int percent = ShrinkPercent();
    if (percent == 0) {
        Tell("Choose a percentage from the list first.");
        return;
    }
    const Bitmap* source = SourceImage->Bitmap();
    if (source == nullptr)
        return;
    ShrinkOutcome shrunk;
    {
        ui::BusyCursor busy;
        shrunk = ShrinkBitmap(*source, percent);
        if (shrunk.status == ShrinkOutcome::Status::Done) {
            ResultImage = std::move(shrunk.image);
            Shrunk = true;
            platform::MemoryStream encoded;
            ResultImage->SaveToStream(encoded);
            ResultSizeLabel->SetCaption(FormatSizeReport(ResultImage->Width(),
                                                         ResultImage->Height(),
                                                         static_cast<uint32_t>(encoded.Size())));
        }
    }
    switch (shrunk.status) {
        case ShrinkOutcome::Status::TooSmall:
            Tell("The picture is too small to shrink to " + std::to_string(percent) + "%.");
            return;
        case ShrinkOutcome::Status::OutOfMemory:
            Tell("There is not enough memory to shrink the picture.");
            return;
        case ShrinkOutcome::Status::Done:
            ResultBox->Invalidate();
            return;
    }
}

void MainForm::SaveResult() {
    if (!Shrunk)
        return;
    if (!SaveDialog->Execute())
        return;
    const std::string chosen = SaveDialog->FileName;
    // Another spelling of the opened file (./a.jpg, a link) would destroy it just the same.
    if (chosen == OpenDialog->FileName || platform::IsSameFile(chosen, OpenDialog->FileName)) {
        Tell(kSaveRefusal);
        return;
    }
    FileSaveResult result;
    {
        ui::BusyCursor busy;
        result = ResultImage->SaveToFile(chosen);
    }
    if (!result.saved) {
        Tell("The picture was not saved to " + Quoted(chosen) + ": " + Reason(result.error) + ".");
    }
}

// ---- mail ----

void MainForm::MailResult() {
    if (!Shrunk)
        return;
    const std::string subject = FileNamePart(OpenDialog->FileName);
    int error = 0;
    const std::string folder = platform::PrivateFolder(&error);
    const std::string path = folder + "/" + subject;
    FileSaveResult saved;
    if (folder.empty()) {
        saved.error = error;
    } else if (!platform::ClearNonFile(path)) {
        saved.error = errno;
    } else {
        ui::BusyCursor busy;
        saved = ResultImage->SaveToFile(path);
    }
    if (!saved.saved) {
        Tell("The picture could not be prepared for mail: " + Reason(saved.error) + ".");
        return;
    }
    const uint32_t result = SendFileByMail(path, subject, true);
    if (result == platform::MAPI_E_USER_ABORT || result == platform::MAPI_E_NOT_SUPPORTED) {
        Tell("No mail program is set up (xdg-email " +
             std::string(result == platform::MAPI_E_USER_ABORT ? "was not found"
                                                               : "found no mail program") +
             "). The picture is ready to attach by hand: " + path);
    } else if (result != platform::SUCCESS_SUCCESS) {
        Tell(
            "The mail program could not take the picture (xdg-email failed). The picture is ready "
            "to attach by "
            "hand: " +
            path);
    }
}

// ---- preview painting ----

void MainForm::PaintPreview(ui::PaintBox& box, ui::Canvas& canvas, JpegImage* image, bool show) {
    canvas.Fill(box.Background(), box.Width(), box.Height());
    if (!show || image == nullptr || image->IsEmpty())
        return;
    const Bitmap* picture = image->Bitmap();
    if (picture == nullptr)
        return;
    // Every paint stretches the whole picture again; nothing scaled is kept.
    const std::unique_ptr<Bitmap> drawn =
        platform::StretchToFit(*picture, box.Width(), box.Height());
    if (drawn)
        canvas.DrawBitmap(*drawn, 0, 0);
}

void MainForm::PaintSourcePreview(ui::PaintBox& sender, ui::Canvas& canvas) {
    PaintPreview(sender, canvas, SourceImage.get(), Loaded);
}

void MainForm::PaintResultPreview(ui::PaintBox& sender, ui::Canvas& canvas) {
    PaintPreview(sender, canvas, ResultImage.get(), Shrunk);
}
