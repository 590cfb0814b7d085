#include "Vantoro_eng.h"

#include "mfm_eng.h"
#include "ui/Application.h"
#include "ui/Window.h"

int RunVantoro() {
    ui::Application application;
    ui::InstallRuntimeErrorReport();
    BuildMainForm(nullptr);
    ui::Window* window = TheMainForm->MainWindow;
    ui::RunMessageLoop(*window);
    delete window;
    return 0;
}

// The command line is not read.
int main() {
    return RunVantoro();
}
