#include "ui/Button.h"

namespace ui {

namespace {
// The space a button keeps on both sides of its caption.
constexpr int kButtonMargin = 10;
}  // namespace

Button::Button(QWidget* parent, const std::string& caption, bool autoWidth)
    : Control<QPushButton>(QString::fromStdString(caption), parent) {
    if (autoWidth) {
        resize(QFontMetrics(font()).horizontalAdvance(text()) + 2 * kButtonMargin, kHeight);
    } else {
        resize(width(), kHeight);
    }
    QObject::connect(this, &QPushButton::clicked, this, [this] {
        if (OnClick)
            OnClick(*this);
    });
}

}  // namespace ui
