// A button that opens a font dialog through a chooser function (the window's own prompt, or a
// test's answer) and keeps the chosen font. The default chooser is the system font dialog.
#pragma once

#include <QFont>
#include <QPushButton>

#include <functional>
#include <optional>

namespace rk {

class FontPickerButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QFont chosenFont READ chosenFont WRITE setChosenFont NOTIFY chosenFontChanged)

public:
    // Gets a font, starting at `initial`; nothing when the user cancels.
    using Chooser = std::function<std::optional<QFont>(const QFont& initial, QWidget* parent)>;

    explicit FontPickerButton(QWidget* parent = nullptr);
    explicit FontPickerButton(const QString& caption, QWidget* parent = nullptr);

    QFont chosenFont() const { return chosen_; }
    void setChosenFont(const QFont& font);

    void setChooser(Chooser chooser) { chooser_ = std::move(chooser); }
    static Chooser systemDialog(const QString& title = {});

public slots:
    // Opens the chooser; on OK the button keeps the font and emits fontChosen.
    void choose();

signals:
    void chosenFontChanged(const QFont& font);
    void fontChosen(const QFont& font);

private:
    QFont chosen_;
    Chooser chooser_;
};

} // namespace rk
