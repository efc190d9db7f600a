#include "calculator.h"

#include <cmath>

namespace rk {

double Calculator::value() const {
    return error_ ? 0.0 : display_.toDouble();
}

void Calculator::show(double value) {
    if (!std::isfinite(value)) {
        fail();
        return;
    }
    if (value == 0) value = 0; // no "-0"
    display_ = QString::number(value, 'g', 12);
}

void Calculator::fail() {
    error_ = true;
    display_ = QStringLiteral("Error");
    pending_ = Op::None;
    accumulator_ = 0;
    startNew_ = true;
}

void Calculator::digit(int d) {
    if (d < 0 || d > 9) return;
    if (error_) clear();
    if (startNew_) {
        display_ = QString::number(d);
        startNew_ = false;
        return;
    }
    if (display_ == QLatin1String("0")) {
        display_ = QString::number(d);
        return;
    }
    if (display_ == QLatin1String("-0")) {
        display_ = QStringLiteral("-") + QString::number(d);
        return;
    }
    int digits = 0;
    for (QChar c : display_)
        digits += c.isDigit();
    if (digits < kMaxDigits) display_ += QChar(u'0' + d);
}

void Calculator::point() {
    if (error_) clear();
    if (startNew_) {
        display_ = QStringLiteral("0.");
        startNew_ = false;
        return;
    }
    if (!display_.contains(u'.')) display_ += u'.';
}

void Calculator::op(Op o) {
    if (error_) return;
    if (pending_ != Op::None && !startNew_) {
        equals();
        if (error_) return;
    }
    accumulator_ = value();
    pending_ = o;
    startNew_ = true;
}

void Calculator::equals() {
    if (error_ || pending_ == Op::None) {
        startNew_ = true;
        return;
    }
    const double operand = value();
    double result = accumulator_;
    switch (pending_) {
    case Op::Add:
        result += operand;
        break;
    case Op::Subtract:
        result -= operand;
        break;
    case Op::Multiply:
        result *= operand;
        break;
    case Op::Divide:
        if (operand == 0) {
            fail();
            return;
        }
        result /= operand;
        break;
    case Op::None:
        break;
    }
    pending_ = Op::None;
    accumulator_ = result;
    startNew_ = true;
    show(result);
}

void Calculator::clear() {
    display_ = QStringLiteral("0");
    accumulator_ = 0;
    pending_ = Op::None;
    startNew_ = true;
    error_ = false;
}

void Calculator::clearEntry() {
    if (error_) {
        clear();
        return;
    }
    display_ = QStringLiteral("0");
    startNew_ = false;
}

void Calculator::backspace() {
    if (error_ || startNew_) return;
    display_.chop(1);
    if (display_.isEmpty() || display_ == QLatin1String("-")) display_ = QStringLiteral("0");
}

void Calculator::negate() {
    if (error_) return;
    if (display_.startsWith(u'-'))
        display_.remove(0, 1);
    else if (display_ != QLatin1String("0"))
        display_.prepend(u'-');
}

void Calculator::percent() {
    if (error_) return;
    show(accumulator_ * value() / 100.0);
    startNew_ = true;
}

void Calculator::setValue(double value) {
    clear();
    show(value);
}

bool Calculator::press(QChar key) {
    if (key.isDigit()) {
        digit(key.digitValue());
        return true;
    }
    switch (key.unicode()) {
    case u'.':
    case u',':
        point();
        return true;
    case u'+':
        op(Op::Add);
        return true;
    case u'-':
        op(Op::Subtract);
        return true;
    case u'*':
    case u'x':
    case 0x00D7:
        op(Op::Multiply);
        return true;
    case u'/':
    case 0x00F7:
        op(Op::Divide);
        return true;
    case u'=':
    case u'\r':
    case u'\n':
        equals();
        return true;
    case u'\b':
        backspace();
        return true;
    case 0x1B:
    case u'c':
    case u'C':
        clear();
        return true;
    case u'%':
        percent();
        return true;
    default:
        return false;
    }
}

} // namespace rk
