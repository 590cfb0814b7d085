#include "ui/Splitter.h"

#include <QMouseEvent>
#include <algorithm>

namespace ui {

Splitter::Splitter(QWidget* parent) : Control<QFrame>(parent) {
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setCursor(Qt::SizeHorCursor);
    UseButtonFaceBackground(this);
}

// The control docked on the same side just before the splitter.
QWidget* Splitter::ResizedControl() const {
    QWidget* found = nullptr;
    for (QObject* object : parentWidget()->children()) {
        if (object == this)
            break;
        auto* widget = qobject_cast<QWidget*>(object);
        if (widget != nullptr && !widget->isWindow() && DockOf(widget) == GetDock())
            found = widget;
    }
    return found;
}

void Splitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || parentWidget() == nullptr)
        return;
    dragged_ = ResizedControl();
    if (dragged_ == nullptr)
        return;
    startX_ = static_cast<int>(event->globalPosition().x());
    startWidth_ = dragged_->width();
}

void Splitter::mouseMoveEvent(QMouseEvent* event) {
    if (dragged_ == nullptr || !(event->buttons() & Qt::LeftButton))
        return;
    // No minimum on either side; the splitter itself stays inside the window so that it can
    // always be dragged back.
    const int largest = ClientSize(parentWidget()).width() -
                        (dragged_->x() - ClientOrigin(parentWidget()).x()) - width() -
                        2 * kDockMargin;
    const int wanted = startWidth_ + static_cast<int>(event->globalPosition().x()) - startX_;
    dragged_->resize(std::clamp(wanted, 0, std::max(largest, 0)), dragged_->height());
    ArrangeDocked(parentWidget());
}

void Splitter::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragged_ = nullptr;
}

}  // namespace ui
