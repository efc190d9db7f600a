#include "errorlog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace rk::fw {

namespace {
constexpr qint64 kMaxLogSize = 1 << 20;

QString& overridePath() {
    static QString path;
    return path;
}
} // namespace

QString ErrorLog::path() {
    if (!overridePath().isEmpty()) return overridePath();
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/reelkeeper.log");
}

void ErrorLog::setPath(const QString& path) {
    overridePath() = path;
}

void ErrorLog::write(const QString& where, const QString& what) {
    const QString file = path();
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (QFileInfo(file).size() > kMaxLogSize) {
        QFile::remove(file + QStringLiteral(".old"));
        QFile::rename(file, file + QStringLiteral(".old"));
    }
    QFile f(file);
    if (!f.open(QIODevice::Append | QIODevice::Text)) return;
    const QString line = QDateTime::currentDateTime().toString(Qt::ISODate) + QLatin1Char(' ') +
                         where + QStringLiteral(": ") + what + QLatin1Char('\n');
    f.write(line.toUtf8());
}

} // namespace rk::fw
