// The reports' rows over the titles table: its visible records in the current order, each
// field as the reports print it. The standard report, the report builder and `rkdb report`
// all read the titles through here. A walk moves the table's cursor; a window puts its
// dataset back on a record afterwards.
#pragma once

#include "bandreport.h"
#include "columnreport.h"
#include "status.h"
#include "table.h"

#include <QHash>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rk::reports {

// A field of a title record as a report prints it: character fields without their trailing
// blanks, numbers as stored without padding, a blank field as empty text. Logical fields print
// as "True"/"False", except closed captions, multi-sets and surround (`CLOSE_CAPT`,
// `MULTI_SET`, `SURROUND`), which print as "Yes"/"No"; a blank logical reads false.
QString titleFieldText(std::string_view image, const dbf::FieldDef& field);

// The visible records of a table, read one at a time by their place in the walk.
class TitleWalk {
public:
    explicit TitleWalk(store::Table& titles) : table_(titles) {}
    // Reads the visible records; false (with status()) when the table could not.
    bool start();
    int count() const { return static_cast<int>(records_.size()); }
    // The image of record `i` of the walk; empty when it could not be read.
    const std::string& image(int i);
    // The record number of record `i` of the walk.
    uint32_t recno(int i) const { return records_[static_cast<size_t>(i)]; }
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
class StandardReportRows : public print::BandRows {
public:
    explicit StandardReportRows(store::Table& titles) : walk_(titles) {}
    bool first() override;
    bool next() override;
    QString value(const QString& field) override;
    QString picturePath() override;
    const Status& status() const { return walk_.status(); }
    // Where the picture of a record (by record number) is; none: no pictures.
    void setPictures(std::function<QString(uint32_t)> pictures) { pictures_ = std::move(pictures); }

private:
    TitleWalk walk_;
    int at_ = 0;
    QHash<QString, const dbf::FieldDef*> fields_;
    std::function<QString(uint32_t)> pictures_;
};

// The column report's rows: the chosen fields of each record, in column order. Field names
// match without regard to case.
class TitleColumnRows : public print::ReportRows {
public:
    // Fails (see missingField()) when the table has no field of a chosen name.
    TitleColumnRows(store::Table& titles, const QStringList& fields);
    // The first chosen name the table does not have; empty when it has them all.
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

// The total of `PRICE` over the visible records, for the column report's closing line: a
// price that does not read as a number counts 0, and the total is 0 when the table grants no
// file lock (a shared or read-only open).
double priceTotal(store::Table& titles, char decimalPoint);

} // namespace rk::reports
