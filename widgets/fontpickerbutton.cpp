#include "fontpickerbutton.h"

#include <QFontDialog>

namespace rk {

FontPickerButton::FontPickerButton(QWidget* parent)
    : QPushButton(parent), chosen_(font()), chooser_(systemDialog()) {
    connect(this, &QPushButton::clicked, this, &FontPickerButton::choose);
}

FontPickerButton::FontPickerButton(const QString& caption, QWidget* parent)
    : FontPickerButton(parent) {
    setText(caption);
}

FontPickerButton::Chooser FontPickerButton::systemDialog(const QString& title) {
    return [title](const QFont& initial, QWidget* parent) -> std::optional<QFont> {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, initial, parent, title);
        if (!ok) return std::nullopt;
        return chosen;
    };
}

void FontPickerButton::setChosenFont(const QFont& font) {
    if (font == chosen_) return;
    chosen_ = font;
    emit chosenFontChanged(chosen_);
}

void FontPickerButton::choose() {
    if (!chooser_) return;
    const std::optional<QFont> chosen = chooser_(chosen_, this);
    if (!chosen) return;
    setChosenFont(*chosen);
    emit fontChosen(chosen_);
}

} // namespace rk
