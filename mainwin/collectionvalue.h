// The collection's value: how a title's price text is read as a number and how the total
// is written for the user. Both follow the user's decimal separator.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rk::mainwin {

// A price as a decimal number: optional blanks around it, an optional sign, digits with
// `decimalSeparator` (at least one digit), an optional exponent (E or e, optional sign,
// digits). Anything else (empty text, a currency sign, thousands separators) is not a number.
std::optional<double> readPrice(std::string_view text, char decimalSeparator);

// A total in general format: up to 15 significant digits, `decimalSeparator`, no thousands
// separators, no trailing zeros, whole numbers without a decimal part (25, not 25.00);
// scientific notation (1E20, 1.5E-7) only for numbers of more than 15 whole digits or below
// 0.00001.
std::string formatTotal(double total, char decimalSeparator);

} // namespace rk::mainwin
