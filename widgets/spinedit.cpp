#include "spinedit.h"

#include "spinbutton.h"

#include <QLineEdit>

#include <cmath>

namespace rk {

SpinEdit::SpinEdit(QWidget* parent) : QDoubleSpinBox(parent) {
    setDecimals(0);
    setRange(0, 100);
    setSingleStep(1);
    setAccelerated(true);
}

SpinEdit* SpinEdit::integer(int minimum, int maximum, QWidget* parent) {
    auto* edit = new SpinEdit(parent);
    edit->setDecimals(0);
    edit->setRange(minimum, maximum);
    edit->setSingleStep(1);
    return edit;
}

SpinEdit* SpinEdit::decimal(double minimum, double maximum, double step, int decimals,
                            QWidget* parent) {
    auto* edit = new SpinEdit(parent);
    edit->setDecimals(decimals);
    edit->setRange(minimum, maximum);
    edit->setSingleStep(step);
    return edit;
}

void SpinEdit::setDigits(int digits) {
    digits_ = std::max(0, digits);
    // Show the current value in the new form at once.
    lineEdit()->setText(textFromValue(value()));
}

QString SpinEdit::textFromValue(double value) const {
    QLocale numbers = locale();
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = numbers.toString(std::abs(value), 'f', decimals());
    const qsizetype point = text.indexOf(numbers.decimalPoint());
    const qsizetype whole = point < 0 ? text.size() : point;
    if (whole < digits_) text.prepend(QString(digits_ - whole, numbers.zeroDigit().at(0)));
    // A value that rounds to zero at the shown decimals has no sign.
    if (value < 0 && numbers.toDouble(text) != 0.0) text.prepend(numbers.negativeSign());
    return text;
}

void attachSpinButton(SpinButton* button, SpinEdit* edit) {
    QObject::connect(button, &SpinButton::topClick, edit, &SpinEdit::stepUp);
    QObject::connect(button, &SpinButton::bottomClick, edit, &SpinEdit::stepDown);
}

} // namespace rk
