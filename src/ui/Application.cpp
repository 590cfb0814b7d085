#include "ui/Application.h"

#include <new>

#include "platform/RuntimeError.h"
#include "ui/Dialogs.h"
#include "ui/Window.h"

namespace ui {

namespace {

int argumentCount = 1;
char programName[] = "vantoro";
char* programArguments[] = {programName, nullptr};

void ReportInMessageBox(int code) {
    if (QApplication::instance() != nullptr)
        Modal().ShowRuntimeError(code);
}

}  // namespace

Application::Application() : QApplication(argumentCount, programArguments) {
    setApplicationName("Vantoro");
    setDesktopFileName("vantoro");
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        platform::RaiseRuntimeError(platform::kOutOfMemoryError);
    } catch (...) {
        platform::RaiseRuntimeError(platform::kUnhandledError);
    }
}

void RunMessageLoop(Window& window) {
    window.show();
    QApplication::exec();
}

void InstallRuntimeErrorReport() {
    platform::SetRuntimeErrorReporter(ReportInMessageBox);
    platform::InstallOutOfMemoryHandler();
}

void ProcessPaintEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

BusyCursor::BusyCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}
BusyCursor::~BusyCursor() {
    QApplication::restoreOverrideCursor();
}

}  // namespace ui
