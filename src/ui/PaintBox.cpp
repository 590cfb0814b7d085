#include "ui/PaintBox.h"

#include <QImage>
#include <QPainter>

namespace ui {

void Canvas::Fill(Colour colour, int width, int height) {
    painter_.fillRect(0, 0, width, height, QColor(colour.red, colour.green, colour.blue));
}

void Canvas::DrawBitmap(const platform::Bitmap& bitmap, int x, int y) {
    if (bitmap.Width() == 0 || bitmap.Height() == 0)
        return;
    QImage::Format format;
    switch (bitmap.Format()) {
        case platform::PixelFormat::Bgrx32:
            format = QImage::Format_RGB32;  // blue, green, red, 0xFF in memory on little-endian
            break;
        case platform::PixelFormat::Bgr24:
            format = QImage::Format_BGR888;
            break;
        default:
            return;
    }
    const QImage image(bitmap.Row(0), bitmap.Width(), bitmap.Height(),
                       static_cast<qsizetype>(bitmap.Stride()), format);
    painter_.drawImage(x, y, image);
}

PaintBox::PaintBox(QWidget* parent, bool doubleBuffered)
    : Control<QWidget>(parent), doubleBuffered_(doubleBuffered) {
    UseButtonFaceBackground(this);
}

Colour PaintBox::Background() const {
    const QColor c = palette().color(QPalette::Window);
    return {c.red(), c.green(), c.blue()};
}

void PaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Canvas canvas(painter);
    if (OnPaint) {
        OnPaint(*this, canvas);
    } else {
        canvas.Fill(Background(), width(), height());
    }
}

}  // namespace ui
