#include "ui/Label.h"

#include <QMouseEvent>

namespace ui {

namespace {
// The margin an auto-sized label keeps around its text.
constexpr int kLabelMargin = 2;
}  // namespace

Label::Label(QWidget* parent, const std::string& caption, bool autoSize)
    : Control<QLabel>(parent), autoSize_(autoSize) {
    UseButtonFaceBackground(this);
    SetCaption(caption);
}

void Label::SetCaption(const std::string& caption) {
    setText(QString::fromStdString(caption));
    if (autoSize_)
        FitToCaption();
}

std::string Label::Caption() const {
    return text().toStdString();
}

void Label::FitToCaption() {
    const QFontMetrics metrics(font());
    resize(metrics.horizontalAdvance(text()) + 2 * kLabelMargin, metrics.height() + kLabelMargin);
}

void Label::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        OnClick) {
        OnClick(*this);
    }
}

}  // namespace ui
