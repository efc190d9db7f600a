// Where the catalogue lives: the folder given with --data; otherwise the program's own
// folder; and when that cannot be written (an installed program), the user's application
// data folder.
#pragma once

#include <QString>

namespace rk::app {

// The chosen folder as an absolute path ending in a separator.
QString chooseDataFolder(const QString& dataOption, const QString& programFolder);

} // namespace rk::app
