// Figures over the titles in view: the collection's value (how a title's price text is read
// as a number and how the total is written for the user, both in the user's decimal
// separator), and clearing the marks of the titles in view.
#pragma once

#include "status.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace rk::store {

class Table;

// A price as a decimal number: optional blanks around it, an optional sign, digits with
// `decimalSeparator` (at least one digit), an optional exponent (E or e, optional sign,
// digits). Anything else (empty text, a currency sign, thousands separators) is not a number.
std::optional<double> readPrice(std::string_view text, char decimalSeparator);

// A total in general format: up to 15 significant digits, `decimalSeparator`, no thousands
// separators, no trailing zeros, whole numbers without a decimal part (25, not 25.00);
// scientific notation (1E20, 1.5E-7) only for numbers of more than 15 whole digits or below
// 0.00001.
std::string formatTotal(double total, char decimalSeparator);

// Called for each record a walk reaches, with its record number.
using RecordStep = std::function<void(uint32_t recno)>;

// The sum of the prices (field PRICE, read by readPrice) of the visible titles, walked in the
// active order. Prices that are not numbers count nothing. The cursor is left at the end.
Result<double> collectionValue(Table& titles, char decimalSeparator, const RecordStep& step = {});

// Clears MARKED in every visible title, in the active order, and returns how many were
// written. The query is left as it is, so the titles stay visible until the next query. On a
// failure the titles before it are cleared and the rest keep their marks.
Result<uint32_t> clearMarks(Table& titles, const RecordStep& step = {});

} // namespace rk::store
