#include "titlerows.h"

#include "record.h"
#include "text.h"

namespace rk::print {

QString titleFieldText(std::string_view image, const dbf::FieldDef& f, bool yesNo) {
    if (f.type == 'L') {
        const bool on = dbf::getLogical(image, f);
        const std::string_view name(f.name);
        if (yesNo && (name == "CLOSE_CAPT" || name == "MULTI_SET" || name == "SURROUND"))
            return on ? QStringLiteral("Yes") : QStringLiteral("No");
        return on ? QStringLiteral("True") : QStringLiteral("False");
    }
    const std::string_view raw = dbf::rawField(image, f);
    if (raw.find_first_not_of(' ') == std::string_view::npos) return QString();
    if (f.type == 'C') return fw::fromCp1252(dbf::trimmedField(image, f));
    return fw::fromCp1252(dbf::displayText(image, f));
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
    return image.empty() ? QString() : titleFieldText(image, *f, false);
}

BuilderRows::BuilderRows(store::Table& titles, const QStringList& fields) : walk_(titles) {
    for (const QString& name : fields) {
        const dbf::FieldDef* f = titles.field(name.toStdString());
        if (!f && missing_.isEmpty()) missing_ = name;
        fields_.push_back(f);
    }
}

void BuilderRows::first() {
    at_ = 0;
    walk_.start();
}

QStringList BuilderRows::row() {
    QStringList cells;
    const std::string& image = walk_.image(at_);
    for (const dbf::FieldDef* f : fields_)
        cells << (f && !image.empty() ? titleFieldText(image, *f, true) : QString());
    return cells;
}

} // namespace rk::print
