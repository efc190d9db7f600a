// The arithmetic of the pop-up calculator, as a pocket calculator does it: each operator
// works on the result so far as soon as the next one (or "=") is pressed, from left to right
// (2 + 3 x 4 = 20). Division by zero shows "Error" until the next digit or clear.
#pragma once

#include <QChar>
#include <QString>

namespace rk {

class Calculator {
public:
    enum class Op { None, Add, Subtract, Multiply, Divide };

    static constexpr int kMaxDigits = 15;

    QString display() const { return display_; }
    double value() const;
    bool hasError() const { return error_; }

    void digit(int d);
    void point();
    void op(Op o);
    void equals();
    void clear();      // everything
    void clearEntry(); // the number being typed
    void backspace();
    void negate();
    void percent(); // the typed number as a percentage of the result so far
    void setValue(double value);

    // Keys as typed: 0-9 . , + - * / = Enter, Backspace, Escape (clear), c, %; false when the key
    // means nothing here.
    bool press(QChar key);

private:
    void show(double value);
    void fail();

    QString display_ = QStringLiteral("0");
    double accumulator_ = 0;
    Op pending_ = Op::None;
    bool startNew_ = true;
    bool error_ = false;
};

} // namespace rk
