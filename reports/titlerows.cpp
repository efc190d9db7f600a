#include "titlerows.h"

#include "collection.h"
#include "cp1252.h"
#include "record.h"

namespace rk::reports {

namespace {

// A control character of a foreign table is printed as \xNN, as rkdb list shows it: none can
// end a line of the report or reach a text file raw.
QString fromCp1252(std::string_view bytes) {
    std::string escaped;
    escaped.reserve(bytes.size());
    for (unsigned char c : bytes) {
        if (!dbf::isControlByte(c)) {
            escaped += char(c);
            continue;
        }
        static const char hex[] = "0123456789ABCDEF";
        escaped += "\\x";
        escaped += hex[c >> 4];
        escaped += hex[c & 15];
    }
    const std::string utf8 = cp1252::toUtf8(escaped);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

bool printsYesNo(std::string_view name) {
    return name == "CLOSE_CAPT" || name == "MULTI_SET" || name == "SURROUND";
}

} // namespace

QString titleFieldText(std::string_view image, const dbf::FieldDef& f) {
    if (f.type == 'L') {
        const bool on = dbf::getLogical(image, f);
        if (printsYesNo(f.name)) return on ? QStringLiteral("Yes") : QStringLiteral("No");
        return on ? QStringLiteral("True") : QStringLiteral("False");
    }
    const std::string_view raw = dbf::rawField(image, f);
    if (raw.find_first_not_of(' ') == std::string_view::npos) return QString();
    return fromCp1252(dbf::displayText(image, f));
}

bool TitleWalk::start() {
    records_.clear();
    loaded_ = -1;
    status_ = table_.visibleRecords(&records_);
    if (!status_) records_.clear();
    return status_.isOk();
}

const std::string& TitleWalk::image(int i) {
    if (i < 0 || i >= count()) return empty_;
    if (i != loaded_) {
        loaded_ = -1;
        if (Status s = table_.go(records_[static_cast<size_t>(i)]); !s) {
            status_ = s;
            return empty_;
        }
        loaded_ = i;
    }
    return table_.record();
}

bool StandardReportRows::first() {
    at_ = 0;
    return walk_.start() && walk_.count() > 0;
}

bool StandardReportRows::next() {
    return ++at_ < walk_.count();
}

QString StandardReportRows::value(const QString& field) {
    auto known = fields_.find(field);
    if (known == fields_.end())
        known = fields_.insert(field, walk_.table().field(field.toStdString()));
    const dbf::FieldDef* f = *known;
    if (!f) return QString();
    const std::string& image = walk_.image(at_);
    return image.empty() ? QString() : titleFieldText(image, *f);
}

QString StandardReportRows::picturePath() {
    return pictures_ ? pictures_(walk_.recno(at_)) : QString();
}

TitleColumnRows::TitleColumnRows(store::Table& titles, const QStringList& fields) : walk_(titles) {
    for (const QString& name : fields) {
        const dbf::FieldDef* f = titles.field(name.toStdString());
        if (!f && missing_.isEmpty()) missing_ = name;
        fields_.push_back(f);
    }
}

void TitleColumnRows::first() {
    at_ = 0;
    walk_.start();
}

QStringList TitleColumnRows::row() {
    QStringList cells;
    const std::string& image = walk_.image(at_);
    for (const dbf::FieldDef* f : fields_)
        cells << (f && !image.empty() ? titleFieldText(image, *f) : QString());
    return cells;
}

double priceTotal(store::Table& titles, char decimalPoint) {
    if (!titles.flock()) return 0;
    titles.setTurboRead(true);
    const Result<double> total = store::collectionValue(titles, decimalPoint);
    titles.setTurboRead(false);
    titles.unlock();
    return total.isOk() ? total.value() : 0;
}

} // namespace rk::reports
