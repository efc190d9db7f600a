// The xBase expressions that index keys and queries use.
//
//   expr    := or
//   or      := and { .OR. and }
//   and     := not { .AND. not }
//   not     := { .NOT. | ! } cmp
//   cmp     := add [ ( = | == | <> | # | != | < | <= | > | >= | $ ) add ]
//   add     := mul { ( + | - ) mul }
//   mul     := unary { ( * | / | % ) unary }
//   unary   := { - | + } primary
//   primary := number | string | .T. | .F. | .Y. | .N. | name [ -> field ]
//            | func ( [ expr { , expr } ] ) | ( expr )
//   string  := "..." | '...' | [...]
//
// Types: + joins texts, adds numbers, and adds a number of days to a date; - also subtracts
// dates from dates; * / % need numbers; both sides of a comparison have one type, and logical
// values compare only for equality. alias->field names a field of this table.
//
// Functions: UPPER LOWER TRIM RTRIM LTRIM ALLTRIM LEFT RIGHT SUBSTR STR VAL DTOS IIF EMPTY
// DELETED RECNO. String "=" is SET EXACT OFF: "Action" = "Act" is true, the comparison
// stops at the end of the right operand; "==" needs identical strings. Names are found
// without regard to case. Text is Windows-1252. Nesting deeper than 200 levels is refused.
#pragma once

#include "dbf.h"
#include "status.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rk::xbase {

enum class Type { Char, Num, Logical, Date };

struct Value {
    Type type = Type::Logical;
    std::string s; // Char
    double n = 0;  // Num; Date as Julian day number (0 for an empty date)
    bool b = false;
};

struct Node;

// A text expression as an index planner reads it: fields and literal texts joined with +,
// some of them under UPPER (literals arrive already upper-cased).
struct TextPart {
    bool isField = true;
    dbf::FieldDef field; // isField
    std::string literal; // !isField
    bool upper = false;  // the field's text passes through UPPER
    size_t width() const { return isField ? field.length : literal.size(); }
};

// A condition as a query planner sees it: .AND., .OR. and .NOT. over comparisons of a text
// made of TextParts with a literal text. Anything else is Other.
struct Condition {
    enum class Kind { And, Or, Not, Compare, Other };
    Kind kind = Kind::Other;
    std::vector<Condition> args; // And, Or: two; Not: one
    std::vector<TextPart> left;  // Compare: the left side
    std::string right;           // Compare: the literal on the right
    bool exact = false;          // Compare: == (else =, SET EXACT OFF)
};

class Expr {
public:
    Expr() = default;
    // A parse error is InvalidArgument with a message "... at position N" (1-based).
    static Result<Expr> parse(std::string_view text, const std::vector<dbf::FieldDef>& fields);

    bool valid() const { return root_ != nullptr; }
    Type type() const;
    const std::string& text() const { return text_; }

    // Evaluation never fails outright: a date that date arithmetic carries outside the years
    // 1 to 9999 becomes an empty date, and `fault`, when given and still ok, receives an
    // expression error saying so.
    Value eval(std::string_view image, uint32_t recno = 0, Status* fault = nullptr) const;
    // For a Logical expression.
    bool test(std::string_view image, uint32_t recno = 0, Status* fault = nullptr) const;

    // For planners. textParts: false unless the expression is TextParts joined with +.
    bool textParts(std::vector<TextPart>* out) const;
    Condition condition() const;
    // True when evaluation may report a fault (date arithmetic): such a condition must be
    // tried on every record to report what a whole pass would.
    bool mayFault() const;
    // The fields the expression reads (each once).
    std::vector<dbf::FieldDef> fieldsRead() const;

private:
    std::shared_ptr<const Node> root_;
    std::string text_;
};

// Julian day number of a calendar date (1999-12-31 is 2451544), and back. Days up to
// kMaxJulianDay (some five million years) convert; any other gives the empty date.
inline constexpr int64_t kMaxJulianDay = 2000000000;
int64_t julianDay(int year, int month, int day);
dbf::Date fromJulianDay(int64_t jd);

} // namespace rk::xbase
