// Arbitrary settings file bytes (UTF-8, Windows-1252 or neither): reading never faults, a file
// read and not changed is written back byte for byte, every value reads as a number or as
// nothing, and changing one value changes no other.
#include "inifile.h"
#include "settings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char* what, const QByteArray& input) {
    if (ok) return;
    std::fprintf(stderr, "%s, for the input:\n%s\n", what, input.toHex().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    rk::fw::IniFile ini{QString()};
    ini.parseBytes(input);
    check(ini.bytes() == input, "an unchanged file is not written back as it was", input);

    const QString newValue = QString::fromUtf8("Caf\u00e9 \u00fc");
    rk::fw::IniFile changed{QString()};
    changed.parseBytes(input);
    changed.setValue(QStringLiteral("Custom"), QStringLiteral("Custom1"), newValue);
    rk::fw::IniFile again{QString()};
    again.parseBytes(changed.bytes());
    check(again.value(QStringLiteral("Custom"), QStringLiteral("Custom1")) == newValue,
          "a value set is not read back", input);
    for (const QString& section : ini.sections()) {
        for (const QString& name : ini.names(section)) {
            const auto value = ini.value(section, name);
            check(value.has_value(), "a listed name has no value", input);
            (void)rk::fw::parseSettingNumber(*value);
            if (section.compare(QStringLiteral("Custom"), Qt::CaseInsensitive) == 0 &&
                name.compare(QStringLiteral("Custom1"), Qt::CaseInsensitive) == 0)
                continue;
            check(again.value(section, name) == value, "another value changed with it", input);
        }
    }
    return 0;
}
