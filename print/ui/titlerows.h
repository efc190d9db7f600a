// The reports' rows over the titles table: its visible records in the current order, each
// field as the reports show it. The walk moves the table's cursor; the window puts its
// dataset back on a record afterwards.
#pragma once

#include "bandreport.h"
#include "columnreport.h"
#include "status.h"
#include "table.h"

#include <QHash>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace rk::print {

// A field of a title record as a report shows it: character fields without their trailing
// blanks, numbers as stored, the logical fields as "True"/"False", or as "Yes"/"No" when
// `yesNo` (the report builder shows closed captions, multi-sets and surround so).
QString titleFieldText(std::string_view image, const dbf::FieldDef& field, bool yesNo);

class TitleWalk {
public:
    explicit TitleWalk(store::Table& titles) : table_(titles) {}
    // Reads the visible records; false (with status()) when the table could not.
    bool start();
    int count() const { return static_cast<int>(records_.size()); }
    // The image of record `i` of the walk; empty when it could not be read.
    const std::string& image(int i);
    const Status& status() const { return status_; }
    store::Table& table() { return table_; }

private:
    store::Table& table_;
    std::vector<uint32_t> records_;
    Status status_;
    std::string empty_;
    int loaded_ = -1; // the walk's record under the cursor
};

// The standard report's records: every field by name.
class StandardReportRows : public BandRows {
public:
    explicit StandardReportRows(store::Table& titles) : walk_(titles) {}
    bool first() override;
    bool next() override;
    QString value(const QString& field) override;
    const Status& status() const { return walk_.status(); }

private:
    TitleWalk walk_;
    int at_ = 0;
    QHash<QString, const dbf::FieldDef*> fields_;
};

// The builder's rows: the chosen fields of each record, in column order.
class BuilderRows : public ReportRows {
public:
    // Fails (see missingField()) when the table has no field of a chosen name.
    BuilderRows(store::Table& titles, const QStringList& fields);
    QString missingField() const { return missing_; }
    int count() override { return walk_.count(); }
    void first() override;
    QStringList row() override;
    void next() override { ++at_; }
    const Status& status() const { return walk_.status(); }

private:
    TitleWalk walk_;
    std::vector<const dbf::FieldDef*> fields_;
    QString missing_;
    int at_ = 0;
};

} // namespace rk::print
