// The tips the tip window offers when the data folder has no tip file yet.
#pragma once

#include <QStringList>

namespace rk::fw {

// The lines of a tip file: the show-at-start flag "1", then one tip per line.
QStringList defaultTipLines();

} // namespace rk::fw
