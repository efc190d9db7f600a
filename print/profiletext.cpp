#include "profiletext.h"

#include <QStringDecoder>

namespace rk::print {

namespace {

// The name of a value line ("Name=Value"), or nothing for any other line.
QString valueName(const QString& line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0) return {};
    return line.left(eq).trimmed();
}

bool isHeading(const QString& trimmed) {
    return trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('[')) &&
           trimmed.endsWith(QLatin1Char(']'));
}

// Windows-1252 characters 0x80 to 0x9F (0 where the code page has none).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

QString ProfileText::decode(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    text.clear();
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b < 0xA0 && kCp1252High[b - 0x80])
            text += QChar(kCp1252High[b - 0x80]);
        else
            text += QChar(b);
    }
    return text;
}

void ProfileText::parse(const QString& text) {
    preamble_.clear();
    sections_.clear();
    std::vector<Line>* into = &preamble_;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != QLatin1Char('\r') &&
               text[end] != QLatin1Char('\n'))
            ++end;
        const QString line = text.mid(start, end - start);
        if (end < text.size() && text[end] == QLatin1Char('\r') && end + 1 < text.size() &&
            text[end + 1] == QLatin1Char('\n'))
            ++end;
        start = end + 1;
        if (start > text.size() && line.isEmpty()) break; // the end after a last line end
        const QString trimmed = line.trimmed();
        if (isHeading(trimmed)) {
            sections_.push_back({trimmed.mid(1, trimmed.size() - 2).trimmed(), line, {}});
            into = &sections_.back().lines;
            continue;
        }
        into->push_back({line, trimmed.startsWith(QLatin1Char(';')) ? QString() : valueName(line)});
    }
}

QString ProfileText::text() const {
    QString out;
    const QLatin1String eol("\r\n");
    for (const Line& l : preamble_)
        out += l.text + eol;
    for (const Section& s : sections_) {
        out += s.heading + eol;
        for (const Line& l : s.lines)
            out += l.text + eol;
    }
    return out;
}

ProfileText::Section* ProfileText::find(const QString& section) {
    for (Section& s : sections_)
        if (s.name.compare(section, Qt::CaseInsensitive) == 0) return &s;
    return nullptr;
}

const ProfileText::Section* ProfileText::find(const QString& section) const {
    return const_cast<ProfileText*>(this)->find(section);
}

bool ProfileText::hasSection(const QString& section) const {
    return find(section) != nullptr;
}

std::optional<QString> ProfileText::value(const QString& section, const QString& name) const {
    const Section* s = find(section);
    if (!s) return std::nullopt;
    for (const Line& l : s->lines)
        if (!l.name.isEmpty() && l.name.compare(name, Qt::CaseInsensitive) == 0)
            return l.text.mid(l.text.indexOf(QLatin1Char('=')) + 1).trimmed();
    return std::nullopt;
}

void ProfileText::setValue(const QString& section, const QString& name, const QString& value) {
    QString v = value;
    v.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString line = name + QLatin1Char('=') + v;
    Section* s = find(section);
    if (!s) {
        sections_.push_back({section, QLatin1Char('[') + section + QLatin1Char(']'), {}});
        s = &sections_.back();
    }
    for (Line& l : s->lines) {
        if (!l.name.isEmpty() && l.name.compare(name, Qt::CaseInsensitive) == 0) {
            l.text = line;
            return;
        }
    }
    // After the section's last non-blank line, so that a blank line before the next
    // heading stays there.
    auto at = s->lines.end();
    while (at != s->lines.begin() && (at - 1)->text.trimmed().isEmpty())
        --at;
    s->lines.insert(at, {line, name});
}

void ProfileText::clearSection(const QString& section) {
    Section* s = find(section);
    if (!s) return;
    // Blank lines at its end stay, to keep the next heading apart.
    auto keep = s->lines.end();
    while (keep != s->lines.begin() && (keep - 1)->text.trimmed().isEmpty())
        --keep;
    s->lines.erase(s->lines.begin(), keep);
}

} // namespace rk::print
