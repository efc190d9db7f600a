// The settings store: the key \Software\RKP98 with its sections (subkeys) and string
// values. On Windows it is that registry key under HKEY_CURRENT_USER; elsewhere an INI
// file in the user's configuration folder, one [Section] per subkey and the key's own
// values in the section named by its path.
//
// A SettingsKey is opened around a group of reads or writes and closed (written) when it
// goes out of scope. Numbers are written as decimal text; read back, a text that begins
// with "0x" or "0X" is hexadecimal, and a missing section, a missing value or a text that
// is not a number gives the reader's default.
#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace rk::fw {

class IniFile;

// The key's own values (rather than one of its sections).
inline const QString kKeySection = QStringLiteral("\\Software\\RKP98\\");

// Parses a setting's text as a number: optional blanks, an optional sign, then "0x"/"0X"
// and hexadecimal digits or decimal digits, and nothing after them; the result must fit
// in 32 bits. Nothing otherwise.
std::optional<int> parseSettingNumber(const QString& text);

class SettingsKey {
public:
    SettingsKey();
    ~SettingsKey();
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    std::optional<QString> value(const QString& section, const QString& name) const;
    QString readString(const QString& section, const QString& name, const QString& def) const;
    int readInteger(const QString& section, const QString& name, int def) const;
    void writeString(const QString& section, const QString& name, const QString& value);
    void writeInteger(const QString& section, const QString& name, int value);
    void writeBool(const QString& section, const QString& name, bool value) {
        writeInteger(section, name, value ? 1 : 0);
    }
    bool removeValue(const QString& section, const QString& name);
    // Why the settings cannot be read whole or saved (the INI file is too large, or is no
    // file); empty when they can.
    QString problem() const;

    // Where the INI file lives (not used on Windows). Tests point it at a temporary file;
    // an empty path restores the default, RKP98.ini in the user's configuration folder.
    static void setFilePath(const QString& path);
    static QString filePath();
    // The folder beside the settings that holds the program's other profile files
    // (the navigator's "RKeeper.ini").
    static QString profileFolder();

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace rk::fw
