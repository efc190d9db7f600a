// The tool bar's pictures, drawn as vector shapes so that they stay sharp at any scale.
#pragma once

#include <QIcon>
#include <QString>

namespace rk::mainwin {

// "new", "save", "trash", "mark", "print", "reports", "labels", "find", "master",
// "internet", "sort"; an empty icon for any other name.
QIcon toolIcon(const QString& name);

} // namespace rk::mainwin
