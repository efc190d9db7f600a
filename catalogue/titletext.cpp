#include "titletext.h"

#include "dbf.h"
#include "env.h"

#include <algorithm>

namespace rk::catalogue {

namespace {

// Records read per batch while building.
constexpr uint32_t kBatch = 256;

} // namespace

Result<search::BuildReport> buildTitleText(store::Table& titles, const std::string& indexPath,
                                           const search::BuildStep& step) {
    if (!titles.isOpen() || !titles.dbf()) return Status::invalid("the titles table is not open");
    auto created = search::FtsIndex::create(indexPath);
    if (!created) return created.status();
    std::unique_ptr<search::FtsIndex> ix = std::move(*created);

    dbf::DbfFile* file = titles.dbf();
    const auto& fields = titles.fields();
    const uint32_t total = titles.recCount();
    const size_t size = titles.recSize();
    search::BuildReport report;
    std::string batch, text;
    for (uint32_t first = 1; first <= total; first += kBatch) {
        const uint32_t n = std::min(kBatch, total - first + 1);
        batch.resize(size_t(n) * size);
        RK_RETURN_IF_ERROR(file->readRecords(first, n, batch.data()));
        for (uint32_t i = 0; i < n; ++i) {
            const std::string_view image(batch.data() + size_t(i) * size, size);
            search::entryText(image, fields, &text);
            const Status put = ix->put(first + i, text);
            ++report.records;
            if (!put) ++report.failed;
            report.lastResult = put ? int32_t(first + i) : search::kFtsWriteError;
            if (step && !step(report.lastResult))
                return Status::invalid("the index build was stopped");
        }
    }
    RK_RETURN_IF_ERROR(ix->setTableStamp(search::tableStamp(titles)));
    RK_RETURN_IF_ERROR(ix->finish());
    return report;
}

Status TitleText::open(const std::string& indexPath, const store::Table& titles, uint32_t entries) {
    ix_.reset();
    unusable_ = false;
    fields_ = &titles.fields();
    if (indexPath.empty() || !Env::standard()->exists(indexPath)) return Status::ok();
    auto opened = search::FtsIndex::open(indexPath);
    if (!opened) {
        unusable_ = true;
        return opened.status();
    }
    ix_ = std::move(*opened);
    if (Status fits = search::checkTitlesIndex(*ix_, titles, entries); !fits) return failed(fits);
    return Status::ok();
}

Status TitleText::failed(Status why) {
    markStale();
    ix_.reset();
    return why;
}

void TitleText::markStale() {
    if (!ix_) return;
    ix_->rollback();
    ignore(ix_->markStale(), "the failure that made it stale is reported");
}

Status TitleText::put(uint32_t recno, std::string_view image) {
    if (!ix_) return Status::ok();
    search::entryText(image, *fields_, &text_);
    if (Status s = ix_->put(recno, text_); !s) return failed(s);
    return Status::ok();
}

Status TitleText::remove(uint32_t recno) {
    if (!ix_) return Status::ok();
    if (Status s = ix_->remove(recno); !s) return failed(s);
    return Status::ok();
}

Status TitleText::begin() {
    if (!ix_) return Status::ok();
    if (Status s = ix_->begin(); !s) return failed(s);
    return Status::ok();
}

Status TitleText::commit() {
    if (!ix_) return Status::ok();
    if (Status s = ix_->commit(); !s) return failed(s);
    return Status::ok();
}

void TitleText::rollback() {
    if (ix_) ix_->rollback();
}

void TitleText::close() {
    ix_.reset();
}

} // namespace rk::catalogue
