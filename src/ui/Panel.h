// A panel with a raised edge that docks its children.
#pragma once

#include <QFrame>

#include "ui/Control.h"

namespace ui {

class Panel : public Control<QFrame> {
public:
    /// A panel with a raised edge in parent, coloured like a button face.
    explicit Panel(QWidget* parent);

protected:
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace ui
