#include "ui/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "ui/Window.h"

namespace ui {

namespace {

class QtModalServices final : public ModalServices {
public:
    std::optional<std::string> ChooseFile(const FileDialog& d) override {
        QFileDialog dialog(d.Owner);
        dialog.setAcceptMode(d.DialogKind == FileDialog::Kind::Save ? QFileDialog::AcceptSave
                                                                    : QFileDialog::AcceptOpen);
        dialog.setFileMode(d.DialogKind == FileDialog::Kind::Open && d.FileMustExist
                               ? QFileDialog::ExistingFile
                               : QFileDialog::AnyFile);
        QString patterns = QString::fromStdString(d.FilterPatterns);
        patterns.replace(';', ' ');
        dialog.setNameFilter(QString::fromStdString(d.FilterName) + " (" + patterns + ")");
        dialog.setDefaultSuffix(QString::fromStdString(d.DefaultExtension));
        if (!d.OverwritePrompt)
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (!d.FileName.empty())
            dialog.selectFile(QString::fromStdString(d.FileName));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first().toStdString();
    }

    void ShowMessage(const Window& owner, const std::string& text) override {
        QMessageBox box(QMessageBox::NoIcon, owner.windowTitle(), QString::fromStdString(text),
                        QMessageBox::Ok, const_cast<Window*>(&owner));
        box.show();
        box.raise();
        box.activateWindow();
        box.exec();
    }

    void ShowRuntimeError(int code) override {
        QMessageBox box(QMessageBox::NoIcon, "Error", QString("Runtime error %1").arg(code),
                        QMessageBox::Ok);
        box.exec();
    }
};

QtModalServices qtServices;
ModalServices* current = &qtServices;

}  // namespace

ModalServices& Modal() {
    return *current;
}

void SetModalServices(ModalServices* services) {
    current = services != nullptr ? services : &qtServices;
}

bool FileDialog::Execute() {
    std::optional<std::string> chosen = Modal().ChooseFile(*this);
    if (chosen) {
        FileName = *chosen;
        return true;
    }
    if (DialogKind == Kind::Save)
        FileName.clear();
    return false;
}

void ShowMessage(const Window& owner, const std::string& text) {
    Modal().ShowMessage(owner, text);
}

}  // namespace ui
