#include "inifile.h"

#include "env.h"
#include "text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>

namespace rk::fw {

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

} // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {
    if (path_.isEmpty()) return;
    const QFileInfo info(path_);
    if (info.exists() && !info.isFile()) {
        // A pipe or a folder in the file's place: neither read (it could wait for ever) nor
        // replaced.
        writable_ = false;
        problem_ = QStringLiteral("The settings file %1 is not a file; the settings are not "
                                  "read from it or saved to it.")
                       .arg(QDir::toNativeSeparators(path_));
        return;
    }
    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly)) return;
    QByteArray data = f.read(kMaxBytes + 1);
    if (data.size() > kMaxBytes) {
        // Read no further, and never write: a save would drop what was not read.
        writable_ = false;
        data.truncate(kMaxBytes);
        const qsizetype lastEnd = std::max(data.lastIndexOf('\n'), data.lastIndexOf('\r'));
        data.truncate(lastEnd < 0 ? 0 : lastEnd + 1);
        problem_ = QStringLiteral("The settings file %1 is larger than %2 KB: only its beginning "
                                  "was read, and settings changed now are not saved to it, so "
                                  "that nothing in it is lost.")
                       .arg(QDir::toNativeSeparators(path_))
                       .arg(kMaxBytes / 1024);
    }
    parseBytes(data);
}

void IniFile::parseBytes(const QByteArray& bytes) {
    QByteArrayView body(bytes);
    bom_ = body.startsWith(kBom);
    if (bom_) body = body.sliced(kBom.size());
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(body);
    encoding_ = Encoding::Utf8;
    if (utf8.hasError()) {
        // Not UTF-8 after all: every byte, a would-be byte-order mark too, is Windows-1252.
        encoding_ = Encoding::Windows1252;
        bom_ = false;
        text = fromCp1252(std::string_view(bytes.constData(), size_t(bytes.size())));
    }
    parse(text);
}

QByteArray IniFile::bytes() const {
    const QString t = text();
    if (encoding_ == Encoding::Windows1252) {
        const std::string cp = toCp1252(t);
        // A character the code page cannot hold (a value set since): the file becomes UTF-8
        // rather than lose it.
        if (fromCp1252(cp) == t) return QByteArray(cp.data(), qsizetype(cp.size()));
    }
    return (bom_ ? kBom : QByteArray()) + t.toUtf8();
}

void IniFile::parse(const QString& text) {
    lines_.clear();
    sections_.clear();
    int current = -1;
    qsizetype at = 0;
    const qsizetype n = text.size();
    while (at < n) {
        // A line ends at CR LF, LF or a lone CR, as profile files written anywhere may have it.
        qsizetype end = at;
        while (end < n && text[end] != QLatin1Char('\n') && text[end] != QLatin1Char('\r'))
            ++end;
        Line line;
        line.text = text.mid(at, end - at);
        at = end;
        if (end < n && text[end] == QLatin1Char('\n')) {
            line.end = LineEnd::Lf;
            at += 1;
        } else if (end < n) {
            const bool crlf = end + 1 < n && text[end + 1] == QLatin1Char('\n');
            line.end = crlf ? LineEnd::CrLf : LineEnd::Cr;
            at += crlf ? 2 : 1;
        }

        const QString trimmed = line.text.trimmed();
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            const QString name = trimmed.mid(1, trimmed.size() - 2).trimmed();
            current = findSection(name);
            if (current < 0) {
                sections_ << name;
                current = int(sections_.size()) - 1;
            }
            line.isHeader = true;
        } else if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char(';')) && current >= 0) {
            // A value outside any section has no home: kept as a line, not as a value.
            line.isValue = splitValue(line.text, nullptr, nullptr);
        }
        line.section = current;
        lines_.push_back(std::move(line));
    }
    dirty_ = false;
}

bool IniFile::splitValue(const QString& text, QString* name, QString* value) {
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0) return false;
    const QStringView key = QStringView(text).left(eq).trimmed();
    if (key.isEmpty()) return false; // " =x" names nothing
    if (name) *name = key.toString();
    if (value) {
        QStringView v = QStringView(text).mid(eq + 1).trimmed();
        if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
            v = v.mid(1, v.size() - 2);
        *value = v.toString();
    }
    return true;
}

QString IniFile::endText(LineEnd end) {
    switch (end) {
    case LineEnd::Lf:
        return QStringLiteral("\n");
    case LineEnd::CrLf:
        return QStringLiteral("\r\n");
    case LineEnd::Cr:
        return QStringLiteral("\r");
    case LineEnd::None:
        break;
    }
    return QString();
}

QString IniFile::text() const {
    QString out;
    for (const Line& l : lines_)
        out += l.text + endText(l.end);
    return out;
}

