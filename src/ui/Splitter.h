// A bar between two docked controls whose left-button drag changes the width of the control
// docked before it.
#pragma once

#include <QFrame>

#include "ui/Control.h"

namespace ui {

class Splitter : public Control<QFrame> {
public:
    /// A splitter with a sunken edge and the horizontal-resize cursor in parent.
    explicit Splitter(QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QWidget* ResizedControl() const;
    QWidget* dragged_ = nullptr;
    int startX_ = 0;
    int startWidth_ = 0;
};

}  // namespace ui
