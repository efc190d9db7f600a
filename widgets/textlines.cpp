#include "textlines.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace rk {

QStringList decodeCp1252Lines(const QByteArray& bytes) {
    QStringDecoder decoder("windows-1252");
    const QString text = decoder.decode(bytes);
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch == u'\r' || ch == u'\n') {
            lines.append(line);
            line.clear();
            if (ch == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') ++i;
        } else {
            line.append(ch);
        }
    }
    if (!line.isEmpty()) lines.append(line);
    return lines;
}

QByteArray encodeCp1252Lines(const QStringList& lines) {
    QStringEncoder encoder("windows-1252");
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += encoder.encode(line);
        bytes += "\r\n";
    }
    return bytes;
}

QStringList readCp1252Lines(const QString& path, bool* ok) {
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly);
    if (ok) *ok = opened;
    if (!opened) return {};
    return decodeCp1252Lines(file.readAll());
}

bool writeCp1252Lines(const QString& path, const QStringList& lines) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = encodeCp1252Lines(lines);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace rk
