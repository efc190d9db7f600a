// A button that shows a colour beside its caption and lets the user choose another one. The
// dialog is asked for through a chooser function, so that a window can pass its own prompt
// (and a test can answer without a real dialog); the default opens the system colour dialog.
#pragma once

#include <QColor>
#include <QPushButton>

#include <functional>
#include <optional>

namespace rk {

class ColorPickerButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)

public:
    // Gets a colour, starting at `initial`; nothing when the user cancels.
    using Chooser = std::function<std::optional<QColor>(const QColor& initial, QWidget* parent)>;

    explicit ColorPickerButton(QWidget* parent = nullptr);
    explicit ColorPickerButton(const QString& caption, QWidget* parent = nullptr);

    QColor color() const { return color_; }
    void setColor(const QColor& color);

    void setChooser(Chooser chooser) { chooser_ = std::move(chooser); }
    static Chooser systemDialog();

public slots:
    // Opens the chooser; on OK the button takes the colour and emits colorChosen.
    void choose();

signals:
    void colorChanged(const QColor& color);
    void colorChosen(const QColor& color);

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateSwatch();

    QColor color_{Qt::white};
    Chooser chooser_;
};

} // namespace rk
