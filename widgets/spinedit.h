// A number edit with up and down steps, a lowest and a highest value and a number of
// decimals; whole numbers are simply 0 decimals. Every way of changing the value (typing,
// stepping, setValue) keeps it within the range. With `digits` set, the whole part is shown
// with at least that many digits, padded with zeros: minutes 1 show as "01".
//
// Without its own arrows (setButtonSymbols(NoButtons)) it serves as the number edit beside a
// SpinButton; attachSpinButton() connects the two.
#pragma once

#include <QDoubleSpinBox>

namespace rk {

class SpinButton;

class SpinEdit : public QDoubleSpinBox {
    Q_OBJECT
    Q_PROPERTY(int digits READ digits WRITE setDigits)

public:
    explicit SpinEdit(QWidget* parent = nullptr);

    // A whole-number edit from `minimum` to `maximum`, step 1.
    static SpinEdit* integer(int minimum, int maximum, QWidget* parent = nullptr);
    // A decimal edit, e.g. inches from 0.25 to 6 in steps of 0.05 with 2 decimals.
    static SpinEdit* decimal(double minimum, double maximum, double step, int decimals,
                             QWidget* parent = nullptr);

    int digits() const { return digits_; }
    void setDigits(int digits);

    int intValue() const { return qRound(value()); }

    QString textFromValue(double value) const override;

private:
    int digits_ = 0;
};

// Lets the halves of `button` step `edit` up and down.
void attachSpinButton(SpinButton* button, SpinEdit* edit);

} // namespace rk
