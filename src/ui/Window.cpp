#include "ui/Window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace ui {

Window::Window(const std::string& caption) : Control<QWidget>(nullptr) {
    setWindowTitle(QString::fromStdString(caption));
    UseButtonFaceBackground(this);
}

Window::~Window() {
    hide();
    for (auto release = releases_.rbegin(); release != releases_.rend(); ++release) {
        release->run();
        if (OnReleased)
            OnReleased(release->name);
    }
    releases_.clear();
    const QObjectList children = this->children();
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
        if ((*child)->isWidgetType())
            delete *child;
    }
}

void Window::CentreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect whole = screen->geometry();
    const QSize outer = isVisible() ? frameGeometry().size() : size();
    // move() places the frame's top-left corner of a top-level window.
    move(whole.x() + (whole.width() - outer.width()) / 2,
         whole.y() + (whole.height() - outer.height()) / 2);
    centreWhenShown_ = !isVisible();
}

void Window::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ArrangeDocked(this);
}

void Window::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (centreWhenShown_) {
        // The window manager adds its frame after the window is mapped.
        QTimer::singleShot(0, this, [this] { CentreOnScreen(); });
    }
}

}  // namespace ui
