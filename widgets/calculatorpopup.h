// A small calculator that pops up below an edit: digits, the four operations, percent, sign
// and clear. "OK" (or Enter) finishes the sum and hands the result to the caller through
// valueAccepted; Escape or a click elsewhere closes it without a result.
#pragma once

#include "calculator.h"

#include <QFrame>

class QLabel;
class QPushButton;

namespace rk {

class CalculatorPopup : public QFrame {
    Q_OBJECT

public:
    explicit CalculatorPopup(QWidget* parent = nullptr);

    void setValue(double value);
    double value() const { return calculator_.value(); }
    QString display() const { return calculator_.display(); }

    // Shows the calculator with its top-left corner at a point of the screen, kept on screen.
    void popupAt(const QPoint& globalPosition);
    // The key with the given caption ("7", "+", "OK", ...), for wiring and tests.
    QPushButton* key(const QString& caption) const;

public slots:
    void accept();

signals:
    void valueAccepted(double value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void pressKey(const QString& caption);
    void refresh();

    Calculator calculator_;
    QLabel* display_;
};

} // namespace rk
