#include "text.h"

#include "cp1252.h"

#include <QList>
#include <QLocale>

namespace rk::fw {

std::string toCp1252(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    auto whole = cp1252::fromUtf8(std::string_view(utf8.constData(), size_t(utf8.size())));
    if (whole.isOk()) return whole.value();
    // Some character has no place in the code page: convert one code point at a time.
    std::string out;
    out.reserve(size_t(text.size()));
    for (const uint cp : text.toUcs4()) {
        const QByteArray one =
            QString::fromUcs4(reinterpret_cast<const char32_t*>(&cp), 1).toUtf8();
        auto part = cp1252::fromUtf8(std::string_view(one.constData(), size_t(one.size())));
        out += part.isOk() ? part.value() : std::string("?");
    }
    return out;
}

QString fromCp1252(std::string_view bytes) {
    const std::string utf8 = cp1252::toUtf8(bytes);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

char decimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 0x80 ? char(point[0].unicode()) : '.';
}

} // namespace rk::fw
