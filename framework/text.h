// Text at the boundary between Qt and the tables: the tables hold Windows-1252, Qt holds
// Unicode. A character the code page cannot hold becomes '?' on the way in, so that what
// a user types is never refused in silence.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace rk::fw {

std::string toCp1252(const QString& text);
// The locale's decimal separator as the tables' prices are read and totals written: '.' where
// the locale's is not one plain character.
char decimalSeparator();
QString fromCp1252(std::string_view bytes);

} // namespace rk::fw
