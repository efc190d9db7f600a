// Where the catalogue lives: the folder given with --data; otherwise the program's own
// folder; and for an installed program (one whose AppStream description lies in the
// installation's share/metainfo beside its bin folder, as `make install` puts it), or one
// whose folder cannot be written, the user's application data folder.
#pragma once

#include <QString>

namespace rk::app {

// The name the program is installed under (desktop file, icon, AppStream description).
inline constexpr const char* kAppId = "org.reelkeeper.Reelkeeper";

// The chosen folder as an absolute path ending in a separator. `userFolder` is the user's
// application data folder (made when chosen).
QString chooseDataFolder(const QString& dataOption, const QString& programFolder,
                         const QString& userFolder);
// Whether the program in this folder was installed (PREFIX/bin with PREFIX/share/metainfo).
bool isInstalled(const QString& programFolder);

} // namespace rk::app
