// The text of a Windows-style initialization file: "[Section]" heading lines and
// "Name=Value" lines. Section and value names are found without regard to case; the first
// of two equal names counts. Changing a value rewrites only its own line, so that every
// other line of the file (values of other programs, comments, lines that are neither)
// stays as it was. Values are plain text; reading trims the blanks around them.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace rk::print {

class ProfileText {
public:
    ProfileText() = default;
    explicit ProfileText(const QString& text) { parse(text); }

    // Any text reads: lines that are not headings or values are kept as they are.
    void parse(const QString& text);
    // Lines end with CR LF.
    QString text() const;

    std::optional<QString> value(const QString& section, const QString& name) const;
    // Replaces the value, or adds it at the end of its section (a new section goes at the
    // end of the file). Line breaks in the value become spaces.
    void setValue(const QString& section, const QString& name, const QString& value);
    // Removes every line of the section; its heading stays.
    void clearSection(const QString& section);
    bool hasSection(const QString& section) const;

    // The text of a file's bytes: UTF-8 when they are valid UTF-8, else Windows-1252 (the
    // files of Windows programs).
    static QString decode(const QByteArray& bytes);

private:
    struct Line {
        QString text;
        QString name; // empty unless a value line
    };
    struct Section {
        QString name;
        QString heading; // the heading line as it stood
        std::vector<Line> lines;
    };
    Section* find(const QString& section);
    const Section* find(const QString& section) const;

    std::vector<Line> preamble_; // lines before the first heading
    std::vector<Section> sections_;
};

} // namespace rk::print
