// Small text files in the 8-bit Windows-1252 code page, read and written as lists of lines
// (the tip file is one). Lines end in CR LF, LF or CR when read and in CR LF when written; a
// final line break does not start another line.
#pragma once

#include <QString>
#include <QStringList>

namespace rk {

// The lines of a file; an empty list and *ok false when the file cannot be read.
QStringList readCp1252Lines(const QString& path, bool* ok = nullptr);
// Replaces the file with the lines; characters outside the code page become "?".
bool writeCp1252Lines(const QString& path, const QStringList& lines);

QStringList decodeCp1252Lines(const QByteArray& bytes);
QByteArray encodeCp1252Lines(const QStringList& lines);

} // namespace rk
