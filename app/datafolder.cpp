#include "datafolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace rk::app {

namespace {
QString withSeparator(const QString& dir) {
    QString path = QDir(dir).absolutePath();
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    return path;
}
} // namespace

QString chooseDataFolder(const QString& dataOption, const QString& programFolder) {
    if (!dataOption.isEmpty()) return withSeparator(dataOption);
    const QFileInfo program(programFolder);
    if (program.isDir() && program.isWritable()) return withSeparator(programFolder);
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(user);
    return withSeparator(user);
}

} // namespace rk::app
