// Arbitrary settings file text: parsing never faults, every value reads as a number or as
// nothing, and writing the profile out and reading it back gives the same values.
#include "inifile.h"
#include "settings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    rk::fw::IniFile ini(QStringLiteral("/nonexistent/rk-fuzz.ini"));
    ini.parse(text);
    rk::fw::IniFile again(QStringLiteral("/nonexistent/rk-fuzz.ini"));
    again.parse(ini.text());
    for (const QString& section : ini.sections()) {
        for (const QString& name : ini.names(section)) {
            auto value = ini.value(section, name);
            if (!value) std::abort(); // a listed name has a value
            (void)rk::fw::parseSettingNumber(*value);
            if (again.value(section, name) != value) { // lost in the round trip
                std::fprintf(stderr, "[%s] %s = <%s> came back as <%s> from:\n%s\n",
                             qPrintable(section), qPrintable(name), qPrintable(*value),
                             qPrintable(again.value(section, name).value_or("(none)")),
                             qPrintable(ini.text()));
                std::abort();
            }
        }
    }
    return 0;
}
