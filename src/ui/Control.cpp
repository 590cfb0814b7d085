#include "ui/Control.h"

#include <QFrame>
#include <QPalette>

namespace ui {

QPoint ClientOrigin(const QWidget* container) {
    if (const auto* frame = qobject_cast<const QFrame*>(container)) {
        return frame->contentsRect().topLeft();
    }
    return {0, 0};
}

QSize ClientSize(const QWidget* container) {
    if (const auto* frame = qobject_cast<const QFrame*>(container)) {
        return frame->contentsRect().size();
    }
    return container->size();
}

Dock DockOf(const QWidget* widget) {
    const QVariant value = widget->property("ui.dock");
    return value.isValid() ? static_cast<Dock>(value.toInt()) : Dock::None;
}

void ArrangeDocked(QWidget* container) {
    std::vector<QWidget*> docked;
    std::vector<DockedChild> children;
    for (QObject* object : container->children()) {
        auto* widget = qobject_cast<QWidget*>(object);
        if (widget == nullptr || widget->isWindow())
            continue;
        const Dock dock = DockOf(widget);
        if (dock == Dock::None)
            continue;
        docked.push_back(widget);
        children.push_back({dock, widget->width(), widget->height()});
    }
    if (docked.empty())
        return;
    const QSize client = ClientSize(container);
    const QPoint origin = ClientOrigin(container);
    const std::vector<Placement> places = LayOutDocked(client.width(), client.height(), children);
    for (size_t i = 0; i < docked.size(); ++i) {
        const Placement& p = places[i];
        docked[i]->setGeometry(p.x + origin.x(), p.y + origin.y(), p.width, p.height);
        // A hidden widget gets its resize event only when shown; its own docked children are
        // placed now all the same.
        ArrangeDocked(docked[i]);
    }
}

void UseButtonFaceBackground(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

}  // namespace ui
