// Figures over the titles in view: the collection's value (how a title's price text is read
// as a number and how the total is written for the user, both in the user's decimal
// separator), the collection's statistics, and clearing the marks of the titles in view.
#pragma once

#include "status.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Calls fn(recno, image) for every visible title in record order, reading the file several
// records at a time. The cursor does not move.
Status forEachVisibleRecord(Table& titles,
                            const std::function<void(uint32_t recno, std::string_view image)>& fn);

// One line of a statistic: a value of a field as stored (trailing blanks trimmed, empty for
// none), how many titles hold it and the sum of their prices.
struct FigureRow {
    std::string key;
    uint32_t titles = 0;
    double value = 0;
};

// The statistics of the titles in view. Values are grouped as stored (case counts), most
// titles first and then by key, except the decades, which run in time order with the
// titles without a usable year last. A decade's key is its first year ("1990"); a usable
// year is four digits after blanks are trimmed.
struct CollectionFigures {
    uint32_t titles = 0;
    uint32_t priced = 0; // titles whose price is a number (readPrice)
    double value = 0;    // the sum of those prices
    std::vector<FigureRow> byCategory;
    std::vector<FigureRow> byFormat;
    std::vector<FigureRow> byRating; // the personal rating (RATING)
    std::vector<FigureRow> byDecade;
};

// One pass over the visible titles. A field the table lacks counts every title as blank.
Result<CollectionFigures> collectionFigures(Table& titles, char decimalSeparator);

// Clears MARKED in every visible title, in the active order, and returns how many were
// written. The query is left as it is, so the titles stay visible until the next query. On a
// failure the titles before it are cleared and the rest keep their marks.
// `changed`, when given, is told each cleared record with its new image before the next one
// (the catalogue keeps its full-text entries with it); its error stops the run.
using RecordChange = std::function<Status(uint32_t recno, std::string_view image)>;
Result<uint32_t> clearMarks(Table& titles, const RecordStep& step = {},
                            const RecordChange& changed = {});

} // namespace rk::store
