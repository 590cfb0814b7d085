#include "ui/ComboBox.h"

#include <QLineEdit>
#include <QPalette>

namespace ui {

ComboBox::ComboBox(QWidget* parent, const std::vector<std::string>& entries)
    : Control<QComboBox>(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    lineEdit()->setTextMargins(0, 0, 0, 0);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Button, palette.color(QPalette::Base));
    setPalette(palette);
    for (const std::string& entry : entries)
        addItem(QString::fromStdString(entry));
    setCurrentIndex(-1);
    QObject::connect(this, &QComboBox::activated, this, [this](int index) { selected_ = index; });
    QObject::connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        selected_ = findText(text, Qt::MatchFixedString);
    });
}

void ComboBox::SetSelectedIndex(int index) {
    selected_ = index >= 0 && index < count() ? index : -1;
    setCurrentIndex(selected_);
    // The narrow edit field shows the start of the entry, not its end.
    lineEdit()->setCursorPosition(0);
}

}  // namespace ui
