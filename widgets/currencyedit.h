// An edit for an amount of money. While it has the focus it shows the plain number for
// typing ("1234.50"); otherwise the amount with its currency sign, thousands separators and
// a fixed number of decimals ("$1,234.50"). Text that is not a number does not change the
// amount: leaving the edit shows the previous amount again.
#pragma once

#include <QLineEdit>
#include <QLocale>

namespace rk {

class CurrencyEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(double value READ value WRITE setValue NOTIFY valueChanged)
    Q_PROPERTY(int decimals READ decimals WRITE setDecimals)
    Q_PROPERTY(QString currencySymbol READ currencySymbol WRITE setCurrencySymbol)

public:
    explicit CurrencyEdit(QWidget* parent = nullptr);

    double value() const { return value_; }
    void setValue(double value);
    int decimals() const { return decimals_; }
    void setDecimals(int decimals);
    QString currencySymbol() const { return symbol_; }
    void setCurrencySymbol(const QString& symbol);

    // The amount written for display ("$1,234.50", "-$3.00") and for typing ("1234.50").
    QString displayText(double value) const;
    QString editText(double value) const;
    // Reads typed text: the sign, thousands separators and spaces may be there or not.
    static bool parse(const QString& text, const QLocale& locale, double* value);

signals:
    void valueChanged(double value);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void commit();
    void showValue();

    double value_ = 0;
    int decimals_ = 2;
    QString symbol_ = QStringLiteral("$");
};

} // namespace rk