IniFile::LineEnd IniFile::newLineEnd() const {
    for (const Line& l : lines_)
        if (l.end != LineEnd::None) return l.end;
    return LineEnd::Lf;
}

QString IniFile::valueLine(const QString& name, const QString& value) {
    QString v = value;
    v.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (v != v.trimmed() || v.startsWith(QLatin1Char('"')))
        v = QLatin1Char('"') + v + QLatin1Char('"');
    return name + QLatin1Char('=') + v;
}

int IniFile::findSection(const QString& section) const {
    for (qsizetype i = 0; i < sections_.size(); ++i)
        if (sections_[i].compare(section, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

bool IniFile::isValueOf(const Line& l, int section, const QString& name) {
    if (!l.isValue || l.section != section) return false;
    const qsizetype eq = l.text.indexOf(QLatin1Char('='));
    return QStringView(l.text).left(eq).trimmed().compare(name, Qt::CaseInsensitive) == 0;
}

int IniFile::findValue(int section, const QString& name) const {
    if (section < 0) return -1;
    for (int i = int(lines_.size()) - 1; i >= 0; --i)
        if (isValueOf(lines_[size_t(i)], section, name)) return i;
    return -1;
}

std::optional<QString> IniFile::value(const QString& section, const QString& name) const {
    const int i = findValue(findSection(section), name);
    if (i < 0) return std::nullopt;
    QString v;
    splitValue(lines_[size_t(i)].text, nullptr, &v);
    return v;
}

void IniFile::setValue(const QString& section, const QString& name, const QString& value) {
    int s = findSection(section);
    const int i = findValue(s, name);
    if (i >= 0) {
        Line& l = lines_[size_t(i)];
        QString oldName, oldValue;
        splitValue(l.text, &oldName, &oldValue);
        if (oldValue == value) return;
        // The value changes; the name keeps the case it was written with.
        l.text = valueLine(oldName, value);
        dirty_ = true;
        return;
    }
    const LineEnd end = newLineEnd();
    Line line;
    line.isValue = true;
    line.text = valueLine(name, value);
    line.end = end;
    size_t at = lines_.size();
    if (s < 0) {
        // A new section at the end, after a blank line.
        if (!lines_.empty() && lines_.back().end == LineEnd::None) lines_.back().end = end;
        if (!lines_.empty() && !lines_.back().text.trimmed().isEmpty()) {
            Line blank;
            blank.end = end;
            blank.section = lines_.back().section;
            lines_.push_back(std::move(blank));
        }
        sections_ << section;
        s = int(sections_.size()) - 1;
        Line header;
        header.text = QLatin1Char('[') + section + QLatin1Char(']');
        header.end = end;
        header.section = s;
        header.isHeader = true;
        lines_.push_back(std::move(header));
        at = lines_.size();
    } else {
        // After the section's last value (or its header), before the blank lines and comments
        // that lead to the next section.
        for (size_t k = 0; k < lines_.size(); ++k)
            if (lines_[k].section == s && (lines_[k].isValue || lines_[k].isHeader)) at = k + 1;
        if (at == lines_.size() && !lines_.empty() && lines_.back().end == LineEnd::None)
            lines_.back().end = end;
    }
    line.section = s;
    lines_.insert(lines_.begin() + long(at), std::move(line));
    dirty_ = true;
}

bool IniFile::remove(const QString& section, const QString& name) {
    const int s = findSection(section);
    if (findValue(s, name) < 0) return false;
    std::vector<Line> kept;
    kept.reserve(lines_.size());
    for (Line& l : lines_) {
        if (isValueOf(l, s, name)) continue;
        kept.push_back(std::move(l));
    }
    lines_.swap(kept);
    dirty_ = true;
    return true;
}

bool IniFile::hasSection(const QString& section) const {
    return findSection(section) >= 0;
}

QStringList IniFile::sections() const {
    return sections_;
}

QStringList IniFile::names(const QString& section) const {
    QStringList out;
    QSet<QString> seen;
    const int s = findSection(section);
    if (s < 0) return out;
    QString name;
    for (const Line& l : lines_)
        if (l.isValue && l.section == s && splitValue(l.text, &name, nullptr) &&
            !seen.contains(name.toCaseFolded())) {
            seen.insert(name.toCaseFolded());
            out << name;
        }
    return out;
}

bool IniFile::save() {
    if (!dirty_) return true;
    if (!writable_ || path_.isEmpty()) return false;
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QSaveFile f(path_);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(bytes());
    if (!f.commit()) return false;
    // The rename that put the file in place survives a power cut once its folder is flushed.
    rk::ignore(rk::Env::standard()->syncDir(
                   QFile::encodeName(QFileInfo(path_).absolutePath()).toStdString()),
               "the settings are written; only a power cut in this moment could lose them");
    dirty_ = false;
    return true;
}

} // namespace rk::fw
