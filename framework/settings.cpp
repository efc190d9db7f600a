#include "settings.h"

#include "inifile.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace rk::fw {

namespace {
int digitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

QString& overridePath() {
    static QString path;
    return path;
}
} // namespace

std::optional<int> parseSettingNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i + 1 < n && text[i] == QLatin1Char('0') &&
        (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i >= n) return std::nullopt;
    long long value = 0;
    for (; i < n; ++i) {
        const int digit = digitValue(text[i].unicode());
        if (digit < 0 || digit >= base) return std::nullopt;
        value = value * base + digit;
        // Hexadecimal texts may name all 32 bits ("0xFFFFFFFF" is -1), decimal ones not.
        if (value > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) return std::nullopt;
    }
    if (base == 16 && value > 0x7FFFFFFFLL) value -= 0x100000000LL;
    if (negative) value = -value;
    if (value > 0x7FFFFFFFLL || value < -0x80000000LL) return std::nullopt;
    return int(value);
}

#ifdef Q_OS_WIN
struct SettingsKey::Impl {
    QSettings reg{QStringLiteral("HKEY_CURRENT_USER\\Software\\RKP98"), QSettings::NativeFormat};
    static QString key(const QString& section, const QString& name) {
        return section == kKeySection ? name : section + QLatin1Char('/') + name;
    }
};

SettingsKey::SettingsKey() : d_(std::make_unique<Impl>()) {}
SettingsKey::~SettingsKey() = default;

std::optional<QString> SettingsKey::value(const QString& section, const QString& name) const {
    const QVariant v = d_->reg.value(Impl::key(section, name));
    if (!v.isValid()) return std::nullopt;
    return v.toString();
}

void SettingsKey::writeString(const QString& section, const QString& name, const QString& value) {
    d_->reg.setValue(Impl::key(section, name), value);
}

bool SettingsKey::removeValue(const QString& section, const QString& name) {
    const bool had = d_->reg.contains(Impl::key(section, name));
    d_->reg.remove(Impl::key(section, name));
    return had;
}

QString SettingsKey::problem() const {
    return QString();
}
#else
struct SettingsKey::Impl {
    IniFile ini{SettingsKey::filePath()};
};

SettingsKey::SettingsKey() : d_(std::make_unique<Impl>()) {}

SettingsKey::~SettingsKey() {
    d_->ini.save();
}

std::optional<QString> SettingsKey::value(const QString& section, const QString& name) const {
    return d_->ini.value(section, name);
}

void SettingsKey::writeString(const QString& section, const QString& name, const QString& value) {
    d_->ini.setValue(section, name, value);
}

bool SettingsKey::removeValue(const QString& section, const QString& name) {
    return d_->ini.remove(section, name);
}

QString SettingsKey::problem() const {
    return d_->ini.problem();
}
#endif

QString SettingsKey::readString(const QString& section, const QString& name,
                                const QString& def) const {
    return value(section, name).value_or(def);
}

int SettingsKey::readInteger(const QString& section, const QString& name, int def) const {
    const auto text = value(section, name);
    if (!text) return def;
    return parseSettingNumber(*text).value_or(def);
}

void SettingsKey::writeInteger(const QString& section, const QString& name, int value) {
    writeString(section, name, QString::number(value));
}

void SettingsKey::setFilePath(const QString& path) {
    overridePath() = path;
}

QString SettingsKey::filePath() {
    if (!overridePath().isEmpty()) return overridePath();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Reelkeeper/RKP98.ini");
}

QString SettingsKey::profileFolder() {
    return QFileInfo(filePath()).absolutePath();
}

} // namespace rk::fw
