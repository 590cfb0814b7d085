// What every control of the window layer shares: a place given relative to its parent's client
// area, its docking, and the colours it takes from its parent.
#pragma once

#include <QWidget>

#include "ui/Docking.h"

namespace ui {

/// A colour as red, green and blue.
struct Colour {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Colour&) const = default;
};

/// The top-left corner of a container's client area in its widget's coordinates (inside the
/// frame of a framed container).
[[nodiscard]] QPoint ClientOrigin(const QWidget* container);
/// The size of a container's client area.
[[nodiscard]] QSize ClientSize(const QWidget* container);

/// Places the docked children of container (see LayOutDocked).
void ArrangeDocked(QWidget* container);

/// The docking a control was given (None for widgets that are not our controls).
[[nodiscard]] Dock DockOf(const QWidget* widget);

/// Gives widget the system's button-face colour as background, as every control here has.
void UseButtonFaceBackground(QWidget* widget);

/// A Qt widget with the position, size and docking operations of our window library.
template <class Widget>
class Control : public Widget {
public:
    using Widget::Widget;

    /// Moves and sizes the control; x and y are relative to the parent's client area.
    void SetBounds(int x, int y, int width, int height) {
        const QPoint origin = ClientOrigin(this->parentWidget());
        this->setGeometry(x + origin.x(), y + origin.y(), width, height);
        RelayOutParent();
    }
    /// The left edge, relative to the parent's client area.
    [[nodiscard]] int Left() const { return this->x() - ClientOrigin(this->parentWidget()).x(); }
    /// The top edge, relative to the parent's client area.
    [[nodiscard]] int Top() const { return this->y() - ClientOrigin(this->parentWidget()).y(); }
    [[nodiscard]] int Width() const { return this->width(); }
    [[nodiscard]] int Height() const { return this->height(); }

    /// Docks the control in its parent and lays the parent out again.
    void SetDock(Dock dock) {
        this->setProperty("ui.dock", static_cast<int>(dock));
        RelayOutParent();
    }
    [[nodiscard]] Dock GetDock() const { return DockOf(this); }

protected:
    void RelayOutParent() {
        if (this->parentWidget() != nullptr && GetDock() != Dock::None) {
            ArrangeDocked(this->parentWidget());
        }
    }
};

}  // namespace ui
