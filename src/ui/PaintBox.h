// A control that its owner paints, through a canvas that knows our bitmaps.
#pragma once

#include <QWidget>
#include <functional>

#include "platform/Bitmap.h"
#include "ui/Control.h"

class QPainter;

namespace ui {

/// The drawing surface of one paint.
class Canvas {
public:
    explicit Canvas(QPainter& painter) : painter_(painter) {}
    /// Fills the whole surface with colour.
    void Fill(Colour colour, int width, int height);
    /// Draws a 24- or 32-bit bitmap pixel for pixel with its top-left corner at (x, y).
    void DrawBitmap(const platform::Bitmap& bitmap, int x, int y);

private:
    QPainter& painter_;
};

class PaintBox : public Control<QWidget> {
public:
    /// A paint box in parent. Every paint is drawn off-screen first and shown in one step; Qt's
    /// backing store does this for every widget, double-buffered or not.
    PaintBox(QWidget* parent, bool doubleBuffered);

    [[nodiscard]] bool DoubleBuffered() const { return doubleBuffered_; }
    /// The background colour, taken from the parent.
    [[nodiscard]] Colour Background() const;
    /// Asks for the whole box to be painted again, background first.
    void Invalidate() { update(); }

    /// Paints the box; without a handler the box shows its background.
    std::function<void(PaintBox&, Canvas&)> OnPaint;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool doubleBuffered_;
};

}  // namespace ui
