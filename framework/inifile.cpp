#include "inifile.h"

#include <QRegularExpression>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace rk::fw {

IniFile::IniFile(QString path) : path_(std::move(path)) {
    QFile f(path_);
    if (f.open(QIODevice::ReadOnly)) parse(QString::fromUtf8(f.readAll()));
}

void IniFile::parse(const QString& text) {
    sections_.clear();
    Section* current = nullptr;
    // A line ends at CR LF, LF or a lone CR, as profile files written anywhere may have it.
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = text.split(lineEnd);
    for (const QString& line : lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';'))) continue;
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            const QString name = trimmed.mid(1, trimmed.size() - 2).trimmed();
            current = find(name);
            if (!current) {
                sections_.push_back({name, {}});
                current = &sections_.back();
            }
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || !current) continue; // a value outside any section has no home
        const QString name = line.left(eq).trimmed();
        if (name.isEmpty()) continue; // " =x" names nothing, like "=x"
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) &&
            value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        bool replaced = false;
        for (Entry& e : current->entries) {
            if (e.name.compare(name, Qt::CaseInsensitive) == 0) {
                e.value = value;
                replaced = true;
                break;
            }
        }
        if (!replaced) current->entries.push_back({name, value});
    }
    dirty_ = false;
}

QString IniFile::text() const {
    QString out;
    for (const Section& s : sections_) {
        if (!out.isEmpty()) out += QLatin1Char('\n');
        out += QLatin1Char('[') + s.name + QLatin1String("]\n");
        for (const Entry& e : s.entries) {
            QString v = e.value;
            v.replace(QLatin1Char('\r'), QLatin1Char(' '))
                .replace(QLatin1Char('\n'), QLatin1Char(' '));
            if (v != v.trimmed() || v.startsWith(QLatin1Char('"')))
                v = QLatin1Char('"') + v + QLatin1Char('"');
            out += e.name + QLatin1Char('=') + v + QLatin1Char('\n');
        }
    }
    return out;
}

IniFile::Section* IniFile::find(const QString& section) {
    for (Section& s : sections_)
        if (s.name.compare(section, Qt::CaseInsensitive) == 0) return &s;
    return nullptr;
}

const IniFile::Section* IniFile::find(const QString& section) const {
    return const_cast<IniFile*>(this)->find(section);
}

std::optional<QString> IniFile::value(const QString& section, const QString& name) const {
    const Section* s = find(section);
    if (!s) return std::nullopt;
    for (const Entry& e : s->entries)
        if (e.name.compare(name, Qt::CaseInsensitive) == 0) return e.value;
    return std::nullopt;
}

void IniFile::setValue(const QString& section, const QString& name, const QString& value) {
    Section* s = find(section);
    if (!s) {
        sections_.push_back({section, {}});
        s = &sections_.back();
    }
    for (Entry& e : s->entries) {
        if (e.name.compare(name, Qt::CaseInsensitive) == 0) {
            if (e.value != value) {
                e.value = value;
                dirty_ = true;
            }
            return;
        }
    }
    s->entries.push_back({name, value});
    dirty_ = true;
}

bool IniFile::remove(const QString& section, const QString& name) {
    Section* s = find(section);
    if (!s) return false;
    for (auto it = s->entries.begin(); it != s->entries.end(); ++it) {
        if (it->name.compare(name, Qt::CaseInsensitive) == 0) {
            s->entries.erase(it);
            dirty_ = true;
            return true;
        }
    }
    return false;
}

bool IniFile::hasSection(const QString& section) const {
    return find(section) != nullptr;
}

QStringList IniFile::sections() const {
    QStringList out;
    for (const Section& s : sections_)
        out << s.name;
    return out;
}

QStringList IniFile::names(const QString& section) const {
    QStringList out;
    if (const Section* s = find(section))
        for (const Entry& e : s->entries)
            out << e.name;
    return out;
}

bool IniFile::save() {
    if (!dirty_) return true;
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QSaveFile f(path_);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(text().toUtf8());
    if (!f.commit()) return false;
    dirty_ = false;
    return true;
}

} // namespace rk::fw
