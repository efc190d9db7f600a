#include "datafolder.h"

#include <QDir>
#include <QFileInfo>

namespace rk::app {

namespace {
QString withSeparator(const QString& dir) {
    QString path = QDir(dir).absolutePath();
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    return path;
}
} // namespace

bool isInstalled(const QString& programFolder) {
    const QDir bin(programFolder);
    return bin.dirName() == QLatin1String("bin") &&
           QFileInfo::exists(bin.filePath(
               QStringLiteral("../share/metainfo/%1.metainfo.xml").arg(QLatin1String(kAppId))));
}

QString chooseDataFolder(const QString& dataOption, const QString& programFolder,
                         const QString& userFolder) {
    if (!dataOption.isEmpty()) return withSeparator(dataOption);
    const QFileInfo program(programFolder);
    if (program.isDir() && program.isWritable() && !isInstalled(programFolder))
        return withSeparator(programFolder);
    QDir().mkpath(userFolder);
    return withSeparator(userFolder);
}

} // namespace rk::app
