// An editable drop-down combo box: the user may type, but only a selected list entry counts.
#pragma once

#include <QComboBox>
#include <string>
#include <vector>

#include "ui/Control.h"

namespace ui {

class ComboBox : public Control<QComboBox> {
public:
    /// An editable combo box in parent holding entries, in order, with nothing selected.
    ComboBox(QWidget* parent, const std::vector<std::string>& entries);

    /// The index of the selected entry, or -1 when none is. Typing selects the entry whose text
    /// equals what was typed, and none otherwise; typed text never becomes an entry.
    [[nodiscard]] int SelectedIndex() const { return selected_; }
    /// Selects entry index (-1 for none).
    void SetSelectedIndex(int index);

private:
    int selected_ = -1;
};

}  // namespace ui
