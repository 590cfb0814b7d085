// A push button 22 pixels high that can size its width to its caption.
#pragma once

#include <QPushButton>
#include <functional>
#include <string>

#include "ui/Control.h"

namespace ui {

class Button : public Control<QPushButton> {
public:
    /// The height every push button has.
    static constexpr int kHeight = 22;

    /// A button in parent; with autoWidth its width follows its caption.
    Button(QWidget* parent, const std::string& caption, bool autoWidth);

    [[nodiscard]] std::string Caption() const { return text().toStdString(); }

    /// Runs when the button is clicked; empty for no handler.
    std::function<void(Button&)> OnClick;
};

}  // namespace ui
