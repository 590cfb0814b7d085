// A text label that can size itself to its caption and report clicks.
#pragma once

#include <QLabel>
#include <functional>
#include <string>

#include "ui/Control.h"

namespace ui {

class Label : public Control<QLabel> {
public:
    /// A label in parent; with autoSize it takes the size of its caption whenever that changes,
    /// keeping its left and top edges.
    Label(QWidget* parent, const std::string& caption, bool autoSize);

    /// Replaces the whole text (and resizes an auto-sized label to it).
    void SetCaption(const std::string& caption);
    [[nodiscard]] std::string Caption() const;

    /// Runs when the label is clicked with the left mouse button; empty for no handler.
    std::function<void(Label&)> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void FitToCaption();
    bool autoSize_;
};

}  // namespace ui
