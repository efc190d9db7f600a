#include "labeltext.h"

namespace rk::print {

namespace {

using Kind = LabelFieldItem::Kind;

constexpr std::array<LabelFieldItem, kLabelFieldCount> kItems{{
    {"Category", "CATEGORY", "Category: ", Kind::Text},
    {"Rated", "RATED", "Rated: ", Kind::Text},
    {"Runtime", "RUNTIME", "Runtime: ", Kind::Text},
    {"Counter (if not 0000)", "COUNTER", "Counter: ", Kind::Text},
    {"Multi_set of Tapes", "MULTI_SET", "Multi_Set: ", Kind::Logical},
    {"Director", "DIRECTOR", "Director: ", Kind::Text},
    {"Producer", "PRODUCER", "Producer: ", Kind::Text},
    {"Year Released", "YEAR", "Year: ", Kind::Text},
    {"Rating (Personal)", "RATING", "Rating: ", Kind::Text},
    {"ID", "ID", "ID: ", Kind::Text},
    {"Summary", "SUMMARY", "Summary: ", Kind::Text},
    {"Stars", "STAR1", "Stars: ", Kind::Stars},
    {"Tape Speed", "SPEED", "Speed: ", Kind::Text},
    {"Picture (Color or B&W)", "PICTURE", "Picture: ", Kind::Text},
    {"Surround Sound", "SURROUND", "Surround: ", Kind::Logical},
    {"Close Captioned", "CLOSE_CAPT", "CC: ", Kind::Logical},
    {"Sound (Stereo,Mono,Hi-Fi)", "SOUND", "Sound: ", Kind::Text},
}};

const char* const kNoStars = "There are no stars listed in this movie! What's up?";

QString trimmedValue(const FieldText& value, std::string_view field) {
    return value(field).trimmed();
}

// xBase logicals: T, t, Y and y are true; anything else (F, N, blank, ?) is false.
bool isTrue(const QString& text) {
    if (text.isEmpty()) return false;
    const QChar c = text.at(0).toUpper();
    return c == QLatin1Char('T') || c == QLatin1Char('Y');
}

QString starsText(const FieldText& value) {
    QStringList stars{trimmedValue(value, "STAR1")};
    for (const char* field : {"STAR2", "STAR3", "STAR4"}) {
        const QString star = trimmedValue(value, field);
        if (!star.isEmpty()) stars << star;
    }
    return stars.join(QStringLiteral(", "));
}

} // namespace

const std::array<LabelFieldItem, kLabelFieldCount>& labelFieldItems() {
    return kItems;
}

LabelFieldLine labelFieldLine(int index, const FieldText& value) {
    if (index < 0 || index >= kLabelFieldCount) return {QString(), QStringLiteral("No such item")};
    const LabelFieldItem& item = kItems[static_cast<size_t>(index)];
    const QString prefix = QString::fromLatin1(item.prefix);
    switch (item.kind) {
    case Kind::Logical:
        return {prefix + (isTrue(trimmedValue(value, item.field)) ? QStringLiteral("Yes")
                                                                  : QStringLiteral("No")),
                QString()};
    case Kind::Stars:
        if (trimmedValue(value, "STAR1").isEmpty())
            return {QString(), QString::fromLatin1(kNoStars)};
        return {prefix + starsText(value), QString()};
    case Kind::Text:
        break;
    }
    return {prefix + trimmedValue(value, item.field), QString()};
}

QStringList spineLabelLines(const FieldText& value) {
    return {trimmedValue(value, "TITLE"), trimmedValue(value, "ID")};
}

} // namespace rk::print
