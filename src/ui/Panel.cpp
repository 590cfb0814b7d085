#include "ui/Panel.h"

namespace ui {

Panel::Panel(QWidget* parent) : Control<QFrame>(parent) {
    setFrameStyle(QFrame::WinPanel | QFrame::Raised);
    UseButtonFaceBackground(this);
}

void Panel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    ArrangeDocked(this);
}

}  // namespace ui
