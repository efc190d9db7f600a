// The lines a label's text is made of: the items of the "Fields to Include" list, each
// giving one line of a prefix and the current title's value, and the two lines of a spine.
// The title's values come through a small adapter (field name -> text), so that these
// rules know no table.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <string_view>

namespace rk::print {

// A field's text in the current title: character fields without trailing blanks, logical
// fields as "T" or "F" (an adapter may also give "Y"/"N" or a blank for false).
using FieldText = std::function<QString(std::string_view field)>;

struct LabelFieldItem {
    const char* caption; // as the check list shows it
    const char* field;   // the title field ("STAR1" for the stars)
    const char* prefix;  // what the line begins with
    enum class Kind { Text, Logical, Stars } kind;
};

inline constexpr int kLabelFieldCount = 17;
const std::array<LabelFieldItem, kLabelFieldCount>& labelFieldItems();

// The line an item adds, or, when it adds none, the message that says why.
struct LabelFieldLine {
    QString line;
    QString refusal;
    bool added() const { return refusal.isEmpty(); }
};

// The line of item `index` (0-based, in the list's order) for the current title: the
// prefix and the field's text; logical fields read "Yes" or "No"; the stars are the first
// star, then each further one that is not empty, joined with ", ". A title without a
// first star gets a refusal instead.
LabelFieldLine labelFieldLine(int index, const FieldText& value);

// The text of a spine label: the title and the ID, one line each.
QStringList spineLabelLines(const FieldText& value);

} // namespace rk::print
