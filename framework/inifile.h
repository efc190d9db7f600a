// A profile (INI) file: [Section] lines and Name=Value lines. Section and value names are
// found without regard to case, as the Windows registry and profile files do, and keep the
// case they were first written with. Values are kept as text exactly: a value with
// leading or trailing blanks is written between double quotes.
//
// The file is the user's: every line is kept as it was read (comments, blank lines, lines
// that are neither a section nor a value, their line ends and the file's encoding), a change
// rewrites only the line of the value it changes (or adds one), and the file is written only
// when a value changed, to a temporary file renamed over it. A file is read as UTF-8 when it
// is valid UTF-8 and as Windows-1252 otherwise (profile files written on Windows), and written
// back in the same encoding. Only the first kMaxBytes of a file are read: a larger one is
// left as it is, never written to, and problem() says so.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace rk::fw {

class IniFile {
public:
    static constexpr qint64 kMaxBytes = 1 << 20;
    enum class Encoding { Utf8, Windows1252 };

    // Reads the file; a missing or unreadable file is an empty profile.
    explicit IniFile(QString path);

    const QString& path() const { return path_; }
    // Nothing when the section or the value is missing.
    std::optional<QString> value(const QString& section, const QString& name) const;
    void setValue(const QString& section, const QString& name, const QString& value);
    bool remove(const QString& section, const QString& name);
    bool hasSection(const QString& section) const;
    QStringList sections() const;
    QStringList names(const QString& section) const;
    // Writes the file (atomically) when something changed; false when it could not, or may
    // not (a file too large to be read whole, or something else than a file at the path).
    bool save();
    // Why the file is not read whole or not written to; empty when it is.
    const QString& problem() const { return problem_; }

    // Parsing and writing on their own, for tests and fuzzing.
    void parse(const QString& text);
    QString text() const;
    // The file's bytes as text: UTF-8 (a byte-order mark is kept aside) when valid, else
    // Windows-1252; and back.
    void parseBytes(const QByteArray& bytes);
    QByteArray bytes() const;
    Encoding encoding() const { return encoding_; }

private:
    enum class LineEnd : quint8 { None, Lf, CrLf, Cr };
    // Kept small: a file of a million short lines must not take much more than it holds.
    struct Line {
        QString text;     // as read or as last written, without its line end
        int section = -1; // the section it lies in (index into sections_), -1 before any
        LineEnd end = LineEnd::None;
        bool isHeader = false;
        bool isValue = false; // a Name=Value line (see splitValue)
    };
    // The name and value of a line that holds one.
    static bool splitValue(const QString& text, QString* name, QString* value);
    static QString endText(LineEnd end);
    static bool isValueOf(const Line& l, int section, const QString& name);
    int findSection(const QString& section) const;
    // The last line holding the value, or -1.
    int findValue(int section, const QString& name) const;
    LineEnd newLineEnd() const;
    static QString valueLine(const QString& name, const QString& value);

    QString path_;
    std::vector<Line> lines_;
    QStringList sections_; // each section once, as first written
    Encoding encoding_ = Encoding::Utf8;
    bool bom_ = false;
    bool dirty_ = false;
    bool writable_ = true;
    QString problem_;
};

} // namespace rk::fw
