// A profile (INI) file: [Section] lines and Name=Value lines. Section and value names are
// found without regard to case, as the Windows registry and profile files do, and keep the
// case they were first written with. Values are kept as text exactly: a value with
// leading or trailing blanks is written between double quotes.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include <vector>

namespace rk::fw {

class IniFile {
public:
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
    bool isDirty() const { return dirty_; }
    // Writes the whole file (atomically) when something changed; false when it could not.
    bool save();

    // Parsing and writing on their own, for tests and fuzzing.
    void parse(const QString& text);
    QString text() const;

private:
    struct Entry {
        QString name, value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };
    Section* find(const QString& section);
    const Section* find(const QString& section) const;

    QString path_;
    std::vector<Section> sections_;
    bool dirty_ = false;
};

} // namespace rk::fw
