// The application object, the message loop, the busy cursor, and the report of failures that
// nothing handled.
#pragma once

#include <QApplication>

namespace ui {

class Window;

/// The Qt application. It reads no command line. An error escaping an event handler ends the
/// program as a runtime error (203 for lack of memory).
class Application : public QApplication {
public:
    Application();
    bool notify(QObject* receiver, QEvent* event) override;
};

/// Shows window and dispatches events until the user closes it. The window is not destroyed.
void RunMessageLoop(Window& window);

/// Reports runtime errors in a message box titled "Error", and makes failed allocations end the
/// program with runtime error 203.
void InstallRuntimeErrorReport();

/// Handles waiting paint events (and no input), for a wait that must not freeze the window.
void ProcessPaintEvents();

/// Shows the wait cursor while it lives.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace ui
