#include "currencyedit.h"

#include <QFocusEvent>

#include <cmath>

namespace rk {

CurrencyEdit::CurrencyEdit(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(this, &QLineEdit::editingFinished, this, &CurrencyEdit::commit);
    showValue();
}

void CurrencyEdit::setValue(double value) {
    const double factor = std::pow(10.0, decimals_);
    value = std::round(value * factor) / factor;
    if (value == 0) value = 0;
    const bool changed = value != value_;
    value_ = value;
    showValue();
    if (changed) emit valueChanged(value_);
}

void CurrencyEdit::setDecimals(int decimals) {
    decimals_ = std::clamp(decimals, 0, 6);
    setValue(value_);
    showValue();
}

void CurrencyEdit::setCurrencySymbol(const QString& symbol) {
    symbol_ = symbol;
    showValue();
}

QString CurrencyEdit::displayText(double value) const {
    const QString number = locale().toString(std::abs(value), 'f', decimals_);
    const QString sign = value < 0 ? locale().negativeSign() : QString();
    return sign + symbol_ + number;
}

QString CurrencyEdit::editText(double value) const {
    QLocale plain = locale();
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'f', decimals_);
}

bool CurrencyEdit::parse(const QString& text, const QLocale& locale, double* value) {
    QString cleaned = text.trimmed();
    bool negative = false;
    if (cleaned.startsWith(locale.negativeSign()) || cleaned.startsWith(u'-')) {
        negative = true;
        cleaned = cleaned.mid(1).trimmed();
    }
    // Drop a currency sign, separators and blanks; keep digits and the decimal point.
    QString number;
    for (QChar ch : cleaned) {
        if (ch.isDigit() || QString(ch) == locale.decimalPoint()) {
            number += ch;
        } else if (QString(ch) == locale.groupSeparator() || ch.isSpace() ||
                   ch.category() == QChar::Symbol_Currency) {
            continue;
        } else {
            return false;
        }
    }
    if (number.isEmpty()) return false;
    bool ok = false;
    QLocale reader = locale;
    reader.setNumberOptions(QLocale::OmitGroupSeparator);
    const double read = reader.toDouble(number, &ok);
    if (!ok) return false;
    *value = negative ? -read : read;
    return true;
}

void CurrencyEdit::commit() {
    double typed = 0;
    if (parse(text(), locale(), &typed)) setValue(typed);
    showValue();
}

void CurrencyEdit::showValue() {
    setText(hasFocus() ? editText(value_) : displayText(value_));
}

void CurrencyEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    setText(editText(value_));
    selectAll();
}

void CurrencyEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    commit();
}

} // namespace rk
